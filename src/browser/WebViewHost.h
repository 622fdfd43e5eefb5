#pragma once

class BrowserViewModel;
class QObject;
class QWebEnginePage;
class QWebEngineProfile;

// Makes the browser pane's web view (the engine page) and attaches it to the
// view model. The page belongs to `owner`; the view model
// only holds it weakly. Called again whenever the pane is rebuilt.
class WebViewHost
{
public:
    static QWebEnginePage *makeWebView(BrowserViewModel &viewModel, QObject *owner,
                                       QWebEngineProfile *profile = nullptr);
};

#pragma once

#include <QPointer>
#include <QWebEnginePage>

class BrowserViewModel;
class QWebEngineProfile;

// The browser pane's page: every navigation the engine proposes, in the main
// frame and in sub-frames, is put to the view model's policy, and windows a
// page asks for open in this same page, screened like any other navigation.
class ScreeningWebPage final : public QWebEnginePage
{
    Q_OBJECT

public:
    // A null profile means the engine's default profile.
    ScreeningWebPage(BrowserViewModel &viewModel, QWebEngineProfile *profile, QObject *parent);

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;

private:
    void openCaughtWindow(const QUrl &url);

    QPointer<BrowserViewModel> m_viewModel;
};

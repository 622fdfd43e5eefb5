#pragma once

#include <QWidget>

class BrowserViewModel;
class QStackedLayout;
class QWebEngineView;
class SafeGuardWarningView;
class SecurityRuleStore;
class ThemeManager;

// The page area of the browser section: the web view, and the warning in its
// place while the view model reports a blocked navigation. The web view is
// only hidden under the warning, so its page and history survive a block.
class BrowserView final : public QWidget
{
    Q_OBJECT

public:
    BrowserView(BrowserViewModel &viewModel, SecurityRuleStore &store, ThemeManager &themeManager,
                QWidget *parent = nullptr);

    QWebEngineView *webView() const { return m_webView; }
    SafeGuardWarningView *warningView() const { return m_warning; }
    bool isShowingWarning() const;

private:
    void updateBlocked();
    void updateWarningContent();

    BrowserViewModel &m_viewModel;
    QStackedLayout *m_layers;
    QWebEngineView *m_webView;
    SafeGuardWarningView *m_warning;
};

#pragma once

#include <QWidget>

class BrowserViewModel;
class CautionBarView;
class QStackedLayout;
class QWebEngineProfile;
class QWebEngineView;
class SafeGuardWarningView;
class SecurityRuleStore;
class ThemeManager;

// The page area of the browser section: the web view, the caution bar above
// a page judged with caution, and the warning in the page's place while the
// view model reports a blocked navigation. The web view is only hidden under
// the warning, so its page and history survive a block.
class BrowserView final : public QWidget
{
    Q_OBJECT

public:
    // The page is browsed in `profile`, which must outlive the view.
    BrowserView(BrowserViewModel &viewModel, SecurityRuleStore &store, ThemeManager &themeManager,
                QWebEngineProfile &profile, QWidget *parent = nullptr);

    QWebEngineView *webView() const { return m_webView; }
    SafeGuardWarningView *warningView() const { return m_warning; }
    CautionBarView *cautionBar() const { return m_cautionBar; }
    bool isShowingWarning() const;

private:
    void updateBlocked();
    void updateWarningContent();
    void updateCautionBar();

    BrowserViewModel &m_viewModel;
    CautionBarView *m_cautionBar;
    QStackedLayout *m_layers;
    QWebEngineView *m_webView;
    SafeGuardWarningView *m_warning;
};

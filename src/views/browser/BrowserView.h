#pragma once

#include <QWidget>

class BrowserViewModel;
class CautionBarView;
class CertificateErrorModel;
class CertificateWarningView;
class PageWebView;
class QStackedLayout;
class QWebEngineView;
class SafeGuardWarningView;
class SecurityRuleStore;
class ThemeManager;

// The page area of the browser section: the web view, the caution bar above
// a page judged with caution, and the warning in the page's place while the
// view model reports a blocked navigation, or the certificate warning while
// the page's own address has a certificate error. The web view is only
// hidden under a warning, so its page and history survive it.
class BrowserView final : public QWidget
{
    Q_OBJECT

public:
    BrowserView(BrowserViewModel &viewModel, SecurityRuleStore &store, ThemeManager &themeManager,
                QWidget *parent = nullptr);

    QWebEngineView *webView() const;
    SafeGuardWarningView *warningView() const { return m_warning; }
    CertificateWarningView *certificateWarningView() const { return m_certificateWarning; }
    CautionBarView *cautionBar() const { return m_cautionBar; }
    bool isShowingWarning() const;

private:
    void updateBlocked();
    void updateWarningContent();
    void updateCautionBar();
    void updateCertificateWarning();

    BrowserViewModel &m_viewModel;
    CautionBarView *m_cautionBar;
    QStackedLayout *m_layers;
    PageWebView *m_webView;
    SafeGuardWarningView *m_warning;
    CertificateWarningView *m_certificateWarning;
    CertificateErrorModel *m_certificateErrors = nullptr;
};

#pragma once

#include <QWidget>

class BrowserViewModel;
class CautionBarView;
class CertificateErrorModel;
class CertificateWarningView;
class PageWebView;
class FindBarView;
class PageZoom;
class QStackedLayout;
class QWebEngineProfile;
class QWebEngineView;
class SafeGuardWarningView;
class SecurityRuleStore;
class ThemeManager;
class ZoomLevels;

// The page area of the browser section: the web view, the caution bar above
// a page judged with caution, and the warning in the page's place while the
// view model reports a blocked navigation, or the certificate warning while
// the page's own address has a certificate error. The web view is only
// hidden under a warning, so its page and history survive it.
class BrowserView final : public QWidget
{
    Q_OBJECT

public:
    // The rule store gives the page menu's search its filter and engine; the
    // page is browsed in `profile`, which must outlive the view.
    BrowserView(BrowserViewModel &viewModel, SecurityRuleStore &store, ThemeManager &themeManager,
                QWebEngineProfile &profile, QWidget *parent = nullptr);

    QWebEngineView *webView() const;
    SafeGuardWarningView *warningView() const { return m_warning; }
    CertificateWarningView *certificateWarningView() const { return m_certificateWarning; }
    CautionBarView *cautionBar() const { return m_cautionBar; }
    FindBarView *findBar() const { return m_findBar; }
    BrowserViewModel &viewModel() const { return m_viewModel; }
    bool isShowingWarning() const;
    // Keeps the page at the zoom remembered for its host from now on.
    void setZoomLevels(ZoomLevels &levels);
    // Null until setZoomLevels.
    PageZoom *pageZoom() const { return m_pageZoom; }

Q_SIGNALS:
    // The user chose to open a link of the page in a new tab.
    void openInNewTabRequested(const QUrl &url);

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
    FindBarView *m_findBar;
    PageZoom *m_pageZoom = nullptr;
};

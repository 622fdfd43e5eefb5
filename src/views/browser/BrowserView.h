#pragma once

#include <QWidget>

#include <functional>

class BrowserViewModel;
class CautionBarView;
class CertificateErrorModel;
class CertificateWarningView;
class PageCrashedView;
class PageWebView;
class FindBarView;
class QLabel;
class PageZoom;
class QStackedLayout;
class QWebEnginePage;
class QWebEngineProfile;
class QWebEngineView;
class SafeGuardWarningView;
class ScreeningWebPage;
class SecurityRuleStore;
class ThemeManager;
class ZoomLevels;

// The page area of the browser section: the web view, the caution bar above
// a page judged with caution, and the warning in the page's place while the
// view model reports a blocked navigation, or the certificate warning while
// the page's own address has a certificate error. The web view is only
// hidden under a warning, so its page and history survive it.
//
// The web view and its page are made on demand: making the first page starts
// the engine, which takes longer than showing the whole window, so a window
// shows first and starts its pages from the event loop.
class BrowserView final : public QWidget
{
    Q_OBJECT

public:
    // Gives the profile to browse in, made when first asked for; it must
    // outlive the view.
    using ProfileSource = std::function<QWebEngineProfile &()>;

    // The rule store gives the page menu's search its filter and engine.
    BrowserView(BrowserViewModel &viewModel, SecurityRuleStore &store, ThemeManager &themeManager,
                ProfileSource profile, QWidget *parent = nullptr);
    // Starts the page at once.
    BrowserView(BrowserViewModel &viewModel, SecurityRuleStore &store, ThemeManager &themeManager,
                QWebEngineProfile &profile, QWidget *parent = nullptr);

    // Makes the web view and its page, and attaches the page to the view
    // model, unless done already.
    void startPage();
    bool hasStartedPage() const { return m_webView; }
    // Starts the page if needed: every caller gets the screening page.
    QWebEngineView *webView();
    // The warnings and the find bar are made when first needed: most tabs
    // never show them, and making them is a good part of a window's start.
    SafeGuardWarningView *warningView();
    CertificateWarningView *certificateWarningView();
    CautionBarView *cautionBar() const { return m_cautionBar; }
    // In the page's place after the page's process ended abnormally, until
    // the next load.
    PageCrashedView *crashedView();
    QWidget *blankCover();
    // Where a hovered link leads, in the page's bottom corner as browsers
    // show it: checking a link before clicking is how a shopper spots a
    // fake shop's address.
    QLabel *linkStatus() const { return m_linkStatus; }
    FindBarView *findBar();
    bool isFindBarOpen() const;
    BrowserViewModel &viewModel() const { return m_viewModel; }
    bool isShowingWarning() const;
    // The page itself, not a warning, a crash notice or a cover over it:
    // only then may find, zoom and print act on it.
    bool isPageInSight() const;
    // Keeps the page at the zoom remembered for its host from now on.
    void setZoomLevels(ZoomLevels &levels);
    // Null until setZoomLevels and the page's start.
    PageZoom *pageZoom() const { return m_pageZoom; }

Q_SIGNALS:
    // The user chose to open a link of the page in a new tab.
    void openInNewTabRequested(const QUrl &url);
    // Connected directly: the page asks the user something and must be in
    // sight when this returns.
    void frontWanted();
    void pageStarted(QWebEnginePage *page);
    // The page called window.print() ("この画面を印刷" on an order page).
    void printRequested();
    void findBarOpenChanged();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    void updateBlocked();
    void updateWarningContent();
    void updateCautionBar();
    void updateCertificateWarning();
    void showLinkStatus(const QString &link);
    void placeLinkStatus();
    QWidget *pageArea() const;

    BrowserViewModel &m_viewModel;
    SecurityRuleStore &m_store;
    ThemeManager &m_themeManager;
    ProfileSource m_profile;
    CautionBarView *m_cautionBar;
    QStackedLayout *m_layers;
    // Stands in for the web view until the page starts.
    QWidget *m_placeholder;
    PageWebView *m_webView = nullptr;
    SafeGuardWarningView *m_warning = nullptr;
    CertificateWarningView *m_certificateWarning = nullptr;
    // The web view's page, when it is the browser's own; both go with the view.
    ScreeningWebPage *m_screeningPage = nullptr;
    CertificateErrorModel *m_certificateErrors = nullptr;
    FindBarView *m_findBar = nullptr;
    PageCrashedView *m_crashed = nullptr;
    // Stands in for a pop-up's page until a page from an address loads.
    QWidget *m_blankCover = nullptr;
    bool m_pageProcessEnded = false;
    QLabel *m_linkStatus;
    ZoomLevels *m_zoomLevels = nullptr;
    PageZoom *m_pageZoom = nullptr;
};

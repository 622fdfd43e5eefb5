#include "views/browser/BrowserView.h"

#include "browser/BrowserViewModel.h"
#include "browser/CertificateErrorModel.h"
#include "browser/PageZoom.h"
#include "browser/ScreeningWebPage.h"
#include "browser/WebViewHost.h"
#include "views/browser/AddressView.h"
#include "views/browser/FindBarView.h"
#include "views/browser/PageCrashedView.h"
#include "views/browser/PageWebView.h"
#include "views/common/ViewStyle.h"
#include "views/warning/CautionBarView.h"
#include "views/warning/CertificateWarningView.h"
#include "views/warning/SafeGuardWarningView.h"
#include "views/warning/ShopBadgeView.h"

#include <QLabel>
#include <QStackedLayout>
#include <QVBoxLayout>
#include <QWebEngineView>

#include <utility>

BrowserView::BrowserView(BrowserViewModel &viewModel, SecurityRuleStore &store,
                         ThemeManager &themeManager, ProfileSource profile, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_store(store)
    , m_themeManager(themeManager)
    , m_profile(std::move(profile))
    , m_cautionBar(new CautionBarView(this))
    , m_layers(new QStackedLayout)
    , m_placeholder(new QWidget(this))
    , m_linkStatus(new QLabel(this))
{
    setObjectName(QStringLiteral("browserView"));
    // The page's own blank colour, so that its start does not flash.
    m_placeholder->setAutoFillBackground(true);
    m_placeholder->setBackgroundRole(QPalette::Base);

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_cautionBar);
    column->addLayout(m_layers, 1);
    m_layers->setContentsMargins(0, 0, 0, 0);
    m_layers->setStackingMode(QStackedLayout::StackOne);
    m_layers->addWidget(m_placeholder);

    connect(m_cautionBar, &CautionBarView::dismissRequested, this,
            [this] { m_viewModel.dismissCaution(); });
    connect(&m_viewModel, &BrowserViewModel::isBlockedChanged, this, &BrowserView::updateBlocked);
    connect(&m_viewModel, &BrowserViewModel::pendingBlockedURLChanged, this,
            &BrowserView::updateWarningContent);
    connect(&m_viewModel, &BrowserViewModel::blockedReasonsChanged, this,
            &BrowserView::updateWarningContent);
    connect(&m_viewModel, &BrowserViewModel::blockedSuggestionChanged, this,
            &BrowserView::updateWarningContent);
    connect(&m_viewModel, &BrowserViewModel::canProceedAnywayChanged, this,
            &BrowserView::updateWarningContent);
    connect(&m_viewModel, &BrowserViewModel::cautionReasonsChanged, this,
            &BrowserView::updateCautionBar);

    m_linkStatus->setObjectName(QStringLiteral("linkStatus"));
    m_linkStatus->setTextFormat(Qt::PlainText);
    m_linkStatus->setFont(ViewStyle::systemFont(11));
    m_linkStatus->setAutoFillBackground(true);
    m_linkStatus->setBackgroundRole(QPalette::ToolTipBase);
    m_linkStatus->setForegroundRole(QPalette::ToolTipText);
    m_linkStatus->setFrameShape(QFrame::Box);
    m_linkStatus->setMargin(3);
    m_linkStatus->setAttribute(Qt::WA_TransparentForMouseEvents);
    m_linkStatus->hide();

    updateBlocked();
}

BrowserView::BrowserView(BrowserViewModel &viewModel, SecurityRuleStore &store,
                         ThemeManager &themeManager, QWebEngineProfile &profile, QWidget *parent)
    : BrowserView(
        viewModel, store, themeManager, [&profile]() -> QWebEngineProfile & { return profile; },
        parent)
{
    startPage();
}

void BrowserView::startPage()
{
    if (m_webView)
        return;
    m_webView = new PageWebView(m_viewModel, m_store, this);
    m_webView->setObjectName(QStringLiteral("browserWebView"));
    // The page belongs to its view, so both go together.
    m_webView->attachPage(WebViewHost::makeWebView(m_viewModel, m_webView, &m_profile()));
    if (m_findBar)
        m_findBar->attachView(*m_webView);
    m_layers->insertWidget(0, m_webView);
    delete m_placeholder;
    m_placeholder = nullptr;

    connect(m_webView, &PageWebView::openInNewTabRequested, this,
            &BrowserView::openInNewTabRequested);
    connect(m_webView, &PageWebView::frontWanted, this, &BrowserView::frontWanted);
    connect(m_webView, &QWebEngineView::printRequested, this, &BrowserView::printRequested);
    QWebEnginePage *webPage = m_webView->page();
    connect(webPage, &QWebEnginePage::linkHovered, this, &BrowserView::showLinkStatus);
    connect(webPage, &QWebEnginePage::renderProcessTerminated, this,
            [this](QWebEnginePage::RenderProcessTerminationStatus status) {
                if (status == QWebEnginePage::NormalTerminationStatus)
                    return;
                m_pageProcessEnded = true;
                m_linkStatus->hide();
                updateBlocked();
            });
    connect(webPage, &QWebEnginePage::loadStarted, this, [this] {
        if (!std::exchange(m_pageProcessEnded, false))
            return;
        updateBlocked();
    });
    if (auto *page = qobject_cast<ScreeningWebPage *>(m_webView->page())) {
        m_screeningPage = page;
        m_certificateErrors = &page->certificateErrors();
        connect(m_certificateErrors, &CertificateErrorModel::errorChanged, this,
                &BrowserView::updateCertificateWarning);
        connect(page, &ScreeningWebPage::waitsForAddressChanged, this, &BrowserView::updateBlocked);
    }
    if (m_zoomLevels)
        m_pageZoom = new PageZoom(*m_webView->page(), *m_zoomLevels);
    updateBlocked();
    Q_EMIT pageStarted(m_webView->page());
}

QWebEngineView *BrowserView::webView()
{
    startPage();
    return m_webView;
}

QWidget *BrowserView::pageArea() const
{
    return m_webView ? static_cast<QWidget *>(m_webView) : m_placeholder;
}

void BrowserView::setZoomLevels(ZoomLevels &levels)
{
    m_zoomLevels = &levels;
    if (m_webView && !m_pageZoom)
        m_pageZoom = new PageZoom(*m_webView->page(), levels);
}

SafeGuardWarningView *BrowserView::warningView()
{
    if (m_warning)
        return m_warning;
    m_warning = new SafeGuardWarningView(m_themeManager, this);
    m_layers->addWidget(m_warning);
    connect(m_warning, &SafeGuardWarningView::goBackRequested, this,
            [this] { m_viewModel.goBack(); });
    connect(m_warning, &SafeGuardWarningView::proceedAnywayRequested, this,
            [this] { m_viewModel.proceedAnyway(); });
    connect(m_warning, &SafeGuardWarningView::suggestionRequested, this,
            [this] { m_viewModel.openSuggestion(); });
    updateWarningContent();
    return m_warning;
}

CertificateWarningView *BrowserView::certificateWarningView()
{
    if (m_certificateWarning)
        return m_certificateWarning;
    m_certificateWarning = new CertificateWarningView(m_themeManager, this);
    m_layers->addWidget(m_certificateWarning);
    connect(m_certificateWarning, &CertificateWarningView::goBackRequested, this, [this] {
        if (m_certificateErrors)
            m_certificateErrors->goBack();
    });
    connect(m_certificateWarning, &CertificateWarningView::proceedRequested, this, [this] {
        if (m_certificateErrors)
            m_certificateErrors->proceed();
    });
    return m_certificateWarning;
}

FindBarView *BrowserView::findBar()
{
    if (m_findBar)
        return m_findBar;
    m_findBar = new FindBarView(this);
    // Between the caution bar and the page, where it always was.
    static_cast<QVBoxLayout *>(layout())->insertWidget(1, m_findBar);
    if (m_webView)
        m_findBar->attachView(*m_webView);
    connect(m_findBar, &FindBarView::openChanged, this, &BrowserView::findBarOpenChanged);
    return m_findBar;
}

bool BrowserView::isFindBarOpen() const
{
    return m_findBar && m_findBar->isOpen();
}

bool BrowserView::isShowingWarning() const
{
    return m_warning && m_layers->currentWidget() == m_warning;
}

bool BrowserView::isPageInSight() const
{
    return m_layers->currentWidget() == pageArea();
}

void BrowserView::updateBlocked()
{
    // A block never reached the network, so it speaks of the newer address.
    QWidget *shown = pageArea();
    if (m_viewModel.isBlocked())
        shown = warningView();
    else if (m_certificateErrors && m_certificateErrors->hasError())
        shown = certificateWarningView();
    else if (m_pageProcessEnded)
        shown = crashedView();
    else if (m_screeningPage && m_screeningPage->waitsForAddress())
        shown = blankCover();
    m_layers->setCurrentWidget(shown);
    // Its matches are in the page out of sight.
    if (shown != pageArea() && isFindBarOpen())
        m_findBar->closeBar();
    updateCautionBar();
}

void BrowserView::updateCertificateWarning()
{
    if (m_certificateErrors->hasError() || m_certificateWarning) {
        CertificateWarningView *warning = certificateWarningView();
        warning->setUrl(m_certificateErrors->url());
        warning->setProblem(m_certificateErrors->problem());
        warning->setCanProceed(m_certificateErrors->canProceed());
    }
    updateBlocked();
}

void BrowserView::updateWarningContent()
{
    if (!m_warning)
        return;
    m_warning->setBlockedUrl(m_viewModel.pendingBlockedURL());
    m_warning->setReasons(m_viewModel.blockedReasons());
    m_warning->setSuggestion(m_viewModel.blockedSuggestion());
    m_warning->setCanProceed(m_viewModel.canProceedAnyway());
}

QWidget *BrowserView::blankCover()
{
    if (m_blankCover)
        return m_blankCover;
    m_blankCover = new QWidget(this);
    m_blankCover->setObjectName(QStringLiteral("blankPageCover"));
    m_blankCover->setAutoFillBackground(true);
    m_blankCover->setBackgroundRole(QPalette::Base);
    m_layers->addWidget(m_blankCover);
    return m_blankCover;
}

PageCrashedView *BrowserView::crashedView()
{
    if (m_crashed)
        return m_crashed;
    m_crashed = new PageCrashedView(this);
    m_layers->addWidget(m_crashed);
    connect(m_crashed, &PageCrashedView::reloadRequested, this, [this] { m_viewModel.reload(); });
    return m_crashed;
}

void BrowserView::showLinkStatus(const QString &link)
{
    if (link.isEmpty() || m_layers->currentWidget() != pageArea()) {
        m_linkStatus->hide();
        return;
    }
    const QUrl url(link);
    // The verdict a click would meet, named before the click.
    const SafetyLevel verdict = m_viewModel.verdictFor(url);
    QString verdictText;
    QPalette colours = palette();
    if (verdict.isSuspicious() || verdict.isCaution()) {
        verdictText = QStringLiteral(" — ")
            + QString::fromUtf8(verdict.isSuspicious() ? ShopBadgeView::suspiciousText
                                                       : ShopBadgeView::cautionText);
        colours.setColor(QPalette::ToolTipText,
                         verdict.isSuspicious() ? ViewStyle::red() : ViewStyle::orange());
    }
    m_linkStatus->setPalette(colours);
    m_linkStatus->setText(
        m_linkStatus->fontMetrics().elidedText(AddressView::displayParts(url).text(),
                                               Qt::ElideMiddle, std::max(120, width() * 2 / 3))
        + verdictText);
    m_linkStatus->adjustSize();
    placeLinkStatus();
    m_linkStatus->show();
    m_linkStatus->raise();
}

void BrowserView::placeLinkStatus()
{
    m_linkStatus->move(0, height() - m_linkStatus->height());
}

void BrowserView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    placeLinkStatus();
}

void BrowserView::updateCautionBar()
{
    // The bar speaks of the page; the warning replaces the page entirely.
    const QStringList reasons = m_viewModel.cautionReasons();
    m_cautionBar->setReasons(reasons);
    m_cautionBar->setVisible(!reasons.isEmpty() && m_layers->currentWidget() == pageArea());
}

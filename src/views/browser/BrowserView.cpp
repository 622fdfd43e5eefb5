#include "views/browser/BrowserView.h"

#include "browser/BrowserViewModel.h"
#include "browser/WebViewHost.h"
#include "views/warning/CautionBarView.h"
#include "views/warning/SafeGuardWarningView.h"

#include <QStackedLayout>
#include <QVBoxLayout>
#include <QWebEngineView>

BrowserView::BrowserView(BrowserViewModel &viewModel, SecurityRuleStore &store,
                         ThemeManager &themeManager, QWebEngineProfile &profile, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_cautionBar(new CautionBarView(this))
    , m_layers(new QStackedLayout)
    , m_webView(new QWebEngineView(this))
    , m_warning(new SafeGuardWarningView(themeManager, this))
{
    setObjectName(QStringLiteral("browserView"));
    m_webView->setObjectName(QStringLiteral("browserWebView"));
    m_warning->setObjectName(QStringLiteral("safeGuardWarning"));

    // The page belongs to its view, so both go together.
    m_webView->setPage(WebViewHost::makeWebView(m_viewModel, store, m_webView, &profile));

    auto *column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(0);
    column->addWidget(m_cautionBar);
    column->addLayout(m_layers, 1);
    m_layers->setContentsMargins(0, 0, 0, 0);
    m_layers->setStackingMode(QStackedLayout::StackOne);
    m_layers->addWidget(m_webView);
    m_layers->addWidget(m_warning);

    connect(m_warning, &SafeGuardWarningView::goBackRequested, this,
            [this] { m_viewModel.goBack(); });
    connect(m_warning, &SafeGuardWarningView::proceedAnywayRequested, this,
            [this] { m_viewModel.proceedAnyway(); });
    connect(m_warning, &SafeGuardWarningView::suggestionRequested, this,
            [this] { m_viewModel.openSuggestion(); });
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

    updateWarningContent();
    updateBlocked();
}

bool BrowserView::isShowingWarning() const
{
    return m_layers->currentWidget() == m_warning;
}

void BrowserView::updateBlocked()
{
    m_layers->setCurrentWidget(m_viewModel.isBlocked() ? static_cast<QWidget *>(m_warning)
                                                       : m_webView);
    updateCautionBar();
}

void BrowserView::updateWarningContent()
{
    m_warning->setBlockedUrl(m_viewModel.pendingBlockedURL());
    m_warning->setReasons(m_viewModel.blockedReasons());
    m_warning->setSuggestion(m_viewModel.blockedSuggestion());
    m_warning->setCanProceed(m_viewModel.canProceedAnyway());
}

void BrowserView::updateCautionBar()
{
    // The bar speaks of the page; the warning replaces the page entirely.
    const QStringList reasons = m_viewModel.cautionReasons();
    m_cautionBar->setReasons(reasons);
    m_cautionBar->setVisible(!reasons.isEmpty() && !m_viewModel.isBlocked());
}

#include "views/browser/BrowserView.h"

#include "browser/BrowserViewModel.h"
#include "browser/WebViewHost.h"
#include "views/warning/SafeGuardWarningView.h"

#include <QStackedLayout>
#include <QWebEngineView>

BrowserView::BrowserView(BrowserViewModel &viewModel, SecurityRuleStore &store,
                         ThemeManager &themeManager, QWidget *parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_layers(new QStackedLayout(this))
    , m_webView(new QWebEngineView(this))
    , m_warning(new SafeGuardWarningView(themeManager, this))
{
    setObjectName(QStringLiteral("browserView"));
    m_webView->setObjectName(QStringLiteral("browserWebView"));
    m_warning->setObjectName(QStringLiteral("safeGuardWarning"));

    // The page belongs to its view, so both go together.
    m_webView->setPage(WebViewHost::makeWebView(m_viewModel, store, m_webView));

    m_layers->setContentsMargins(0, 0, 0, 0);
    m_layers->setStackingMode(QStackedLayout::StackOne);
    m_layers->addWidget(m_webView);
    m_layers->addWidget(m_warning);

    connect(m_warning, &SafeGuardWarningView::goBackRequested, this,
            [this] { m_viewModel.goBack(); });
    connect(m_warning, &SafeGuardWarningView::proceedAnywayRequested, this,
            [this] { m_viewModel.proceedAnyway(); });
    connect(&m_viewModel, &BrowserViewModel::isBlockedChanged, this, &BrowserView::updateBlocked);
    connect(&m_viewModel, &BrowserViewModel::pendingBlockedURLChanged, this,
            &BrowserView::updateWarningContent);
    connect(&m_viewModel, &BrowserViewModel::blockedReasonsChanged, this,
            &BrowserView::updateWarningContent);

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
}

void BrowserView::updateWarningContent()
{
    m_warning->setBlockedUrl(m_viewModel.pendingBlockedURL());
    m_warning->setReasons(m_viewModel.blockedReasons());
}

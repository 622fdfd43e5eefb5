#include "ScreeningWebPage.h"

#include "browser/BrowserViewModel.h"
#include "browser/PopupCatcherPage.h"

#include <QWebEngineProfile>
#include <QWebEngineSettings>

namespace {

QWebEngineProfile *profileOrDefault(QWebEngineProfile *profile)
{
    return profile ? profile : QWebEngineProfile::defaultProfile();
}

} // namespace

ScreeningWebPage::ScreeningWebPage(BrowserViewModel &viewModel, QWebEngineProfile *profile,
                                   QObject *parent)
    : QWebEnginePage(profileOrDefault(profile), parent)
    , m_viewModel(&viewModel)
{
    settings()->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, true);
    // Certificate errors, downloads and permission requests are left to the
    // engine, which refuses them when nobody accepts them.
}

bool ScreeningWebPage::acceptNavigationRequest(const QUrl &url, NavigationType type,
                                               bool isMainFrame)
{
    Q_UNUSED(type);
    // A page the view model no longer shows (the pane was rebuilt) or whose
    // view model is gone has nobody to warn, so it may not go anywhere.
    if (!m_viewModel || m_viewModel->webView() != this)
        return false;
    return m_viewModel->decidePolicy(url, isMainFrame);
}

QWebEnginePage *ScreeningWebPage::createWindow(WebWindowType type)
{
    Q_UNUSED(type);
    auto *catcher = new PopupCatcherPage(profile(), this);
    // Queued: the catcher's navigation callback answers first, and the pane
    // opens the address on the next turn of the event loop.
    connect(catcher, &PopupCatcherPage::navigationCaught, this, &ScreeningWebPage::openCaughtWindow,
            Qt::QueuedConnection);
    return catcher;
}

void ScreeningWebPage::openCaughtWindow(const QUrl &url)
{
    if (m_viewModel && m_viewModel->webView() == this)
        m_viewModel->loadURL(url);
}

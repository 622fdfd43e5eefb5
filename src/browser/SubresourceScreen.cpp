#include "SubresourceScreen.h"

#include "browser/BrowserViewModel.h"

SubresourceScreen::SubresourceScreen(BrowserViewModel &viewModel, QObject *parent)
    : QWebEngineUrlRequestInterceptor(parent)
    , m_viewModel(&viewModel)
{ }

void SubresourceScreen::interceptRequest(QWebEngineUrlRequestInfo &info)
{
    using Info = QWebEngineUrlRequestInfo;
    const Info::ResourceType type = info.resourceType();
    // Frames are the navigation policy's, which judged them already.
    if (type == Info::ResourceTypeSubFrame || type == Info::ResourceTypeNavigationPreloadSubFrame)
        return;
    // A page whose tab is gone has nobody to judge for it.
    if (!m_viewModel) {
        info.block(true);
        return;
    }
    const QUrl url = info.requestUrl();
    // So is the page itself; but a download ("画像を保存") comes as a
    // main-frame request too, which no policy saw. The policy lets a page of
    // a suspicious site through only where the user went past its warning.
    const bool mainFrame = type == Info::ResourceTypeMainFrame
        || type == Info::ResourceTypeNavigationPreloadMainFrame;
    if (mainFrame && m_viewModel->isLetThrough(url))
        return;
    // The engine gives the address the tab shows as the first party.
    const QString site = BrowserViewModel::siteOf(info.firstPartyUrl());
    if (!site.isEmpty() && BrowserViewModel::siteOf(url) == site)
        return;
    if (m_viewModel->verdictFor(url).isSuspicious())
        info.block(true);
}

#include "WebViewHost.h"

#include "browser/BrowserViewModel.h"
#include "browser/ScreeningWebPage.h"

QWebEnginePage *WebViewHost::makeWebView(BrowserViewModel &viewModel, QObject *owner,
                                         QWebEngineProfile *profile)
{
    auto *page = new ScreeningWebPage(viewModel, profile, owner);
    viewModel.attachWebView(page);
    return page;
}

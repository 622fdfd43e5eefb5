#include "WebViewHost.h"

#include "browser/BrowserViewModel.h"
#include "browser/ScreeningWebPage.h"

QWebEnginePage *WebViewHost::makeWebView(BrowserViewModel &viewModel, SecurityRuleStore &store,
                                         QObject *owner, QWebEngineProfile *profile)
{
    auto *page = new ScreeningWebPage(viewModel, profile, owner);
    viewModel.attachWebView(page, store);
    return page;
}

#pragma once

#include <QPointer>
#include <QWebEngineUrlRequestInterceptor>

class BrowserViewModel;

// Keeps what a page fetches by itself (images, scripts, styles, prefetches,
// fetches, beacons, sockets, its workers' requests, images it saves) away from
// hosts its tab's policy judges suspicious: a skimmer planted on a shop the
// user trusts must not hand card numbers to a host the warning would have
// stopped. Navigations are the policy's, which warns and lets the user go past
// once; the site of the page shown was judged already or chosen past a
// warning, so its own requests load. Cautions never stop a request.
// The engine (Qt 6) calls a page's interceptor on the UI thread, so the view
// model's current rules are read in place.
class SubresourceScreen final : public QWebEngineUrlRequestInterceptor
{
    Q_OBJECT

public:
    SubresourceScreen(BrowserViewModel &viewModel, QObject *parent);

    void interceptRequest(QWebEngineUrlRequestInfo &info) override;

private:
    QPointer<BrowserViewModel> m_viewModel;
};

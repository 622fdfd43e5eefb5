#include "BrowserViewModel.h"

#include "rules/SecurityRuleStore.h"
#include "safety/WebAddress.h"

#include <QWebEngineHistory>
#include <QWebEngineScript>

using namespace Qt::StringLiterals;

namespace {

// The engine's navigation requests carry the address in its canonical form
// ("http://host/" for "http://host"), so compare what a user would call the
// same address.
bool isSameAddress(const QUrl &a, const QUrl &b)
{
    // Percent-encoded, punycode host: the form the engine itself uses.
    constexpr auto options = QUrl::StripTrailingSlash | QUrl::NormalizePathSegments;
    return a.adjusted(options).toString(QUrl::FullyEncoded)
        == b.adjusted(options).toString(QUrl::FullyEncoded);
}

// Chromium reports the address itself as the title of a page that has none,
// formatted for display: without "http://", without a bare host's trailing
// slash, with the host and path decoded.
bool isAddressStandingInForTitle(const QString &title, const QUrl &url)
{
    if (url.isEmpty())
        return false;
    const QString shown = title.trimmed();
    const auto withoutTrailingSlash = [](QString text) {
        if (text.endsWith(u'/'))
            text.chop(1);
        return text;
    };
    const QStringList forms = {
        url.toString(),
        url.toDisplayString(),
        url.toString(QUrl::FullyEncoded),
        url.toDisplayString(QUrl::RemoveScheme).mid(2),
        url.toString(QUrl::RemoveScheme | QUrl::FullyEncoded).mid(2),
    };
    for (const QString &form : forms) {
        if (shown == form || shown == withoutTrailingSlash(form))
            return true;
    }
    return false;
}

} // namespace

BrowserViewModel::BrowserViewModel(QObject *parent)
    : QObject(parent)
{
    connect(&m_idleWatchdog, &IdleLoadWatchdog::timedOut, this, [this] {
        if (m_webView)
            m_webView->triggerAction(QWebEnginePage::Stop);
    });
}

BrowserViewModel::~BrowserViewModel() = default;

void BrowserViewModel::attachWebView(QWebEnginePage *webView, SecurityRuleStore &store)
{
    // The page of a rebuilt pane replaces the old one; whatever the old page
    // still reports must not reach this window's state any more.
    if (m_webView)
        disconnect(m_webView.data(), nullptr, this, nullptr);
    m_idleWatchdog.stop();
    m_proceedPass.clear();

    m_webView = webView;
    m_securityStore = &store;
    if (!webView)
        return;

    connect(webView, &QWebEnginePage::loadProgress, this, &BrowserViewModel::onLoadProgress);
    connect(webView, &QWebEnginePage::urlChanged, this, &BrowserViewModel::refreshURL);
    connect(webView, &QWebEnginePage::titleChanged, this, &BrowserViewModel::refreshTitle);
    connect(webView, &QWebEnginePage::loadStarted, this, &BrowserViewModel::onLoadStarted);
    connect(webView, &QWebEnginePage::loadFinished, this, &BrowserViewModel::onLoadFinished);
}

void BrowserViewModel::loadURL(const QUrl &url)
{
    if (!m_securityStore)
        return;
    const SafetyLevel verdict = m_safety.evaluateSafety(url, *m_securityStore);
    if (verdict.isSuspicious()) {
        recordBlock(url, verdict);
        return;
    }
    setIsBlocked(false);
    setSafetyLevel(verdict);
    m_proceedPass.clear();
    startLoad(url, m_requestTimeouts.load);
}

void BrowserViewModel::goBack()
{
    // The blocked navigation never started: the page from before it is still
    // there, so leaving the warning is all that going back means.
    if (m_isBlocked) {
        setIsBlocked(false);
        return;
    }
    if (m_webView)
        m_webView->triggerAction(QWebEnginePage::Back);
}

void BrowserViewModel::goForward()
{
    if (m_webView)
        m_webView->triggerAction(QWebEnginePage::Forward);
}

void BrowserViewModel::reload()
{
    if (m_isBlocked) {
        setIsBlocked(false);
        if (!m_pendingBlockedURL.isEmpty())
            loadURL(m_pendingBlockedURL);
        return;
    }
    if (m_webView)
        m_webView->triggerAction(QWebEnginePage::Reload);
}

void BrowserViewModel::proceedAnyway()
{
    if (m_pendingBlockedURL.isEmpty())
        return;
    setIsBlocked(false);
    if (!m_webView)
        return;
    m_proceedPass = m_pendingBlockedURL;
    startLoad(m_pendingBlockedURL, m_requestTimeouts.proceed);
}

bool BrowserViewModel::decidePolicy(const QUrl &url, bool isMainFrame)
{
    if (url.isEmpty())
        return true;
    if (!m_securityStore)
        return true;
    // The pass is for the one main-frame navigation proceedAnyway started;
    // any other main-frame navigation supersedes it, and a redirect out of
    // the proceeded page comes after it, so both are judged as usual.
    if (isMainFrame && !m_proceedPass.isEmpty()) {
        const bool isProceeding = isSameAddress(url, m_proceedPass);
        m_proceedPass.clear();
        if (isProceeding)
            return true;
    }
    const SafetyLevel verdict = m_safety.evaluateSafety(url, *m_securityStore);
    if (!verdict.isSuspicious())
        return true;
    // The engine wants its answer now; the warning follows on the next turn.
    QMetaObject::invokeMethod(
        this, [this, url, verdict] { recordBlock(url, verdict); }, Qt::QueuedConnection);
    return false;
}

void BrowserViewModel::startLoad(const QUrl &url, std::chrono::milliseconds idleLimit)
{
    if (!m_webView)
        return;
    m_idleWatchdog.start(idleLimit);
    m_webView->load(url);
}

void BrowserViewModel::recordBlock(const QUrl &url, const SafetyLevel &verdict)
{
    m_proceedPass.clear();
    // All four values are in place before anyone hears of the block, so a
    // view reacting to isBlocked already reads the matching reasons.
    const bool blockedChanged = !m_isBlocked;
    const bool reasonsChanged = m_blockedReasons != verdict.reasons();
    const bool urlChanged = m_pendingBlockedURL != url;
    const bool levelChanged = m_safetyLevel != verdict;
    m_isBlocked = true;
    m_blockedReasons = verdict.reasons();
    m_pendingBlockedURL = url;
    m_safetyLevel = verdict;
    if (blockedChanged)
        Q_EMIT isBlockedChanged();
    if (reasonsChanged)
        Q_EMIT blockedReasonsChanged();
    if (urlChanged)
        Q_EMIT pendingBlockedURLChanged();
    if (levelChanged)
        Q_EMIT safetyLevelChanged();
}

void BrowserViewModel::refreshURL()
{
    if (!m_webView)
        return;
    const QUrl url = m_webView->url();
    if (url.isEmpty())
        return;
    setCurrentURL(url);
    setUrlInputString(WebAddress::text(url));
    if (m_securityStore)
        setSafetyLevel(m_safety.evaluateSafety(url, *m_securityStore));
    // An untitled page's stand-in title is its address, which just changed.
    refreshTitle();
    refreshHistoryFlags();
}

void BrowserViewModel::refreshTitle()
{
    if (!m_webView)
        return;
    const QString title = m_webView->title();
    const QUrl url = m_webView->url();
    if (!isAddressStandingInForTitle(title, url)) {
        setPageTitle(title);
        return;
    }
    // Most likely a page without a title, but a page may be titled with its
    // own address; the document knows, and answers shortly.
    setPageTitle(QString());
    const QPointer<BrowserViewModel> self(this);
    const QPointer<QWebEnginePage> page(m_webView);
    m_webView->runJavaScript(u"document.title"_s, QWebEngineScript::ApplicationWorld,
                             [self, page, url, title](const QVariant &result) {
                                 if (!self || !page || self->m_webView != page || page->url() != url
                                     || page->title() != title)
                                     return;
                                 self->setPageTitle(result.toString());
                             });
}

void BrowserViewModel::refreshHistoryFlags()
{
    if (!m_webView)
        return;
    QWebEngineHistory *history = m_webView->history();
    setCanGoBack(history->canGoBack());
    setCanGoForward(history->canGoForward());
}

void BrowserViewModel::onLoadStarted()
{
    m_idleWatchdog.touch();
    setIsLoading(true);
    refreshHistoryFlags();
}

void BrowserViewModel::onLoadProgress(int progress)
{
    m_idleWatchdog.touch();
    setEstimatedProgress(progress / 100.0);
}

void BrowserViewModel::onLoadFinished(bool ok)
{
    m_idleWatchdog.stop();
    setIsLoading(false);
    refreshHistoryFlags();
    // The engine reports no change when a real title replaces an identical
    // stand-in, so look again now that the document is complete.
    refreshTitle();
    // Only a navigation that really finished gives the shown page a new
    // verdict; a cancelled or failed one left the earlier page in place.
    if (!ok || !m_webView || !m_securityStore)
        return;
    const QUrl url = m_webView->url();
    if (!url.isEmpty())
        setSafetyLevel(m_safety.evaluateSafety(url, *m_securityStore));
}

void BrowserViewModel::setCurrentURL(const QUrl &url)
{
    if (m_currentURL == url)
        return;
    m_currentURL = url;
    Q_EMIT currentURLChanged();
}

void BrowserViewModel::setUrlInputString(const QString &text)
{
    if (m_urlInputString == text)
        return;
    m_urlInputString = text;
    Q_EMIT urlInputStringChanged();
}

void BrowserViewModel::setPageTitle(const QString &title)
{
    if (m_pageTitle == title)
        return;
    m_pageTitle = title;
    Q_EMIT pageTitleChanged();
}

void BrowserViewModel::setIsLoading(bool loading)
{
    if (m_isLoading == loading)
        return;
    m_isLoading = loading;
    Q_EMIT isLoadingChanged();
}

void BrowserViewModel::setEstimatedProgress(double progress)
{
    if (m_estimatedProgress == progress)
        return;
    m_estimatedProgress = progress;
    Q_EMIT estimatedProgressChanged();
}

void BrowserViewModel::setCanGoBack(bool canGoBack)
{
    if (m_canGoBack == canGoBack)
        return;
    m_canGoBack = canGoBack;
    Q_EMIT canGoBackChanged();
}

void BrowserViewModel::setCanGoForward(bool canGoForward)
{
    if (m_canGoForward == canGoForward)
        return;
    m_canGoForward = canGoForward;
    Q_EMIT canGoForwardChanged();
}

void BrowserViewModel::setSafetyLevel(const SafetyLevel &level)
{
    if (m_safetyLevel == level)
        return;
    m_safetyLevel = level;
    Q_EMIT safetyLevelChanged();
}

void BrowserViewModel::setIsBlocked(bool blocked)
{
    if (m_isBlocked == blocked)
        return;
    m_isBlocked = blocked;
    Q_EMIT isBlockedChanged();
}

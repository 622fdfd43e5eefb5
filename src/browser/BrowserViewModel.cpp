#include "BrowserViewModel.h"

#include "address/DirectionControls.h"
#include "address/PublicSuffixList.h"
#include "browser/EngineAddress.h"
#include "rules/SecurityRuleStore.h"
#include "safety/WebAddress.h"

#include <QDataStream>
#include <QIODevice>
#include <QWebEngineHistory>
#include <QWebEngineScript>

#include <utility>

using namespace Qt::StringLiterals;

namespace {

// Enough for a page load and its redirects, and the page shown before it.
constexpr qsizetype keptVerdictLimit = 8;

// The engine's navigation requests carry the address in its canonical form
// ("http://host/" for "http://host"), so compare what a user would call the
// same address: percent-encoded, punycode host, as the engine writes it.
QString addressKey(const QUrl &url)
{
    constexpr auto options = QUrl::StripTrailingSlash | QUrl::NormalizePathSegments;
    return url.adjusted(options).toString(QUrl::FullyEncoded);
}

bool isSameAddress(const QUrl &a, const QUrl &b)
{
    return addressKey(a) == addressKey(b);
}

bool namesNoSite(const SafetyLevel &verdict)
{
    return verdict.isNeutral()
        && verdict.domain() == QString::fromUtf8(BrowserViewModel::unknownDomain);
}

// A verdict that names no site ("不明") shows nothing in the main frame but
// blank pages: the badge could not say whose content it is. Sub-frames live
// under the verdict of their page; only addresses QUrl refused, whose site
// the engine could not tell, are kept out there too.
bool mayShowWithoutSite(const QUrl &url, bool isMainFrame)
{
    if (isMainFrame)
        return url.scheme() == "about"_L1 && url.path() == "blank"_L1;
    return url.isValid();
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

QString BrowserViewModel::siteOf(const QUrl &url)
{
    if (!url.isValid())
        return QString();
    if (url.scheme() == "blob"_L1 || url.scheme() == "filesystem"_L1)
        return siteOf(QUrl(url.path()));
    QString host = url.host(QUrl::FullyEncoded).toLower();
    if (host.endsWith(u'.'))
        host.chop(1);
    if (host.isEmpty())
        return QString();
    const QString registrable = PublicSuffixList::system().registrableDomain(host);
    return registrable.isEmpty() ? host : registrable;
}

bool BrowserViewModel::isLetThrough(const QUrl &url) const
{
    return m_proceedPass && !m_proceedPass->site.isEmpty() && siteOf(url) == m_proceedPass->site;
}

BrowserViewModel::BrowserViewModel(const SecurityRuleStore &rules, QObject *parent)
    : QObject(parent)
    , m_rules(rules.ruleSet())
{
    // Only what the user changes from now on judges differently; the shown
    // page keeps its verdict until it is judged again, and a page the policy
    // let through under the old rules is judged anew when it arrives.
    connect(&rules, &SecurityRuleStore::ruleSetChanged, this, [this, &rules] {
        m_rules = rules.ruleSet();
        m_keptVerdicts.clear();
    });
    connect(&m_idleWatchdog, &IdleLoadWatchdog::timedOut, this, [this] {
        if (m_webView)
            m_webView->triggerAction(QWebEnginePage::Stop);
    });
}

BrowserViewModel::~BrowserViewModel() = default;

void BrowserViewModel::attachWebView(QWebEnginePage *webView)
{
    // The page of a rebuilt pane replaces the old one; whatever the old page
    // still reports must not reach this window's state any more.
    if (m_webView)
        disconnect(m_webView.data(), nullptr, this, nullptr);
    m_idleWatchdog.stop();
    // A pass given before there was any page is for the load waiting for
    // this one; any other belongs to the page that goes.
    if (!m_deferredLoad || !m_proceedPass || m_proceedPass->address != m_deferredLoad->url)
        m_proceedPass.reset();

    m_webView = webView;
    if (!webView)
        return;

    connect(webView, &QWebEnginePage::loadProgress, this, &BrowserViewModel::onLoadProgress);
    connect(webView, &QWebEnginePage::urlChanged, this, &BrowserViewModel::refreshURL);
    connect(webView, &QWebEnginePage::titleChanged, this, &BrowserViewModel::refreshTitle);
    connect(webView, &QWebEnginePage::loadStarted, this, &BrowserViewModel::onLoadStarted);
    connect(webView, &QWebEnginePage::loadFinished, this, &BrowserViewModel::onLoadFinished);
    connect(webView, &QWebEnginePage::iconChanged, this, &BrowserViewModel::pageIconChanged);
    if (const std::optional<DeferredLoad> load = std::exchange(m_deferredLoad, std::nullopt))
        startLoad(load->url, load->idleLimit);
}

void BrowserViewModel::loadURL(const QUrl &url)
{
    // A script address is no page: the engine would run it inside the page
    // shown, in that site's name. Nothing typed or stored runs that way.
    // Nor is a relative one, which the engine turns into a blank page.
    if (url.scheme() == "javascript"_L1 || (url.isValid() && url.isRelative()))
        return;
    // A load the user asks for leaves a proceeded page load behind.
    m_proceedPass.reset();
    if (m_webView && EngineAddress::canLoad(url)) {
        startLoad(url, m_requestTimeouts.load);
        return;
    }
    // Nobody else would ask the policy: the page has not come yet (the load
    // waits for it, and the warning does not), or the engine could not be
    // handed this address, which must not slip past unjudged.
    const Decision decision = decide(url, QWebEnginePage::NavigationTypeTyped, true);
    if (decision.block) {
        publishVerdict(*decision.verdict, url);
        return;
    }
    if (!decision.allowed || !decision.verdict || !EngineAddress::canLoad(url))
        return;
    // Its verdict comes with its page: a load that ends in nothing (a
    // download, no content) must not leave it over an empty tab.
    keepVerdict(url, *decision.verdict);
    if (m_isBlocked)
        showShownPageAgain();
    startLoad(url, m_requestTimeouts.load);
}

QByteArray BrowserViewModel::savedHistory() const
{
    QByteArray saved;
    if (!m_webView)
        return saved;
    QDataStream out(&saved, QIODevice::WriteOnly);
    out << *m_webView->history();
    return saved;
}

bool BrowserViewModel::restoreHistory(const QByteArray &saved)
{
    if (!m_webView || saved.isEmpty())
        return false;
    QDataStream in(saved);
    in >> *m_webView->history();
    return in.status() == QDataStream::Ok && m_webView->history()->count() > 0;
}

void BrowserViewModel::goBack()
{
    // The blocked navigation never started: the page from before it is still
    // there, so leaving the warning is all that going back means, and the
    // badge speaks of that page again.
    if (m_isBlocked) {
        const QUrl before = m_webView ? m_webView->history()->currentItem().url() : QUrl();
        showShownPageAgain();
        if (before.isEmpty() || before.scheme() == "about"_L1)
            Q_EMIT backLeadsNowhere();
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

void BrowserViewModel::reload(bool bypassCache)
{
    // The blocked address is asked for again; its warning stays until the
    // policy has answered.
    if (m_isBlocked) {
        loadURL(m_pendingBlockedURL);
        return;
    }
    if (m_webView)
        m_webView->triggerAction(bypassCache ? QWebEnginePage::ReloadAndBypassCache
                                             : QWebEnginePage::Reload);
}

void BrowserViewModel::stop()
{
    m_idleWatchdog.stop();
    if (m_webView)
        m_webView->triggerAction(QWebEnginePage::Stop);
}

void BrowserViewModel::proceedAnyway()
{
    if (m_pendingBlockedURL.isEmpty() || !m_canProceedAnyway)
        return;
    // Going past the warning is not trusting the page: the badge keeps the
    // block's verdict, and so does the page when it arrives.
    publishVerdict(m_safetyLevel);
    // Without a page yet, the load and its pass wait for it.
    m_proceedPass = ProceedPass {m_pendingBlockedURL, siteOf(m_pendingBlockedURL)};
    keepVerdict(m_pendingBlockedURL, m_safetyLevel);
    startLoad(m_pendingBlockedURL, m_requestTimeouts.proceed);
}

void BrowserViewModel::openSuggestion()
{
    if (m_blockedSuggestion.isEmpty())
        return;
    if (const auto url = WebAddress::parse(u"https://"_s + m_blockedSuggestion.domain + u'/'))
        loadURL(*url);
}

void BrowserViewModel::dismissCaution()
{
    m_cautionNotice.dismiss(m_currentURL);
    updateDerived();
}

bool BrowserViewModel::isConnectionUntrusted() const
{
    if (m_isBlocked)
        return false;
    if (!m_certificateWarningURL.isEmpty())
        return true;
    return !m_untrustedHost.isEmpty() && m_currentURL.scheme() == "https"_L1
        && m_currentURL.host() == m_untrustedHost;
}

void BrowserViewModel::setCertificateWarningURL(const QUrl &url)
{
    if (m_certificateWarningURL == url)
        return;
    const bool wasLoading = isLoading();
    m_certificateWarningURL = url;
    Q_EMIT certificateProblemChanged();
    if (isLoading() != wasLoading)
        Q_EMIT isLoadingChanged();
}

void BrowserViewModel::noteCertificateAccepted(const QUrl &url)
{
    m_untrustedHost = url.host();
    Q_EMIT certificateProblemChanged();
}

QString BrowserViewModel::shownTitle() const
{
    if (!m_isBlocked && m_certificateWarningURL.isEmpty())
        return m_pageTitle;
    const QUrl &stopped = m_isBlocked ? m_pendingBlockedURL : m_certificateWarningURL;
    const QString host = stopped.host(QUrl::FullyEncoded);
    if (!host.isEmpty())
        return host;
    const QString address = EngineAddress::text(stopped);
    return address.isEmpty() ? QString::fromUtf8(unknownDomain) : address;
}

bool BrowserViewModel::mayOpenFromPage(const QUrl &url)
{
    const QString scheme = url.scheme();
    return scheme == "http"_L1 || scheme == "https"_L1 || scheme == "blob"_L1;
}

bool BrowserViewModel::decidePolicy(const QUrl &url, QWebEnginePage::NavigationType type,
                                    bool isMainFrame)
{
    const Decision decision = decide(url, type, isMainFrame);
    // The page that commits shows the verdict reached here.
    if (isMainFrame && decision.allowed && decision.verdict)
        keepVerdict(url, *decision.verdict);
    // The engine wants its answer now; what the user sees follows on the
    // next turn.
    if (decision.block) {
        QMetaObject::invokeMethod(
            this, [this, url, verdict = *decision.verdict] { publishVerdict(verdict, url); },
            Qt::QueuedConnection);
    } else if (decision.allowed && isMainFrame && decision.verdict
               && type == QWebEnginePage::NavigationTypeTyped) {
        // Only load() navigates as typed: the page this model asked for is on
        // its way, and takes the place of any warning. Until it arrives the
        // badge speaks of the page still shown: a slow certified shop's
        // verdict must not stand over a page let through past a warning.
        QMetaObject::invokeMethod(
            this,
            [this] {
                if (m_isBlocked)
                    showShownPageAgain();
            },
            Qt::QueuedConnection);
    }
    return decision.allowed;
}

BrowserViewModel::Decision
BrowserViewModel::decide(const QUrl &url, QWebEnginePage::NavigationType type, bool isMainFrame)
{
    if (passCovers(url, type, isMainFrame))
        return {true, std::nullopt};
    // Any other main-frame navigation leaves the proceeded page load behind.
    if (isMainFrame)
        m_proceedPass.reset();
    const SafetyLevel verdict = judge(url);
    if (verdict.isSuspicious())
        return {false, verdict, true};
    if (namesNoSite(verdict))
        return {mayShowWithoutSite(url, isMainFrame), verdict};
    return {true, verdict};
}

SafetyLevel BrowserViewModel::judge(const QUrl &url) const
{
    // The user's own files: no site to judge, and no page may link to them
    // (the engine refuses that), so only the browser itself opens one.
    if (url.scheme() == "file"_L1)
        return SafetyLevel::neutral(QString::fromUtf8(localFileDomain));
    return m_safety.evaluateSafety(url, *m_rules);
}

bool BrowserViewModel::passCovers(const QUrl &url, QWebEnginePage::NavigationType type,
                                  bool isMainFrame)
{
    if (!m_proceedPass)
        return false;
    ProceedPass &pass = *m_proceedPass;
    const bool sameSite = !pass.site.isEmpty() && siteOf(url) == pass.site;
    if (!isMainFrame)
        return pass.arrived && sameSite;
    if (!pass.arrived && isSameAddress(url, pass.address)) {
        pass.arrived = true;
        return true;
    }
    // The chosen page may still be redirected within its own site; anything
    // else in the main frame is a new page load.
    return pass.arrived && type == QWebEnginePage::NavigationTypeRedirect && sameSite;
}

void BrowserViewModel::keepVerdict(const QUrl &url, const SafetyLevel &verdict)
{
    const QString key = addressKey(url);
    m_keptVerdicts.removeIf([&key](const auto &kept) { return kept.first == key; });
    m_keptVerdicts.append({key, verdict});
    if (m_keptVerdicts.size() > keptVerdictLimit)
        m_keptVerdicts.removeFirst();
}

SafetyLevel BrowserViewModel::verdictOfShown(const QUrl &url) const
{
    const QString key = addressKey(url);
    for (const auto &[address, verdict] : m_keptVerdicts) {
        if (address == key)
            return verdict;
    }
    // The policy was not asked about this page: a change within the
    // document, a page the history brought back without a navigation, or one
    // let through before the rules changed.
    return judge(url);
}

void BrowserViewModel::startLoad(const QUrl &url, std::chrono::milliseconds idleLimit)
{
    if (!m_webView) {
        m_deferredLoad = DeferredLoad {url, idleLimit};
        return;
    }
    m_idleWatchdog.start(idleLimit);
    m_webView->load(url);
}

void BrowserViewModel::publishVerdict(const SafetyLevel &level,
                                      const std::optional<QUrl> &blockedURL)
{
    const bool blocked = blockedURL.has_value();
    if (blocked) {
        m_proceedPass.reset();
        // A load still waiting for the engine would lift the warning later.
        m_deferredLoad.reset();
    }
    // All values are in place before anyone hears of them, so a view
    // reacting to isBlocked already reads the matching reasons and verdict.
    // Lifting a warning keeps the last block's details for the warning view.
    const bool blockedChanged = m_isBlocked != blocked;
    const bool levelChanged = m_safetyLevel != level;
    bool reasonsChanged = false;
    bool urlChanged = false;
    bool suggestionChanged = false;
    bool proceedChanged = false;
    if (blocked) {
        const QUrl &url = *blockedURL;
        reasonsChanged = m_blockedReasons != level.reasons();
        urlChanged = m_pendingBlockedURL != url
            || EngineAddress::text(m_pendingBlockedURL) != EngineAddress::text(url);
        suggestionChanged = m_blockedSuggestion != level.suggestion();
        proceedChanged = m_canProceedAnyway != EngineAddress::canLoad(url);
        m_blockedReasons = level.reasons();
        m_pendingBlockedURL = url;
        m_blockedSuggestion = level.suggestion();
        m_canProceedAnyway = EngineAddress::canLoad(url);
    }
    m_isBlocked = blocked;
    m_safetyLevel = level;
    if (blockedChanged)
        Q_EMIT isBlockedChanged();
    if (reasonsChanged)
        Q_EMIT blockedReasonsChanged();
    if (urlChanged)
        Q_EMIT pendingBlockedURLChanged();
    if (suggestionChanged)
        Q_EMIT blockedSuggestionChanged();
    if (proceedChanged)
        Q_EMIT canProceedAnywayChanged();
    if (levelChanged)
        Q_EMIT safetyLevelChanged();
    updateDerived();
}

QUrl BrowserViewModel::engineURL() const
{
    if (!m_webView || m_webView->history()->currentItem().url().isEmpty())
        return QUrl();
    return m_webView->url();
}

void BrowserViewModel::showShownPageAgain()
{
    // The page's committed entry: for a moment after a refused load the
    // engine still names the refused address as the page's.
    const QUrl shown = m_webView ? m_webView->history()->currentItem().url() : QUrl();
    publishVerdict(shown.isEmpty() ? SafetyLevel::neutral(QString::fromUtf8(newTabDomain))
                                   : verdictOfShown(shown));
}

void BrowserViewModel::updateDerived()
{
    const bool proceeded = !m_isBlocked && m_safetyLevel.isSuspicious();
    if (m_isProceeded != proceeded) {
        m_isProceeded = proceeded;
        Q_EMIT isProceededChanged();
    }
    const QStringList caution = m_cautionNotice.reasons(m_safetyLevel, m_currentURL);
    if (m_cautionReasons != caution) {
        m_cautionReasons = caution;
        Q_EMIT cautionReasonsChanged();
    }
}

void BrowserViewModel::refreshURL()
{
    const QUrl url = engineURL();
    if (url.isEmpty())
        return;
    // The verdict first, so that the address never shows with the verdict of
    // the page before. While the warning is up the badge speaks of the block;
    // the page hidden beneath it is spoken of again when the warning goes.
    if (!m_isBlocked)
        publishVerdict(verdictOfShown(url));
    setCurrentURL(url);
    setUrlInputString(EngineAddress::text(url));
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
    setEngineLoading(true);
    refreshHistoryFlags();
}

void BrowserViewModel::onLoadProgress(int progress)
{
    m_idleWatchdog.touch();
    setEstimatedProgress(progress / 100.0);
    // A new window's page arrives at the address the engine already named,
    // so no change of address tells of it.
    if (engineURL() != m_currentURL)
        refreshURL();
}

void BrowserViewModel::onLoadFinished()
{
    m_idleWatchdog.stop();
    setEngineLoading(false);
    if (engineURL() != m_currentURL)
        refreshURL();
    refreshHistoryFlags();
    // The engine reports no change when a real title replaces an identical
    // stand-in, so look again now that the document is complete.
    refreshTitle();
    // The badge speaks of the page shown now. A reload or a page loading its
    // own address again changes no address, so this is where its verdict
    // arrives.
    if (m_isBlocked)
        return;
    if (const QUrl url = engineURL(); !url.isEmpty())
        publishVerdict(verdictOfShown(url));
}

void BrowserViewModel::setCurrentURL(const QUrl &url)
{
    // Addresses QUrl refused all compare equal; their texts tell them apart.
    if (m_currentURL == url && EngineAddress::text(m_currentURL) == EngineAddress::text(url))
        return;
    m_currentURL = url;
    m_cautionNotice.pageShown(url);
    Q_EMIT currentURLChanged();
    updateDerived();
}

void BrowserViewModel::setUrlInputString(const QString &text)
{
    if (m_urlInputString == text)
        return;
    m_urlInputString = text;
    Q_EMIT urlInputStringChanged();
}

void BrowserViewModel::setPageTitle(const QString &text)
{
    const QString title = DirectionControls::removed(text);
    if (m_pageTitle == title)
        return;
    m_pageTitle = title;
    Q_EMIT pageTitleChanged();
}

void BrowserViewModel::setEngineLoading(bool loading)
{
    if (m_engineLoading == loading)
        return;
    const bool wasLoading = isLoading();
    m_engineLoading = loading;
    if (isLoading() != wasLoading)
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

// The view model and its page on the real engine: every page is served by
// the in-process proxy under its real host name.

#include "browser/BrowserViewModel.h"
#include "browser/WebViewHost.h"
#include "prefs/SettingsPreferencesStore.h"
#include "rules/SecurityRuleStore.h"
#include "safety/SafeBrowsingEngine.h"
#include "support/TestProxyServer.h"

#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineDownloadRequest>
#include <QWebEngineHistory>
#include <QWebEnginePage>
#include <QWebEngineProfile>

#include <memory>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

constexpr int engineTimeout = 20000;

const QString topReason = u"悪質詐欺通販サイトで多発するTLD"_s;

// Neutral pages: the starting points of most tests.
const QString neutralHost = u"news.example.jp"_s;
const QString trustedHost = u"www.amazon.co.jp"_s;
const QString trustedShopName = u"Amazon.co.jp"_s;
const QString googleHost = u"www.google.co.jp"_s;
// Under "*.top" with a single hyphen: the TLD reason only.
const QString topHost = u"scam-shop.top"_s;
// Three hyphens in the first label: the hyphen rule only.
const QString hyphenHost = u"cheap-brand-sale-outlet.com"_s;
// Both rules.
const QString bothHost = u"super-cheap-brand-sale.top"_s;

QUrl address(const QString &host, const QString &pathAndQuery = u"/"_s)
{
    return QUrl(u"http://"_s + host + pathAndQuery);
}

QByteArray linksPage()
{
    return "<!DOCTYPE html><html><head><meta "
           "charset=\"utf-8\"><title>リンク集</title></head><body>\n"
           "<a id=\"scam\" href=\"http://scam-shop.top/item\">scam</a>\n"
           "<a id=\"scam-blank\" target=\"_blank\" href=\"http://scam-shop.top/blank\">scam "
           "blank</a>\n"
           "<a id=\"shop-blank\" target=\"_blank\" href=\"http://www.amazon.co.jp/dp/blank\">shop "
           "blank</a>\n"
           "<button id=\"scam-open\" "
           "onclick=\"window.open('http://scam-shop.top/popup')\">open</button>\n"
           "<button id=\"shop-open\" "
           "onclick=\"window.open('http://www.amazon.co.jp/dp/popup')\">open</button>\n"
           "<form id=\"scam-form\" method=\"post\" action=\"http://scam-shop.top/order\">\n"
           "  <input name=\"item\" value=\"bag\"></form>\n"
           "</body></html>\n";
}

} // namespace

// Readable failures for verdict comparisons.
char *toString(const SafetyLevel &level)
{
    const QString kind = level.isTrusted() ? u"trusted"_s
        : level.isSuspicious()             ? u"suspicious"_s
                                           : u"neutral"_s;
    const QString payload = level.isSuspicious() ? level.reasons().join(u" | ")
        : level.isTrusted()                      ? level.shopName()
                                                 : level.domain();
    return qstrdup((kind + u'(' + payload + u')').toUtf8().constData());
}

class TestNavigationPolicy final : public QObject
{
    Q_OBJECT

public:
    // Called before the application object exists.
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void typedLoadGivesVerdict_data();
    void typedLoadGivesVerdict();
    void pageStateFlowsIntoViewModel();
    void untitledPageGivesEmptyTitle();
    void navigationFromPageIsScreened_data();
    void navigationFromPageIsScreened();
    void suspiciousSubFrameBlocksTrustedPage();
    void serverRedirectToSuspiciousHostIsBlocked();
    void historyNavigationIntoSuspiciousPageIsBlocked();
    void proceedAnywayPassesExactlyOnce();
    void redirectOutOfProceededPageIsScreened();
    void goBackAndReloadWhileBlocked();
    void sameDocumentChangeRefreshesVerdict();
    void stalledLoadsAreStopped();
    void rebuiltPaneReplacesPage();
    void downloadsStayRefused();

private:
    QWebEnginePage *page() const { return m_page.data(); }
    bool waitForLoad(const QUrl &url);
    bool loadAndWait(const QUrl &url);
    void click(const QString &elementId);
    bool isShowing(const QUrl &url) const;
    QUuid patternId(const QString &pattern) const;
    QUuid shopId(const QString &domain) const;

    TestProxyServer m_proxy;
    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsPreferencesStore> m_preferences;
    std::unique_ptr<SecurityRuleStore> m_store;
    std::unique_ptr<QWebEngineProfile> m_profile;
    std::unique_ptr<BrowserViewModel> m_viewModel;
    std::unique_ptr<QObject> m_pane;
    QPointer<QWebEnginePage> m_page;
};

void TestNavigationPolicy::initTestCase()
{
    QVERIFY(m_proxy.port() != 0);
    // Nothing has touched the engine yet, so the flag still counts.
    m_proxy.installAsEngineProxy();

    m_proxy.setPage(neutralHost, u"/links"_s, linksPage());
    m_proxy.setPage(googleHost, u"/search"_s, linksPage());
    m_proxy.setPage(neutralHost, u"/untitled"_s, "<html><body><p>no title here</p></body></html>");
    m_proxy.setPage(
        trustedHost, u"/frame"_s,
        "<html><head><title>frame</title></head><body>"
        "<iframe src=\"http://cheap-brand-sale-outlet.com/ad\"></iframe></body></html>");
    m_proxy.setRedirect(neutralHost, u"/go"_s, u"http://scam-shop.top/landing"_s);
    m_proxy.setRedirect(topHost, u"/hop"_s, u"http://cheap-brand-sale-outlet.com/next"_s);
    m_proxy.setStalled(neutralHost, u"/stalled"_s);
    m_proxy.setPage(neutralHost, u"/file.bin"_s, QByteArray(4096, 'x'), "application/octet-stream");
    m_proxy.setStalled(topHost, u"/stalled"_s);
}

void TestNavigationPolicy::init()
{
    m_proxy.clearHits();
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_preferences = std::make_unique<SettingsPreferencesStore>(m_dir->filePath(u"prefs.ini"_s));
    m_store = std::make_unique<SecurityRuleStore>(*m_preferences);
    // Off the record and fresh for every test: no history or cache carries over.
    m_profile = std::make_unique<QWebEngineProfile>();
    m_viewModel = std::make_unique<BrowserViewModel>();
    m_pane = std::make_unique<QObject>();
    m_page = WebViewHost::makeWebView(*m_viewModel, *m_store, m_pane.get(), m_profile.get());
    QVERIFY(m_page);
}

void TestNavigationPolicy::cleanup()
{
    // Pages go before their profile.
    m_pane.reset();
    m_viewModel.reset();
    m_profile.reset();
    m_store.reset();
    m_preferences.reset();
    m_dir.reset();
}

bool TestNavigationPolicy::waitForLoad(const QUrl &url)
{
    return QTest::qWaitFor([&] { return isShowing(url) && !m_viewModel->isLoading(); },
                           engineTimeout);
}

bool TestNavigationPolicy::loadAndWait(const QUrl &url)
{
    m_viewModel->loadURL(url);
    return waitForLoad(url);
}

void TestNavigationPolicy::click(const QString &elementId)
{
    page()->runJavaScript(u"document.getElementById('%1').click()"_s.arg(elementId));
}

bool TestNavigationPolicy::isShowing(const QUrl &url) const
{
    return page()->url().adjusted(QUrl::StripTrailingSlash)
        == url.adjusted(QUrl::StripTrailingSlash)
        && m_viewModel->currentURL().adjusted(QUrl::StripTrailingSlash)
        == url.adjusted(QUrl::StripTrailingSlash);
}

QUuid TestNavigationPolicy::patternId(const QString &pattern) const
{
    for (const ExcludedPattern &row : m_store->excludedPatterns()) {
        if (row.pattern == pattern)
            return row.id;
    }
    return {};
}

QUuid TestNavigationPolicy::shopId(const QString &domain) const
{
    for (const TrustedShop &row : m_store->trustedShops()) {
        if (row.domain == domain)
            return row.id;
    }
    return {};
}

void TestNavigationPolicy::typedLoadGivesVerdict_data()
{
    QTest::addColumn<QUrl>("url");
    QTest::addColumn<SafetyLevel>("verdict");
    QTest::addColumn<QString>("title");

    const QString hyphenReason = SafeBrowsingEngine::hyphenRuleReason();
    QTest::newRow("certified shop") << address(trustedHost, u"/dp/B000"_s)
                                    << SafetyLevel::trusted(trustedShopName) << trustedHost;
    QTest::newRow("google search")
        << address(googleHost, u"/search?q=%E3%83%90%E3%83%83%E3%82%B0"_s)
        << SafetyLevel::neutral(googleHost) << u"リンク集"_s;
    // Titled with its own host: a title that looks like the engine's stand-in.
    QTest::newRow("plain neutral host")
        << address(u"Blog.Example.JP"_s) << SafetyLevel::neutral(u"blog.example.jp"_s)
        << u"blog.example.jp"_s;
    QTest::newRow("top domain") << address(topHost) << SafetyLevel::suspicious({topReason})
                                << QString();
    QTest::newRow("three hyphens")
        << address(hyphenHost, u"/sale"_s) << SafetyLevel::suspicious({hyphenReason}) << QString();
}

void TestNavigationPolicy::typedLoadGivesVerdict()
{
    QFETCH(QUrl, url);
    QFETCH(SafetyLevel, verdict);
    QFETCH(QString, title);

    const QUrl start = address(neutralHost, u"/start"_s);
    QVERIFY(loadAndWait(start));

    m_viewModel->loadURL(url);
    if (!verdict.isSuspicious()) {
        // Judged before the page loads.
        QCOMPARE(m_viewModel->safetyLevel(), verdict);
        QVERIFY(!m_viewModel->isBlocked());
        QVERIFY(waitForLoad(url));
        QCOMPARE(m_viewModel->safetyLevel(), verdict);
        QTRY_COMPARE(m_viewModel->pageTitle(), title);
        QCOMPARE(m_proxy.hits(url.host(), url.path()), 1);
        return;
    }
    // Blocked at once, before anything is asked of the engine.
    QVERIFY(m_viewModel->isBlocked());
    QCOMPARE(m_viewModel->safetyLevel(), verdict);
    QCOMPARE(m_viewModel->blockedReasons(), verdict.reasons());
    QCOMPARE(m_viewModel->pendingBlockedURL(), url);
    // Give the engine every chance to go anywhere it wrongly might.
    QVERIFY(loadAndWait(address(neutralHost, u"/after"_s)));
    QCOMPARE(m_proxy.hits(url.host(), url.path()), 0);
}

void TestNavigationPolicy::pageStateFlowsIntoViewModel()
{
    QSignalSpy loading(m_viewModel.get(), &BrowserViewModel::isLoadingChanged);
    QSignalSpy back(m_viewModel.get(), &BrowserViewModel::canGoBackChanged);
    const QUrl first = address(neutralHost, u"/first?x=%E3%81%82"_s);
    const QUrl second = address(trustedHost, u"/second"_s);

    QVERIFY(loadAndWait(first));
    QCOMPARE(m_viewModel->urlInputString(), u"http://news.example.jp/first?x=%E3%81%82"_s);
    QCOMPARE(m_viewModel->estimatedProgress(), 1.0);
    QVERIFY(loading.count() >= 2); // on and off again
    QVERIFY(!m_viewModel->canGoBack());
    QVERIFY(!m_viewModel->canGoForward());

    QVERIFY(loadAndWait(second));
    QCOMPARE(m_viewModel->pageTitle(), trustedHost);
    QTRY_VERIFY(m_viewModel->canGoBack());
    QVERIFY(!m_viewModel->canGoForward());
    QCOMPARE(back.count(), 1);

    m_viewModel->goBack();
    QVERIFY(waitForLoad(first));
    QTRY_VERIFY(m_viewModel->canGoForward());
    QVERIFY(!m_viewModel->canGoBack());
    QCOMPARE(m_viewModel->safetyLevel(), SafetyLevel::neutral(neutralHost));
    QCOMPARE(m_viewModel->pageTitle(), neutralHost);

    m_viewModel->goForward();
    QVERIFY(waitForLoad(second));
    QCOMPARE(m_viewModel->safetyLevel(), SafetyLevel::trusted(trustedShopName));

    m_viewModel->reload();
    QTRY_COMPARE_WITH_TIMEOUT(m_proxy.hits(trustedHost, u"/second"_s), 3, engineTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!m_viewModel->isLoading(), engineTimeout);
    QVERIFY(isShowing(second));
}

void TestNavigationPolicy::untitledPageGivesEmptyTitle()
{
    QVERIFY(loadAndWait(address(trustedHost, u"/titled"_s)));
    QCOMPARE(m_viewModel->pageTitle(), trustedHost);

    QVERIFY(loadAndWait(address(neutralHost, u"/untitled"_s)));
    // The engine's own stand-in title (the address) must not show.
    QVERIFY(!page()->title().isEmpty());
    QCOMPARE(m_viewModel->pageTitle(), QString());

    m_proxy.setPage(neutralHost, u"/"_s, "<html><body>bare host</body></html>");
    QVERIFY(loadAndWait(address(neutralHost)));
    QCOMPARE(m_viewModel->pageTitle(), QString());
}

void TestNavigationPolicy::navigationFromPageIsScreened_data()
{
    QTest::addColumn<QUrl>("start");
    QTest::addColumn<QString>("elementId");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QUrl>("target");
    QTest::addColumn<bool>("blocked");

    const QUrl links = address(neutralHost, u"/links"_s);
    const QUrl results = address(googleHost, u"/search?q=bag"_s);
    const QUrl scam = address(topHost, u"/item"_s);
    QTest::newRow("link click") << links << u"scam"_s << QString() << scam << true;
    QTest::newRow("form post") << links << QString()
                               << u"document.getElementById('scam-form').submit()"_s
                               << address(topHost, u"/order"_s) << true;
    QTest::newRow("script navigation")
        << links << QString() << u"location.href = 'http://scam-shop.top/script'"_s
        << address(topHost, u"/script"_s) << true;
    QTest::newRow("target blank") << links << u"scam-blank"_s << QString()
                                  << address(topHost, u"/blank"_s) << true;
    QTest::newRow("window.open") << links << u"scam-open"_s << QString()
                                 << address(topHost, u"/popup"_s) << true;
    QTest::newRow("blank window given its address later")
        << links << QString()
        << u"const w = window.open(); w.location.href = 'http://scam-shop.top/later'"_s
        << address(topHost, u"/later"_s) << true;

    // New windows toward a certified shop open in this pane.
    QTest::newRow("target blank to shop from search results")
        << results << u"shop-blank"_s << QString() << address(trustedHost, u"/dp/blank"_s) << false;
    QTest::newRow("window.open to shop from search results")
        << results << u"shop-open"_s << QString() << address(trustedHost, u"/dp/popup"_s) << false;
}

void TestNavigationPolicy::navigationFromPageIsScreened()
{
    QFETCH(QUrl, start);
    QFETCH(QString, elementId);
    QFETCH(QString, script);
    QFETCH(QUrl, target);
    QFETCH(bool, blocked);

    QVERIFY(loadAndWait(start));
    if (!elementId.isEmpty())
        click(elementId);
    else
        page()->runJavaScript(script);

    if (!blocked) {
        QVERIFY(waitForLoad(target));
        QVERIFY(!m_viewModel->isBlocked());
        QCOMPARE(m_viewModel->safetyLevel(), SafetyLevel::trusted(trustedShopName));
        QCOMPARE(m_proxy.hits(target.host(), target.path()), 1);
        return;
    }

    QSignalSpy blockedSpy(m_viewModel.get(), &BrowserViewModel::isBlockedChanged);
    QTRY_VERIFY_WITH_TIMEOUT(m_viewModel->isBlocked(), engineTimeout);
    QCOMPARE(blockedSpy.count(), 1);
    QCOMPARE(m_viewModel->pendingBlockedURL().adjusted(QUrl::RemoveQuery), target);
    QCOMPARE(m_viewModel->blockedReasons(),
             SafeBrowsingEngine().evaluateSafety(target, *m_store).reasons());
    QCOMPARE(m_viewModel->safetyLevel(), SafetyLevel::suspicious(m_viewModel->blockedReasons()));
    // The page the user was on stays loaded underneath.
    QVERIFY(waitForLoad(start));
    QCOMPARE(m_proxy.hits(target.host(), target.path()), 0);
    // The block holds: nothing the engine does afterwards clears it.
    QVERIFY(loadAndWait(address(neutralHost, u"/after"_s)));
    QCOMPARE(m_proxy.hits(target.host(), target.path()), 0);
}

void TestNavigationPolicy::suspiciousSubFrameBlocksTrustedPage()
{
    const QUrl shop = address(trustedHost, u"/frame"_s);
    QVERIFY(loadAndWait(shop));
    QTRY_VERIFY_WITH_TIMEOUT(m_viewModel->isBlocked(), engineTimeout);
    QCOMPARE(m_viewModel->pendingBlockedURL(), address(hyphenHost, u"/ad"_s));
    QCOMPARE(m_viewModel->blockedReasons(), {SafeBrowsingEngine::hyphenRuleReason()});
    // The shop's own page stays loaded underneath; the frame never loaded.
    QVERIFY(isShowing(shop));
    QCOMPARE(m_viewModel->pageTitle(), u"frame"_s);
    QCOMPARE(m_proxy.hits(hyphenHost, u"/ad"_s), 0);
}

void TestNavigationPolicy::serverRedirectToSuspiciousHostIsBlocked()
{
    const QUrl start = address(trustedHost, u"/start"_s);
    QVERIFY(loadAndWait(start));
    m_viewModel->loadURL(address(neutralHost, u"/go"_s));
    QTRY_VERIFY_WITH_TIMEOUT(m_viewModel->isBlocked(), engineTimeout);
    QCOMPARE(m_viewModel->pendingBlockedURL(), address(topHost, u"/landing"_s));
    QCOMPARE(m_viewModel->blockedReasons(), {topReason});
    QTRY_VERIFY_WITH_TIMEOUT(!m_viewModel->isLoading(), engineTimeout);
    QCOMPARE(m_proxy.hits(neutralHost, u"/go"_s), 1);
    QCOMPARE(m_proxy.hits(topHost, u"/landing"_s), 0);
    QVERIFY(isShowing(start));
    QCOMPARE(m_viewModel->safetyLevel(), SafetyLevel::suspicious({topReason}));
}

void TestNavigationPolicy::historyNavigationIntoSuspiciousPageIsBlocked()
{
    // Only proceeding puts a suspicious page into the history.
    const QUrl first = address(neutralHost, u"/first"_s);
    const QUrl scam = address(topHost, u"/visited"_s);
    const QUrl last = address(trustedHost, u"/last"_s);
    QVERIFY(loadAndWait(first));
    m_viewModel->loadURL(scam);
    QVERIFY(m_viewModel->isBlocked());
    m_viewModel->proceedAnyway();
    QVERIFY(waitForLoad(scam));
    QVERIFY(loadAndWait(last));
    QCOMPARE(m_proxy.hits(topHost, u"/visited"_s), 1);

    // Back.
    m_viewModel->goBack();
    QTRY_VERIFY_WITH_TIMEOUT(m_viewModel->isBlocked(), engineTimeout);
    QCOMPARE(m_viewModel->pendingBlockedURL(), scam);
    QVERIFY(waitForLoad(last));
    QCOMPARE(m_proxy.hits(topHost, u"/visited"_s), 1);

    // Forward, from the first page.
    m_viewModel->goBack(); // leaves the warning only
    QVERIFY(!m_viewModel->isBlocked());
    QVERIFY(isShowing(last));
    page()->history()->goToItem(page()->history()->itemAt(0));
    QVERIFY(waitForLoad(first));
    QTRY_VERIFY(m_viewModel->canGoForward());
    m_viewModel->goForward();
    QTRY_VERIFY_WITH_TIMEOUT(m_viewModel->isBlocked(), engineTimeout);
    QCOMPARE(m_viewModel->pendingBlockedURL(), scam);
    QVERIFY(waitForLoad(first));
    QCOMPARE(m_proxy.hits(topHost, u"/visited"_s), 1);

    // Reload of a proceeded page.
    m_viewModel->proceedAnyway();
    QVERIFY(waitForLoad(scam));
    QCOMPARE(m_proxy.hits(topHost, u"/visited"_s), 2);
    m_viewModel->reload();
    QTRY_VERIFY_WITH_TIMEOUT(m_viewModel->isBlocked(), engineTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!m_viewModel->isLoading(), engineTimeout);
    QCOMPARE(m_proxy.hits(topHost, u"/visited"_s), 2);
}

void TestNavigationPolicy::proceedAnywayPassesExactlyOnce()
{
    const QUrl links = address(neutralHost, u"/links"_s);
    const QUrl scam = address(topHost, u"/item"_s);
    QVERIFY(loadAndWait(links));
    click(u"scam"_s);
    QTRY_VERIFY_WITH_TIMEOUT(m_viewModel->isBlocked(), engineTimeout);

    m_viewModel->proceedAnyway();
    QVERIFY(!m_viewModel->isBlocked());
    QVERIFY(waitForLoad(scam));
    QCOMPARE(m_proxy.hits(topHost, u"/item"_s), 1);
    // Judged again on arrival, but nothing is blocked.
    QCOMPARE(m_viewModel->safetyLevel(), SafetyLevel::suspicious({topReason}));
    QCOMPARE(m_viewModel->pendingBlockedURL(), scam);
    QCOMPARE(m_viewModel->blockedReasons(), {topReason});
    QVERIFY(!m_viewModel->isBlocked());

    // The pass is spent: the same click is blocked again.
    m_viewModel->goBack();
    QVERIFY(waitForLoad(links));
    click(u"scam"_s);
    QTRY_VERIFY_WITH_TIMEOUT(m_viewModel->isBlocked(), engineTimeout);
    QVERIFY(waitForLoad(links));
    QCOMPARE(m_proxy.hits(topHost, u"/item"_s), 1);

    // Going back leaves the warning; proceeding with nothing new still
    // reaches the blocked page, once more.
    m_viewModel->goBack();
    m_viewModel->proceedAnyway();
    QVERIFY(waitForLoad(scam));
    QCOMPARE(m_proxy.hits(topHost, u"/item"_s), 2);

    // The pass recognises its address in the engine's encoded form.
    const QUrl japanese(u"http://Scam-Shop.top/検索?q=バッグ 赤"_s);
    m_viewModel->loadURL(japanese);
    QVERIFY(m_viewModel->isBlocked());
    m_viewModel->proceedAnyway();
    QTRY_COMPARE_WITH_TIMEOUT(m_proxy.hits(topHost, u"/検索"_s), 1, engineTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!m_viewModel->isLoading(), engineTimeout);
    QVERIFY(!m_viewModel->isBlocked());
    QCOMPARE(m_viewModel->currentURL().path(), u"/検索"_s);
}

void TestNavigationPolicy::redirectOutOfProceededPageIsScreened()
{
    const QUrl start = address(neutralHost, u"/start"_s);
    QVERIFY(loadAndWait(start));
    m_viewModel->loadURL(address(topHost, u"/hop"_s));
    QVERIFY(m_viewModel->isBlocked());
    m_viewModel->proceedAnyway();
    QTRY_VERIFY_WITH_TIMEOUT(m_proxy.hits(topHost, u"/hop"_s) == 1, engineTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(m_viewModel->isBlocked(), engineTimeout);
    QCOMPARE(m_viewModel->pendingBlockedURL(), address(hyphenHost, u"/next"_s));
    QTRY_VERIFY_WITH_TIMEOUT(!m_viewModel->isLoading(), engineTimeout);
    QCOMPARE(m_proxy.hits(hyphenHost, u"/next"_s), 0);
    QVERIFY(isShowing(start));
    QCOMPARE(m_viewModel->safetyLevel(),
             SafetyLevel::suspicious({SafeBrowsingEngine::hyphenRuleReason()}));
}

void TestNavigationPolicy::goBackAndReloadWhileBlocked()
{
    const QUrl start = address(trustedHost, u"/start"_s);
    QVERIFY(loadAndWait(start));
    const QUrl both = address(bothHost, u"/deal"_s);
    m_viewModel->loadURL(both);
    QVERIFY(m_viewModel->isBlocked());

    // Same rules: the same warning again.
    QSignalSpy blockedSpy(m_viewModel.get(), &BrowserViewModel::isBlockedChanged);
    m_viewModel->reload();
    QVERIFY(m_viewModel->isBlocked());
    QCOMPARE(blockedSpy.count(), 2); // off, then on again
    QCOMPARE(m_viewModel->blockedReasons(),
             QStringList({topReason, SafeBrowsingEngine::hyphenRuleReason()}));

    // The TLD rule switched off: blocked again by the hyphen rule alone.
    m_store->togglePattern(patternId(u"*.top"_s));
    m_viewModel->reload();
    QVERIFY(m_viewModel->isBlocked());
    QCOMPARE(m_viewModel->blockedReasons(), {SafeBrowsingEngine::hyphenRuleReason()});
    QCOMPARE(m_viewModel->safetyLevel(),
             SafetyLevel::suspicious({SafeBrowsingEngine::hyphenRuleReason()}));
    m_store->togglePattern(patternId(u"*.top"_s));

    // Going back only leaves the warning; the last block is kept for a reload.
    QSignalSpy pending(m_viewModel.get(), &BrowserViewModel::pendingBlockedURLChanged);
    m_viewModel->goBack();
    QVERIFY(!m_viewModel->isBlocked());
    QCOMPARE(m_viewModel->pendingBlockedURL(), both);
    QCOMPARE(m_viewModel->blockedReasons(), {SafeBrowsingEngine::hyphenRuleReason()});
    QCOMPARE(pending.count(), 0);
    // Nothing else happens: the engine stays on the page from before.
    QVERIFY(loadAndWait(address(trustedHost, u"/next"_s)));
    QCOMPARE(m_proxy.hits(trustedHost, u"/start"_s), 1);
    QVERIFY(m_viewModel->canGoBack());

    // A blocked link target whose rule is switched off loads on reload.
    QVERIFY(loadAndWait(address(neutralHost, u"/links"_s)));
    click(u"scam"_s);
    QTRY_VERIFY_WITH_TIMEOUT(m_viewModel->isBlocked(), engineTimeout);
    m_store->togglePattern(patternId(u"*.top"_s));
    m_viewModel->reload();
    QVERIFY(!m_viewModel->isBlocked());
    QVERIFY(waitForLoad(address(topHost, u"/item"_s)));
    QCOMPARE(m_viewModel->safetyLevel(), SafetyLevel::neutral(topHost));
    QCOMPARE(m_proxy.hits(topHost, u"/item"_s), 1);
}

void TestNavigationPolicy::sameDocumentChangeRefreshesVerdict()
{
    QVERIFY(loadAndWait(address(trustedHost, u"/dp/1"_s)));
    QCOMPARE(m_viewModel->safetyLevel(), SafetyLevel::trusted(trustedShopName));

    m_store->toggleShop(shopId(u"amazon.co.jp"_s));
    page()->runJavaScript(u"history.pushState({}, '', '/dp/2')"_s);
    QTRY_COMPARE_WITH_TIMEOUT(m_viewModel->currentURL(), address(trustedHost, u"/dp/2"_s),
                              engineTimeout);
    QCOMPARE(m_viewModel->safetyLevel(), SafetyLevel::neutral(trustedHost));
    QCOMPARE(m_viewModel->urlInputString(), u"http://www.amazon.co.jp/dp/2"_s);

    m_store->toggleShop(shopId(u"amazon.co.jp"_s));
    page()->runJavaScript(u"location.hash = 'reviews'"_s);
    QTRY_COMPARE_WITH_TIMEOUT(m_viewModel->currentURL(), address(trustedHost, u"/dp/2#reviews"_s),
                              engineTimeout);
    QCOMPARE(m_viewModel->safetyLevel(), SafetyLevel::trusted(trustedShopName));
    QVERIFY(!m_viewModel->isBlocked());
    QCOMPARE(m_proxy.hits(trustedHost, u"/dp/2"_s), 0);
}

void TestNavigationPolicy::stalledLoadsAreStopped()
{
    QVERIFY(loadAndWait(address(trustedHost, u"/start"_s)));
    RequestTimeouts timeouts;
    timeouts.load = 300ms;
    m_viewModel->setRequestTimeouts(timeouts);
    QSignalSpy finished(page(), &QWebEnginePage::loadFinished);

    m_viewModel->loadURL(address(neutralHost, u"/stalled"_s));
    QTRY_VERIFY_WITH_TIMEOUT(m_proxy.hits(neutralHost, u"/stalled"_s) == 1, engineTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), engineTimeout);
    QCOMPARE(finished.first().first().toBool(), false);
    QVERIFY(!m_viewModel->isLoading());

    // Proceeding has its own, longer limit.
    timeouts.load = 1h;
    timeouts.proceed = 300ms;
    m_viewModel->setRequestTimeouts(timeouts);
    finished.clear();
    m_viewModel->loadURL(address(topHost, u"/stalled"_s));
    QVERIFY(m_viewModel->isBlocked());
    m_viewModel->proceedAnyway();
    QTRY_VERIFY_WITH_TIMEOUT(m_proxy.hits(topHost, u"/stalled"_s) == 1, engineTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!finished.isEmpty(), engineTimeout);
    QCOMPARE(finished.first().first().toBool(), false);
    QVERIFY(!m_viewModel->isLoading());
    QVERIFY(!m_viewModel->isBlocked());
}

void TestNavigationPolicy::rebuiltPaneReplacesPage()
{
    const QUrl shop = address(trustedHost, u"/dp/1"_s);
    QVERIFY(loadAndWait(shop));
    QPointer<QWebEnginePage> oldPage = page();

    auto newPane = std::make_unique<QObject>();
    m_page = WebViewHost::makeWebView(*m_viewModel, *m_store, newPane.get(), m_profile.get());
    QCOMPARE(m_viewModel->webView(), page());
    QVERIFY(!page()->history()->canGoBack());
    // The fields keep their values until the new page reports.
    QCOMPARE(m_viewModel->currentURL(), shop);
    QCOMPARE(m_viewModel->pageTitle(), trustedHost);
    QCOMPARE(m_viewModel->safetyLevel(), SafetyLevel::trusted(trustedShopName));

    // The old page no longer reaches the view model, and may not navigate.
    QSignalSpy urlSpy(m_viewModel.get(), &BrowserViewModel::currentURLChanged);
    QSignalSpy oldFinished(oldPage.data(), &QWebEnginePage::loadFinished);
    oldPage->load(address(neutralHost, u"/old"_s));
    QTRY_VERIFY_WITH_TIMEOUT(!oldFinished.isEmpty(), engineTimeout);
    QCOMPARE(m_proxy.hits(neutralHost, u"/old"_s), 0);
    QCOMPARE(urlSpy.count(), 0);
    QCOMPARE(m_viewModel->currentURL(), shop);

    const QUrl next = address(neutralHost, u"/new"_s);
    QVERIFY(loadAndWait(next));
    QCOMPARE(m_viewModel->safetyLevel(), SafetyLevel::neutral(neutralHost));
    m_pane = std::move(newPane);
}

void TestNavigationPolicy::downloadsStayRefused()
{
    // Nothing in the browser accepts downloads yet; the engine's default is
    // to cancel what nobody accepts.
    QObject context;
    QList<QPointer<QWebEngineDownloadRequest>> requests;
    connect(m_profile.get(), &QWebEngineProfile::downloadRequested, &context,
            [&requests](QWebEngineDownloadRequest *request) { requests.append(request); });
    const QUrl links = address(neutralHost, u"/links"_s);
    QVERIFY(loadAndWait(links));
    page()->runJavaScript(u"location.href = 'http://news.example.jp/file.bin'"_s);
    QTRY_COMPARE_WITH_TIMEOUT(requests.size(), 1, engineTimeout);
    QTRY_VERIFY_WITH_TIMEOUT(!requests.first()
                                 || requests.first()->state()
                                     == QWebEngineDownloadRequest::DownloadCancelled,
                             engineTimeout);
    QVERIFY(isShowing(links));
    QVERIFY(!m_viewModel->isBlocked());
}

QTEST_MAIN(TestNavigationPolicy)
#include "tst_navigationpolicy.moc"

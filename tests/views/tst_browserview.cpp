#include "views/browser/BrowserView.h"

#include "browser/BrowserViewModel.h"
#include "browser/ScreeningWebPage.h"
#include "browser/WebViewHost.h"
#include "support/TestProxyServer.h"
#include "support/TestStores.h"
#include "views/warning/SafeGuardWarningView.h"

#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int engineTimeout = 30000;

const QUrl pageUrl(u"http://blog.example.com/links"_s);
const QUrl scamUrl(u"http://cheap-brand-outlet.top/"_s);
const QUrl otherScamUrl(u"http://super-sale-store.xyz/item"_s);
const QUrl clickedUrl(u"http://blog.example.com/clicked"_s);

struct Fixture : TestStores
{
    BrowserViewModel viewModel {ruleStore};
    BrowserView view {viewModel, ruleStore, themeManager, *QWebEngineProfile::defaultProfile()};

    void runScript(const QString &script) { view.webView()->page()->runJavaScript(script); }
};

} // namespace

class TestBrowserView : public QObject
{
    Q_OBJECT

public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup() { m_env.reset(); }

    void warningFollowsEachBlock();
    void clickedWindowOpensAfterScriptFlood();

private:
    // Lives as long as the process: the engine's proxy flag cannot change.
    TestProxyServer *m_proxy = nullptr;
    std::unique_ptr<Fixture> m_env;
};

void TestBrowserView::initTestCase()
{
    m_proxy = new TestProxyServer;
    m_proxy->installAsEngineProxy();
    m_proxy->setPage(pageUrl.host(), pageUrl.path(),
                     "<!DOCTYPE html><html><head><title>links</title></head>"
                     "<body style=\"margin: 0\"><a target=\"_blank\" href=\""
                         + clickedUrl.toEncoded()
                         + "\" style=\"display: block; width: 400px; height: 300px\">sale</a>"
                           "</body></html>");
}

void TestBrowserView::init()
{
    m_env = std::make_unique<Fixture>();
    m_env->view.resize(1000, 700);
    m_env->view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_env->view));
    m_env->viewModel.loadURL(pageUrl);
    QTRY_VERIFY_WITH_TIMEOUT(
        m_env->viewModel.currentURL() == pageUrl && !m_env->viewModel.isLoading(), engineTimeout);
}

// Go-back and proceed through the warning's buttons, and the reasons it
// shows, are tested on the whole window (tst_contentview); the policy itself
// in tst_navigationpolicy.
void TestBrowserView::warningFollowsEachBlock()
{
    BrowserView &view = m_env->view;
    m_env->runScript(u"location.href = '%1'"_s.arg(scamUrl.toString()));
    QTRY_VERIFY_WITH_TIMEOUT(view.isShowingWarning(), engineTimeout);
    QCOMPARE(view.warningView()->blockedUrl(), scamUrl);

    // A script on the hidden page navigates elsewhere: screened too, and the
    // warning that is already up shows the new address.
    m_env->runScript(u"location.href = '%1'"_s.arg(otherScamUrl.toString()));
    QTRY_COMPARE_WITH_TIMEOUT(view.warningView()->blockedUrl(), otherScamUrl, engineTimeout);
    QVERIFY(view.isShowingWarning());
    QCOMPARE(m_proxy->hits(otherScamUrl.host(), otherScamUrl.path()), 0);
}

void TestBrowserView::clickedWindowOpensAfterScriptFlood()
{
    BrowserView &view = m_env->view;
    // New windows open as tabs, each judged by its own view model, as the
    // window makes them.
    std::vector<std::unique_ptr<BrowserViewModel>> tabs;
    QObject pages;
    qobject_cast<ScreeningWebPage *>(view.webView()->page())->setTabOpener([&](bool) {
        tabs.push_back(std::make_unique<BrowserViewModel>(m_env->ruleStore));
        return WebViewHost::makeWebView(*tabs.back(), &pages);
    });
    // The page spends its allowance of windows without a gesture, and more:
    // only the allowance opens, each tab blocked, and the page stays.
    m_env->runScript(
        u"for (let i = 0; i < 20; ++i) window.open('http://cheap-brand-outlet.top/p' + i)"_s);
    const int allowance = ScreeningWebPage::popupsWithoutGesturePerLoad;
    QTRY_VERIFY_WITH_TIMEOUT(tabs.size() == size_t(allowance) && tabs.back()->isBlocked(),
                             engineTimeout);

    // The user's own click still opens its window.
    QTest::mouseClick(view.webView()->focusProxy(), Qt::LeftButton, {}, QPoint(100, 100));
    QTRY_COMPARE_WITH_TIMEOUT(tabs.size(), size_t(allowance + 1), engineTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(tabs.back()->currentURL(), clickedUrl, engineTimeout);
    QCOMPARE(view.webView()->url(), pageUrl);
}

QTEST_MAIN(TestBrowserView)
#include "tst_browserview.moc"

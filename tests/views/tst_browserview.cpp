#include "views/browser/BrowserView.h"

#include "browser/BrowserViewModel.h"
#include "browser/ScreeningWebPage.h"
#include "browser/WebViewHost.h"
#include "safety/SafeBrowsingEngine.h"
#include "support/TestProxyServer.h"
#include "support/TestStores.h"
#include "views/warning/SafeGuardWarningView.h"

#include <QLabel>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int engineTimeout = 30000;

const QUrl linkPageUrl(u"http://blog.example.com/links"_s);
const QUrl scamUrl(u"http://cheap-brand-outlet.top/"_s);
const QUrl otherScamUrl(u"http://super-sale-store.xyz/item"_s);
const QUrl floodPageUrl(u"http://blog.example.com/flood"_s);
const QUrl clickedUrl(u"http://blog.example.com/clicked"_s);

struct Environment : TestStores
{
    BrowserViewModel viewModel {ruleStore};
    BrowserView view {viewModel, ruleStore, themeManager, *QWebEngineProfile::defaultProfile()};
};

QStringList reasonTexts(const SafeGuardWarningView *warning)
{
    QStringList texts;
    const QList<QLabel *> labels = warning->findChildren<QLabel *>(u"warningReason"_s);
    for (const QLabel *label : labels)
        texts.append(label->text());
    return texts;
}

} // namespace

class TestBrowserView : public QObject
{
    Q_OBJECT

public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void warningFollowsEachBlock();
    void clickedWindowOpensAfterScriptFlood();

private:
    void clickLink(const QString &id);

    // Lives as long as the process: the engine's proxy flag cannot change.
    TestProxyServer *m_proxy = nullptr;
    std::unique_ptr<Environment> m_env;
};

void TestBrowserView::initTestCase()
{
    m_proxy = new TestProxyServer;
    m_proxy->installAsEngineProxy();
    m_proxy->setPage(linkPageUrl.host(), linkPageUrl.path(),
                     "<!DOCTYPE html><html><head><title>links</title></head><body>"
                     "<a id=\"scam\" href=\""
                         + scamUrl.toEncoded()
                         + "\">scam</a> "
                           "<a id=\"other\" href=\""
                         + otherScamUrl.toEncoded()
                         + "\">other</a>"
                           "</body></html>");
    m_proxy->setPage(floodPageUrl.host(), floodPageUrl.path(),
                     "<!DOCTYPE html><html><head><title>flood</title></head>"
                     "<body style=\"margin: 0\"><a target=\"_blank\" href=\""
                         + clickedUrl.toEncoded()
                         + "\" style=\"display: block; width: 400px; height: 300px\">sale</a>"
                           "</body></html>");
}

void TestBrowserView::init()
{
    m_env = std::make_unique<Environment>();
    m_env->view.resize(1000, 700);
    m_env->view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_env->view));
}

void TestBrowserView::cleanup()
{
    m_env.reset();
}

void TestBrowserView::clickLink(const QString &id)
{
    m_env->view.webView()->page()->runJavaScript(
        u"document.getElementById('%1').click();"_s.arg(id));
}

// Go-back and proceed through the warning's buttons are tested on the whole
// window (tst_contentview); the policy itself in tst_navigationpolicy.
void TestBrowserView::warningFollowsEachBlock()
{
    BrowserView &view = m_env->view;
    m_env->viewModel.loadURL(linkPageUrl);
    QTRY_VERIFY_WITH_TIMEOUT(m_env->viewModel.currentURL() == linkPageUrl
                                 && !m_env->viewModel.isLoading(),
                             engineTimeout);
    clickLink(u"scam"_s);
    QTRY_VERIFY_WITH_TIMEOUT(view.isShowingWarning(), engineTimeout);
    QCOMPARE(view.warningView()->blockedUrl(), scamUrl);

    // A script on the hidden page navigates elsewhere: screened too, and the
    // warning that is already up shows the new address and reasons.
    clickLink(u"other"_s);
    QTRY_COMPARE_WITH_TIMEOUT(view.warningView()->blockedUrl(), otherScamUrl, engineTimeout);
    QVERIFY(view.isShowingWarning());
    QCOMPARE(reasonTexts(view.warningView()),
             SafeBrowsingEngine().evaluateSafety(otherScamUrl, m_env->ruleStore).reasons());
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
    m_env->viewModel.loadURL(floodPageUrl);
    QTRY_VERIFY_WITH_TIMEOUT(m_env->viewModel.currentURL() == floodPageUrl
                                 && !m_env->viewModel.isLoading(),
                             engineTimeout);
    // The page spends its allowance of windows without a gesture, and more:
    // only the allowance opens, each tab blocked, and the page stays.
    view.webView()->page()->runJavaScript(
        u"for (let i = 0; i < 20; ++i) window.open('http://cheap-brand-outlet.top/p' + i)"_s);
    const int allowance = ScreeningWebPage::popupsWithoutGesturePerLoad;
    QTRY_VERIFY_WITH_TIMEOUT(tabs.size() == size_t(allowance) && tabs.back()->isBlocked(),
                             engineTimeout);
    QCOMPARE(view.webView()->url(), floodPageUrl);

    // The user's own click still opens its window.
    QTest::mouseClick(view.webView()->focusProxy(), Qt::LeftButton, {}, QPoint(100, 100));
    QTRY_COMPARE_WITH_TIMEOUT(tabs.size(), size_t(allowance + 1), engineTimeout);
    QTRY_COMPARE_WITH_TIMEOUT(tabs.back()->currentURL(), clickedUrl, engineTimeout);
    QCOMPARE(view.webView()->url(), floodPageUrl);
}

QTEST_MAIN(TestBrowserView)
#include "tst_browserview.moc"

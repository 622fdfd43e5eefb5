// The window's page keys on the real engine: pressed on the window while the
// page has the focus, as a user would.
#include "views/browser/BrowserPageActions.h"

#include "browser/BrowserViewModel.h"
#include "browser/PageZoom.h"
#include "support/EngineWait.h"
#include "support/TestProxyServer.h"
#include "support/TestStores.h"
#include "views/browser/BrowserView.h"
#include "views/browser/FindBarView.h"
#include "zoom/ZoomLevels.h"

#include <QFile>
#include <QLineEdit>
#include <QPrinter>
#include <QTest>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineView>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

constexpr int engineTimeout = 20000;

const QUrl shopUrl(u"http://www.amazon.co.jp/order"_s);
const QUrl newsUrl(u"http://news.example.com/"_s);
const QUrl slowPageUrl(u"http://news.example.com/slow"_s);
const QUrl slowImageUrl(u"http://slow.example.com/image.png"_s);

struct Environment : TestStores
{
    QWidget window;
    BrowserViewModel viewModel {ruleStore};
    BrowserView *view = new BrowserView(viewModel, ruleStore, themeManager,
                                        *QWebEngineProfile::defaultProfile(), &window);
    ZoomLevels zoomLevels {preferences};
    BrowserPageActions actions {window};
};

} // namespace

class TestBrowserPageActions : public QObject
{
    Q_OBJECT

public:
    static void initMain() { QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts); }

private Q_SLOTS:
    void initTestCase();
    void init();
    void cleanup();

    void findKeys();
    void zoomIsRememberedPerHost();
    void escapeStopsTheLoad();
    void printSavesPdf();

private:
    bool load(const QUrl &url);
    void press(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);

    TestProxyServer *m_proxy = nullptr;
    std::unique_ptr<Environment> m_env;
};

void TestBrowserPageActions::initTestCase()
{
    m_proxy = new TestProxyServer;
    m_proxy->installAsEngineProxy();
    m_proxy->setPage(
        shopUrl.host(), shopUrl.path(),
        "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>ご注文の確認"
        "</title></head><body><p>MacBook Air</p><p>MacBook Pro</p>"
        "<p>macbook ケース</p><script>document.onkeydown = e => { if (e.key === 'Escape') "
        "document.title = 'Esc'; };</script></body></html>");
    m_proxy->setStalled(slowImageUrl.host(), slowImageUrl.path());
    m_proxy->setPage(slowPageUrl.host(), slowPageUrl.path(),
                     "<!DOCTYPE html><html><body><img src=\"" + slowImageUrl.toEncoded()
                         + "\"></body></html>");
}

void TestBrowserPageActions::init()
{
    m_env = std::make_unique<Environment>();
    auto *layout = new QVBoxLayout(&m_env->window);
    layout->addWidget(m_env->view);
    m_env->view->setZoomLevels(m_env->zoomLevels);
    m_env->actions.setView(m_env->view);
    m_env->window.resize(900, 600);
    m_env->window.show();
    QVERIFY(QTest::qWaitForWindowActive(&m_env->window));
}

void TestBrowserPageActions::cleanup()
{
    m_env.reset();
}

bool TestBrowserPageActions::load(const QUrl &url)
{
    BrowserViewModel &vm = m_env->viewModel;
    vm.loadURL(url);
    const bool loaded = waitForEngine(
        [&] { return vm.currentURL() == url && !vm.isLoading() && vm.estimatedProgress() >= 1.0; },
        engineTimeout);
    // The keys below are pressed while the page has the focus.
    m_env->view->webView()->setFocus();
    return loaded && waitForEngine([&] { return m_env->view->webView()->hasFocus(); }, 2000);
}

void TestBrowserPageActions::press(int key, Qt::KeyboardModifiers modifiers)
{
    QTest::keyClick(m_env->window.windowHandle(), Qt::Key(key), modifiers);
}

void TestBrowserPageActions::findKeys()
{
    QVERIFY(load(shopUrl));
    FindBarView *bar = m_env->view->findBar();
    QVERIFY(!bar->isVisible());
    press(Qt::Key_F, Qt::ControlModifier);
    QVERIFY(bar->isVisible());
    QVERIFY(bar->field()->hasFocus());

    QTest::keyClicks(bar->field(), u"macbook"_s);
    QTRY_COMPARE_WITH_TIMEOUT(bar->countText(), u"1/3件"_s, engineTimeout);
    const struct
    {
        int key;
        Qt::KeyboardModifiers modifiers;
        QString count;
    } steps[] = {
        {Qt::Key_F3, Qt::NoModifier, u"2/3件"_s},
        {Qt::Key_Return, Qt::NoModifier, u"3/3件"_s},
        {Qt::Key_F3, Qt::NoModifier, u"1/3件"_s},
        {Qt::Key_F3, Qt::ShiftModifier, u"3/3件"_s},
        {Qt::Key_Return, Qt::ShiftModifier, u"2/3件"_s},
    };
    for (const auto &step : steps) {
        press(step.key, step.modifiers);
        QTRY_COMPARE_WITH_TIMEOUT(bar->countText(), step.count, engineTimeout);
    }
    QTest::keyClicks(bar->field(), u"xyz"_s);
    QTRY_COMPARE_WITH_TIMEOUT(bar->countText(), u"見つかりません"_s, engineTimeout);

    // Esc closes the bar and gives the page its focus back; the load is not
    // touched.
    press(Qt::Key_Escape);
    QVERIFY(!bar->isVisible());
    QTRY_VERIFY(m_env->view->webView()->hasFocus());
    // With nothing to close or stop, Esc is the page's own.
    press(Qt::Key_Escape);
    QTRY_COMPARE_WITH_TIMEOUT(m_env->view->webView()->title(), u"Esc"_s, engineTimeout);
    // F3 with the bar closed opens it on the last text.
    press(Qt::Key_F3);
    QVERIFY(bar->isVisible());
    QCOMPARE(bar->text(), u"macbookxyz"_s);
}

void TestBrowserPageActions::zoomIsRememberedPerHost()
{
    QVERIFY(load(shopUrl));
    QWebEnginePage *page = m_env->view->webView()->page();
    const struct
    {
        int key;
        Qt::KeyboardModifiers modifiers;
        double factor;
    } steps[] = {
        {Qt::Key_Plus, Qt::ControlModifier, 1.1},
        {Qt::Key_Equal, Qt::ControlModifier, 1.25},
        {Qt::Key_Minus, Qt::ControlModifier, 1.1},
    };
    for (const auto &step : steps) {
        press(step.key, step.modifiers);
        QTRY_COMPARE(page->zoomFactor(), step.factor);
    }
    // Another host opens at its own zoom; coming back brings this one's.
    QVERIFY(load(newsUrl));
    QTRY_COMPARE(page->zoomFactor(), 1.0);
    QVERIFY(load(shopUrl));
    QTRY_COMPARE(page->zoomFactor(), 1.1);

    press(Qt::Key_0, Qt::ControlModifier);
    QTRY_COMPARE(page->zoomFactor(), 1.0);
    QCOMPARE(ZoomLevels(m_env->preferences).factor(shopUrl.host()), 1.0);
}

void TestBrowserPageActions::escapeStopsTheLoad()
{
    BrowserViewModel &vm = m_env->viewModel;
    vm.loadURL(slowPageUrl);
    QTRY_COMPARE_WITH_TIMEOUT(m_proxy->hits(slowImageUrl.host(), slowImageUrl.path()), 1,
                              engineTimeout);
    QVERIFY(vm.isLoading());
    m_env->view->webView()->setFocus();
    press(Qt::Key_Escape);
    QTRY_VERIFY_WITH_TIMEOUT(!vm.isLoading(), 5000);
    QCOMPARE(vm.currentURL(), slowPageUrl);
    QCOMPARE(m_proxy->hits(slowPageUrl.host(), slowPageUrl.path()), 1);
}

void TestBrowserPageActions::printSavesPdf()
{
    QVERIFY(load(shopUrl));
    const QString pdf = m_env->dir.filePath(u"order.pdf"_s);
    QString askedFor;
    m_env->actions.setPrintQuestion([&](QPrinter &printer, QWidget *) {
        askedFor = printer.docName();
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(pdf);
        return true;
    });
    press(Qt::Key_P, Qt::ControlModifier);
    QCOMPARE(askedFor, u"ご注文の確認"_s);
    QVERIFY(waitForEngine([&] { return QFile(pdf).size() > 0; }, engineTimeout));
}

QTEST_MAIN(TestBrowserPageActions)
#include "tst_browserpageactions.moc"

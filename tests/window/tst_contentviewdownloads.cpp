// The window's downloads and page keys as the real program wires them: the
// download folder is the one a fresh home directory gives.
#include "app/VelmoraShoppingBrowserApp.h"
#include "browser/BrowserViewModel.h"
#include "prefs/SettingsPreferencesStore.h"
#include "support/EngineWait.h"
#include "support/TestProxyServer.h"
#include "views/browser/BrowserView.h"
#include "views/browser/FindBarView.h"
#include "views/downloads/DownloadBarView.h"
#include "views/downloads/DownloadItemView.h"
#include "window/ContentView.h"

#include <QDir>
#include <QLabel>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

using namespace Qt::StringLiterals;

namespace {

constexpr int engineTimeout = 30000;

const QUrl shopUrl(u"http://www.amazon.co.jp/order"_s);
const QUrl receiptUrl(u"http://www.amazon.co.jp/receipt"_s);
const QUrl scamFileUrl(u"http://cheap-brand-outlet.top/invoice"_s);

QTemporaryDir &home()
{
    static QTemporaryDir dir;
    return dir;
}

QStringList statusTexts(const QWidget *bar)
{
    QStringList texts;
    for (const QLabel *label : bar->findChildren<QLabel *>(u"downloadStatus"_s))
        texts.append(label->text());
    return texts;
}

} // namespace

class TestContentViewDownloads : public QObject
{
    Q_OBJECT

public:
    static void initMain()
    {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        qputenv("HOME", home().path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home().filePath(u".config"_s).toUtf8());
    }

private Q_SLOTS:
    void downloadsShowUnderThePage();
};

void TestContentViewDownloads::downloadsShowUnderThePage()
{
    auto *proxy = new TestProxyServer; // lives as long as the engine
    proxy->installAsEngineProxy();
    proxy->setPage(shopUrl.host(), shopUrl.path(),
                   "<!DOCTYPE html><html><head><meta charset=\"utf-8\"><title>ご注文の確認</title>"
                   "</head><body><h1>ご注文ありがとうございました</h1><a id=\"receipt\" href=\""
                       + receiptUrl.toEncoded() + "\">領収書</a></body></html>");
    proxy->setAttachment(receiptUrl.host(), receiptUrl.path(), "%PDF-1.4\n%%EOF\n", u"領収書.pdf"_s,
                         "application/pdf");
    proxy->setAttachment(scamFileUrl.host(), scamFileUrl.path(), "%PDF-1.4\n%%EOF\n",
                         u"請求書.pdf"_s, "application/pdf");

    QTemporaryDir dir;
    SettingsPreferencesStore preferences(dir.filePath(u"preferences.ini"_s));
    VelmoraShoppingBrowserApp app(preferences, dir.filePath(u"data"_s));
    ContentView *window = app.openWindow();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    BrowserViewModel &vm = window->browserViewModel();
    vm.loadURL(shopUrl);
    QVERIFY(waitForEngine([&] { return vm.currentURL() == shopUrl && !vm.isLoading(); },
                          engineTimeout));
    auto *bar = window->findChild<DownloadBarView *>();
    QVERIFY(bar && !bar->isVisible());

    QWebEnginePage *page = window->browserView()->webView()->page();
    page->runJavaScript(u"document.getElementById('receipt').click()"_s);
    const QString saved = QDir(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation))
                              .filePath(u"領収書.pdf"_s);
    QVERIFY(saved.startsWith(home().path()));
    QVERIFY(waitForEngine([&] { return QFileInfo(saved).size() > 0; }, engineTimeout));
    QTRY_VERIFY(bar->isVisible());
    // The engine ignores a download attribute on another host's link, so
    // the page asks for the file itself.
    page->download(scamFileUrl);
    QTRY_COMPARE_WITH_TIMEOUT(statusTexts(bar).size(), 2, engineTimeout);
    QVERIFY(statusTexts(bar).first().startsWith(u"ブロックしました: "_s));
    QVERIFY(statusTexts(bar).last().startsWith(u"完了"_s));
    QCOMPARE(vm.currentURL(), shopUrl);
    QCOMPARE(QFileInfo(saved).dir().entryList(QDir::Files), QStringList {u"領収書.pdf"_s});

    const QImage picture = window->grab().toImage();
    QVERIFY(!picture.isNull());
    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        QVERIFY(picture.save(QDir(folder).filePath(u"window-downloads.png"_s)));

    // The page keys are the window's, also while the page has the focus.
    window->browserView()->webView()->setFocus();
    QTRY_VERIFY(window->browserView()->webView()->hasFocus());
    QTest::keyClick(window->windowHandle(), Qt::Key_F, Qt::ControlModifier);
    QVERIFY(window->browserView()->findBar()->isVisible());
    QTest::keyClick(window->windowHandle(), Qt::Key_Escape);
    QVERIFY(!window->browserView()->findBar()->isVisible());
}

QTEST_MAIN(TestContentViewDownloads)
#include "tst_contentviewdownloads.moc"

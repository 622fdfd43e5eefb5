#include "app/VelmoraShoppingBrowserApp.h"

#include "app/JapaneseTranslations.h"
#include "browser/BrowserViewModel.h"
#include "browser/PageZoom.h"
#include "history/SessionStore.h"
#include "prefs/FileBytes.h"
#include "prefs/SettingsPreferencesStore.h"
#include "support/EngineWait.h"
#include "support/TestProxyServer.h"
#include "views/history/ClearBrowsingDataDialog.h"
#include "window/PrivateWindowBanner.h"
#include "zoom/ZoomLevels.h"

#include <QAction>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEngineCookieStore>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QUrl setUrl(u"http://shop.example.com/set"_s);
const QUrl setPrivateUrl(u"http://shop.example.com/set-private"_s);
const QUrl reportUrl(u"http://shop.example.com/report"_s);
const QUrl amazonUrl(u"http://www.amazon.co.jp/"_s);
const QUrl scamUrl(u"http://cheap-brand-outlet.top/"_s);
const QUrl tickerUrl(u"http://shop.example.com/ticker"_s);

QByteArray page(const QByteArray &title, const QByteArray &script)
{
    return htmlPage("<title>" + title + "</title><script>" + script + "</script>");
}

// A start of the program: its own application object over the user's
// settings and data folder, which outlive it.
struct Run
{
    SettingsPreferencesStore preferences;
    VelmoraShoppingBrowserApp app;

    explicit Run(const QTemporaryDir &home)
        : preferences(home.filePath(u"preferences.ini"_s))
        , app(preferences, home.filePath(u"data"_s))
    { }

    // A window whose start-up search has settled, so the test's loads don't
    // race with it.
    static ContentView *settled(ContentView *window)
    {
        BrowserViewModel &vm = window->browserViewModel();
        waitForEngine([&] { return !vm.currentURL().isEmpty() && !vm.isLoading(); });
        return window;
    }
};

// The title the page ends up with.
QString load(ContentView *window, const QUrl &url, const QString &titleStart = {})
{
    BrowserViewModel &vm = window->browserViewModel();
    // Started and finished: the page may be the one already shown.
    QSignalSpy loading(&vm, &BrowserViewModel::isLoadingChanged);
    window->runSearch(url);
    waitForEngine([&] {
        return loading.count() >= 2 && vm.currentURL() == url && !vm.isLoading()
            && vm.pageTitle().startsWith(titleStart);
    });
    return vm.pageTitle();
}

} // namespace

class TestVelmoraShoppingBrowserApp : public QObject
{
    Q_OBJECT

public:
    static void initMain()
    {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        // As the program starts: Japanese whatever the desktop's locale.
        QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
    }

private Q_SLOTS:
    void initTestCase();
    void cookiesAndSiteDataSurviveARestartNotAPrivateWindow();
    void privateWindowRecordsNothing();
    void qtWidgetsSpeakJapanese();
    void windowsComeBackWhereTheyWere();
    void storageProblemsAreReported();
    void addressesFromOtherProgramsOpenAsTabs();

private:
    // The engine reads its proxy once per process: never deleted.
    TestProxyServer *m_proxy = nullptr;
};

void TestVelmoraShoppingBrowserApp::initTestCase()
{
    m_proxy = new TestProxyServer;
    m_proxy->installAsEngineProxy();
    m_proxy->setPage(setUrl.host(), setUrl.path(),
                     page("カートに追加",
                          "document.cookie = 'cart=3; max-age=86400; path=/';"
                          "document.cookie = 'sid=7; path=/';"
                          "localStorage.setItem('k', 'v');"));
    m_proxy->setPage(setPrivateUrl.host(), setPrivateUrl.path(),
                     page("private",
                          "document.cookie = 'secret=1; max-age=86400; path=/';"
                          "localStorage.setItem('p', 'q');"));
    m_proxy->setPage(reportUrl.host(), reportUrl.path(),
                     page("report",
                          "document.title = 'cookie=' + document.cookie + ' storage='"
                          " + (localStorage.getItem('k') || '')"
                          " + (localStorage.getItem('p') || '')"
                          " + ' lang=' + navigator.languages[0];"));
    // A countdown that changes the title every few milliseconds.
    m_proxy->setPage(tickerUrl.host(), tickerUrl.path(),
                     page("0",
                          "let n = 0; const t = setInterval(() => {"
                          " document.title = ++n < 200 ? String(n) : '完了';"
                          " if (n >= 200) clearInterval(t); }, 5);"));
    m_proxy->setPage(amazonUrl.host(), amazonUrl.path(),
                     page("Amazon テストページ", "document.title = 'Amazon テストページ';"));
}

void TestVelmoraShoppingBrowserApp::cookiesAndSiteDataSurviveARestartNotAPrivateWindow()
{
    QTemporaryDir home;
    {
        Run first(home);
        ContentView *normal = Run::settled(first.app.openWindow());
        QCOMPARE(load(normal, setUrl, u"カート"_s), u"カートに追加"_s);
        ContentView *incognito = Run::settled(first.app.openPrivateWindow());
        QCOMPARE(load(incognito, setPrivateUrl, u"private"_s), u"private"_s);
        QCOMPARE(load(incognito, reportUrl, u"cookie"_s), u"cookie=secret=1 storage=q lang=ja"_s);
        QCOMPARE(load(normal, reportUrl, u"cookie"_s), u"cookie=cart=3; sid=7 storage=v lang=ja"_s);
    }
    // Kept on disk, under the data folder given.
    QVERIFY(QDir(home.filePath(u"data/web-profile"_s)).exists());

    {
        Run second(home);
        ContentView *normal = Run::settled(second.app.openWindow());
        // The session goes on, with the tabs: its cookies too.
        QCOMPARE(load(normal, reportUrl, u"cookie"_s), u"cookie=cart=3; sid=7 storage=v lang=ja"_s);
        ContentView *incognito = Run::settled(second.app.openPrivateWindow());
        QCOMPARE(load(incognito, reportUrl, u"cookie"_s), u"cookie= storage= lang=ja"_s);

        // Deleting cookies and site data: cookies go at once, storage at the
        // next start.
        second.app.openClearBrowsingData(normal);
        auto *dialog = normal->findChild<ClearBrowsingDataDialog *>();
        QVERIFY(dialog);
        dialog->cookiesBox()->setChecked(true);
        // The engine deletes them on its own thread.
        QSignalSpy removed(second.app.profile().cookieStore(),
                           &QWebEngineCookieStore::cookieRemoved);
        QTest::mouseClick(dialog->clearButton(), Qt::LeftButton);
        // Under load a page may still read the cookie the network side has
        // just dropped: the next loads must not.
        QTRY_VERIFY(!removed.isEmpty());
        QTRY_COMPARE(load(normal, reportUrl, u"cookie"_s), u"cookie= storage=v lang=ja"_s);
    }
    Run third(home);
    ContentView *normal = Run::settled(third.app.openWindow());
    QCOMPARE(load(normal, reportUrl, u"cookie"_s), u"cookie= storage= lang=ja"_s);
}

// A private window looks private and leaves nothing behind: only normal
// windows record the pages shown, and the last private window takes what it
// kept with it.
void TestVelmoraShoppingBrowserApp::privateWindowRecordsNothing()
{
    QTemporaryDir home;
    Run run(home);
    ContentView *normal = Run::settled(run.app.openWindow());
    QVERIFY(!normal->findChild<PrivateWindowBanner *>());
    normal->findChild<QAction *>(u"newPrivateWindowAction"_s)->trigger();
    ContentView *incognito = Run::settled(run.app.windows().last());
    QVERIFY(QTest::qWaitForWindowExposed(incognito));
    auto *banner = incognito->findChild<PrivateWindowBanner *>();
    QVERIFY(banner && banner->isVisible());
    // Dark in a dark theme too: its own colours, never the window's.
    run.app.themeManager().setCurrentTheme(AppTheme::dark);
    QCOMPARE(incognito->grab().toImage().pixelColor(banner->mapTo(incognito, QPoint(2, 2))),
             PrivateWindowBanner::background);
    const qint64 before = run.app.historyStore().visitCount();

    load(incognito, amazonUrl, u"Amazon"_s);
    incognito->browserView()->pageZoom()->zoomIn();
    QVERIFY(!run.preferences.data(QLatin1String(ZoomLevels::storageKey)));
    load(normal, amazonUrl, u"Amazon"_s);
    // Blocked: the page was never shown. Opened past the warning: it was.
    BrowserViewModel &vm = normal->browserViewModel();
    normal->runSearch(scamUrl);
    QVERIFY(waitForEngine([&] { return vm.isBlocked(); }));
    QTest::qWait(200);
    QCOMPARE(run.app.historyStore().visitCount(), before + 1);
    vm.proceedAnyway();
    QVERIFY(waitForEngine([&] { return vm.currentURL() == scamUrl && !vm.isLoading(); }));

    QTRY_COMPARE(run.app.historyStore().visitCount(), before + 2);
    // Newest first; the shop under the title the page set after it was shown.
    QStringList visits;
    for (const HistoryVisit &visit : run.app.historyStore().visits(QString(), 2))
        visits.append(visit.url.toString() + u'|' + visit.verdict + u'|' + visit.title);
    QCOMPARE(visits.value(0).section(u'|', 0, 1), scamUrl.toString() + u"|suspicious"_s);
    QCOMPARE(visits.value(1), amazonUrl.toString() + u"|trusted|Amazon テストページ"_s);

    // A title that keeps changing is written now and then, ending with the
    // last one.
    QSignalSpy titles(&run.app.historyStore(), &HistoryStore::visitTitleChanged);
    QCOMPARE(load(normal, tickerUrl, u"完了"_s), u"完了"_s);
    QTRY_COMPARE(run.app.historyStore().visits(QString(), 1).value(0).title, u"完了"_s);
    QCOMPARE_LT(titles.count(), 10);

    QVERIFY(run.app.privateProfile());
    incognito->close();
    QTRY_VERIFY(!run.app.privateProfile());
}

// Qt's own widgets speak Japanese once the translation is installed: the
// menu of every text field (the search box) and the standard dialog buttons.
void TestVelmoraShoppingBrowserApp::qtWidgetsSpeakJapanese()
{
    QVERIFY(JapaneseTranslations::install(*QCoreApplication::instance()));
    QLineEdit field(u"MacBook"_s);
    const std::unique_ptr<QMenu> menu(field.createStandardContextMenu());
    QStringList texts;
    for (const QAction *action : menu->actions())
        texts.append(action->text());
    QVERIFY2(texts.join(u' ').contains(u"貼り付け"_s), qPrintable(texts.join(u' ')));
    const QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    QCOMPARE(buttons.button(QDialogButtonBox::Cancel)->text(), u"キャンセル"_s);
}

void TestVelmoraShoppingBrowserApp::windowsComeBackWhereTheyWere()
{
    QTemporaryDir home;
    const QRect placed(60, 40, 1100, 700);
    const auto tabs = [](ContentView *window) {
        QList<QUrl> shown;
        for (int i = 0; i < window->tabCount(); ++i)
            shown.append(window->tabViewModel(i).shownURL());
        return shown;
    };
    QList<QUrl> before;
    qint64 visits = 0;
    {
        Run first(home);
        first.app.start({});
        ContentView *window = first.app.windows().first();
        QVERIFY(QTest::qWaitForWindowExposed(window));
        // Nothing saved yet: the window's default size fits the screen.
        const QSize room = window->screen()->availableGeometry().size();
        QCOMPARE_LE(window->height(), std::max(room.height(), window->minimumHeight()));
        window->setGeometry(placed);
        for (const QUrl &url : {amazonUrl, scamUrl, reportUrl})
            window->openTab(url, true);
        window->selectTab(2);
        // Saved as it changes, as a crash would leave it.
        const SessionStore session(home.filePath(u"data/session.json"_s));
        QTRY_COMPARE(session.load().value(0).pages.size(), 4);
        QTRY_COMPARE(session.load().value(0).placement, window->saveGeometry());
        before = tabs(window);
        QCOMPARE(before.mid(1), QList<QUrl>({amazonUrl, scamUrl, reportUrl}));
        QTRY_COMPARE(first.app.historyStore().visitCount(), 3);
        visits = first.app.historyStore().visitCount();
    }
    // Where it was, the tabs in their order, the one in front in front again,
    // blocked.
    const QVariantList whole {placed, QVariant::fromValue(before), 2, true};
    const auto shown = [&tabs](ContentView *window) {
        const int front = window->currentTabIndex();
        return QVariantList {window->geometry(), QVariant::fromValue(tabs(window)), front,
                             window->tabViewModel(front).isBlocked()};
    };
    Run second(home);
    second.app.start({});
    ContentView *window = second.app.windows().first();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QTRY_COMPARE(shown(window), whole);
    // Brought back, not visited again.
    QTRY_VERIFY(!window->tabViewModel(3).isLoading()
                && window->tabViewModel(3).currentURL() == reportUrl);
    QTest::qWait(200);
    QCOMPARE(second.app.historyStore().visitCount(), visits);

    // A window closed by mistake comes back whole from another one, on
    // Ctrl+Shift+T once that one has no closed tab of its own.
    ContentView *other = second.app.openWindow();
    window->close();
    QTRY_COMPARE(second.app.windows(), QList {other});
    other->findChild<QAction *>(u"reopenTabAction"_s)->trigger();
    QCOMPARE(second.app.windows().size(), 2);
    QTRY_COMPARE(shown(second.app.windows().last()), whole);
}

void TestVelmoraShoppingBrowserApp::storageProblemsAreReported()
{
    QTemporaryDir home;
    // A damaged history is kept aside, and the user told where.
    QVERIFY(QDir(home.path()).mkpath(u"data"_s));
    writeBytes(home.filePath(u"data/history.sqlite"_s),
               QByteArray("SQLite format 3") + '\0' + QByteArray(4096, 'x'));
    // So is a stored setting that cannot be read, for which defaults stand.
    writeBytes(home.filePath(u"preferences.ini"_s),
               "[General]\nvelmora_excluded_patterns_v1=\"[{broken\"\n");
    Run run(home);
    run.app.start({});
    QVERIFY(QTest::qWaitForWindowExposed(run.app.windows().first()));
    // A folder where the file should be: nothing can be written there.
    QFile::remove(home.filePath(u"preferences.ini"_s));
    QVERIFY(QDir(home.path()).mkdir(u"preferences.ini"_s));
    QVERIFY(QDir(home.path()).mkpath(u"data/session.json"_s));
    const auto messages = [](const QString &name) {
        int shown = 0;
        for (QWidget *widget : QApplication::topLevelWidgets())
            shown += widget->objectName() == name && widget->isVisible();
        return shown;
    };
    QTRY_COMPARE(messages(u"historyMovedAsideMessage"_s), 1);
    QTRY_COMPARE(messages(u"settingsKeptAsideMessage"_s), 1);
    SessionStore::setRestoresAtStart(run.preferences, false);
    QTRY_COMPARE(messages(u"settingsNotSavedMessage"_s), 1);
    // So are the open tabs, kept for the next start.
    run.app.windows().first()->openTab(amazonUrl, true);
    QTRY_COMPARE(messages(u"sessionNotSavedMessage"_s), 1);
    // Said once, however many changes fail after it.
    SessionStore::setRestoresAtStart(run.preferences, true);
    run.app.windows().first()->openTab(amazonUrl, true);
    QTest::qWait(1500);
    QCOMPARE(messages(u"settingsNotSavedMessage"_s), 1);
    QCOMPARE(messages(u"sessionNotSavedMessage"_s), 1);
}

void TestVelmoraShoppingBrowserApp::addressesFromOtherProgramsOpenAsTabs()
{
    QTemporaryDir home;
    Run run(home);
    run.app.start({amazonUrl, reportUrl});
    QCOMPARE(run.app.windows().size(), 1);
    ContentView *window = run.app.windows().first();
    QCOMPARE(window->tabCount(), 2);
    // A second start's addresses join the same window, the last in front.
    run.app.openAddresses({setUrl, scamUrl});
    QCOMPARE(run.app.windows().size(), 1);
    QCOMPARE(window->tabCount(), 4);
    QCOMPARE(window->currentTabIndex(), 3);
    QTRY_VERIFY(window->tabViewModel(3).isBlocked());
}

QTEST_MAIN(TestVelmoraShoppingBrowserApp)
#include "tst_velmorashoppingbrowserapp.moc"

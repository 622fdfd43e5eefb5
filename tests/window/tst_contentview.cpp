#include "window/ContentView.h"

#include "app/VelmoraShoppingBrowserApp.h"
#include "bookmarks/BookmarkStore.h"
#include "browser/BrowserViewModel.h"
#include "browser/PageZoom.h"
#include "browser/ScreeningWebPage.h"
#include "prefs/SettingsPreferencesStore.h"
#include "rules/SecurityRuleStore.h"
#include "safety/SafeBrowsingEngine.h"
#include "support/EngineWait.h"
#include "support/Screenshots.h"
#include "support/TestPalette.h"
#include "support/TestProxyServer.h"
#include "views/bookmarks/BookmarksView.h"
#include "views/browser/AddressView.h"
#include "views/browser/BrowserView.h"
#include "views/browser/JavaScriptDialog.h"
#include "views/browser/PageCrashedView.h"
#include "views/common/ThemeColors.h"
#include "views/downloads/DownloadBarView.h"
#include "views/search/SearchBarView.h"
#include "views/settings/SettingsView.h"
#include "views/warning/SafeGuardWarningView.h"
#include "views/warning/ShopBadgeView.h"
#include "window/BrowserToolbar.h"
#include "window/LoadIndicator.h"
#include "window/SettingsWindow.h"
#include "window/SidebarView.h"
#include "window/TabStrip.h"
#include "window/ThemePalette.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTabBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <QWebEnginePage>
#include <QWebEngineView>

#include <algorithm>
#include <csignal>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QUrl amazonUrl(u"http://www.amazon.co.jp/"_s);
const QString amazonTitle = u"Amazon テストページ"_s;
const QUrl newsUrl(u"http://news.example.com/"_s);
const QUrl untitledUrl(u"http://untitled.example.com/plain"_s);
const QUrl scamUrl(u"http://cheap-brand-outlet.top/"_s);
const QUrl slowUrl(u"http://slow.example.com/image.png"_s);
const QUrl slowPageUrl(u"http://shop.example.com/slow-image"_s);
const QUrl tabLinksUrl(u"http://news.example.com/tabs"_s);
const QUrl cautionUrl(u"http://zakka-hanako.shop/"_s);
const QUrl shopUrl(u"http://www.amazon.co.jp/order"_s);
const QUrl receiptUrl(u"http://www.amazon.co.jp/receipt"_s);
const QUrl scamFileUrl(u"http://cheap-brand-outlet.top/invoice"_s);
// Sent half, then held: it stays in progress.
const QUrl catalogUrl(u"http://shop.example.com/catalog"_s);

// The user's home, where downloads go by default.
QTemporaryDir home;

// Each test gets its own settings file and its own application object, as a
// fresh start of the program would.
struct Environment
{
    QTemporaryDir dir;
    SettingsPreferencesStore preferences {dir.filePath(u"preferences.ini"_s)};
    std::unique_ptr<VelmoraShoppingBrowserApp> app;

    ContentView *open()
    {
        if (!app)
            app = std::make_unique<VelmoraShoppingBrowserApp>(preferences, dir.path());
        // The test screen is smaller than a desktop's: the window opens at
        // the size its toolbar shows everything at.
        ContentView *window = app->openWindow();
        window->resize(1280, 820);
        return window;
    }
};

// Where the search box sends a query: the start-up search is "MacBook".
QUrl searchAddress(const SecurityRuleStore &store, const QString &query = u"MacBook"_s)
{
    return *SafeBrowsingEngine().buildSearchURL(query, store.filterMode(), store.searchEngine(),
                                                store, std::nullopt);
}

// The address of each tab, in tab order.
QList<QUrl> tabAddresses(ContentView *window)
{
    QList<QUrl> urls;
    for (int i = 0; i < window->tabCount(); ++i)
        urls.append(window->tabViewModel(i).currentURL());
    return urls;
}

QToolButton *button(ContentView *window, QAction *action)
{
    return qobject_cast<QToolButton *>(window->toolbar()->widgetForAction(action));
}

void click(QWidget *widget)
{
    QTest::mouseClick(widget, Qt::LeftButton, {}, widget->rect().center());
}

bool load(ContentView *window, const QUrl &url)
{
    BrowserViewModel &vm = window->browserViewModel();
    window->runSearch(url);
    return waitForEngine(
        [&] { return vm.currentURL() == url && !vm.isLoading() && vm.estimatedProgress() >= 1.0; });
}

void clickSidebarRow(ContentView *window, NavigationSection section)
{
    SidebarView *sidebar = window->sidebar();
    const QRect rect = sidebar->visualItemRect(sidebar->itemFor(section));
    QTest::mouseClick(sidebar->viewport(), Qt::LeftButton, {}, rect.center());
}

} // namespace

class TestContentView : public QObject
{
    Q_OBJECT

public:
    static void initMain()
    {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        qputenv("HOME", home.path().toUtf8());
        qputenv("XDG_CONFIG_HOME", home.filePath(u".config"_s).toUtf8());
    }

private Q_SLOTS:
    void initTestCase();
    void init() { m_env = std::make_unique<Environment>(); }
    void cleanup() { m_env.reset(); }

    void firstLaunchSearchesOnce();
    void blockCoversPageAndBackDismissesWarning();
    void reloadShowsStopWhileLoadingAndStops();
    void titleAndBookmarkFollowPage();
    void themeMenuRestylesEveryWindowButSettings();
    void sidebarBadgeAndSections();
    void keyboardShortcuts();
    void tabKeys_data();
    void tabKeys();
    void tabStripAndMenuOpenDuplicateCloseAndReopen();
    void closingATabAsksAPageHoldingInput_data();
    void closingATabAsksAPageHoldingInput();
    void settingsWindowKeysAndLastWindow_data();
    void settingsWindowKeysAndLastWindow();
    void pagesOpenTabs_data();
    void pagesOpenTabs();
    void popupShowsOnlyAPageFromAnAddress();
    void downloadsShowUnderThePage();
    void screenshots();

private:
    // Opens a window and waits until its start-up search has settled, so the
    // test's own loads don't race with it.
    ContentView *openSettled()
    {
        ContentView *window = m_env->open();
        const QUrl expected = searchAddress(m_env->app->ruleStore());
        BrowserViewModel &vm = window->browserViewModel();
        // The search goes to https, which the test proxy refuses: the engine
        // settles on its error page at that address.
        waitForEngine([&] { return vm.currentURL() == expected && !vm.isLoading(); });
        return window;
    }
    // Three tabs in the order opened: news, untitled, amazon.
    ContentView *openThreeTabs()
    {
        ContentView *window = openSettled();
        if (!load(window, newsUrl))
            return window;
        // Background tabs line up in the order they were opened.
        window->openTab(untitledUrl, true);
        window->openTab(amazonUrl, true);
        waitForEngine([window] {
            return tabAddresses(window) == QList<QUrl>({newsUrl, untitledUrl, amazonUrl});
        });
        return window;
    }

    // Never deleted: the engine reads its proxy once per process and may
    // still be talking to it while the program exits.
    TestProxyServer *m_proxy = nullptr;
    std::unique_ptr<Environment> m_env;
};

void TestContentView::initTestCase()
{
    m_proxy = new TestProxyServer;
    m_proxy->installAsEngineProxy();
    m_proxy->setPage(amazonUrl.host(), u"/"_s,
                     "<!DOCTYPE html><meta charset=\"utf-8\"><title>" + amazonTitle.toUtf8()
                         + "</title><h1>Amazon</h1><p>MacBook Air M3 ¥164,800</p>");
    m_proxy->setPage(untitledUrl.host(), untitledUrl.path(), "<html><p>no title here</p></html>");
    m_proxy->setStalled(slowUrl.host(), slowUrl.path());
    m_proxy->setStalled(amazonUrl.host(), u"/signin"_s);
    // Two links of 60 pixels' height: one that opens its own window keeping
    // its opener (without rel=opener the engine drops it), and a plain one.
    m_proxy->setPage(tabLinksUrl.host(), tabLinksUrl.path(),
                     "<html><style>body { margin: 0 } a { display: block; height: 60px }</style>"
                     "<a target=_blank rel=opener href=http://www.amazon.co.jp/>shop</a>"
                     "<a href=http://www.amazon.co.jp/>plain</a></html>");
    m_proxy->setPage(cautionUrl.host(), cautionUrl.path(),
                     "<html><meta charset=\"utf-8\"><title>雑貨はなこ</title>雑貨</html>");
    m_proxy->setPage(slowPageUrl.host(), slowPageUrl.path(),
                     "<html><title>slow</title><img src=\"" + slowUrl.toEncoded() + "\"></html>");
    m_proxy->setPage(shopUrl.host(), shopUrl.path(),
                     "<!DOCTYPE html><meta charset=\"utf-8\"><title>ご注文の確認</title>"
                     "<h1>ご注文ありがとうございました</h1><a id=\"receipt\" href=\""
                         + receiptUrl.toEncoded() + "\">領収書</a>");
    m_proxy->setAttachment(receiptUrl.host(), receiptUrl.path(), "%PDF-1.4\n%%EOF\n",
                           u"領収書.pdf"_s, "application/pdf");
    m_proxy->setAttachment(scamFileUrl.host(), scamFileUrl.path(), "%PDF-1.4\n%%EOF\n",
                           u"請求書.pdf"_s, "application/pdf");
    m_proxy->setAttachment(catalogUrl.host(), catalogUrl.path(), QByteArray(64 * 1024, 'x'),
                           u"catalog.bin"_s, "application/octet-stream", true);
}

// With the modes the user stored; the default ones are searched by the
// end-to-end start and by every new tab (tabKeys, Ctrl+T).
void TestContentView::firstLaunchSearchesOnce()
{
    {
        SecurityRuleStore store(m_env->preferences);
        store.setFilterMode(SearchFilterMode::trustedOnly);
        store.setSearchEngine(SearchTargetEngine::googleWeb);
    }
    ContentView *window = m_env->open();
    // The window shows before the engine starts; its start-up search waits
    // for the page.
    QVERIFY(!window->browserView()->hasStartedPage());
    QVERIFY(QTest::qWaitForWindowExposed(window));

    const SecurityRuleStore &store = m_env->app->ruleStore();
    QCOMPARE(store.filterMode(), SearchFilterMode::trustedOnly);
    const QUrl expected = searchAddress(store);
    const BrowserViewModel &vm = window->browserViewModel();
    QTRY_VERIFY_ENGINE(vm.currentURL() == expected && !vm.isLoading());
    // Shown once more (minimised and restored): no second start-up search.
    QSignalSpy loads(&vm, &BrowserViewModel::isLoadingChanged);
    window->hide();
    window->show();
    QTest::qWait(200);
    QCOMPARE(loads.count(), 0);
}

// Going back from a warning over a page with history is the view model's
// (tst_navigationpolicy); here the toolbar and the warning's buttons.
void TestContentView::blockCoversPageAndBackDismissesWarning()
{
    SecurityRuleStore probe(m_env->preferences);
    probe.addCustomPattern(u"cheap-brand-outlet.top"_s, u"テスト用の理由"_s);

    ContentView *window = openSettled();
    BrowserViewModel &vm = window->browserViewModel();
    BrowserView *pane = window->browserView();
    const QUrl startPage = pane->webView()->url();
    const int scamHitsBefore = m_proxy->hits(scamUrl.host(), u"/"_s);

    window->runSearch(scamUrl);
    QTRY_VERIFY(pane->isShowingWarning());
    const auto reasons = pane->warningView()->findChildren<QLabel *>(u"warningReason"_s);
    QVERIFY(std::any_of(reasons.cbegin(), reasons.cend(),
                        [](const QLabel *label) { return label->text() == u"テスト用の理由"_s; }));
    QVERIFY(window->toolbar()->badge()->safetyLevel().isSuspicious());
    // The titles name the stopped site, not the page behind the warning.
    const QString pageTitle = vm.pageTitle();
    QVERIFY(!pageTitle.isEmpty());
    QCOMPARE(window->tabStrip()->tabText(0), scamUrl.host());
    QVERIFY(window->windowTitle().startsWith(scamUrl.host() + u" — "_s));
    QVERIFY(window->toolbar()->findChild<QLabel *>(u"pageTitleLabel"_s)->isHidden());
    // Saved as what the address shows, not as the page behind the warning.
    QTest::keyClick(window, Qt::Key_D, Qt::ControlModifier);
    QTRY_VERIFY(window->isShowingBookmarkAlert());
    window->findChild<QMessageBox *>(u"bookmarkAlert"_s)->buttons().first()->click();
    QCOMPARE(window->bookmarkStore().bookmarks().value(0).url, scamUrl.toString());

    // Back is offered although there is no history: it dismisses the warning.
    QToolButton *back = button(window, window->toolbar()->backAction());
    QVERIFY(back->isEnabled());
    click(back);
    QTRY_VERIFY(!pane->isShowingWarning());
    QVERIFY(pane->webView()->isVisible());
    QVERIFY(!back->isEnabled());
    QVERIFY(window->windowTitle().startsWith(pageTitle + u" — "_s));
    // So does the warning's own way back.
    window->runSearch(scamUrl);
    QTRY_VERIFY(pane->isShowingWarning());
    click(pane->warningView()->findChild<QPushButton *>(u"warningGoBackButton"_s));
    QTRY_VERIFY(!pane->isShowingWarning());
    QCOMPARE(pane->webView()->url(), startPage);
    QCOMPARE(m_proxy->hits(scamUrl.host(), u"/"_s), scamHitsBefore);
    QVERIFY(!vm.isBlocked());
}

void TestContentView::reloadShowsStopWhileLoadingAndStops()
{
    ContentView *window = openSettled();
    BrowserViewModel &vm = window->browserViewModel();
    QAction *reload = window->toolbar()->reloadAction();
    QCOMPARE(reload->toolTip(), u"更新"_s);
    auto *bar = window->loadIndicator()->findChild<QProgressBar *>();
    const int contentTop = window->sectionContent()->mapTo(window, QPoint(0, 0)).y();

    // The page arrives at once, but one of its images never does: the page
    // is shown and still loading.
    window->runSearch(slowPageUrl);
    QTRY_COMPARE_ENGINE(m_proxy->hits(slowUrl.host(), slowUrl.path()), 1);
    QTRY_COMPARE_ENGINE(vm.currentURL(), slowPageUrl);
    QVERIFY(vm.isLoading());
    QCOMPARE(reload->toolTip(), u"中止"_s);
    // The strip shows progress, and nothing moves.
    QVERIFY(bar->isVisible());
    QCOMPARE(window->sectionContent()->mapTo(window, QPoint(0, 0)).y(), contentTop);

    // Pressing "中止" ends the load: the page is not asked for again and what
    // has arrived stays.
    const int pageHits = m_proxy->hits(slowPageUrl.host(), slowPageUrl.path());
    click(button(window, reload));
    QTRY_VERIFY_ENGINE(!vm.isLoading());
    QCOMPARE(reload->toolTip(), u"更新"_s);
    QVERIFY(!bar->isVisible());
    QCOMPARE(vm.currentURL(), slowPageUrl);
    QCOMPARE(m_proxy->hits(slowPageUrl.host(), slowPageUrl.path()), pageHits);
}

void TestContentView::titleAndBookmarkFollowPage()
{
    // Before any page, there is nothing to save.
    ContentView *window = m_env->open();
    QToolButton *add = button(window, window->toolbar()->addBookmarkAction());
    QVERIFY(!add->isEnabled());
    window->addCurrentPageToBookmarks();
    QVERIFY(window->bookmarkStore().bookmarks().isEmpty());
    QTRY_VERIFY_ENGINE(!window->browserViewModel().currentURL().isEmpty());

    QLabel *title = window->toolbar()->titleLabel();
    QVERIFY(load(window, amazonUrl));
    QTRY_COMPARE(title->text(), amazonTitle);
    QCOMPARE(window->windowTitle(), amazonTitle + u" — Velmora Shopping Browser"_s);
    click(add);
    auto *alert = window->findChild<QMessageBox *>(u"bookmarkAlert"_s);
    QTRY_VERIFY(alert && alert->isVisible());
    QCOMPARE(alert->text(), u"「"_s + amazonTitle + u"」をブックマークに保存しました！"_s);
    click(alert->buttons().first());
    QTRY_VERIFY(!window->isShowingBookmarkAlert());

    // A page without a title shows no title at all, and is saved under its
    // address.
    QVERIFY(load(window, untitledUrl));
    QTRY_VERIFY(!title->isVisible());
    QCOMPARE(window->windowTitle(), u"Velmora Shopping Browser"_s);
    click(add);
    QTRY_VERIFY(window->isShowingBookmarkAlert());
    window->findChild<QMessageBox *>(u"bookmarkAlert"_s)->buttons().first()->click();

    // What is stored is what another store reading the same settings sees.
    QList<QStringList> stored;
    const BookmarkStore reader(m_env->preferences);
    for (const ShoppingBookmark &saved : reader.bookmarks())
        stored.append({saved.title, saved.url, saved.shopName});
    QCOMPARE(stored,
             QList<QStringList>({{untitledUrl.toString(), untitledUrl.toString(), QString()},
                                 {amazonTitle, amazonUrl.toString(), u"Amazon.co.jp"_s}}));

    // A long title is cut to the toolbar's width, not wrapped; a long host
    // loses its start, and pushes neither the badge nor the buttons away.
    const QString longTitle = QString(u"とても長いページタイトル"_s).repeated(10);
    const QString longHost = u"official-store.customer-service.payment-center.shipping-status."
                             u"order-tracking.delivery-notice.long.example.com"_s;
    m_proxy->setPage(longHost, u"/"_s, htmlPage("<title>" + longTitle.toUtf8() + "</title>"));
    QVERIFY(load(window, address(longHost)));
    QTRY_VERIFY(title->isVisible());
    QVERIFY(title->text().endsWith(QChar(0x2026)));
    const AddressView *address = window->toolbar()->addressView();
    QVERIFY(address->isVisible() && window->toolbar()->badge()->isVisible() && add->isVisible());
    QVERIFY2(address->shownText().endsWith(u"long.example.com"_s),
             qPrintable(address->shownText()));
}

void TestContentView::themeMenuRestylesEveryWindowButSettings()
{
    ContentView *first = m_env->open();
    ContentView *second = m_env->open();

    first->toolbar()->themeAction(AppTheme::cyberPurple)->trigger();
    for (ContentView *window : {first, second}) {
        QVERIFY(window->toolbar()->themeAction(AppTheme::cyberPurple)->isChecked());
        const QPalette palette = window->palette();
        // The accent marks selections whether the window is active or not.
        for (const auto group : {QPalette::Active, QPalette::Inactive})
            QCOMPARE(palette.color(group, QPalette::Highlight), accentColor(AppTheme::cyberPurple));
        // Text stands out from its background.
        for (const auto &[background, text] :
             {std::pair {QPalette::Window, QPalette::WindowText},
              std::pair {QPalette::Base, QPalette::Text},
              std::pair {QPalette::Button, QPalette::ButtonText}}) {
            const int contrast
                = qAbs(palette.color(background).lightness() - palette.color(text).lightness());
            QVERIFY2(contrast > 150, qPrintable(QString::number(contrast)));
        }
        // Children and the dialogs the window opens share the look.
        QVERIFY(ThemePalette::isDark(window->sidebar()->palette()));
        QVERIFY(ThemePalette::isDark(window->toolbar()->themeMenu()->palette()));
        QCOMPARE(window->loadIndicator()->accentColor(), accentColor(AppTheme::cyberPurple));
    }

    // The settings window keeps the system's look.
    first->findChild<QAction *>(u"settingsAction"_s)->trigger();
    SettingsWindow *settings = m_env->app->settingsWindow();
    QVERIFY(settings && settings->isVisible());
    QCOMPARE(settings->palette().color(QPalette::Highlight),
             QGuiApplication::palette().color(QPalette::Highlight));

    // On a dark desktop "light" is light, and "system" keeps the desktop's
    // palette, as the windows get it back.
    const QPalette desktop = darkTestPalette();
    QVERIFY(!ThemePalette::isDark(ThemePalette::palette(AppTheme::light, desktop)));
    QCOMPARE(ThemePalette::palette(AppTheme::system, desktop).color(QPalette::Window),
             desktop.color(QPalette::Window));
    second->toolbar()->themeAction(AppTheme::system)->trigger();
    QCOMPARE(first->palette().color(QPalette::Window),
             QGuiApplication::palette().color(QPalette::Window));
}

void TestContentView::sidebarBadgeAndSections()
{
    ContentView *window = m_env->open();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    BrowserView *pane = window->browserView();

    // The bookmark count badge, on the bookmarks row only.
    SidebarView *sidebar = window->sidebar();
    BookmarkStore &store = window->bookmarkStore();
    store.addBookmark(u"A"_s, u"https://a.example/"_s, QString(), QString());
    QCOMPARE(sidebar->badgeText(NavigationSection::bookmarks), u"1"_s);
    QCOMPARE(sidebar->badgeText(NavigationSection::browser), QString());
    store.removeBookmark(store.bookmarks().first().id);
    QCOMPARE(sidebar->badgeText(NavigationSection::bookmarks), QString());

    QPointer<QWidget> previous;
    for (NavigationSection section :
         {NavigationSection::trustedShops, NavigationSection::securityRules,
          NavigationSection::subscriptions, NavigationSection::settings}) {
        clickSidebarRow(window, section);
        QCOMPARE(window->selectedSection(), section);
        auto *settings = qobject_cast<SettingsView *>(window->sectionContent());
        QVERIFY2(settings && settings->isVisible(), qPrintable(title(section)));
        // Each time a new view, on its first tab; the lists' row on theirs.
        QVERIFY(settings != previous);
        QCOMPARE(settings->tabs()->currentIndex(),
                 section == NavigationSection::subscriptions ? 3 : 0);
        previous = settings;
    }

    clickSidebarRow(window, NavigationSection::bookmarks);
    auto *list = qobject_cast<BookmarksView *>(window->sectionContent());
    QVERIFY(list);
    // The settings view that was left is gone, not hidden.
    QTRY_VERIFY(previous.isNull());

    // A bookmark opens in the browser pane, the same one, page and all.
    Q_EMIT list->bookmarkSelected(newsUrl);
    QCOMPARE(window->sidebar()->selectedSection(), NavigationSection::browser);
    QCOMPARE(window->browserView(), pane);
    QVERIFY(pane->isVisible());
    QTRY_COMPARE_ENGINE(window->browserViewModel().currentURL(), newsUrl);

    // Clicking a group header selects nothing.
    const QRect header = sidebar->visualItemRect(sidebar->topLevelItem(1));
    QTest::mouseClick(sidebar->viewport(), Qt::LeftButton, {}, header.center());
    QCOMPARE(window->selectedSection(), NavigationSection::browser);
}

void TestContentView::keyboardShortcuts()
{
    ContentView *window = openSettled();
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    QVERIFY(load(window, newsUrl));
    QVERIFY(load(window, amazonUrl));
    BrowserViewModel &vm = window->browserViewModel();
    QTRY_VERIFY(vm.canGoBack());

    auto *field = window->searchBar()->findChild<QLineEdit *>(u"queryField"_s);
    window->searchBar()->setSearchText(u"iPad"_s);
    clickSidebarRow(window, NavigationSection::settings);
    QTest::keyClick(window, Qt::Key_L, Qt::ControlModifier);
    // From any section, Ctrl+L comes back to the query box.
    QCOMPARE(window->selectedSection(), NavigationSection::browser);
    QTRY_VERIFY(field->hasFocus());
    QCOMPARE(field->selectedText(), u"iPad"_s);
    for (const QKeyCombination key : {Qt::ALT | Qt::Key_D, QKeyCombination(Qt::Key_F6)}) {
        clickSidebarRow(window, NavigationSection::history);
        QTest::keyClick(window, key.key(), key.keyboardModifiers());
        QTRY_VERIFY(field->hasFocus());
    }

    // The page keys work from the query box too.
    QTest::keyClick(field, Qt::Key_Left, Qt::AltModifier);
    QTRY_VERIFY_ENGINE(vm.currentURL() == newsUrl && vm.canGoForward());
    QTest::keyClick(field, Qt::Key_Right, Qt::AltModifier);
    QTRY_VERIFY_ENGINE(vm.currentURL() == amazonUrl && !vm.isLoading());
    int hits = m_proxy->hits(amazonUrl.host(), u"/"_s);
    for (const QKeyCombination key : {QKeyCombination(Qt::Key_F5), Qt::CTRL | Qt::Key_R,
                                      Qt::SHIFT | Qt::Key_F5, Qt::CTRL | Qt::SHIFT | Qt::Key_R}) {
        QTest::keyClick(field, key.key(), key.keyboardModifiers());
        ++hits;
        QTRY_VERIFY_ENGINE(m_proxy->hits(amazonUrl.host(), u"/"_s) == hits && !vm.isLoading());
    }

    QTest::keyClick(field, Qt::Key_D, Qt::ControlModifier);
    QCOMPARE(window->bookmarkStore().bookmarks().size(), 1);
    QTRY_VERIFY(window->isShowingBookmarkAlert());
    window->findChild<QMessageBox *>(u"bookmarkAlert"_s)->buttons().first()->click();

    // Away from 100 % the toolbar says so, and a click goes back.
    QToolButton *zoom = window->toolbar()->zoomButton();
    QVERIFY(zoom->isHidden());
    QTest::keyClick(field, Qt::Key_Plus, Qt::ControlModifier);
    QTRY_VERIFY(zoom->isVisible());
    QCOMPARE(zoom->text(), u"110%"_s);
    click(zoom);
    QVERIFY(zoom->isHidden());
    QCOMPARE(window->browserView()->pageZoom()->factor(), 1.0);

    // The lists and the clearing dialog have the keys other browsers give them.
    QTest::keyClick(field, Qt::Key_H, Qt::ControlModifier);
    QCOMPARE(window->selectedSection(), NavigationSection::history);
    QTest::keyClick(window, Qt::Key_O, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(window->selectedSection(), NavigationSection::bookmarks);
    QTest::keyClick(window, Qt::Key_F11);
    QVERIFY(window->isFullScreen());
    QTest::keyClick(window, Qt::Key_F11);
    QVERIFY(!window->isFullScreen());
    QSignalSpy clearing(window, &ContentView::clearBrowsingDataRequested);
    QTest::keyClick(window, Qt::Key_Delete, Qt::ControlModifier | Qt::ShiftModifier);
    QCOMPARE(clearing.size(), 1);
    QTRY_VERIFY(QApplication::activeModalWidget());
    QApplication::activeModalWidget()->close();
    QTest::keyClick(window, Qt::Key_L, Qt::ControlModifier);

    // Return searches for what the box holds, through the current tab, and
    // the page takes the keys next (PageDown, Space).
    QTest::keyClick(field, Qt::Key_Return);
    QTRY_COMPARE_ENGINE(vm.currentURL(), searchAddress(m_env->app->ruleStore(), u"iPad"_s));
    QVERIFY(!field->hasFocus());
    QWidget *page = window->browserView()->webView();
    QTRY_VERIFY(page == window->focusWidget() || page->isAncestorOf(window->focusWidget()));
}

void TestContentView::tabKeys_data()
{
    QTest::addColumn<QList<QKeyCombination>>("keys");
    // The tabs' addresses in order afterwards; an empty one is the start page.
    QTest::addColumn<QList<QUrl>>("tabs");
    QTest::addColumn<int>("current");

    const auto ctrl = [](Qt::Key key) { return QKeyCombination(Qt::ControlModifier, key); };
    const QKeyCombination ctrlShiftTab(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Tab);
    const QKeyCombination reopen(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_T);
    // From three tabs, the first current.
    const QList<QUrl> three = {newsUrl, amazonUrl, untitledUrl};
    QTest::newRow("Ctrl+Tab") << QList {ctrl(Qt::Key_Tab)} << three << 1;
    QTest::newRow("Ctrl+Shift+Tab wraps") << QList {ctrlShiftTab} << three << 2;
    QTest::newRow("Ctrl+3, Ctrl+1") << QList {ctrl(Qt::Key_3), ctrl(Qt::Key_1)} << three << 0;
    QTest::newRow("Ctrl+9 is the last") << QList {ctrl(Qt::Key_9)} << three << 2;
    QTest::newRow("Ctrl+W") << QList {ctrl(Qt::Key_W)} << QList {amazonUrl, untitledUrl} << 0;
    QTest::newRow("Ctrl+W, Ctrl+Shift+T")
        << QList {ctrl(Qt::Key_W), reopen} << QList {amazonUrl, newsUrl, untitledUrl} << 1;
    QTest::newRow("Ctrl+T") << QList {ctrl(Qt::Key_T)}
                            << QList {newsUrl, QUrl(), amazonUrl, untitledUrl} << 1;
    QTest::newRow("Ctrl+W on the last tab closes the window")
        << QList {ctrl(Qt::Key_W), ctrl(Qt::Key_W), ctrl(Qt::Key_W)} << QList<QUrl>() << -1;
}

void TestContentView::tabKeys()
{
    QFETCH(QList<QKeyCombination>, keys);
    QFETCH(QList<QUrl>, tabs);
    QFETCH(int, current);

    ContentView *window = openThreeTabs();
    QCOMPARE(tabAddresses(window), QList<QUrl>({newsUrl, untitledUrl, amazonUrl}));
    window->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window));
    window->selectTab(2);
    window->tabStrip()->moveTab(2, 1);
    window->selectTab(0);

    // Typed while the page has the focus. A tab closes once its page agrees.
    const QPointer<ContentView> open(window);
    for (const QKeyCombination key : std::as_const(keys)) {
        QWebEngineView *page = window->browserView()->webView();
        QWidget *target = page->focusProxy() ? page->focusProxy() : page;
        const int before = window->tabCount();
        QTest::keyClick(target, key.key(), key.keyboardModifiers());
        if (key == QKeyCombination(Qt::ControlModifier, Qt::Key_W))
            QTRY_VERIFY_ENGINE(!open || window->tabCount() < before);
    }
    if (tabs.isEmpty()) {
        QTRY_VERIFY(m_env->app->windows().isEmpty());
        return;
    }
    const int start = int(tabs.indexOf(QUrl()));
    if (start >= 0)
        tabs[start] = searchAddress(m_env->app->ruleStore());
    QTRY_COMPARE_ENGINE(tabAddresses(window), tabs);
    QCOMPARE(window->currentTabIndex(), current);
    // The toolbar shows the current tab's page.
    QCOMPARE(window->toolbar()->addressView()->address(), tabs.at(current));
    QCOMPARE(window->toolbar()->badge()->safetyLevel(),
             window->tabViewModel(current).safetyLevel());
    const QString pageTitle = window->tabViewModel(current).pageTitle();
    QCOMPARE(window->windowTitle().section(u" — "_s, 0, 0),
             pageTitle.isEmpty() ? u"Velmora Shopping Browser"_s : pageTitle);
    if (start >= 0)
        QTRY_VERIFY(window->searchBar()->findChild<QLineEdit *>(u"queryField"_s)->hasFocus());
}

void TestContentView::tabStripAndMenuOpenDuplicateCloseAndReopen()
{
    ContentView *window = openThreeTabs();
    QCOMPARE(tabAddresses(window), QList<QUrl>({newsUrl, untitledUrl, amazonUrl}));
    // On the strip, "+" opens the start page in front, and so does a double
    // click on its free space; a middle click closes the tab under the
    // pointer; a tab's own button, that tab.
    TabStrip *strip = window->tabStrip();
    window->selectTab(2);
    click(window->findChild<QToolButton *>(u"newTabButton"_s));
    QCOMPARE(window->tabCount(), 4);
    QCOMPARE(window->currentTabIndex(), 3);
    QTest::mouseClick(strip, Qt::MiddleButton, {}, strip->tabRect(3).center());
    QTRY_COMPARE_ENGINE(window->tabCount(), 3);
    QTest::mouseDClick(strip, Qt::LeftButton, {}, QPoint(strip->width() - 5, 5));
    QCOMPARE(window->tabCount(), 4);
    QTRY_COMPARE_ENGINE(window->browserViewModel().currentURL(),
                        searchAddress(m_env->app->ruleStore()));
    click(qobject_cast<QToolButton *>(strip->tabButton(3, QTabBar::RightSide)));
    const auto shown = [window] { return tabAddresses(window); };
    QTRY_COMPARE_ENGINE(shown(), QList<QUrl>({newsUrl, untitledUrl, amazonUrl}));

    const auto choose = [window](int tab, const QString &action) {
        QMenu *menu = window->tabMenu(tab);
        menu->findChild<QAction *>(action)->trigger();
        menu->close();
    };

    choose(2, u"duplicateTabMenuAction"_s);
    QTRY_COMPARE_ENGINE(shown(), QList<QUrl>({newsUrl, untitledUrl, amazonUrl, amazonUrl}));
    QCOMPARE(window->currentTabIndex(), 3);
    choose(1, u"closeTabsToTheRightMenuAction"_s);
    QTRY_COMPARE_ENGINE(shown(), QList<QUrl>({newsUrl, untitledUrl}));
    choose(1, u"closeOtherTabsMenuAction"_s);
    QTRY_COMPARE_ENGINE(shown(), QList<QUrl>({untitledUrl}));
    QVERIFY(!window->tabMenu(0)->findChild<QAction *>(u"closeOtherTabsMenuAction"_s)->isEnabled());
    // The last tab closed comes back first, its way back with it.
    choose(0, u"reopenTabMenuAction"_s);
    QTRY_COMPARE_ENGINE(shown(), QList<QUrl>({untitledUrl, newsUrl}));
    QTRY_VERIFY(window->tabViewModel(1).canGoBack());
    choose(1, u"duplicateTabMenuAction"_s);
    QTRY_COMPARE_ENGINE(shown(), QList<QUrl>({untitledUrl, newsUrl, newsUrl}));
    QTRY_VERIFY(window->tabViewModel(2).canGoBack());

    // A page let through past its warning is that tab's alone: its copy
    // is judged anew and stopped.
    BrowserViewModel &proceeded = window->tabViewModel(2);
    proceeded.loadURL(scamUrl);
    QTRY_VERIFY_ENGINE(proceeded.isBlocked());
    proceeded.proceedAnyway();
    QTRY_VERIFY_ENGINE(!proceeded.isBlocked() && proceeded.currentURL() == scamUrl
                       && !proceeded.isLoading());
    const int scamHits = m_proxy->hits(scamUrl.host(), u"/"_s);
    choose(2, u"duplicateTabMenuAction"_s);
    QTRY_VERIFY_ENGINE(window->tabCount() == 4 && window->tabViewModel(3).isBlocked());
    QTest::qWait(300);
    QCOMPARE(m_proxy->hits(scamUrl.host(), u"/"_s), scamHits);
    // With nothing shown before it there, as in any tab opened straight onto
    // a blocked page, back closes the copy.
    window->tabViewModel(3).goBack();
    QTRY_COMPARE(window->tabCount(), 3);

    // Clearing the history forgets the tabs and windows closed before.
    ContentView *other = m_env->open();
    QVERIFY(load(other, newsUrl));
    other->close();
    QTRY_COMPARE(m_env->app->windows(), QList {window});
    QVERIFY(m_env->app->historyStore().clearAll());
    choose(0, u"reopenTabMenuAction"_s);
    window->findChild<QAction *>(u"reopenTabAction"_s)->trigger();
    QCOMPARE(window->tabCount(), 3);
    QCOMPARE(m_env->app->windows(), QList {window});
}

void TestContentView::closingATabAsksAPageHoldingInput_data()
{
    QTest::addColumn<QString>("script");
    QTest::addColumn<bool>("asked"); // the user, who has clicked in the page
    QTest::addColumn<bool>("leave"); // the user's answer

    const QString keep = u"addEventListener('beforeunload', e => { e.returnValue = 'x'; })"_s;
    QTest::newRow("nothing to keep") << QString() << false << true;
    QTest::newRow("kept, user leaves") << keep << true << true;
    // Closed from behind another tab, it comes to the front to ask.
    QTest::newRow("kept, behind, user stays") << keep << true << false;
    QTest::newRow("blocked page") << u"location.href = '%1'"_s.arg(scamUrl.toString()) << false
                                  << true;
    // Stuck in a script, the page gets no say: the engine answers for it.
    QTest::newRow("stuck page") << u"setTimeout(() => { for (;;) {} }, 50)"_s << false << true;
    QTest::newRow("crashed page") << QString() << false << true;
}

void TestContentView::closingATabAsksAPageHoldingInput()
{
    QFETCH(QString, script);
    QFETCH(bool, asked);
    QFETCH(bool, leave);

    ContentView *window = openSettled();
    QVERIFY(load(window, newsUrl));
    window->openTab(amazonUrl, true);
    QWebEnginePage *page = window->browserView()->webView()->page();
    const auto run = [page](const QString &js) { return runScript(page, js, 2000).toBool(); };
    QVERIFY(run(script + u"; true"_s));
    if (qstrcmp(QTest::currentDataTag(), "blocked page") == 0)
        QTRY_VERIFY_ENGINE(window->browserView()->isShowingWarning());
    if (qstrcmp(QTest::currentDataTag(), "crashed page") == 0) {
        QVERIFY(::kill(page->renderProcessPid(), SIGKILL) == 0);
        QTRY_VERIFY_ENGINE(window->browserView()->crashedView()->isVisible());
    }
    // The engine asks only for a page the user has interacted with.
    QWidget *input = window->browserView()->webView()->focusProxy();
    QVERIFY(!asked || waitForEngine([&] {
        QTest::mouseClick(input, Qt::LeftButton, {}, QPoint(300, 300));
        return run(u"navigator.userActivation.hasBeenActive"_s);
    }));
    QStringList seen;
    QTimer answerer;
    connect(&answerer, &QTimer::timeout, this, [&seen, leave] {
        if (auto *dialog = qobject_cast<JavaScriptDialog *>(QApplication::activeModalWidget())) {
            seen.append(dialog->windowTitle());
            leave ? dialog->accept() : dialog->reject();
        }
    });
    answerer.start(50);

    // The engine's answer closes it, not the time allowed running out.
    QSignalSpy unanswered(qobject_cast<ScreeningWebPage *>(page),
                          &ScreeningWebPage::closeUnanswered);
    if (qstrcmp(QTest::currentDataTag(), "kept, behind, user stays") == 0)
        window->selectTab(1);
    window->closeTab(0);
    const QList<QUrl> left = leave ? QList {amazonUrl} : QList {newsUrl, amazonUrl};
    QTRY_COMPARE_ENGINE(tabAddresses(window), left);
    QCOMPARE(unanswered.count(), 0);
    if (!leave)
        QCOMPARE(window->currentTabIndex(), 0);
    // Staying is kept: the tab is not closed later for want of an answer.
    if (!leave)
        QTest::qWait(ScreeningWebPage::closeAnswerTimeoutMs + 500);
    QCOMPARE(tabAddresses(window), left);
    QCOMPARE(seen,
             asked ? QStringList {QString::fromUtf8(JavaScriptDialog::leavePageTitle)}
                   : QStringList());
}

void TestContentView::settingsWindowKeysAndLastWindow_data()
{
    QTest::addColumn<QKeyCombination>("key");
    QTest::addColumn<qsizetype>("windows");
    QTest::addColumn<bool>("settingsStays");

    // No key: the user closes the last browser window instead.
    QTest::newRow("last browser window closed") << QKeyCombination() << qsizetype(0) << false;
    QTest::newRow("Ctrl+N") << QKeyCombination(Qt::CTRL | Qt::Key_N) << qsizetype(2) << true;
    QTest::newRow("Ctrl+W") << QKeyCombination(Qt::CTRL | Qt::Key_W) << qsizetype(1) << false;
    QTest::newRow("Ctrl+Q") << QKeyCombination(Qt::CTRL | Qt::Key_Q) << qsizetype(0) << false;
}

void TestContentView::settingsWindowKeysAndLastWindow()
{
    QFETCH(QKeyCombination, key);
    QFETCH(qsizetype, windows);
    QFETCH(bool, settingsStays);

    ContentView *window = m_env->open();
    const QPointer<SettingsWindow> settings = m_env->app->openSettingsWindow();
    settings->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(settings));
    // Every tab shows at once, none behind scroll arrows.
    const QTabBar *tabs = settings->findChild<QTabBar *>();
    QCOMPARE_LE(tabs->sizeHint().width(), tabs->width());
    if (key == QKeyCombination())
        window->close();
    else
        QTest::keyClick(settings, key.key(), key.keyboardModifiers());
    QTRY_COMPARE(m_env->app->windows().size(), windows);
    QTRY_COMPARE(bool(settings), settingsStays);
}

void TestContentView::pagesOpenTabs_data()
{
    QTest::addColumn<int>("link");
    QTest::addColumn<Qt::MouseButton>("button");
    QTest::addColumn<bool>("background");

    // A new tab that is blocked is the navigation test's (target blank).
    QTest::newRow("target blank") << 0 << Qt::LeftButton << false;
    QTest::newRow("middle click") << 1 << Qt::MiddleButton << true;
}

void TestContentView::pagesOpenTabs()
{
    QFETCH(int, link);
    QFETCH(Qt::MouseButton, button);
    QFETCH(bool, background);

    ContentView *window = openSettled();
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(load(window, tabLinksUrl));
    QWebEngineView *first = window->browserView()->webView();
    // The page takes clicks once it has drawn.
    QTest::qWait(300);
    QTest::mouseClick(first->focusProxy(), button, {}, QPoint(100, 30 + 60 * link));

    QTRY_COMPARE_ENGINE(window->tabCount(), 2);
    QCOMPARE(window->currentTabIndex(), background ? 0 : 1);
    BrowserViewModel &opened = window->tabViewModel(1);
    QTRY_VERIFY_ENGINE(opened.currentURL() == amazonUrl && !opened.isLoading());
    QCOMPARE(window->tabViewModel(0).currentURL(), tabLinksUrl);
    if (background)
        return;
    // A window the page opened can report back to it.
    QCOMPARE(runScript(window->tabView(1)->webView()->page(), u"window.opener !== null"_s),
             QVariant(true));
    // When it is done, it closes itself, and the tab that opened it comes
    // back to the front rather than its neighbour.
    window->openTab(untitledUrl, true);
    window->tabView(1)->webView()->page()->runJavaScript(u"window.close()"_s);
    QTRY_COMPARE_ENGINE(window->tabCount(), 2);
    QCOMPARE(window->currentTabIndex(), 0);
}

void TestContentView::popupShowsOnlyAPageFromAnAddress()
{
    ContentView *window = openSettled();
    QVERIFY(load(window, tabLinksUrl));
    // The opener writes into the blank first page of its window: drawing
    // that page crashes the engine, so the tab stays covered. The shop it
    // asked for, still silent, lends that page neither address nor badge.
    window->browserView()->webView()->page()->runJavaScript(
        u"window.w = window.open('http://www.amazon.co.jp/signin');"
        " w.document.body.innerHTML = '<h1>written</h1>';"_s);
    QTRY_COMPARE_ENGINE(m_proxy->hits(amazonUrl.host(), u"/signin"_s), 1);
    QTRY_COMPARE_ENGINE(window->tabCount(), 2);
    BrowserView *popup = window->tabView(1);
    // Opened without a click, it waits behind.
    QCOMPARE(window->currentTabIndex(), 0);
    window->selectTab(1);
    QTest::qWait(500);
    QVERIFY(popup->findChild<QWidget *>(u"blankPageCover"_s)->isVisible());
    QVERIFY(!popup->webView()->isVisible());
    QVERIFY(popup->viewModel().currentURL().isEmpty());
    QVERIFY(!popup->viewModel().safetyLevel().isTrusted());
    // Its first page from an address shows.
    window->tabView(0)->webView()->page()->runJavaScript(
        u"w.location = '%1';"_s.arg(amazonUrl.toString()));
    QTRY_VERIFY_ENGINE(popup->webView()->isVisible());
    QCOMPARE(popup->viewModel().currentURL(), amazonUrl);
    QVERIFY(popup->viewModel().safetyLevel().isTrusted());
}

void TestContentView::downloadsShowUnderThePage()
{
    ContentView *window = openSettled();
    QVERIFY(load(window, shopUrl));
    auto *bar = window->findChild<DownloadBarView *>();
    QVERIFY(bar && !bar->isVisible());

    // Saved into the download folder of the user's home.
    QWebEnginePage *page = window->browserView()->webView()->page();
    page->runJavaScript(u"document.getElementById('receipt').click()"_s);
    const QString saved = QDir(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation))
                              .filePath(u"領収書.pdf"_s);
    QVERIFY(saved.startsWith(home.path()));
    QVERIFY(waitForEngine([&] { return QFileInfo(saved).size() > 0; }));
    // What is refused and how the bar says so are the download manager's
    // and the bar's tests; here the bar comes up under the page it came from.
    QTRY_VERIFY(bar->isVisible());
    QTRY_VERIFY(bar->findChild<QLabel *>(u"downloadStatus"_s)->text().startsWith(u"完了"_s));
    QCOMPARE(window->browserViewModel().currentURL(), shopUrl);
    QCOMPARE(QFileInfo(saved).dir().entryList(QDir::Files), QStringList {u"領収書.pdf"_s});
    // The README's picture shows a refused file beside the receipt.
    if (screenshotsWanted()) {
        page->download(scamFileUrl);
        QTRY_COMPARE(bar->findChildren<QLabel *>(u"downloadStatus"_s).size(), 2);
    }
    QVERIFY(saveScreenshot(window, u"window-downloads.png"_s));

    // A download still being written: closing asks first, as closing stops it.
    page->download(catalogUrl);
    QTRY_COMPARE_ENGINE(window->runningDownloads(), 1);
    const QPointer<ContentView> open(window);
    const auto answer = [this](const char *button) {
        QTimer::singleShot(100, this, [button] {
            if (QWidget *box = QApplication::activeModalWidget())
                box->findChild<QPushButton *>(QString::fromLatin1(button))->click();
        });
    };
    answer("downloadsKeepButton");
    Q_EMIT window->quitRequested();
    answer("downloadsKeepButton");
    window->close();
    QTest::qWait(200);
    QVERIFY(open);
    answer("downloadsStopButton");
    window->close();
    QTRY_VERIFY(!open);
    // Stopped, and nothing of it left.
    const QString partial = QFileInfo(saved).dir().filePath(u"catalog.bin.download"_s);
    QTRY_VERIFY(!QFile::exists(partial));
    QTest::qWait(500);
    QVERIFY(!QFile::exists(partial));
}

void TestContentView::screenshots()
{
    // Pictures for the documentation (the README shows some of them); every
    // step is checked by the tests above.
    if (!screenshotsWanted())
        QSKIP("VELMORA_SCREENSHOT_DIR is not set");
    ContentView *window = openSettled();
    window->resize(1280, 800);
    QVERIFY(QTest::qWaitForWindowExposed(window));
    QVERIFY(load(window, amazonUrl));
    // Behind the certified shop, a shop under caution and a blocked one.
    window->openTab(cautionUrl, true);
    window->openTab(scamUrl, true);
    QTRY_VERIFY_ENGINE(window->tabView(2)->isShowingWarning());
    QTRY_VERIFY_ENGINE(!window->tabViewModel(1).isLoading()
                       && window->tabViewModel(1).safetyLevel().isCaution());
    window->searchBar()->setSearchText(u"MacBook Air"_s);
    int tab = 0;
    for (const QString &name : {u"default"_s, u"caution"_s, u"warning"_s}) {
        window->selectTab(tab++);
        QTest::qWait(500);
        QVERIFY(saveScreenshot(window, u"window-%1.png"_s.arg(name)));
    }
}

QTEST_MAIN(TestContentView)
#include "tst_contentview.moc"

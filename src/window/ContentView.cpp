#include "window/ContentView.h"

#include "bookmarks/BookmarkStore.h"
#include "browser/BrowserViewModel.h"
#include "browser/DownloadManager.h"
#include "browser/HistoryRecorder.h"
#include "browser/ScreeningWebPage.h"
#include "history/HistoryStore.h"
#include "rules/SecurityRuleStore.h"
#include "safety/SafeBrowsingEngine.h"
#include "safety/WebAddress.h"
#include "theme/ThemeManager.h"
#include "views/bookmarks/BookmarksView.h"
#include "views/browser/BrowserPageActions.h"
#include "views/browser/BrowserView.h"
#include "views/common/SymbolIcon.h"
#include "views/common/ThemeColors.h"
#include "views/downloads/DownloadBarView.h"
#include "views/history/HistoryView.h"
#include "views/search/SearchBarView.h"
#include "views/settings/AboutTab.h"
#include "views/settings/SettingsView.h"
#include "window/BrowserToolbar.h"
#include "window/LoadIndicator.h"
#include "window/PrivateWindowBanner.h"
#include "window/SidebarView.h"
#include "window/TabStrip.h"
#include "window/ThemePalette.h"
#include "zoom/ZoomLevels.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QEvent>
#include <QHBoxLayout>
#include <QMenuBar>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWebEnginePage>
#include <QWebEngineView>
#include <QWindow>

#include <utility>

namespace {

QFrame *divider(QWidget *parent)
{
    auto *line = new QFrame(parent);
    line->setObjectName(QStringLiteral("searchBarDivider"));
    line->setFixedHeight(1);
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    line->setBackgroundRole(QPalette::Mid);
    return line;
}

} // namespace

ContentView::ContentView(ThemeManager &themeManager, SecurityRuleStore &ruleStore,
                         SubscriptionStore &subscriptions, PreferencesStore &preferences,
                         BrowserView::ProfileSource profile, bool privateWindow,
                         HistoryStore &history, DownloadManager::ReservedPaths downloadPaths,
                         QWidget *parent)
    : QMainWindow(parent)
    , m_themeManager(themeManager)
    , m_ruleStore(ruleStore)
    , m_subscriptions(subscriptions)
    , m_preferences(preferences)
    , m_profile(std::move(profile))
    , m_isPrivate(privateWindow)
    , m_history(history)
    , m_downloadPaths(std::move(downloadPaths))
    , m_bookmarkStore(new BookmarkStore(preferences, this))
    , m_zoomLevels(new ZoomLevels(
          preferences,
          privateWindow ? ZoomLevels::Keeping::thisWindowOnly : ZoomLevels::Keeping::stored, this))
    , m_pageActions(new BrowserPageActions(*this))
{
    setObjectName(QStringLiteral("contentView"));
    setMinimumSize(minimumContentSize);
    resize(1280, 820);

    m_splitter = new QSplitter(Qt::Horizontal, this);
    m_splitter->setObjectName(QStringLiteral("mainSplitter"));
    m_splitter->setChildrenCollapsible(false);
    m_splitter->setHandleWidth(1);

    m_sidebar = new SidebarView(m_splitter);
    m_splitter->addWidget(m_sidebar);
    m_splitter->addWidget(buildDetailColumn());
    m_splitter->setStretchFactor(0, 0);
    m_splitter->setStretchFactor(1, 1);
    m_splitter->setSizes({SidebarView::idealColumnWidth, width() - SidebarView::idealColumnWidth});
    // A hairline between the columns, drawn from the palette so that it
    // follows light and dark themes.
    m_splitter->handle(1)->setAutoFillBackground(true);
    m_splitter->handle(1)->setBackgroundRole(QPalette::Mid);
    if (isPrivate()) {
        auto *column = new QWidget(this);
        auto *layout = new QVBoxLayout(column);
        layout->setContentsMargins(0, 0, 0, 0);
        layout->setSpacing(0);
        layout->addWidget(new PrivateWindowBanner(column));
        layout->addWidget(m_splitter, 1);
        setCentralWidget(column);
    } else {
        setCentralWidget(m_splitter);
    }

    buildMenus();
    showCurrentTab();

    connect(m_sidebar, &SidebarView::sectionSelected, this,
            [this](NavigationSection section) { selectSection(section); });
    connect(m_sidebar, &SidebarView::selectionCleared, this,
            [this] { selectSection(std::nullopt); });
    connect(m_bookmarkStore, &BookmarkStore::bookmarksChanged, this,
            &ContentView::updateBookmarkBadge);
    connect(&m_themeManager, &ThemeManager::currentThemeChanged, this, &ContentView::applyTheme);
    connect(m_tabStrip, &QTabBar::currentChanged, this, &ContentView::showCurrentTab);
    connect(m_tabStrip, &QTabBar::tabMoved, this, &ContentView::moveTab);
    connect(m_tabStrip, &QTabBar::tabCloseRequested, this, &ContentView::closeTab);
    m_tabStrip->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(m_tabStrip, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        const int index = m_tabStrip->tabAt(at);
        if (index >= 0)
            tabMenu(index)->popup(m_tabStrip->mapToGlobal(at));
    });
    connect(m_toolbar, &BrowserToolbar::addBookmarkRequested, this,
            &ContentView::addCurrentPageToBookmarks);
    // Cleared history takes the tabs that could be reopened with it.
    connect(&m_history, &HistoryStore::visitsCleared, this, [this] { m_closedTabs.clear(); });

    m_sidebar->setSelectedSection(m_selectedSection);
    updateBookmarkBadge();
    applyTheme();
}

ContentView::~ContentView()
{
    // The tabs go with the window's children, after its own members: a page
    // still reports as it goes (the answer to a title script, say), and
    // nothing of that may reach the window any more.
    for (BrowserView *view : std::as_const(m_tabs)) {
        disconnect(view, nullptr, this, nullptr);
        disconnect(&view->viewModel(), nullptr, this, nullptr);
        if (view->hasStartedPage())
            disconnect(view->webView()->page(), nullptr, this, nullptr);
    }
}

QWidget *ContentView::buildDetailColumn()
{
    auto *column = new QWidget(m_splitter);
    column->setObjectName(QStringLiteral("detailColumn"));
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The browser section is made first: making it opens the first tab,
    // whose page the toolbar shows.
    m_sections = new QStackedWidget(column);
    m_sections->setObjectName(QStringLiteral("sectionStack"));
    m_browserSection = buildBrowserSection();
    m_sections->addWidget(m_browserSection);

    m_toolbar = new BrowserToolbar(browserViewModel(), m_themeManager, column);
    m_loadIndicator = new LoadIndicator(column);

    layout->addWidget(m_toolbar);
    layout->addWidget(m_loadIndicator);
    layout->addWidget(m_sections, 1);
    return column;
}

QWidget *ContentView::buildBrowserSection()
{
    auto *section = new QWidget(m_sections);
    section->setObjectName(QStringLiteral("browserSection"));
    auto *layout = new QVBoxLayout(section);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_searchBar = new SearchBarView(m_ruleStore, m_themeManager, section);
    m_tabStrip = new TabStrip(section);
    m_pages = new QStackedWidget(section);
    m_pages->setObjectName(QStringLiteral("tabPages"));
    m_downloads = new DownloadManager(m_ruleStore, m_downloadPaths, section);
    layout->addWidget(m_searchBar);
    layout->addWidget(divider(section));
    // The tabs, and after them the button for another.
    auto *tabRow = new QHBoxLayout;
    tabRow->setContentsMargins(0, 0, 4, 0);
    tabRow->setSpacing(2);
    tabRow->addWidget(m_tabStrip, 1);
    m_newTabButton = new QToolButton(section);
    m_newTabButton->setObjectName(QStringLiteral("newTabButton"));
    m_newTabButton->setAutoRaise(true);
    m_newTabButton->setFocusPolicy(Qt::NoFocus);
    m_newTabButton->setToolTip(QStringLiteral("新規タブ (Ctrl+T)"));
    m_newTabButton->setAccessibleName(QStringLiteral("新規タブ"));
    connect(m_newTabButton, &QToolButton::clicked, this, &ContentView::openStartTab);
    connect(m_tabStrip, &TabStrip::newTabRequested, this, &ContentView::openStartTab);
    tabRow->addWidget(m_newTabButton, 0, Qt::AlignVCenter);
    layout->addLayout(tabRow);
    layout->addWidget(m_pages, 1);
    layout->addWidget(new DownloadBarView(*m_downloads, section));
    connect(m_searchBar, &SearchBarView::searchRequested, this, [this](const QUrl &address) {
        runSearch(address);
        // The page takes the keys next (PageDown, Space), as in other
        // browsers after an address is typed: once it has loaded, as the
        // engine may replace the widget that would hold the focus before.
        QWebEngineView *page = browserView()->webView();
        if (!page)
            return;
        page->setFocus();
        connect(
            page->page(), &QWebEnginePage::loadFinished, page,
            [this, page] {
                if (!focusWidget() || page->isAncestorOf(focusWidget()))
                    page->setFocus();
            },
            Qt::SingleShotConnection);
    });
    addTab(false);
    return section;
}

BrowserView *ContentView::addTab(bool background)
{
    auto *viewModel = new BrowserViewModel(m_ruleStore, this);
    auto *view = new BrowserView(*viewModel, m_ruleStore, m_themeManager, m_profile, m_pages);
    if (!isPrivate())
        new HistoryRecorder(*viewModel, m_history, viewModel);
    connect(view, &QObject::destroyed, viewModel, &QObject::deleteLater);
    view->setZoomLevels(*m_zoomLevels);
    connect(view, &BrowserView::pageStarted, this, [this, view](QWebEnginePage *page) {
        watchPage(view, page);
        // The page's zoom exists from its start.
        if (m_toolbar && view == m_tabs.value(currentTabIndex()))
            m_toolbar->setPageZoom(view->pageZoom());
    });
    // A tab opened onto a blocked page has nothing to go back to: going
    // back closes it, and the tab it came from shows again.
    connect(viewModel, &BrowserViewModel::backLeadsNowhere, view, [this, view] {
        if (m_tabs.size() > 1)
            removeTab(view);
    });
    connect(view, &BrowserView::frontWanted, this, [this, view] {
        selectSection(NavigationSection::browser);
        selectTab(int(m_tabs.indexOf(view)));
    });
    connect(view, &BrowserView::openInNewTabRequested, this, [this](const QUrl &url) {
        if (BrowserViewModel::mayOpenFromPage(url))
            openTab(url, true);
    });
    for (const auto signal :
         {&BrowserViewModel::currentURLChanged, &BrowserViewModel::isBlockedChanged,
          &BrowserViewModel::pendingBlockedURLChanged,
          &BrowserViewModel::certificateProblemChanged}) {
        connect(viewModel, signal, this, &ContentView::tabsChanged);
    }

    // Next to the tab it came from, as the user expects to find it, after
    // the ones opened from it before: links line up in the order clicked.
    const int index = m_tabs.isEmpty()
        ? 0
        : std::min(currentTabIndex() + 1 + (background ? m_openedBehindCurrent : 0),
                   int(m_tabs.size()));
    if (background)
        ++m_openedBehindCurrent;
    m_tabs.insert(index, view);
    m_pages->addWidget(view);
    m_tabStrip->insertPageTab(index, *viewModel);
    if (!background)
        m_tabStrip->setCurrentIndex(index);
    Q_EMIT tabsChanged();
    if (m_pagesStarted)
        view->startPage();
    return view;
}

void ContentView::watchPage(BrowserView *view, QWebEnginePage *page)
{
    m_downloads->watchPage(page);
    if (auto *screening = qobject_cast<ScreeningWebPage *>(page)) {
        screening->setTabOpener([this, view](bool inBackground) {
            BrowserView *opened = addTab(inBackground);
            m_openers.insert(opened, view);
            return opened->webView()->page();
        });
    }
    // A sign-in or payment window closes itself when it is done; the engine
    // allows that only to windows a script opened. A page the user closes
    // answers here too.
    connect(page, &QWebEnginePage::windowCloseRequested, view, [this, view] { removeTab(view); });
    if (auto *screening = qobject_cast<ScreeningWebPage *>(page))
        connect(screening, &ScreeningWebPage::closeUnanswered, view,
                [this, view] { removeTab(view); });
}

void ContentView::startPages()
{
    if (m_pagesStarted)
        return;
    m_pagesStarted = true;
    // The shown tab first: its page is the one the user waits for.
    const int current = currentTabIndex();
    if (current >= 0 && current < m_tabs.size())
        m_tabs.at(current)->startPage();
    for (BrowserView *view : std::as_const(m_tabs))
        view->startPage();
}

int ContentView::currentTabIndex() const
{
    return m_tabStrip->currentIndex();
}

BrowserViewModel &ContentView::browserViewModel() const
{
    return tabViewModel(currentTabIndex());
}

BrowserView *ContentView::browserView() const
{
    return m_tabs.at(currentTabIndex());
}

BrowserViewModel &ContentView::tabViewModel(int index) const
{
    return m_tabs.at(index)->viewModel();
}

void ContentView::showCurrentTab()
{
    // Also called while a closing tab is taken out, before the toolbar exists
    // on the first tab: only a complete window follows the current tab.
    m_openedBehindCurrent = 0;
    const int index = currentTabIndex();
    if (index < 0 || index >= m_tabs.size() || !m_toolbar)
        return;
    BrowserView *view = m_tabs.at(index);
    m_pages->setCurrentWidget(view);
    m_toolbar->setViewModel(view->viewModel());
    m_toolbar->setPageZoom(view->pageZoom());
    m_loadIndicator->setViewModel(view->viewModel());
    m_pageActions->setView(view);
    for (const QMetaObject::Connection &connection : std::as_const(m_titleConnections))
        disconnect(connection);
    m_titleConnections.clear();
    for (const auto signal :
         {&BrowserViewModel::pageTitleChanged, &BrowserViewModel::isBlockedChanged,
          &BrowserViewModel::pendingBlockedURLChanged,
          &BrowserViewModel::certificateProblemChanged}) {
        m_titleConnections.append(
            connect(&view->viewModel(), signal, this, &ContentView::updateWindowTitle));
    }
    updateWindowTitle();
    Q_EMIT tabsChanged();
}

void ContentView::updateWindowTitle()
{
    // The page's title first, as the desktop's window list shows it, and
    // the browser after it; a private window says so.
    QString title = QStringLiteral("Velmora Shopping Browser");
    if (isPrivate())
        title += QStringLiteral(" — プライベート");
    const int index = currentTabIndex();
    if (index >= 0 && index < m_tabs.size()) {
        const QString page = m_tabs.at(index)->viewModel().shownTitle().trimmed();
        if (!page.isEmpty())
            title = page + QStringLiteral(" — ") + title;
    }
    setWindowTitle(title);
}

void ContentView::moveTab(int from, int to)
{
    m_tabs.move(from, to);
    m_openedBehindCurrent = 0;
    Q_EMIT tabsChanged();
}

void ContentView::openTab(const QUrl &url, bool background)
{
    selectSection(NavigationSection::browser);
    addTab(background)->viewModel().loadURL(url);
}

void ContentView::skipNextVisit(int tab, const QUrl &url)
{
    if (tab < 0 || tab >= m_tabs.size())
        return;
    if (auto *recorder = tabViewModel(tab).findChild<HistoryRecorder *>())
        recorder->skipNextVisit(url);
}

void ContentView::closeTab(int index)
{
    if (index < 0 || index >= m_tabs.size())
        return;
    BrowserView *view = m_tabs.at(index);
    if (auto *page = qobject_cast<ScreeningWebPage *>(view->webView()->page()))
        page->requestClose();
    else
        removeTab(view);
}

void ContentView::removeTab(BrowserView *view)
{
    const int index = int(m_tabs.indexOf(view));
    if (index < 0)
        return;
    // The last tab goes with its window, which keeps it for reopening.
    if (m_tabs.size() == 1) {
        close();
        return;
    }
    if (!tabViewModel(index).shownURL().isEmpty())
        m_closedTabs.append(closedTab(tabViewModel(index)));
    const bool wasCurrent = index == currentTabIndex();
    m_tabs.removeAt(index);
    // A sign-in window done, or a tab the user closes, gives the front back
    // to the tab that opened it.
    const QPointer<BrowserView> opener = m_openers.take(view);
    m_openedBehindCurrent = 0;
    m_tabStrip->removeTab(index);
    m_pages->removeWidget(view);
    if (wasCurrent && opener && m_tabs.contains(opener.data()))
        selectTab(int(m_tabs.indexOf(opener.data())));
    // Its page may be the one that asked for this, still inside its call.
    view->deleteLater();
    Q_EMIT tabsChanged();
}

void ContentView::selectTab(int index)
{
    if (index >= 0 && index < m_tabs.size())
        m_tabStrip->setCurrentIndex(index);
}

void ContentView::reopenClosedTab()
{
    if (m_closedTabs.isEmpty())
        Q_EMIT reopenWindowRequested();
    else
        openTabAgain(m_closedTabs.takeLast());
}

ContentView::ClosedTab ContentView::closedTab(const BrowserViewModel &viewModel)
{
    // Over a warning the list ends at the page before: the address alone
    // shows the warning again. So it does for a page let through past one,
    // whose entry would come back blank under the warning, going nowhere.
    const QUrl shown = viewModel.shownURL();
    const bool pageShown
        = !viewModel.isBlocked() && !viewModel.isProceeded() && shown == viewModel.currentURL();
    return {shown, pageShown ? viewModel.savedHistory() : QByteArray()};
}

void ContentView::openTabAgain(const ClosedTab &tab)
{
    selectSection(NavigationSection::browser);
    BrowserViewModel &viewModel = addTab(false)->viewModel();
    if (!viewModel.restoreHistory(tab.history))
        viewModel.loadURL(tab.url);
}

void ContentView::openStartTab()
{
    selectSection(NavigationSection::browser);
    BrowserView *view = addTab(false);
    if (const auto url = startupSearchURL())
        view->viewModel().loadURL(*url);
    m_searchBar->focusQuery();
}

QMenu *ContentView::tabMenu(int index)
{
    auto *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    // The page may close its own tab while the menu is up.
    const QPointer<BrowserView> view = m_tabs.value(index);
    const auto add
        = [this, menu](const char *name, const QString &text, bool enabled, auto command) {
              QAction *action = menu->addAction(text);
              action->setObjectName(QString::fromLatin1(name));
              action->setEnabled(enabled);
              connect(action, &QAction::triggered, this, command);
          };
    add("newTabMenuAction", QStringLiteral("新規タブ"), true, [this] { openStartTab(); });
    add("reloadTabMenuAction", QStringLiteral("再読み込み"), true, [view] {
        if (view)
            view->viewModel().reload();
    });
    // Screened again, as any load is: a blocked page's copy is blocked too.
    add("duplicateTabMenuAction", QStringLiteral("タブを複製"),
        view && !view->viewModel().shownURL().isEmpty(), [this, view] {
            if (!view)
                return;
            selectTab(int(m_tabs.indexOf(view)));
            openTabAgain(closedTab(view->viewModel()));
        });
    menu->addSeparator();
    add("closeTabMenuAction", QStringLiteral("タブを閉じる"), true,
        [this, view] { closeTab(int(m_tabs.indexOf(view))); });
    add("closeOtherTabsMenuAction", QStringLiteral("他のタブを閉じる"), m_tabs.size() > 1,
        [this, view] {
            if (!view)
                return;
            for (int i = tabCount() - 1; i >= 0; --i) {
                if (m_tabs.at(i) != view)
                    closeTab(i);
            }
        });
    add("closeTabsToTheRightMenuAction", QStringLiteral("右側のタブを閉じる"),
        index < m_tabs.size() - 1, [this, view] {
            if (!view)
                return;
            for (int i = tabCount() - 1; i > m_tabs.indexOf(view); --i)
                closeTab(i);
        });
    menu->addSeparator();
    add("reopenTabMenuAction", QStringLiteral("閉じたタブを開き直す"), !m_closedTabs.isEmpty(),
        [this] { reopenClosedTab(); });
    return menu;
}

void ContentView::buildMenus()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("ファイル"));
    QAction *newWindow = file->addAction(QStringLiteral("新規ウインドウ"));
    newWindow->setObjectName(QStringLiteral("newWindowAction"));
    newWindow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_N));
    connect(newWindow, &QAction::triggered, this, &ContentView::newWindowRequested);
    QAction *newPrivateWindow = file->addAction(QStringLiteral("新しいプライベートウィンドウ"));
    newPrivateWindow->setObjectName(QStringLiteral("newPrivateWindowAction"));
    newPrivateWindow->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    connect(newPrivateWindow, &QAction::triggered, this, &ContentView::newPrivateWindowRequested);
    QAction *settings = file->addAction(QStringLiteral("設定…"));
    settings->setObjectName(QStringLiteral("settingsAction"));
    settings->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    settings->setMenuRole(QAction::PreferencesRole);
    connect(settings, &QAction::triggered, this, &ContentView::settingsRequested);
    QAction *clearData = file->addAction(QStringLiteral("閲覧データを削除…"));
    clearData->setObjectName(QStringLiteral("clearBrowsingDataAction"));
    clearData->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Delete));
    connect(clearData, &QAction::triggered, this, &ContentView::clearBrowsingDataRequested);
    file->addSeparator();
    buildTabActions(file);
    QAction *closeWindow = file->addAction(QStringLiteral("ウインドウを閉じる"));
    closeWindow->setObjectName(QStringLiteral("closeWindowAction"));
    closeWindow->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_W));
    connect(closeWindow, &QAction::triggered, this, &QWidget::close);
    QAction *quit = file->addAction(QStringLiteral("終了"));
    quit->setObjectName(QStringLiteral("quitAction"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, this, &ContentView::quitRequested);

    QMenu *view = menuBar()->addMenu(QStringLiteral("表示"));
    QAction *toggleSidebar = view->addAction(QStringLiteral("サイドバーを非表示"));
    toggleSidebar->setObjectName(QStringLiteral("toggleSidebarAction"));
    connect(toggleSidebar, &QAction::triggered, this, [this, toggleSidebar] {
        const bool show = !m_sidebar->isVisible();
        m_sidebar->setVisible(show);
        toggleSidebar->setText(show ? QStringLiteral("サイドバーを非表示")
                                    : QStringLiteral("サイドバーを表示"));
    });

    QAction *fullScreen = view->addAction(QStringLiteral("全画面表示"));
    fullScreen->setObjectName(QStringLiteral("fullScreenAction"));
    fullScreen->setCheckable(true);
    fullScreen->setShortcut(QKeySequence(Qt::Key_F11));
    connect(fullScreen, &QAction::toggled, this, [this](bool on) {
        setWindowState(on ? windowState() | Qt::WindowFullScreen
                          : windowState() & ~Qt::WindowFullScreen);
    });

    // The keys other browsers give these lists.
    const auto sectionAction = [this, view](NavigationSection section, const QKeySequence &keys) {
        QAction *action = view->addAction(title(section));
        action->setShortcut(keys);
        connect(action, &QAction::triggered, this, [this, section] { selectSection(section); });
    };
    view->addSeparator();
    sectionAction(NavigationSection::history, QKeySequence(Qt::CTRL | Qt::Key_H));
    sectionAction(NavigationSection::bookmarks, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_O));

    QMenu *help = menuBar()->addMenu(QStringLiteral("ヘルプ"));
    // The one Help item, and deliberately without an action.
    QAction *about = help->addAction(QStringLiteral("Velmora Shopping Browser について"));
    about->setObjectName(QStringLiteral("aboutAction"));
    about->setMenuRole(QAction::NoRole);

    // Not in a menu, but active in the whole window.
    auto *focusQueryAction = new QAction(QStringLiteral("検索欄へ移動"), this);
    focusQueryAction->setObjectName(QStringLiteral("focusQueryAction"));
    // Other browsers' keys for their address bar, which this box also is.
    focusQueryAction->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_L),
                                    QKeySequence(Qt::ALT | Qt::Key_D), QKeySequence(Qt::Key_F6)});
    connect(focusQueryAction, &QAction::triggered, this, &ContentView::focusQuery);
    addAction(focusQueryAction);
}

void ContentView::buildTabActions(QMenu *file)
{
    QAction *newTab = file->addAction(QStringLiteral("新規タブ"));
    newTab->setObjectName(QStringLiteral("newTabAction"));
    newTab->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_T));
    connect(newTab, &QAction::triggered, this, &ContentView::openStartTab);
    QAction *reopen = file->addAction(QStringLiteral("閉じたタブを開き直す"));
    reopen->setObjectName(QStringLiteral("reopenTabAction"));
    reopen->setShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_T));
    connect(reopen, &QAction::triggered, this, &ContentView::reopenClosedTab);
    QAction *closeTabAction = file->addAction(QStringLiteral("タブを閉じる"));
    closeTabAction->setObjectName(QStringLiteral("closeTabAction"));
    closeTabAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
    connect(closeTabAction, &QAction::triggered, this, [this] { closeTab(currentTabIndex()); });

    // Not in a menu, but active in the whole window, the page included.
    const auto windowAction = [this](const char *name, const QString &text,
                                     const QList<QKeySequence> &keys, auto command) {
        auto *action = new QAction(text, this);
        action->setObjectName(QString::fromLatin1(name));
        action->setShortcuts(keys);
        connect(action, &QAction::triggered, this, command);
        addAction(action);
    };
    // Shift+Tab arrives as Backtab, which the shortcut map also tries as Tab.
    windowAction("nextTabAction", QStringLiteral("次のタブ"),
                 {QKeySequence(Qt::CTRL | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageDown)},
                 [this] { selectTab((currentTabIndex() + 1) % tabCount()); });
    windowAction(
        "previousTabAction", QStringLiteral("前のタブ"),
        {QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Tab), QKeySequence(Qt::CTRL | Qt::Key_PageUp)},
        [this] { selectTab((currentTabIndex() + tabCount() - 1) % tabCount()); });
    for (int n = 1; n <= 8; ++n) {
        windowAction(QStringLiteral("selectTab%1Action").arg(n).toLatin1().constData(),
                     QStringLiteral("%1番目のタブ").arg(n),
                     {QKeySequence(Qt::CTRL | Qt::Key(Qt::Key_0 + n))},
                     [this, n] { selectTab(n - 1); });
    }
    windowAction("selectLastTabAction", QStringLiteral("最後のタブ"),
                 {QKeySequence(Qt::CTRL | Qt::Key_9)}, [this] { selectTab(tabCount() - 1); });
}

QWidget *ContentView::sectionContent() const
{
    return m_sections->currentWidget();
}

QString ContentView::searchBarText() const
{
    return m_searchBar->searchText();
}

void ContentView::selectSection(std::optional<NavigationSection> section)
{
    m_selectedSection = section;
    m_sidebar->setSelectedSection(section);

    if (m_otherSection) {
        m_sections->removeWidget(m_otherSection);
        m_otherSection->deleteLater();
    }
    if (!section || *section == NavigationSection::browser) {
        m_sections->setCurrentWidget(m_browserSection);
        return;
    }
    if (*section == NavigationSection::bookmarks) {
        auto *bookmarks = new BookmarksView(*m_bookmarkStore, m_themeManager, m_sections);
        connect(bookmarks, &BookmarksView::bookmarkSelected, this, &ContentView::openBookmark);
        m_otherSection = bookmarks;
    } else if (*section == NavigationSection::history) {
        auto *history = new HistoryView(m_history, m_themeManager, m_sections);
        connect(history, &HistoryView::visitSelected, this, &ContentView::openHistoryVisit);
        m_otherSection = history;
    } else {
        // The rule and settings sections show the same view on its first
        // tab; the subscribed lists have no other place, so their row opens
        // their tab.
        auto *settings = new SettingsView(m_themeManager, m_ruleStore, m_subscriptions, m_sections);
        if (*section == NavigationSection::subscriptions)
            settings->showSubscriptionTab();
        settings->aboutTab()->addStartupOption(m_preferences);
        connect(settings->aboutTab(), &AboutTab::clearBrowsingDataRequested, this,
                &ContentView::clearBrowsingDataRequested);
        m_otherSection = settings;
    }
    m_sections->addWidget(m_otherSection);
    m_sections->setCurrentWidget(m_otherSection);
}

void ContentView::runSearch(const QUrl &address)
{
    browserViewModel().loadURL(address);
}

void ContentView::openBookmark(const QUrl &url)
{
    selectSection(NavigationSection::browser);
    browserViewModel().loadURL(url);
}

void ContentView::openAddress(const QUrl &url)
{
    m_startupSearchIssued = true;
    selectSection(NavigationSection::browser);
    browserViewModel().loadURL(url);
}

void ContentView::openHistoryVisit(const QUrl &url)
{
    // Screened again like any address: a page may have been judged
    // differently when it was visited.
    selectSection(NavigationSection::browser);
    browserViewModel().loadURL(url);
}

void ContentView::addCurrentPageToBookmarks()
{
    // What the address shows is saved: under a warning, the stopped
    // address, never the page behind it.
    const BrowserViewModel &page = browserViewModel();
    const QUrl url = page.shownURL();
    // An address QUrl refused could be neither stored whole nor opened again.
    if (url.isEmpty() || !url.isValid())
        return;
    const QString address = WebAddress::text(url);
    const QString title = page.shownTitle().isEmpty() ? address : page.shownTitle();
    const SafetyLevel level = page.safetyLevel();
    const QString shopName = level.isTrusted() ? level.shopName() : QString();
    m_bookmarkStore->addBookmark(title, address, shopName, QString());
    m_bookmarkSuccessMessage
        = QStringLiteral("「") + title + QStringLiteral("」をブックマークに保存しました！");
    showBookmarkAlert(m_bookmarkSuccessMessage);
}

void ContentView::showBookmarkAlert(const QString &message)
{
    if (m_bookmarkAlert)
        m_bookmarkAlert->close();
    // An alert with a title and no body: on this desktop the title bar is
    // easy to miss, so the title is also the box's text.
    auto *alert = new QMessageBox(this);
    alert->setObjectName(QStringLiteral("bookmarkAlert"));
    alert->setAttribute(Qt::WA_WindowPropagation); // the window's theme, not the desktop's
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setIcon(QMessageBox::NoIcon);
    alert->setWindowTitle(message);
    alert->setText(message);
    alert->setTextFormat(Qt::PlainText);
    QPushButton *ok = alert->addButton(QStringLiteral("OK"), QMessageBox::RejectRole);
    ok->setObjectName(QStringLiteral("bookmarkAlertOkButton"));
    alert->setDefaultButton(ok);
    alert->setEscapeButton(ok);
    m_bookmarkAlert = alert;
    alert->open();
}

void ContentView::updateBookmarkBadge()
{
    m_sidebar->setBookmarkCount(int(m_bookmarkStore->bookmarks().size()));
}

void ContentView::applyTheme()
{
    const AppTheme theme = m_themeManager.currentTheme();
    ThemePalette::apply(this, theme, QGuiApplication::palette());
    m_loadIndicator->setAccentColor(accentColor(theme));
    m_newTabButton->setIcon(
        SymbolIcon::icon(QStringLiteral("plus"), palette().color(QPalette::WindowText)));
}

void ContentView::closeEvent(QCloseEvent *event)
{
    // Closing stops the window's downloads and deletes what they wrote.
    if (runningDownloads() > 0) {
        if (!m_downloadsMayStop && !DownloadBarView::askToStopDownloads(this, runningDownloads())) {
            event->ignore();
            return;
        }
        m_downloads->cancelAll();
    }
    Q_EMIT aboutToClose();
    QMainWindow::closeEvent(event);
}

void ContentView::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_startupSearchIssued) {
        m_startupSearchIssued = true;
        runStartupSearch();
    }
    // Starting the engine holds the event loop for a good while, so the
    // pages start only once the window is on the screen and drawn: until
    // then the search bar, sidebar and toolbar work, and loads wait for
    // their page. A window that never shows (started minimised) starts them
    // a little later all the same.
    if (!m_pagesStarted && windowHandle()) {
        windowHandle()->installEventFilter(this);
        QTimer::singleShot(1000, this, &ContentView::startPages);
    }
}

bool ContentView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose
        && windowHandle()->isExposed()) {
        watched->removeEventFilter(this);
        QTimer::singleShot(0, this, &ContentView::startPages);
    }
    return QMainWindow::eventFilter(watched, event);
}

void ContentView::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // A desktop that switches between light and dark changes the system
    // palette; themes that follow the system follow it here.
    if (event->type() == QEvent::ApplicationPaletteChange)
        applyTheme();
    if (event->type() == QEvent::WindowStateChange)
        Q_EMIT placementChanged();
}

void ContentView::moveEvent(QMoveEvent *event)
{
    QMainWindow::moveEvent(event);
    Q_EMIT placementChanged();
}

void ContentView::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    Q_EMIT placementChanged();
}

std::optional<QUrl> ContentView::startupSearchURL() const
{
    return SafeBrowsingEngine().buildSearchURL(QString::fromUtf8(startupQuery),
                                               m_ruleStore.filterMode(), m_ruleStore.searchEngine(),
                                               m_ruleStore, std::nullopt);
}

void ContentView::runStartupSearch()
{
    if (const auto url = startupSearchURL())
        browserViewModel().loadURL(*url);
}

void ContentView::focusQuery()
{
    if (m_selectedSection && *m_selectedSection != NavigationSection::browser)
        selectSection(NavigationSection::browser);
    m_searchBar->focusQuery();
}

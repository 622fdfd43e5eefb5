#pragma once

#include "browser/DownloadManager.h"
#include "views/browser/BrowserView.h"
#include "window/NavigationSection.h"

#include <QHash>
#include <QList>
#include <QMainWindow>
#include <QMessageBox>
#include <QPointer>
#include <QUrl>

#include <optional>

class BookmarkStore;
class BrowserPageActions;
class BrowserToolbar;
class BrowserViewModel;
class HistoryStore;
class LoadIndicator;
class PreferencesStore;
class TabStrip;
class ZoomLevels;

class QMenu;
class QToolButton;
class QSplitter;
class QStackedWidget;
class QWebEnginePage;
class SearchBarView;
class SecurityRuleStore;
class SidebarView;
class SubscriptionStore;
class ThemeManager;

// One main window: the sidebar of sections beside the detail column (toolbar,
// load indicator, section content). It owns the window's tabs, each with its
// own browsing state, and its bookmark store; the theme manager, rule store,
// history and the engine profile are shared. The toolbar, load indicator,
// search, bookmarks and page commands act on the current tab. A window on an
// off-the-record profile is private: it says so at its top and records no
// history.
class ContentView final : public QMainWindow
{
    Q_OBJECT

public:
    static constexpr QSize minimumContentSize {960, 600};
    static constexpr auto startupQuery = "MacBook";

    ContentView(ThemeManager &themeManager, SecurityRuleStore &ruleStore,
                SubscriptionStore &subscriptions, PreferencesStore &preferences,
                BrowserView::ProfileSource profile, bool privateWindow, HistoryStore &history,
                DownloadManager::ReservedPaths downloadPaths, QWidget *parent = nullptr);
    ~ContentView() override;

    // The current tab's.
    BrowserViewModel &browserViewModel() const;
    BookmarkStore &bookmarkStore() const { return *m_bookmarkStore; }
    bool isPrivate() const { return m_isPrivate; }
    int runningDownloads() const { return m_downloads->runningCount(); }
    // The user agreed to stop the window's downloads (quitting asks once
    // for every window): closing does not ask again.
    void allowStoppingDownloads() { m_downloadsMayStop = true; }

    std::optional<NavigationSection> selectedSection() const { return m_selectedSection; }
    // What a click on a sidebar row does.
    void selectSection(std::optional<NavigationSection> section);
    // The search bar's address, screened by the current tab.
    void runSearch(const QUrl &address);
    // The bookmark list's choice: a stored text, opened only when it parses
    // as a web address.
    void openBookmark(const QUrl &url);
    // An address from outside the window (the command line, another
    // program): screened like any navigation, and in place of the start-up
    // search when it comes before the window is shown.
    void openAddress(const QUrl &url);
    void openHistoryVisit(const QUrl &url);
    void addCurrentPageToBookmarks();
    QString bookmarkSuccessMessage() const { return m_bookmarkSuccessMessage; }
    bool isShowingBookmarkAlert() const { return m_bookmarkAlert != nullptr; }
    QString searchBarText() const;

    SidebarView *sidebar() const { return m_sidebar; }
    BrowserToolbar *toolbar() const { return m_toolbar; }
    LoadIndicator *loadIndicator() const { return m_loadIndicator; }
    SearchBarView *searchBar() const { return m_searchBar; }
    // The current tab's.
    BrowserView *browserView() const;
    // The widget the detail column shows for the selected section.
    QWidget *sectionContent() const;

    int tabCount() const { return int(m_tabs.size()); }
    int currentTabIndex() const;
    BrowserViewModel &tabViewModel(int index) const;
    BrowserView *tabView(int index) const { return m_tabs.at(index); }
    TabStrip *tabStrip() const { return m_tabStrip; }
    // Opens url, screened, in a new tab after the current one; a background
    // tab leaves the current tab shown.
    void openTab(const QUrl &url, bool background);
    // The tab's next page, when it is url, is one the history has already:
    // a tab brought back at start.
    void skipNextVisit(int tab, const QUrl &url);
    // The tab's page is asked first and may keep it open (the user's input
    // unsaved); closing the last tab closes the window.
    void closeTab(int index);
    void selectTab(int index);
    // The most recently closed tab's address, opened again and screened anew;
    // with none, the window closed last is asked for (reopenWindowRequested).
    void reopenClosedTab();
    // A tab on the start page (the start-up search), with the search box
    // focused.
    void openStartTab();
    // The right-click menu of the tab at index: new, reload, duplicate,
    // close, close the others or those to the right, reopen. Deletes itself
    // once closed.
    QMenu *tabMenu(int index);

Q_SIGNALS:
    // A tab opened, closed, moved or became current, or a tab's address
    // changed: what a saved session holds.
    void tabsChanged();
    // The window moved, was resized, maximised or restored.
    void placementChanged();
    void newWindowRequested();
    void reopenWindowRequested();
    // Still whole, about to be closed by the user.
    void aboutToClose();
    void newPrivateWindowRequested();
    // The settings' "閲覧データを削除": the application knows what to clear.
    void clearBrowsingDataRequested();
    void settingsRequested();
    void quitRequested();

protected:
    void showEvent(QShowEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;
    void changeEvent(QEvent *event) override;
    void moveEvent(QMoveEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    // What a closed tab showed, and its back and forward list unless it
    // was blocked.
    struct ClosedTab
    {
        QUrl url;
        QByteArray history;
    };

    QWidget *buildDetailColumn();
    QWidget *buildBrowserSection();
    void buildMenus();
    void buildTabActions(QMenu *file);
    BrowserView *addTab(bool background);
    // With its back and forward list where there is one; the address
    // otherwise.
    void openTabAgain(const ClosedTab &tab);
    static ClosedTab closedTab(const BrowserViewModel &viewModel);
    void removeTab(BrowserView *view);
    void showCurrentTab();
    void startPages();
    void watchPage(BrowserView *view, QWebEnginePage *page);
    void updateWindowTitle();
    void moveTab(int from, int to);
    std::optional<QUrl> startupSearchURL() const;
    void applyTheme();
    void updateBookmarkBadge();
    void runStartupSearch();
    void focusQuery();
    void showBookmarkAlert(const QString &message);

    ThemeManager &m_themeManager;
    SecurityRuleStore &m_ruleStore;
    SubscriptionStore &m_subscriptions;
    PreferencesStore &m_preferences;
    BrowserView::ProfileSource m_profile;
    const bool m_isPrivate;
    HistoryStore &m_history;
    DownloadManager::ReservedPaths m_downloadPaths;
    BookmarkStore *m_bookmarkStore;
    ZoomLevels *m_zoomLevels;
    BrowserPageActions *m_pageActions;
    std::optional<NavigationSection> m_selectedSection = NavigationSection::browser;
    QString m_bookmarkSuccessMessage;
    bool m_startupSearchIssued = false;
    // Pages start once the window has shown: the first one starts the engine.
    bool m_pagesStarted = false;

    QSplitter *m_splitter = nullptr;
    SidebarView *m_sidebar = nullptr;
    BrowserToolbar *m_toolbar = nullptr;
    LoadIndicator *m_loadIndicator = nullptr;
    QStackedWidget *m_sections = nullptr;
    QWidget *m_browserSection = nullptr;
    SearchBarView *m_searchBar = nullptr;
    QList<QMetaObject::Connection> m_titleConnections;
    TabStrip *m_tabStrip = nullptr;
    QToolButton *m_newTabButton = nullptr;
    QStackedWidget *m_pages = nullptr;
    DownloadManager *m_downloads = nullptr;
    // In the tab strip's order. Each tab's view model is deleted with its
    // view, after it.
    QList<BrowserView *> m_tabs;
    // Tabs opened in the background from the current one since it became
    // current, each next to the one before.
    int m_openedBehindCurrent = 0;
    // The tab each page-opened tab came from.
    QHash<BrowserView *, QPointer<BrowserView>> m_openers;
    QList<ClosedTab> m_closedTabs;
    bool m_downloadsMayStop = false;
    // The bookmark list or settings view, made anew each time its section is
    // chosen so that it starts from its first tab and empty fields.
    QPointer<QWidget> m_otherSection;
    QPointer<QMessageBox> m_bookmarkAlert;
};

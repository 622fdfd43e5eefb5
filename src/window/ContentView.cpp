#include "window/ContentView.h"

#include "bookmarks/BookmarkStore.h"
#include "browser/BrowserViewModel.h"
#include "browser/DownloadManager.h"
#include "browser/HistoryRecorder.h"
#include "history/HistoryStore.h"
#include "rules/SecurityRuleStore.h"
#include "safety/SafeBrowsingEngine.h"
#include "safety/WebAddress.h"
#include "theme/ThemeManager.h"
#include "views/bookmarks/BookmarksView.h"
#include "views/browser/BrowserPageActions.h"
#include "views/browser/BrowserView.h"
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
#include "window/ThemePalette.h"
#include "zoom/ZoomLevels.h"

#include <QAction>
#include <QApplication>
#include <QEvent>
#include <QMenuBar>
#include <QMessageBox>
#include <QPushButton>
#include <QSplitter>
#include <QStackedWidget>
#include <QVBoxLayout>
#include <QWebEngineProfile>
#include <QWebEngineView>

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
                         QWebEngineProfile &profile, HistoryStore &history, QWidget *parent)
    : QMainWindow(parent)
    , m_themeManager(themeManager)
    , m_ruleStore(ruleStore)
    , m_subscriptions(subscriptions)
    , m_preferences(preferences)
    , m_profile(profile)
    , m_history(history)
    , m_browserVM(new BrowserViewModel(ruleStore, this))
    , m_bookmarkStore(new BookmarkStore(preferences, this))
{
    setObjectName(QStringLiteral("contentView"));
    setWindowTitle(isPrivate() ? QStringLiteral("Velmora Shopping Browser — プライベート")
                               : QStringLiteral("Velmora Shopping Browser"));
    if (!isPrivate())
        new HistoryRecorder(*m_browserVM, m_history, m_browserVM);
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
    m_browserView->setZoomLevels(*new ZoomLevels(preferences, this));
    (new BrowserPageActions(*this))->setView(m_browserView);

    connect(m_sidebar, &SidebarView::sectionSelected, this,
            [this](NavigationSection section) { selectSection(section); });
    connect(m_sidebar, &SidebarView::selectionCleared, this,
            [this] { selectSection(std::nullopt); });
    connect(m_bookmarkStore, &BookmarkStore::bookmarksChanged, this,
            &ContentView::updateBookmarkBadge);
    connect(&m_themeManager, &ThemeManager::currentThemeChanged, this, &ContentView::applyTheme);
    connect(m_browserVM, &BrowserViewModel::isLoadingChanged, this,
            [this] { m_loadIndicator->setLoading(m_browserVM->isLoading()); });
    connect(m_browserVM, &BrowserViewModel::estimatedProgressChanged, this,
            [this] { m_loadIndicator->setProgress(m_browserVM->estimatedProgress()); });
    connect(m_toolbar, &BrowserToolbar::addBookmarkRequested, this,
            &ContentView::addCurrentPageToBookmarks);

    m_sidebar->setSelectedSection(m_selectedSection);
    updateBookmarkBadge();
    applyTheme();
}

// Out of line so the members' classes need only be declared in the header.
ContentView::~ContentView() = default;

QWidget *ContentView::buildDetailColumn()
{
    auto *column = new QWidget(m_splitter);
    column->setObjectName(QStringLiteral("detailColumn"));
    auto *layout = new QVBoxLayout(column);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    // The browser section is made first: making it attaches the web view,
    // which the toolbar's title needs to know about.
    m_sections = new QStackedWidget(column);
    m_sections->setObjectName(QStringLiteral("sectionStack"));
    m_browserSection = buildBrowserSection();
    m_sections->addWidget(m_browserSection);

    m_toolbar = new BrowserToolbar(*m_browserVM, m_themeManager, column);
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
    m_browserView = new BrowserView(*m_browserVM, m_ruleStore, m_themeManager, m_profile, section);
    layout->addWidget(m_searchBar);
    layout->addWidget(divider(section));
    layout->addWidget(m_browserView, 1);
    auto *downloads = new DownloadManager(m_ruleStore, section);
    downloads->watchPage(m_browserView->webView()->page());
    layout->addWidget(new DownloadBarView(*downloads, section));
    connect(m_searchBar, &SearchBarView::searchRequested, this, &ContentView::runSearch);
    return section;
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
    file->addSeparator();
    QAction *closeWindow = file->addAction(QStringLiteral("ウインドウを閉じる"));
    closeWindow->setObjectName(QStringLiteral("closeWindowAction"));
    closeWindow->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_W));
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

    QMenu *help = menuBar()->addMenu(QStringLiteral("ヘルプ"));
    // The one Help item, and deliberately without an action.
    QAction *about = help->addAction(QStringLiteral("Velmora Shopping Browser について"));
    about->setObjectName(QStringLiteral("aboutAction"));
    about->setMenuRole(QAction::NoRole);

    // Not in a menu, but active in the whole window.
    auto *focusQueryAction = new QAction(QStringLiteral("検索欄へ移動"), this);
    focusQueryAction->setObjectName(QStringLiteral("focusQueryAction"));
    focusQueryAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    connect(focusQueryAction, &QAction::triggered, this, &ContentView::focusQuery);
    addAction(focusQueryAction);
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

void ContentView::runSearch(const QString &address)
{
    if (const auto url = WebAddress::parse(address))
        m_browserVM->loadURL(*url);
}

void ContentView::openBookmark(const QString &address)
{
    const auto url = WebAddress::parse(address);
    if (!url)
        return;
    selectSection(NavigationSection::browser);
    m_browserVM->loadURL(*url);
}

void ContentView::openAddress(const QUrl &url)
{
    m_startupSearchIssued = true;
    selectSection(NavigationSection::browser);
    m_browserVM->loadURL(url);
}

void ContentView::openHistoryVisit(const QUrl &url)
{
    // Screened again like any address: a page may have been judged
    // differently when it was visited.
    selectSection(NavigationSection::browser);
    m_browserVM->loadURL(url);
}

bool ContentView::isPrivate() const
{
    return m_profile.isOffTheRecord();
}

void ContentView::addCurrentPageToBookmarks()
{
    const QUrl url = m_browserVM->currentURL();
    // An address QUrl refused could be neither stored whole nor opened again.
    if (url.isEmpty() || !url.isValid())
        return;
    const QString address = WebAddress::text(url);
    const QString title = m_browserVM->pageTitle().isEmpty() ? address : m_browserVM->pageTitle();
    const SafetyLevel level = m_browserVM->safetyLevel();
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
}

void ContentView::showEvent(QShowEvent *event)
{
    QMainWindow::showEvent(event);
    if (!m_startupSearchIssued) {
        m_startupSearchIssued = true;
        runStartupSearch();
    }
}

void ContentView::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    // A desktop that switches between light and dark changes the system
    // palette; themes that follow the system follow it here.
    if (event->type() == QEvent::ApplicationPaletteChange)
        applyTheme();
}

void ContentView::runStartupSearch()
{
    // The web view was attached when the browser section was built, so the
    // view model takes this load.
    const auto url = SafeBrowsingEngine().buildSearchURL(
        QString::fromUtf8(startupQuery), m_ruleStore.filterMode(), m_ruleStore.searchEngine(),
        m_ruleStore, std::nullopt);
    if (url)
        m_browserVM->loadURL(*url);
}

void ContentView::focusQuery()
{
    if (m_selectedSection && *m_selectedSection != NavigationSection::browser)
        selectSection(NavigationSection::browser);
    m_searchBar->focusQuery();
}

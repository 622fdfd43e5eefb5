#include "app/VelmoraShoppingBrowserApp.h"

#include "browser/BrowserViewModel.h"
#include "browser/WebProfiles.h"
#include "prefs/PreferencesStore.h"
#include "views/common/SaveFailureMessage.h"
#include "views/downloads/DownloadBarView.h"
#include "views/history/ClearBrowsingDataDialog.h"
#include "views/settings/AboutTab.h"
#include "views/settings/SettingsView.h"
#include "window/ContentView.h"
#include "window/SettingsWindow.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QStyleFactory>
#include <QTimer>
#include <QWebEngineProfile>
#include <QWindow>

#include <algorithm>
#include <chrono>

namespace {

// The lists live with the rest of the run's data unless told otherwise.
SubscriptionStore::Options inDataFolder(SubscriptionStore::Options options,
                                        const QString &dataFolder)
{
    if (options.directory.isEmpty())
        options.directory = QDir(dataFolder).filePath(QStringLiteral("subscriptions"));
    return options;
}

SessionWindow savedWindow(const ContentView &window)
{
    SessionWindow saved;
    saved.placement = window.saveGeometry();
    for (int i = 0; i < window.tabCount(); ++i) {
        const BrowserViewModel &page = window.tabViewModel(i);
        const SessionPage shown {page.shownURL(), page.isBlocked()};
        // A tab that never showed a page has nothing to bring back.
        if (shown.url.isEmpty())
            continue;
        if (i == window.currentTabIndex())
            saved.current = int(saved.pages.size());
        saved.pages.append(shown);
    }
    return saved;
}

} // namespace

VelmoraShoppingBrowserApp::VelmoraShoppingBrowserApp(
    PreferencesStore &preferences, const QString &dataFolder,
    const SubscriptionStore::Options &subscriptionOptions, QObject *parent)
    : QObject(parent)
    , m_preferences(preferences)
    , m_dataFolder(dataFolder)
    , m_themeManager(preferences)
    , m_ruleStore(preferences)
    , m_subscriptions(preferences, inDataFolder(subscriptionOptions, dataFolder))
    , m_historyStore(QDir(dataFolder).filePath(QStringLiteral("history.sqlite")))
    , m_session(QDir(dataFolder).filePath(QStringLiteral("session.json")))
{
    m_sessionSaveTimer.setSingleShot(true);
    m_sessionSaveTimer.setInterval(300);
    connect(&m_sessionSaveTimer, &QTimer::timeout, this, &VelmoraShoppingBrowserApp::saveSession);
    // The lists on disk judge from the first navigation; downloads wait for
    // the first window.
    m_ruleStore.setSubscribedLists(m_subscriptions.enabledLists());
    connect(&m_subscriptions, &SubscriptionStore::listsChanged, this,
            [this] { m_ruleStore.setSubscribedLists(m_subscriptions.enabledLists()); });
    connect(&m_preferences, &PreferencesStore::writeFailed, this,
            &VelmoraShoppingBrowserApp::tellSettingsNotSaved);
    // A window that could come back is history too.
    connect(&m_historyStore, &HistoryStore::visitsCleared, this,
            [this] { m_closedWindows.clear(); });
    connect(qApp, &QGuiApplication::focusWindowChanged, this, [this](QWindow *focused) {
        for (ContentView *window : windows()) {
            if (!window->isPrivate() && focused && window->windowHandle() == focused)
                m_lastActiveWindow = window;
        }
    });
    // Fusion draws the forced light and dark palettes faithfully on every
    // desktop; native styles may ignore them.
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
}

VelmoraShoppingBrowserApp::~VelmoraShoppingBrowserApp()
{
    m_quitting = true;
    // The windows refer to the theme manager, rule store and history, which
    // go with this object, and their pages to the profiles, which must
    // outlive every page.
    delete m_settingsWindow;
    const QList<ContentView *> open = windows();
    qDeleteAll(open);
    delete m_privateProfile;
    // Deleting the profile writes the cookies it still holds to disk.
    delete m_profile;
}

void VelmoraShoppingBrowserApp::tellSettingsNotSaved()
{
    // Once a run: a full disk fails every later change too.
    if (m_toldSettingsNotSaved)
        return;
    m_toldSettingsNotSaved = true;
    SaveFailureMessage::show(QApplication::activeWindow());
}

QWebEngineProfile &VelmoraShoppingBrowserApp::profile()
{
    if (!m_profile)
        m_profile = WebProfiles::makePersistent(m_dataFolder,
                                                SessionStore::restoresAtStart(m_preferences), this);
    return *m_profile;
}

ContentView *VelmoraShoppingBrowserApp::openWindow()
{
    return showWindow(false, std::nullopt);
}

void VelmoraShoppingBrowserApp::openAddresses(const QList<QUrl> &urls)
{
    if (urls.isEmpty()) {
        openWindow();
        return;
    }
    // Links from other programs open as tabs of the window last used, as in
    // other browsers; without one, in a new window.
    ContentView *window = m_lastActiveWindow;
    for (ContentView *open : windows()) {
        if (!window && !open->isPrivate())
            window = open;
    }
    qsizetype next = 0;
    if (!window)
        window = showWindow(false, urls.at(next++));
    for (; next < urls.size(); ++next)
        window->openTab(urls.at(next), false);
    // A link clicked in another program should come to the front.
    window->raise();
    window->activateWindow();
}

void VelmoraShoppingBrowserApp::start(const QList<QUrl> &urls)
{
    bool restored = false;
    if (SessionStore::restoresAtStart(m_preferences)) {
        for (const SessionWindow &window : m_session.load()) {
            showSavedWindow(window, true);
            restored = true;
        }
    }
    if (!urls.isEmpty() || !restored)
        openAddresses(urls);
    // Found corrupt at start, or later in the run: the user hears where the
    // old history went rather than finding it empty.
    const auto tellHistoryMovedAside = [this](const QString &path) {
        SaveFailureMessage::showHistoryMovedAside(QApplication::activeWindow(), path);
    };
    if (!m_historyStore.movedAsideTo().isEmpty())
        tellHistoryMovedAside(m_historyStore.movedAsideTo());
    connect(&m_historyStore, &HistoryStore::movedAside, this, tellHistoryMovedAside);
    // The stores read their settings as they were made, before any window.
    if (!m_preferences.keptAside().isEmpty())
        SaveFailureMessage::showSettingsKeptAside(QApplication::activeWindow(),
                                                  m_preferences.keptAside());
}

ContentView *VelmoraShoppingBrowserApp::showSavedWindow(const SessionWindow &saved, bool restart)
{
    ContentView *opened = showWindow(false, saved.pages.first().url, saved.placement);
    for (qsizetype i = 1; i < saved.pages.size(); ++i)
        opened->openTab(saved.pages.at(i).url, true);
    for (qsizetype i = 0; restart && i < saved.pages.size(); ++i)
        opened->skipNextVisit(int(i), saved.pages.at(i).url);
    opened->selectTab(saved.current);
    return opened;
}

ContentView *VelmoraShoppingBrowserApp::openPrivateWindow()
{
    // Private windows open together share their sign-ins, as in other
    // browsers; the profile goes when the last of them closes.
    if (!m_privateProfile)
        m_privateProfile = WebProfiles::makePrivate(this);
    ContentView *window = showWindow(true, std::nullopt);
    connect(window, &QObject::destroyed, this,
            &VelmoraShoppingBrowserApp::forgetPrivateProfileIfUnused, Qt::QueuedConnection);
    return window;
}

ContentView *VelmoraShoppingBrowserApp::showWindow(bool isPrivate,
                                                   const std::optional<QUrl> &address,
                                                   const QByteArray &placement)
{
    // The persistent profile is made by the first page that needs it, once
    // the window shows: making it starts the engine.
    BrowserView::ProfileSource profile
        = [this]() -> QWebEngineProfile & { return this->profile(); };
    if (isPrivate) {
        QWebEngineProfile *privateProfile = m_privateProfile;
        profile = [privateProfile]() -> QWebEngineProfile & { return *privateProfile; };
    }
    auto *window = new ContentView(m_themeManager, m_ruleStore, m_subscriptions, m_preferences,
                                   std::move(profile), isPrivate, m_historyStore, m_downloadPaths);
    // Even an address that does not parse is handed on: the screening
    // blocks it with its reason rather than the window searching instead.
    if (address)
        window->openAddress(*address);
    window->setAttribute(Qt::WA_DeleteOnClose);
    connect(window, &ContentView::newWindowRequested, this, [this] { openWindow(); });
    connect(window, &ContentView::newPrivateWindowRequested, this,
            &VelmoraShoppingBrowserApp::openPrivateWindow);
    connect(window, &ContentView::settingsRequested, this,
            &VelmoraShoppingBrowserApp::openSettingsWindow);
    connect(window, &ContentView::clearBrowsingDataRequested, this,
            [this, window] { openClearBrowsingData(window); });
    connect(window, &ContentView::quitRequested, this, &VelmoraShoppingBrowserApp::quit);
    m_windows.removeIf([](const QPointer<ContentView> &open) { return open.isNull(); });
    m_windows.append(window);
    // Private windows keep nothing, not even their place in the session.
    if (!window->isPrivate()) {
        connect(window, &ContentView::tabsChanged, &m_sessionSaveTimer,
                qOverload<>(&QTimer::start));
        connect(window, &ContentView::placementChanged, &m_sessionSaveTimer,
                qOverload<>(&QTimer::start));
        // Ctrl+Shift+T brings back the window closed last, as it was.
        connect(window, &ContentView::aboutToClose, this, [this, window] {
            SessionWindow closed = savedWindow(*window);
            if (m_quitting || closed.pages.isEmpty())
                return;
            m_closedWindows.append(closed);
            if (m_closedWindows.size() > maxClosedWindows)
                m_closedWindows.removeFirst();
        });
        connect(window, &ContentView::reopenWindowRequested, this, [this] {
            if (!m_closedWindows.isEmpty())
                showSavedWindow(m_closedWindows.takeLast(), false);
        });
        // Closing one of several windows forgets it; closing the last one,
        // or quitting, keeps what was open for the next start.
        // The closing window is half taken apart by now: only the others
        // are asked anything.
        connect(window, &QObject::destroyed, this, [this, window] {
            const QList<ContentView *> open = windows();
            const bool othersKept = std::any_of(open.cbegin(), open.cend(), [window](auto *other) {
                return other != window && !other->isPrivate();
            });
            if (!m_quitting && othersKept)
                m_sessionSaveTimer.start();
        });
    }
    // The settings window alone is no browser: closing the last browser
    // window ends the program, keeping the session as it was.
    // A widget says it is destroyed while it still counts as open.
    connect(window, &QObject::destroyed, this, [this, window] {
        const QList<ContentView *> open = windows();
        if (m_quitting || open.size() > open.count(window))
            return;
        m_quitting = true;
        if (m_settingsWindow)
            m_settingsWindow->close();
        QCoreApplication::quit();
    });
    // Qt moves a window saved on a screen that is gone onto one still there.
    // A new window fits a small laptop screen rather than hanging off it.
    if (!placement.isEmpty())
        window->restoreGeometry(placement);
    else if (const QScreen *screen = window->screen())
        window->resize(window->size().boundedTo(screen->availableGeometry().size()));
    window->show();
    if (!m_subscriptionsStarted) {
        m_subscriptionsStarted = true;
        // A few seconds in: loading the TLS library, the downloads and
        // reading the new lists would otherwise compete with the first page
        // for the processor. The copies on disk judge from the first load.
        QTimer::singleShot(std::chrono::seconds(3), &m_subscriptions, &SubscriptionStore::start);
    }
    return window;
}

void VelmoraShoppingBrowserApp::forgetPrivateProfileIfUnused()
{
    if (!m_privateProfile)
        return;
    const QList<ContentView *> open = windows();
    for (const ContentView *window : open) {
        if (window->isPrivate())
            return;
    }
    // Everything the private windows kept goes with it.
    m_privateProfile->deleteLater();
    m_privateProfile = nullptr;
}

SettingsWindow *VelmoraShoppingBrowserApp::openSettingsWindow()
{
    if (!m_settingsWindow) {
        // A new window each time it is opened afresh, so its view starts on
        // the first tab with empty fields.
        m_settingsWindow = new SettingsWindow(m_themeManager, m_ruleStore, m_subscriptions);
        m_settingsWindow->settingsView()->aboutTab()->addStartupOption(m_preferences);
        m_settingsWindow->setAttribute(Qt::WA_DeleteOnClose);
        connect(m_settingsWindow, &SettingsWindow::newWindowRequested, this,
                [this] { openWindow(); });
        connect(m_settingsWindow, &SettingsWindow::quitRequested, this,
                &VelmoraShoppingBrowserApp::quit);
        SettingsWindow *window = m_settingsWindow;
        connect(window->settingsView()->aboutTab(), &AboutTab::clearBrowsingDataRequested, this,
                [this, window] { openClearBrowsingData(window); });
        // Large enough for every tab and option at once, as far as the
        // screen allows: at its least size tabs hide behind scroll arrows.
        QSize size = window->sizeHint().expandedTo(window->minimumSize());
        if (const QScreen *screen = window->screen())
            size = size.boundedTo(screen->availableGeometry().size());
        window->resize(size);
    }
    m_settingsWindow->show();
    m_settingsWindow->raise();
    m_settingsWindow->activateWindow();
    return m_settingsWindow;
}

void VelmoraShoppingBrowserApp::openClearBrowsingData(QWidget *parent)
{
    auto *dialog = new ClearBrowsingDataDialog(profile(), m_historyStore, m_dataFolder, parent);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

QList<ContentView *> VelmoraShoppingBrowserApp::windows() const
{
    QList<ContentView *> open;
    for (const QPointer<ContentView> &window : m_windows) {
        if (window)
            open.append(window);
    }
    return open;
}

QList<SessionWindow> VelmoraShoppingBrowserApp::currentSession() const
{
    QList<SessionWindow> session;
    for (ContentView *window : windows()) {
        if (window->isPrivate())
            continue;
        SessionWindow saved = savedWindow(*window);
        if (!saved.pages.isEmpty())
            session.append(saved);
    }
    return session;
}

void VelmoraShoppingBrowserApp::saveSession()
{
    m_sessionSaveTimer.stop();
    if (m_session.save(currentSession()))
        return;
    qWarning("Velmora: cannot save the open windows to %s", qPrintable(m_session.filePath()));
    // Once a run, and not on the way out, when there is no window to say it.
    if (m_toldSessionNotSaved || m_quitting)
        return;
    m_toldSessionNotSaved = true;
    SaveFailureMessage::show(QApplication::activeWindow(), SaveFailureMessage::What::session);
}

void VelmoraShoppingBrowserApp::quit()
{
    // One question for every window's downloads, which quitting stops.
    int downloads = 0;
    for (ContentView *window : windows())
        downloads += window->runningDownloads();
    if (downloads > 0
        && !DownloadBarView::askToStopDownloads(QApplication::activeWindow(), downloads))
        return;
    for (ContentView *window : windows())
        window->allowStoppingDownloads();
    saveSession();
    m_quitting = true;
    // Closing first lets every window tidy up as if the user had closed it.
    QApplication::closeAllWindows();
    QApplication::quit();
}

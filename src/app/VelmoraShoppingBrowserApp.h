#pragma once

#include "history/HistoryStore.h"
#include "history/SessionStore.h"
#include "rules/SecurityRuleStore.h"
#include "subscriptions/SubscriptionStore.h"
#include "theme/ThemeManager.h"
#include "window/ContentView.h"
#include "window/SettingsWindow.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <QWebEngineProfile>
#include <optional>

class PreferencesStore;
class QWidget;

// The application object: owns the one theme manager, rule store,
// subscription store and history for the whole run and the engine profiles
// pages are browsed in, opens main windows (each with its own browsing state
// and bookmarks) and the settings window, and hands the shared objects to
// them. The subscribed lists reach every verdict through the rule store's
// snapshot.
class VelmoraShoppingBrowserApp final : public QObject
{
    Q_OBJECT

public:
    // dataFolder holds the history, the site data and the cache (normally
    // QStandardPaths::AppDataLocation).
    VelmoraShoppingBrowserApp(PreferencesStore &preferences, const QString &dataFolder,
                              const SubscriptionStore::Options &subscriptionOptions = {},
                              QObject *parent = nullptr);
    ~VelmoraShoppingBrowserApp() override;

    ThemeManager &themeManager() { return m_themeManager; }
    SecurityRuleStore &ruleStore() { return m_ruleStore; }
    HistoryStore &historyStore() { return m_historyStore; }
    QString dataFolder() const { return m_dataFolder; }
    // The profile of normal windows, kept on disk; made when first needed,
    // since making it starts the web engine.
    QWebEngineProfile &profile();
    // The profile private windows share while any is open; null otherwise.
    QWebEngineProfile *privateProfile() const { return m_privateProfile; }
    SubscriptionStore &subscriptionStore() { return m_subscriptions; }

    // Opens and shows a new main window.
    ContentView *openWindow();
    // Opens addresses from the command line or another start, each in a new
    // tab of the window used last, so none replaces a page the user has
    // open; no address opens one window with the start-up search.
    void openAddresses(const QList<QUrl> &urls);
    // The first windows of a run: the saved ones when the user keeps them,
    // then the given addresses; a window with the start-up search when
    // neither gives one.
    void start(const QList<QUrl> &urls);
    // Opens and shows a window whose pages keep nothing and leave no history.
    ContentView *openPrivateWindow();
    // Shows the settings window, raising it if it is already open.
    SettingsWindow *openSettingsWindow();
    // Asks what to delete of what normal windows kept, over `parent`.
    void openClearBrowsingData(QWidget *parent);
    QList<ContentView *> windows() const;
    SettingsWindow *settingsWindow() const { return m_settingsWindow; }

private:
    // placement: where the window was, as a saved session keeps it.
    ContentView *showWindow(bool isPrivate, const std::optional<QUrl> &address,
                            const QByteArray &placement = {});
    void forgetPrivateProfileIfUnused();
    void tellSettingsNotSaved();
    // The windows of a saved session or closed ones: a blocked page is
    // opened through the screening again, which stops it before the engine
    // sees it. restart: the history has these visits from before.
    ContentView *showSavedWindow(const SessionWindow &saved, bool restart);
    QList<SessionWindow> currentSession() const;
    void saveSession();
    void quit();

    PreferencesStore &m_preferences;
    const QString m_dataFolder;
    // Declaration order is construction order: the theme first, then the
    // rules (whose construction reads and repairs the stored rules), then
    // the lists, which join the rules.
    ThemeManager m_themeManager;
    SecurityRuleStore m_ruleStore;
    SubscriptionStore m_subscriptions;
    bool m_subscriptionsStarted = false;
    bool m_toldSettingsNotSaved = false;
    bool m_toldSessionNotSaved = false;
    HistoryStore m_historyStore;
    // Shared by every window's downloads, private ones too: one folder.
    DownloadManager::ReservedPaths m_downloadPaths = std::make_shared<QSet<QString>>();
    // Children of this object, so deleted after the windows whose pages use
    // them.
    QWebEngineProfile *m_profile = nullptr;
    QPointer<QWebEngineProfile> m_privateProfile;
    QList<QPointer<ContentView>> m_windows;
    // Normal windows the user closed this run, the latest last, for
    // Ctrl+Shift+T; a few are enough.
    static constexpr qsizetype maxClosedWindows = 10;
    QList<SessionWindow> m_closedWindows;
    // The normal window the user was in last, where links from other
    // programs open.
    QPointer<ContentView> m_lastActiveWindow;
    QPointer<SettingsWindow> m_settingsWindow;
    SessionStore m_session;
    // Navigation comes in bursts (redirects, a blocked page and its
    // warning); one write per burst is enough to survive a crash.
    QTimer m_sessionSaveTimer;
    bool m_quitting = false;
};

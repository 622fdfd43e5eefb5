#pragma once

#include "history/SessionStore.h"
#include "rules/SecurityRuleStore.h"
#include "theme/ThemeManager.h"
#include "window/ContentView.h"
#include "window/SettingsWindow.h"

#include <QList>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>

#include <optional>

class PreferencesStore;

// The application object: owns the one theme manager and the one rule store
// for the whole run, opens main windows (each with its own browsing state and
// bookmarks) and the settings window, and hands both shared objects to them.
class VelmoraShoppingBrowserApp final : public QObject
{
    Q_OBJECT

public:
    // Without a session store nothing is saved or restored.
    explicit VelmoraShoppingBrowserApp(PreferencesStore &preferences,
                                       SessionStore *session = nullptr, QObject *parent = nullptr);
    ~VelmoraShoppingBrowserApp() override;

    ThemeManager &themeManager() { return m_themeManager; }
    SecurityRuleStore &ruleStore() { return m_ruleStore; }

    // Opens and shows a new main window.
    ContentView *openWindow();
    // Opens addresses from the command line or another start: each in a
    // window of its own, so none replaces a page the user has open; no
    // address opens one window with the start-up search.
    void openAddresses(const QList<QUrl> &urls);
    // The first windows of a run: the saved ones when the user keeps them,
    // then the given addresses; a window with the start-up search when
    // neither gives one.
    void start(const QList<QUrl> &urls);
    // Shows the settings window, raising it if it is already open.
    SettingsWindow *openSettingsWindow();
    QList<ContentView *> windows() const;
    SettingsWindow *settingsWindow() const { return m_settingsWindow; }

private:
    ContentView *openWindowAt(const std::optional<QUrl> &address);
    QList<SessionWindow> currentSession() const;
    void saveSession();
    void quit();

    PreferencesStore &m_preferences;
    // Declaration order is construction order: the theme first, then the
    // rules (whose construction reads and repairs the stored rules).
    ThemeManager m_themeManager;
    SecurityRuleStore m_ruleStore;
    QList<QPointer<ContentView>> m_windows;
    QPointer<SettingsWindow> m_settingsWindow;
    SessionStore *m_session;
    // Navigation comes in bursts (redirects, a blocked page and its
    // warning); one write per burst is enough to survive a crash.
    QTimer m_sessionSaveTimer;
    bool m_quitting = false;
};

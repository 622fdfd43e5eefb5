#pragma once

#include "rules/SecurityRuleStore.h"
#include "theme/ThemeManager.h"
#include "window/ContentView.h"
#include "window/SettingsWindow.h"

#include <QList>
#include <QObject>
#include <QPointer>

class PreferencesStore;

// The application object: owns the one theme manager and the one rule store
// for the whole run, opens main windows (each with its own browsing state and
// bookmarks) and the settings window, and hands both shared objects to them.
class VelmoraShoppingBrowserApp final : public QObject
{
    Q_OBJECT

public:
    explicit VelmoraShoppingBrowserApp(PreferencesStore &preferences, QObject *parent = nullptr);
    ~VelmoraShoppingBrowserApp() override;

    ThemeManager &themeManager() { return m_themeManager; }
    SecurityRuleStore &ruleStore() { return m_ruleStore; }

    // Opens and shows a new main window.
    ContentView *openWindow();
    // Shows the settings window, raising it if it is already open.
    SettingsWindow *openSettingsWindow();
    QList<ContentView *> windows() const;
    SettingsWindow *settingsWindow() const { return m_settingsWindow; }

private:
    void quit();

    PreferencesStore &m_preferences;
    // Declaration order is construction order: the theme first, then the
    // rules (whose construction reads and repairs the stored rules).
    ThemeManager m_themeManager;
    SecurityRuleStore m_ruleStore;
    QList<QPointer<ContentView>> m_windows;
    QPointer<SettingsWindow> m_settingsWindow;
};

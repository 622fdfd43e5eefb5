#pragma once

#include "rules/SecurityRuleStore.h"
#include "subscriptions/SubscriptionStore.h"
#include "theme/ThemeManager.h"
#include "window/ContentView.h"
#include "window/SettingsWindow.h"

#include <QList>
#include <QObject>
#include <QPointer>

class PreferencesStore;

// The application object: owns the one theme manager, the one rule store and
// the one subscription store for the whole run, opens main windows (each with
// its own browsing state and bookmarks) and the settings window, and hands
// the shared objects to them. The subscribed lists reach every verdict
// through the rule store's snapshot.
class VelmoraShoppingBrowserApp final : public QObject
{
    Q_OBJECT

public:
    explicit VelmoraShoppingBrowserApp(PreferencesStore &preferences,
                                       const SubscriptionStore::Options &subscriptionOptions = {},
                                       QObject *parent = nullptr);
    ~VelmoraShoppingBrowserApp() override;

    ThemeManager &themeManager() { return m_themeManager; }
    SecurityRuleStore &ruleStore() { return m_ruleStore; }
    SubscriptionStore &subscriptionStore() { return m_subscriptions; }

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
    // rules (whose construction reads and repairs the stored rules), then
    // the lists, which join the rules.
    ThemeManager m_themeManager;
    SecurityRuleStore m_ruleStore;
    SubscriptionStore m_subscriptions;
    bool m_subscriptionsStarted = false;
    QList<QPointer<ContentView>> m_windows;
    QPointer<SettingsWindow> m_settingsWindow;
};

#pragma once

#include <QWidget>

class SecurityRuleStore;
class SettingsView;
class SubscriptionStore;
class ThemeManager;

// The application's settings window. It keeps the default look of the
// desktop: the theme colours belong to the main windows only.
class SettingsWindow final : public QWidget
{
    Q_OBJECT

public:
    static constexpr QSize minimumContentSize {600, 480};

    SettingsWindow(ThemeManager &themeManager, SecurityRuleStore &ruleStore,
                   SubscriptionStore &subscriptions, QWidget *parent = nullptr);

    SettingsView *settingsView() const { return m_view; }

Q_SIGNALS:
    // Ctrl+N and Ctrl+Q work here as in a browser window.
    void newWindowRequested();
    void quitRequested();

private:
    SettingsView *m_view;
};

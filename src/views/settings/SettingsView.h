#pragma once

#include <QWidget>

class AboutTab;
class ExclusionRuleSettingsTab;
class QTabWidget;
class SecurityRuleStore;
class SubscriptionSettingsTab;
class SubscriptionStore;
class ThemeManager;
class ThemeSettingsTab;
class TrustedShopSettingsTab;

// Theme, certified shops, exclusion rules, subscribed lists and about/reset,
// as five tabs. A new instance starts on the first tab with empty input
// fields; the theme, the rules and the lists live in the shared objects, so
// they survive it.
class SettingsView final : public QWidget
{
    Q_OBJECT

public:
    SettingsView(ThemeManager &themeManager, SecurityRuleStore &ruleStore,
                 SubscriptionStore &subscriptions, QWidget *parent = nullptr);

    QTabWidget *tabs() const { return m_tabs; }
    ThemeSettingsTab *themeTab() const { return m_themeTab; }
    TrustedShopSettingsTab *trustedShopTab() const { return m_trustedShopTab; }
    ExclusionRuleSettingsTab *exclusionRuleTab() const { return m_exclusionRuleTab; }
    SubscriptionSettingsTab *subscriptionTab() const { return m_subscriptionTab; }
    void showSubscriptionTab();
    AboutTab *aboutTab() const { return m_aboutTab; }

protected:
    void changeEvent(QEvent *event) override;

private:
    void updateTabIcons();

    ThemeManager &m_themeManager;
    SecurityRuleStore &m_ruleStore;
    QTabWidget *m_tabs;
    ThemeSettingsTab *m_themeTab;
    TrustedShopSettingsTab *m_trustedShopTab;
    ExclusionRuleSettingsTab *m_exclusionRuleTab;
    SubscriptionSettingsTab *m_subscriptionTab;
    AboutTab *m_aboutTab;
};

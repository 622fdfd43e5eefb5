#pragma once

#include <QWidget>

class AboutTab;
class ExclusionRuleSettingsTab;
class QTabWidget;
class SecurityRuleStore;
class ThemeManager;
class ThemeSettingsTab;
class TrustedShopSettingsTab;

// Theme, certified shops, exclusion rules and about/reset, as four tabs. A
// new instance starts on the first tab with empty input fields; the theme and
// the rules live in the shared objects, so they survive it.
class SettingsView final : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsView(ThemeManager &themeManager, SecurityRuleStore &ruleStore,
                          QWidget *parent = nullptr);

    QTabWidget *tabs() const { return m_tabs; }
    ThemeSettingsTab *themeTab() const { return m_themeTab; }
    TrustedShopSettingsTab *trustedShopTab() const { return m_trustedShopTab; }
    ExclusionRuleSettingsTab *exclusionRuleTab() const { return m_exclusionRuleTab; }
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
    AboutTab *m_aboutTab;
};

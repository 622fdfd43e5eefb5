#pragma once

#include <QWidget>

class SecurityRuleStore;
class ThemeManager;

// Theme, certified shops, exclusion rules and about/reset, as four tabs. A
// new instance starts on the first tab with empty input fields.
class SettingsView final : public QWidget
{
    Q_OBJECT

public:
    explicit SettingsView(ThemeManager &themeManager, SecurityRuleStore &ruleStore,
                          QWidget *parent = nullptr);

private:
    ThemeManager &m_themeManager;
    SecurityRuleStore &m_ruleStore;
};

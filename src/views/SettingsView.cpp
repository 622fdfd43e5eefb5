#include "views/SettingsView.h"

#include "rules/SecurityRuleStore.h"
#include "theme/ThemeManager.h"

SettingsView::SettingsView(ThemeManager &themeManager, SecurityRuleStore &ruleStore,
                           QWidget *parent)
    : QWidget(parent)
    , m_themeManager(themeManager)
    , m_ruleStore(ruleStore)
{
    setObjectName(QStringLiteral("settingsView"));
    setMinimumSize(600, 480);
}

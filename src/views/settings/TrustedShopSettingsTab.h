#pragma once

#include "views/settings/RuleListSettingsTab.h"

class AddShopSheet;
class SecurityRuleStore;

// The "認定正規ショップ" tab: the certified shops of the shared rule store with
// their switches, delete buttons for custom shops, and the add-shop sheet.
class TrustedShopSettingsTab final : public RuleListSettingsTab
{
    Q_OBJECT

public:
    explicit TrustedShopSettingsTab(SecurityRuleStore &ruleStore, ThemeManager &themeManager,
                                    QWidget *parent = nullptr);

    AddShopSheet *addShopSheet() const { return m_sheet; }
    void showAddShopSheet();

private:
    AddShopSheet *m_sheet;
};

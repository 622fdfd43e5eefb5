#pragma once

#include "views/settings/RuleListSettingsTab.h"

class AddPatternSheet;
class SecurityRuleStore;

// The "危険サイト除外" tab: the excluded patterns of the shared rule store with
// their switches, delete buttons for custom patterns, and the add-pattern
// sheet.
class ExclusionRuleSettingsTab final : public RuleListSettingsTab
{
    Q_OBJECT

public:
    explicit ExclusionRuleSettingsTab(SecurityRuleStore &ruleStore, ThemeManager &themeManager,
                                      QWidget *parent = nullptr);

    AddPatternSheet *addPatternSheet() const { return m_sheet; }
    void showAddPatternSheet();

private:
    AddPatternSheet *m_sheet;
};

#pragma once

#include "views/settings/AddRuleSheet.h"

class SecurityRuleStore;

// The sheet that adds an exclusion pattern.
class AddPatternSheet final : public AddRuleSheet
{
    Q_OBJECT

public:
    explicit AddPatternSheet(SecurityRuleStore &ruleStore, ThemeManager &themeManager,
                             QWidget *parent = nullptr);

    // Adds the pattern if it is not empty; returns whether it did.
    bool addPattern();

private:
    SecurityRuleStore &m_ruleStore;
    QLineEdit *m_patternField;
    QLineEdit *m_reasonField;
};

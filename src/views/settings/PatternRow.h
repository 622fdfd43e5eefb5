#pragma once

#include "rules/ExcludedPattern.h"
#include "views/settings/RuleRow.h"

class ElidedLabel;

// One exclusion rule in the settings list: its switch, pattern, "カスタム"
// badge and reason, and a delete button for patterns the user added.
class PatternRow final : public RuleRow
{
    Q_OBJECT

public:
    explicit PatternRow(QWidget *parent = nullptr);

    void setPattern(const ExcludedPattern &pattern);
    const ExcludedPattern &pattern() const { return m_pattern; }

private:
    ExcludedPattern m_pattern;
    ElidedLabel *m_patternLabel;
    ElidedLabel *m_reasonLabel;
};

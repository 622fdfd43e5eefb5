#include "views/settings/PatternRow.h"

#include "views/common/ElidedLabel.h"
#include "views/common/ViewStyle.h"

PatternRow::PatternRow(QWidget *parent)
    : RuleRow(QStringLiteral("pattern"), ViewStyle::orange(), parent)
    , m_patternLabel(new ElidedLabel)
    , m_reasonLabel(new ElidedLabel)
{
    m_patternLabel->setObjectName(QStringLiteral("patternLabel"));
    m_patternLabel->setFont(ViewStyle::monospaceFont(13, QFont::Bold));

    m_reasonLabel->setObjectName(QStringLiteral("patternReasonLabel"));
    m_reasonLabel->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    m_reasonLabel->setForegroundRole(QPalette::PlaceholderText);

    setTextLines({m_patternLabel}, m_reasonLabel);
}

void PatternRow::setPattern(const ExcludedPattern &pattern)
{
    m_pattern = pattern;
    showRule(pattern.id, pattern.isEnabled, pattern.pattern, pattern.isCustom);
    m_patternLabel->setText(pattern.pattern);
    m_reasonLabel->setText(pattern.reason);
}

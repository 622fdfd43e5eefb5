#include "views/settings/AddPatternSheet.h"

#include "rules/SecurityRuleStore.h"

#include <QLineEdit>
#include <QPushButton>

AddPatternSheet::AddPatternSheet(SecurityRuleStore &ruleStore, ThemeManager &themeManager,
                                 QWidget *parent)
    : AddRuleSheet(themeManager, QStringLiteral("addPattern"),
                   QStringLiteral("新しい除外パターンを追加"), 450, parent)
    , m_ruleStore(ruleStore)
    , m_patternField(new QLineEdit)
    , m_reasonField(new QLineEdit)
{
    m_patternField->setObjectName(QStringLiteral("newPatternField"));
    m_patternField->setPlaceholderText(
        QStringLiteral("除外パターン (例: *.top や example-shop.top)"));
    m_reasonField->setObjectName(QStringLiteral("newPatternReasonField"));
    m_reasonField->setPlaceholderText(QStringLiteral("除外理由 (例: 詐欺通販頻出TLD)"));

    setFields({m_patternField, m_reasonField}, {m_patternField});
    connect(addButton(), &QPushButton::clicked, this, &AddPatternSheet::addPattern);
}

bool AddPatternSheet::addPattern()
{
    // A pattern of blanks passes; the store trims it to an empty pattern.
    const QString pattern = m_patternField->text();
    if (pattern.isEmpty())
        return false;

    const QString reason = m_reasonField->text().isEmpty()
        ? QStringLiteral("ユーザー指定除外パターン")
        : m_reasonField->text();
    m_ruleStore.addCustomPattern(pattern, reason);

    finishAdding();
    return true;
}

#include "views/settings/ExclusionRuleSettingsTab.h"

#include "rules/SecurityRuleStore.h"
#include "views/settings/AddPatternSheet.h"
#include "views/settings/PatternRow.h"

#include <QPushButton>

ExclusionRuleSettingsTab::ExclusionRuleSettingsTab(SecurityRuleStore &ruleStore,
                                                   ThemeManager &themeManager, QWidget *parent)
    : RuleListSettingsTab(
        ruleStore, themeManager,
        {.objectName = QStringLiteral("exclusionRuleSettingsTab"),
         .listName = QStringLiteral("patternList"),
         .titleFormat = QStringLiteral("危険サイト・詐欺パターン除外ルール (%1件)"),
         .caption = QStringLiteral(
             "悪質ECサイトで頻出する危険TLDやドメインパターンを自動ブロック・除外します。"),
         .addButtonName = QStringLiteral("addPatternButton"),
         .addButtonText = QStringLiteral("新規パターン追加")},
        &SecurityRuleStore::togglePattern, &SecurityRuleStore::removePattern, parent)
    , m_sheet(new AddPatternSheet(ruleStore, themeManager, this))
{
    connect(addButton(), &QPushButton::clicked, this,
            &ExclusionRuleSettingsTab::showAddPatternSheet);
    connect(&ruleStore, &SecurityRuleStore::excludedPatternsChanged, this,
            &ExclusionRuleSettingsTab::syncRows);
    syncRows();
}

void ExclusionRuleSettingsTab::showAddPatternSheet()
{
    m_sheet->open();
}

void ExclusionRuleSettingsTab::syncRows()
{
    const QList<ExcludedPattern> &patterns = ruleStore().excludedPatterns();
    RuleListSettingsTab::syncRows(
        patterns.size(), [] { return new PatternRow; },
        [&patterns](RuleRow *row, qsizetype index) {
            static_cast<PatternRow *>(row)->setPattern(patterns.at(index));
        });
}

#include "views/settings/ExclusionRuleSettingsTab.h"

#include "rules/ExcludedPatternListModel.h"
#include "views/common/ViewStyle.h"
#include "views/settings/AddPatternSheet.h"

#include <QPushButton>

ExclusionRuleSettingsTab::ExclusionRuleSettingsTab(SecurityRuleStore &ruleStore,
                                                   ThemeManager &themeManager, QWidget *parent)
    : RuleListSettingsTab(
        themeManager,
        {.objectName = QStringLiteral("exclusionRuleSettingsTab"),
         .listName = QStringLiteral("patternList"),
         .titleFormat = QStringLiteral("危険サイト・詐欺パターン除外ルール (%1件)"),
         .caption = QStringLiteral(
             "悪質ECサイトで頻出する危険TLDやドメインパターンを自動ブロック・除外します。"),
         .addButtonName = QStringLiteral("addPatternButton"),
         .addButtonText = QStringLiteral("新規パターン追加")},
        new ExcludedPatternListModel(ruleStore),
        {.title = ViewStyle::monospaceFont(13, QFont::Bold),
         .note = ViewStyle::font(ViewStyle::TextStyle::caption),
         .detail = ViewStyle::font(ViewStyle::TextStyle::caption),
         .badge = ViewStyle::orange()},
        parent)
    , m_sheet(new AddPatternSheet(ruleStore, themeManager, this))
{
    connect(addButton(), &QPushButton::clicked, this,
            &ExclusionRuleSettingsTab::showAddPatternSheet);
}

void ExclusionRuleSettingsTab::showAddPatternSheet()
{
    m_sheet->open();
}

#include "views/settings/TrustedShopSettingsTab.h"

#include "rules/TrustedShopListModel.h"
#include "views/common/ThemeColors.h"
#include "views/common/ViewStyle.h"
#include "views/settings/AddShopSheet.h"

#include <QPushButton>

TrustedShopSettingsTab::TrustedShopSettingsTab(SecurityRuleStore &ruleStore,
                                               ThemeManager &themeManager, QWidget *parent)
    : RuleListSettingsTab(themeManager,
                          {.objectName = QStringLiteral("trustedShopSettingsTab"),
                           .listName = QStringLiteral("shopList"),
                           .titleFormat = QStringLiteral("認定正規ショップ一覧 (%1件)"),
                           .caption = QStringLiteral(
                               "安心検索時に対象となる正規公認ストアや公式ショップを管理します。"),
                           .addButtonName = QStringLiteral("addShopButton"),
                           .addButtonText = QStringLiteral("新規ショップ追加")},
                          new TrustedShopListModel(ruleStore),
                          {.title = ViewStyle::font(ViewStyle::TextStyle::body, QFont::Bold),
                           .note = ViewStyle::font(ViewStyle::TextStyle::caption),
                           .detail = ViewStyle::monospaceFont(10),
                           .badge = standardBlue()},
                          parent)
    , m_sheet(new AddShopSheet(ruleStore, themeManager, this))
{
    connect(addButton(), &QPushButton::clicked, this, &TrustedShopSettingsTab::showAddShopSheet);
}

void TrustedShopSettingsTab::showAddShopSheet()
{
    m_sheet->open();
}

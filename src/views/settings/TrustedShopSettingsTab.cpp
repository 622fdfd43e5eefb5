#include "views/settings/TrustedShopSettingsTab.h"

#include "rules/SecurityRuleStore.h"
#include "views/settings/AddShopSheet.h"
#include "views/settings/ShopRow.h"

#include <QPushButton>

TrustedShopSettingsTab::TrustedShopSettingsTab(SecurityRuleStore &ruleStore,
                                               ThemeManager &themeManager, QWidget *parent)
    : RuleListSettingsTab(ruleStore, themeManager,
                          {.objectName = QStringLiteral("trustedShopSettingsTab"),
                           .listName = QStringLiteral("shopList"),
                           .titleFormat = QStringLiteral("認定正規ショップ一覧 (%1件)"),
                           .caption = QStringLiteral(
                               "安心検索時に対象となる正規公認ストアや公式ショップを管理します。"),
                           .addButtonName = QStringLiteral("addShopButton"),
                           .addButtonText = QStringLiteral("新規ショップ追加")},
                          &SecurityRuleStore::toggleShop, &SecurityRuleStore::removeShop, parent)
    , m_sheet(new AddShopSheet(ruleStore, themeManager, this))
{
    connect(addButton(), &QPushButton::clicked, this, &TrustedShopSettingsTab::showAddShopSheet);
    connect(&ruleStore, &SecurityRuleStore::trustedShopsChanged, this,
            &TrustedShopSettingsTab::syncRows);
    syncRows();
}

void TrustedShopSettingsTab::showAddShopSheet()
{
    m_sheet->open();
}

void TrustedShopSettingsTab::syncRows()
{
    const QList<TrustedShop> &shops = ruleStore().trustedShops();
    RuleListSettingsTab::syncRows(
        shops.size(), [] { return new ShopRow; },
        [&shops](RuleRow *row, qsizetype index) {
            static_cast<ShopRow *>(row)->setShop(shops.at(index));
        });
}

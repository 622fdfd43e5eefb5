#include "views/TrustedShopSettingsTab.h"

#include "rules/SecurityRuleStore.h"
#include "theme/ThemeManager.h"
#include "views/AddShopSheet.h"
#include "views/InsetList.h"
#include "views/ShopRow.h"
#include "views/SymbolIcon.h"
#include "views/ViewStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

TrustedShopSettingsTab::TrustedShopSettingsTab(SecurityRuleStore &ruleStore,
                                               ThemeManager &themeManager, QWidget *parent)
    : QWidget(parent)
    , m_ruleStore(ruleStore)
    , m_themeManager(themeManager)
    , m_titleLabel(new QLabel)
    , m_addButton(new QPushButton(QStringLiteral("新規ショップ追加")))
    , m_list(new InsetList)
    , m_sheet(new AddShopSheet(ruleStore, themeManager, this))
{
    setObjectName(QStringLiteral("trustedShopSettingsTab"));

    m_titleLabel->setObjectName(QStringLiteral("shopListTitle"));
    m_titleLabel->setFont(ViewStyle::font(ViewStyle::TextStyle::headline));

    auto *caption = new QLabel(
        QStringLiteral("安心検索時に対象となる正規公認ストアや公式ショップを管理します。"));
    caption->setObjectName(QStringLiteral("shopListCaption"));
    caption->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    caption->setForegroundRole(QPalette::PlaceholderText);
    caption->setWordWrap(true);

    auto *titles = new QVBoxLayout;
    titles->setSpacing(4);
    titles->addWidget(m_titleLabel);
    titles->addWidget(caption);

    m_addButton->setObjectName(QStringLiteral("addShopButton"));
    m_addButton->setAutoDefault(false);
    m_addButton->setCursor(Qt::PointingHandCursor);

    auto *header = new QHBoxLayout;
    header->addLayout(titles, 1);
    header->addWidget(m_addButton, 0, Qt::AlignVCenter);

    m_list->setObjectName(QStringLiteral("shopList"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);
    layout->addLayout(header);
    layout->addWidget(m_list, 1);

    connect(m_addButton, &QPushButton::clicked, this, &TrustedShopSettingsTab::showAddShopSheet);
    connect(&m_ruleStore, &SecurityRuleStore::trustedShopsChanged, this,
            &TrustedShopSettingsTab::syncRows);
    connect(&m_themeManager, &ThemeManager::currentThemeChanged, this,
            &TrustedShopSettingsTab::applyTheme);
    syncRows();
    applyTheme();
}

void TrustedShopSettingsTab::showAddShopSheet()
{
    m_sheet->open();
}

void TrustedShopSettingsTab::syncRows()
{
    const QList<TrustedShop> &shops = m_ruleStore.trustedShops();
    m_titleLabel->setText(QStringLiteral("認定正規ショップ一覧 (%1件)").arg(shops.size()));

    // Rows are reused in place, so a switch flip does not rebuild the list.
    QList<QWidget *> rows = m_list->rows();
    while (rows.size() > shops.size())
        rows.removeLast();
    const QColor accent = accentColor(m_themeManager.currentTheme());
    while (rows.size() < shops.size()) {
        auto *row = new ShopRow;
        row->setSwitchColor(accent);
        connect(row, &ShopRow::toggleRequested, this,
                [this](const QUuid &id) { m_ruleStore.toggleShop(id); });
        connect(row, &ShopRow::removeRequested, this,
                [this](const QUuid &id) { m_ruleStore.removeShop(id); });
        rows.append(row);
    }
    for (int i = 0; i < shops.size(); ++i)
        static_cast<ShopRow *>(rows.at(i))->setShop(shops.at(i));
    m_list->setRows(rows);
}

void TrustedShopSettingsTab::applyTheme()
{
    const QColor accent = accentColor(m_themeManager.currentTheme());
    const QColor text = accent.lightnessF() > 0.8 ? QColor(Qt::black) : QColor(Qt::white);
    ViewStyle::makeProminent(m_addButton, accent);
    m_addButton->setIcon(SymbolIcon::icon(QStringLiteral("plus"), text, 14));
    for (QWidget *row : m_list->rows())
        static_cast<ShopRow *>(row)->setSwitchColor(accent);
}

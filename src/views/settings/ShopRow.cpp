#include "views/settings/ShopRow.h"

#include "theme/AppTheme.h"
#include "views/common/ElidedLabel.h"
#include "views/common/ThemeColors.h"
#include "views/common/ViewStyle.h"

#include <QLabel>

ShopRow::ShopRow(QWidget *parent)
    : RuleRow(QStringLiteral("shop"), standardBlue(), parent)
    , m_nameLabel(new ElidedLabel)
    , m_categoryLabel(new QLabel)
    , m_domainLabel(new ElidedLabel)
{
    m_nameLabel->setObjectName(QStringLiteral("shopNameLabel"));
    m_nameLabel->setFont(ViewStyle::font(ViewStyle::TextStyle::body, QFont::Bold));

    m_categoryLabel->setObjectName(QStringLiteral("shopCategoryLabel"));
    m_categoryLabel->setTextFormat(Qt::PlainText);
    m_categoryLabel->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    m_categoryLabel->setForegroundRole(QPalette::PlaceholderText);

    m_domainLabel->setObjectName(QStringLiteral("shopDomainLabel"));
    m_domainLabel->setFont(ViewStyle::monospaceFont(10));
    m_domainLabel->setForegroundRole(QPalette::PlaceholderText);

    setTextLines({m_nameLabel, m_categoryLabel}, m_domainLabel);
}

void ShopRow::setShop(const TrustedShop &shop)
{
    m_shop = shop;
    showRule(shop.id, shop.isEnabled, shop.name, shop.isCustom);
    m_nameLabel->setText(shop.name);
    m_categoryLabel->setText(QStringLiteral("(") + shop.category + QStringLiteral(")"));
    m_domainLabel->setText(shop.domain);
}

#include "views/ShopRow.h"

#include "theme/AppTheme.h"
#include "views/ElidedLabel.h"
#include "views/SymbolIcon.h"
#include "views/ToggleSwitch.h"
#include "views/ViewStyle.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>
#include <QVBoxLayout>

ShopRow::ShopRow(QWidget *parent)
    : QWidget(parent)
    , m_switch(new ToggleSwitch)
    , m_nameLabel(new ElidedLabel)
    , m_categoryLabel(new QLabel)
    , m_customBadge(new QLabel(QStringLiteral("カスタム")))
    , m_domainLabel(new ElidedLabel)
    , m_deleteButton(new QToolButton)
{
    setObjectName(QStringLiteral("shopRow"));

    m_switch->setObjectName(QStringLiteral("shopSwitch"));
    m_nameLabel->setObjectName(QStringLiteral("shopNameLabel"));
    m_nameLabel->setFont(ViewStyle::font(ViewStyle::TextStyle::body, QFont::Bold));

    m_categoryLabel->setObjectName(QStringLiteral("shopCategoryLabel"));
    m_categoryLabel->setTextFormat(Qt::PlainText);
    m_categoryLabel->setFont(ViewStyle::font(ViewStyle::TextStyle::caption));
    m_categoryLabel->setForegroundRole(QPalette::PlaceholderText);

    m_customBadge->setObjectName(QStringLiteral("customBadge"));
    m_customBadge->setFont(ViewStyle::systemFont(9, QFont::Bold));
    m_customBadge->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    QColor badgeBackground = standardBlue();
    badgeBackground.setAlphaF(0.15);
    ViewStyle::makeBadge(m_customBadge, badgeBackground, standardBlue(), 3, 4, 1);

    m_domainLabel->setObjectName(QStringLiteral("shopDomainLabel"));
    m_domainLabel->setFont(ViewStyle::monospaceFont(10));
    m_domainLabel->setForegroundRole(QPalette::PlaceholderText);

    m_deleteButton->setObjectName(QStringLiteral("shopDeleteButton"));
    m_deleteButton->setIcon(SymbolIcon::icon(QStringLiteral("trash"), ViewStyle::red(), 16));
    m_deleteButton->setIconSize(QSize(16, 16));
    m_deleteButton->setToolTip(QStringLiteral("削除"));
    ViewStyle::makePlain(m_deleteButton);

    auto *nameLine = new QHBoxLayout;
    nameLine->setSpacing(8);
    nameLine->addWidget(m_nameLabel);
    nameLine->addWidget(m_categoryLabel);
    nameLine->addWidget(m_customBadge);
    nameLine->addStretch(1);

    auto *texts = new QVBoxLayout;
    texts->setSpacing(2);
    texts->addLayout(nameLine);
    texts->addWidget(m_domainLabel);

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 4 + 4, 0, 4 + 4);
    layout->setSpacing(12);
    layout->addWidget(m_switch, 0, Qt::AlignVCenter);
    layout->addLayout(texts, 1);
    layout->addWidget(m_deleteButton, 0, Qt::AlignVCenter);

    connect(m_switch, &ToggleSwitch::clicked, this, [this] { Q_EMIT toggleRequested(m_shop.id); });
    connect(m_deleteButton, &QToolButton::clicked, this,
            [this] { Q_EMIT removeRequested(m_shop.id); });
}

void ShopRow::setShop(const TrustedShop &shop)
{
    m_shop = shop;
    m_switch->setChecked(shop.isEnabled);
    m_switch->setAccessibleName(shop.name);
    m_nameLabel->setText(shop.name);
    m_categoryLabel->setText(QStringLiteral("(") + shop.category + QStringLiteral(")"));
    m_customBadge->setVisible(shop.isCustom);
    m_domainLabel->setText(shop.domain);
    // Built-in shops can only be switched off or restored by the reset.
    m_deleteButton->setVisible(shop.isCustom);
}

void ShopRow::setSwitchColor(const QColor &color)
{
    m_switch->setOnColor(color);
}

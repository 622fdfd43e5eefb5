#pragma once

#include "rules/TrustedShop.h"
#include "views/settings/RuleRow.h"

class ElidedLabel;
class QLabel;

// One certified shop in the settings list: its switch, name, category,
// "カスタム" badge and domain, and a delete button for shops the user added.
class ShopRow final : public RuleRow
{
    Q_OBJECT

public:
    explicit ShopRow(QWidget *parent = nullptr);

    // Rows are reused across store changes; this shows another (or the
    // changed) shop.
    void setShop(const TrustedShop &shop);
    const TrustedShop &shop() const { return m_shop; }

private:
    TrustedShop m_shop;
    ElidedLabel *m_nameLabel;
    QLabel *m_categoryLabel;
    ElidedLabel *m_domainLabel;
};

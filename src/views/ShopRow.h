#pragma once

#include "rules/TrustedShop.h"

#include <QWidget>

class ElidedLabel;
class QLabel;
class QToolButton;
class ToggleSwitch;

// One certified shop in the settings list: its switch, name, category,
// "カスタム" badge and domain, and a delete button for shops the user added.
class ShopRow final : public QWidget
{
    Q_OBJECT

public:
    explicit ShopRow(QWidget *parent = nullptr);

    // Rows are reused across store changes; this shows another (or the
    // changed) shop.
    void setShop(const TrustedShop &shop);
    const TrustedShop &shop() const { return m_shop; }
    void setSwitchColor(const QColor &color);

Q_SIGNALS:
    void toggleRequested(const QUuid &id);
    void removeRequested(const QUuid &id);

private:
    TrustedShop m_shop;
    ToggleSwitch *m_switch;
    ElidedLabel *m_nameLabel;
    QLabel *m_categoryLabel;
    QLabel *m_customBadge;
    ElidedLabel *m_domainLabel;
    QToolButton *m_deleteButton;
};

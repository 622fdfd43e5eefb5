#include "rules/TrustedShopListModel.h"

#include "rules/SecurityRuleStore.h"

TrustedShopListModel::TrustedShopListModel(SecurityRuleStore &ruleStore, QObject *parent)
    : RuleListModel(parent)
    , m_ruleStore(ruleStore)
{
    connect(&m_ruleStore, &SecurityRuleStore::trustedShopsChanged, this,
            &TrustedShopListModel::sync);
    sync();
}

void TrustedShopListModel::sync()
{
    const QList<TrustedShop> &shops = m_ruleStore.trustedShops();
    QList<QUuid> ids;
    ids.reserve(shops.size());
    for (const TrustedShop &shop : shops)
        ids.append(shop.id);
    // Shared with the store's list, not copied.
    showRows(ids, [this, &shops] { m_shops = shops; });
}

QVariant TrustedShopListModel::data(const QModelIndex &index, int role) const
{
    if (!isRow(index))
        return QVariant();
    const TrustedShop &shop = m_shops.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return shop.name;
    case Qt::CheckStateRole:
        return shop.isEnabled ? Qt::Checked : Qt::Unchecked;
    case IdRole:
        return shop.id;
    case NoteRole:
        return QString(u'(' + shop.category + u')');
    case DetailRole:
        return shop.domain;
    case BadgeRole:
        return shop.isCustom ? QStringLiteral("カスタム") : QString();
    case RemovableRole:
        // Built-in shops can only be switched off or restored by the reset.
        return shop.isCustom;
    default:
        return QVariant();
    }
}

bool TrustedShopListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !isRow(index))
        return false;
    const TrustedShop &shop = m_shops.at(index.row());
    if (shop.isEnabled != (value.toInt() == Qt::Checked))
        m_ruleStore.toggleShop(shop.id);
    return true;
}

bool TrustedShopListModel::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || count < 1 || row + count > rowCount())
        return false;
    const QList<QUuid> removed = ids().mid(row, count);
    for (const QUuid &id : removed)
        m_ruleStore.removeShop(id);
    return true;
}

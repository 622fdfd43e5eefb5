#pragma once

#include "rules/RuleListModel.h"
#include "rules/TrustedShop.h"

class SecurityRuleStore;

// The certified shops of the rule store as list rows: the name, its category
// as a note, the domain below, the "カスタム" badge on shops the user added,
// which alone can be removed.
class TrustedShopListModel final : public RuleListModel
{
    Q_OBJECT

public:
    explicit TrustedShopListModel(SecurityRuleStore &ruleStore, QObject *parent = nullptr);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // The switch: flips the shop in the store when it differs.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;

private:
    void sync();

    SecurityRuleStore &m_ruleStore;
    QList<TrustedShop> m_shops;
};

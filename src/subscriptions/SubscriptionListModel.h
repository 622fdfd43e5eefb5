#pragma once

#include "rules/RuleListModel.h"
#include "subscriptions/Subscription.h"

class SubscriptionStore;

// The subscriptions of the store as list rows: the name, the "組み込み" badge
// on the list that ships with the browser, the address, a status line (rule
// count, last successful update, lines skipped) and the last error. The
// switch enables the list; every list but the built-in one can be removed;
// downloaded lists can be updated.
class SubscriptionListModel final : public RuleListModel
{
    Q_OBJECT

public:
    explicit SubscriptionListModel(SubscriptionStore &store, QObject *parent = nullptr);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;

    static QString problemText(BlockList::Problem problem);

private:
    void sync();
    QString status(const Subscription &record) const;
    static QString problems(const Subscription &record);

    SubscriptionStore &m_store;
    QList<Subscription> m_records;
};

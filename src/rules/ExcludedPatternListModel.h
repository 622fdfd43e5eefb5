#pragma once

#include "rules/ExcludedPattern.h"
#include "rules/RuleListModel.h"

class SecurityRuleStore;

// The excluded patterns of the rule store as list rows: the pattern, its
// reason below, the "カスタム" badge on patterns the user added, which alone
// can be removed.
class ExcludedPatternListModel final : public RuleListModel
{
    Q_OBJECT

public:
    explicit ExcludedPatternListModel(SecurityRuleStore &ruleStore, QObject *parent = nullptr);

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    // The switch: flips the pattern in the store when it differs.
    bool setData(const QModelIndex &index, const QVariant &value, int role = Qt::EditRole) override;
    bool removeRows(int row, int count, const QModelIndex &parent = QModelIndex()) override;

private:
    void sync();

    SecurityRuleStore &m_ruleStore;
    QList<ExcludedPattern> m_patterns;
};

#include "rules/ExcludedPatternListModel.h"

#include "rules/SecurityRuleStore.h"

ExcludedPatternListModel::ExcludedPatternListModel(SecurityRuleStore &ruleStore, QObject *parent)
    : RuleListModel(parent)
    , m_ruleStore(ruleStore)
{
    connect(&m_ruleStore, &SecurityRuleStore::excludedPatternsChanged, this,
            &ExcludedPatternListModel::sync);
    sync();
}

void ExcludedPatternListModel::sync()
{
    const QList<ExcludedPattern> &patterns = m_ruleStore.excludedPatterns();
    QList<QUuid> ids;
    ids.reserve(patterns.size());
    for (const ExcludedPattern &pattern : patterns)
        ids.append(pattern.id);
    // Shared with the store's list, not copied.
    showRows(ids, [this, &patterns] { m_patterns = patterns; });
}

QVariant ExcludedPatternListModel::data(const QModelIndex &index, int role) const
{
    if (!isRow(index))
        return QVariant();
    const ExcludedPattern &pattern = m_patterns.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return pattern.pattern;
    case Qt::CheckStateRole:
        return pattern.isEnabled ? Qt::Checked : Qt::Unchecked;
    case IdRole:
        return pattern.id;
    case DetailRole:
        return pattern.reason;
    case BadgeRole:
        return pattern.isCustom ? QStringLiteral("カスタム") : QString();
    case RemovableRole:
        // Built-in patterns can only be switched off or restored by the reset.
        return pattern.isCustom;
    default:
        return QVariant();
    }
}

bool ExcludedPatternListModel::setData(const QModelIndex &index, const QVariant &value, int role)
{
    if (role != Qt::CheckStateRole || !isRow(index))
        return false;
    const ExcludedPattern &pattern = m_patterns.at(index.row());
    if (pattern.isEnabled != (value.toInt() == Qt::Checked))
        m_ruleStore.togglePattern(pattern.id);
    return true;
}

bool ExcludedPatternListModel::removeRows(int row, int count, const QModelIndex &parent)
{
    if (parent.isValid() || row < 0 || count < 1 || row + count > rowCount())
        return false;
    const QList<QUuid> removed = ids().mid(row, count);
    for (const QUuid &id : removed)
        m_ruleStore.removePattern(id);
    return true;
}

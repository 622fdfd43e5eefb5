#include "rules/RuleListModel.h"

RuleListModel::RuleListModel(QObject *parent)
    : QAbstractListModel(parent)
{ }

int RuleListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_ids.size());
}

Qt::ItemFlags RuleListModel::flags(const QModelIndex &index) const
{
    if (!isRow(index))
        return Qt::NoItemFlags;
    return Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemIsUserCheckable
        | Qt::ItemNeverHasChildren;
}

QHash<int, QByteArray> RuleListModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names[IdRole] = "id";
    names[NoteRole] = "note";
    names[BadgeRole] = "badge";
    names[DetailRole] = "detail";
    names[StatusRole] = "status";
    names[ErrorRole] = "error";
    names[RemovableRole] = "removable";
    names[UpdatableRole] = "updatable";
    names[BusyRole] = "busy";
    names[ProblemsRole] = "problems";
    return names;
}

bool RuleListModel::isRow(const QModelIndex &index) const
{
    // Asked first: checkIndex() warns about an invalid index, which views
    // pass as a matter of course.
    return index.isValid() && checkIndex(index, CheckIndexOption::ParentIsInvalid);
}

QModelIndex RuleListModel::indexOf(const QUuid &id) const
{
    const qsizetype row = m_ids.indexOf(id);
    return row < 0 ? QModelIndex() : index(int(row));
}

QUuid RuleListModel::idAt(const QModelIndex &index) const
{
    if (!isRow(index))
        return QUuid();
    return m_ids.at(index.row());
}

void RuleListModel::showRows(const QList<QUuid> &ids, const std::function<void()> &assign)
{
    // The rows the old and new lists share at either end stay where they are.
    const qsizetype oldCount = m_ids.size();
    const qsizetype newCount = ids.size();
    qsizetype head = 0;
    while (head < oldCount && head < newCount && m_ids.at(head) == ids.at(head))
        ++head;
    qsizetype tail = 0;
    while (tail < oldCount - head && tail < newCount - head
           && m_ids.at(oldCount - 1 - tail) == ids.at(newCount - 1 - tail))
        ++tail;
    const qsizetype removed = oldCount - head - tail;
    const qsizetype inserted = newCount - head - tail;

    if (removed > 0 && inserted > 0) {
        // Rows replaced in the middle (a reset to the defaults): start over.
        beginResetModel();
        m_ids = ids;
        assign();
        endResetModel();
        return;
    }
    if (removed > 0) {
        beginRemoveRows(QModelIndex(), int(head), int(head + removed - 1));
        m_ids = ids;
        assign();
        endRemoveRows();
    } else if (inserted > 0) {
        beginInsertRows(QModelIndex(), int(head), int(head + inserted - 1));
        m_ids = ids;
        assign();
        endInsertRows();
    } else {
        m_ids = ids;
        assign();
    }
    // Rows that stayed may show changed texts or switches; views repaint
    // only those they show.
    if (newCount > 0)
        Q_EMIT dataChanged(index(0), index(int(newCount - 1)));
}

#include "history/HistoryModel.h"

#include "history/HistoryStore.h"

#include <QLocale>

#include <algorithm>

namespace {

// Day rows carry 0 in their index; a visit row carries its day's serial,
// which keeps its parent found when days are inserted above it.
constexpr qint64 serialOffset = qint64(1) << 31;

quintptr idOfSerial(qint64 serial)
{
    return quintptr(serial + serialOffset);
}

qint64 serialOfId(quintptr id)
{
    return qint64(id) - serialOffset;
}

QDate localDate(const HistoryVisit &visit)
{
    return visit.visitedAt.toLocalTime().date();
}

QString dayLabel(const QDate &date)
{
    const QDate today = QDate::currentDate();
    if (date == today)
        return QStringLiteral("今日");
    if (date == today.addDays(-1))
        return QStringLiteral("昨日");
    return QLocale(QLocale::Japanese, QLocale::Japan)
        .toString(date, QStringLiteral("yyyy年M月d日(ddd)"));
}

} // namespace

HistoryModel::HistoryModel(HistoryStore &store, QObject *parent)
    : QAbstractItemModel(parent)
    , m_store(store)
{
    connect(&m_store, &HistoryStore::visitRecorded, this, &HistoryModel::insertVisit);
    connect(&m_store, &HistoryStore::visitRemoved, this, &HistoryModel::removeVisit);
    connect(&m_store, &HistoryStore::visitTitleChanged, this, &HistoryModel::changeTitle);
    connect(&m_store, &HistoryStore::visitsCleared, this, &HistoryModel::reload);
    loadPage(false);
}

void HistoryModel::setSearchText(const QString &text)
{
    if (text == m_searchText)
        return;
    m_searchText = text;
    reload();
    Q_EMIT searchTextChanged(m_searchText);
}

QModelIndex HistoryModel::index(int row, int column, const QModelIndex &parent) const
{
    if (column != 0 || row < 0)
        return {};
    if (!parent.isValid())
        return row < m_days.size() ? createIndex(row, 0, quintptr(0)) : QModelIndex();
    if (parent.internalId() != 0 || parent.row() >= m_days.size())
        return {};
    const Day &day = m_days.at(parent.row());
    return row < day.visits.size() ? createIndex(row, 0, idOfSerial(day.serial)) : QModelIndex();
}

QModelIndex HistoryModel::parent(const QModelIndex &child) const
{
    if (!child.isValid() || child.internalId() == 0)
        return {};
    const qsizetype row = rowOfSerial(serialOfId(child.internalId()));
    return row < 0 ? QModelIndex() : createIndex(int(row), 0, quintptr(0));
}

int HistoryModel::rowCount(const QModelIndex &parent) const
{
    if (!parent.isValid())
        return int(m_days.size());
    if (parent.internalId() != 0 || parent.row() >= m_days.size())
        return 0;
    return int(m_days.at(parent.row()).visits.size());
}

int HistoryModel::columnCount(const QModelIndex &) const
{
    return 1;
}

bool HistoryModel::hasChildren(const QModelIndex &parent) const
{
    return !parent.isValid() || parent.internalId() == 0;
}

QVariant HistoryModel::data(const QModelIndex &index, int role) const
{
    if (!index.isValid())
        return {};
    if (index.internalId() == 0) {
        if (index.row() >= m_days.size())
            return {};
        const QDate date = m_days.at(index.row()).date;
        switch (role) {
        case Qt::DisplayRole:
            return dayLabel(date);
        case DateRole:
            return date;
        default:
            return {};
        }
    }
    const HistoryVisit *visit = visitAt(index);
    if (!visit)
        return {};
    switch (role) {
    case Qt::DisplayRole:
        return visit->title.isEmpty() ? visit->url.toDisplayString() : visit->title;
    case Qt::ToolTipRole:
        return visit->url.toDisplayString();
    case UrlRole:
        return visit->url;
    case TitleRole:
        return visit->title;
    case VisitedAtRole:
        return visit->visitedAt.toLocalTime();
    case VerdictRole:
        return visit->verdict;
    case VisitIdRole:
        return visit->id;
    default:
        return {};
    }
}

QHash<int, QByteArray> HistoryModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractItemModel::roleNames();
    names.insert({{UrlRole, "url"},
                  {TitleRole, "title"},
                  {VisitedAtRole, "visitedAt"},
                  {VerdictRole, "verdict"},
                  {VisitIdRole, "visitId"},
                  {DateRole, "date"}});
    return names;
}

bool HistoryModel::canFetchMore(const QModelIndex &parent) const
{
    if (m_atEnd)
        return false;
    // The next page continues the last day or starts older ones.
    return !parent.isValid() || (parent.internalId() == 0 && parent.row() == m_days.size() - 1);
}

void HistoryModel::fetchMore(const QModelIndex &parent)
{
    if (canFetchMore(parent))
        loadPage(true);
}

void HistoryModel::reload()
{
    beginResetModel();
    m_days.clear();
    m_cursor.reset();
    m_atEnd = false;
    m_topSerial = 0;
    m_bottomSerial = 0;
    // The first page is part of the reset: a view never sees the list empty
    // in between.
    loadPage(false);
    endResetModel();
}

void HistoryModel::loadPage(bool announce)
{
    const QList<HistoryVisit> page = m_store.visits(m_searchText, pageSize, m_cursor);
    m_atEnd = page.size() < pageSize;
    if (page.isEmpty())
        return;
    m_cursor = page.last().id;
    for (qsizetype first = 0; first < page.size();) {
        const QDate date = localDate(page.at(first));
        qsizetype end = first + 1;
        while (end < page.size() && localDate(page.at(end)) == date)
            ++end;
        const QList<HistoryVisit> run = page.sliced(first, end - first);
        if (!m_days.isEmpty() && m_days.last().date == date) {
            QList<HistoryVisit> &visits = m_days.last().visits;
            if (announce)
                beginInsertRows(index(int(m_days.size() - 1), 0), int(visits.size()),
                                int(visits.size() + run.size() - 1));
            visits.append(run);
            if (announce)
                endInsertRows();
        } else {
            if (announce)
                beginInsertRows({}, int(m_days.size()), int(m_days.size()));
            m_days.append({m_bottomSerial--, date, run});
            if (announce)
                endInsertRows();
        }
        first = end;
    }
}

void HistoryModel::insertVisit(const HistoryVisit &visit)
{
    // The latest recorded visit: its place is at the very top.
    if (!m_searchText.isEmpty() && !m_store.matches(visit.id, m_searchText))
        return;
    const QDate date = localDate(visit);
    if (m_days.isEmpty() || m_days.first().date != date) {
        beginInsertRows({}, 0, 0);
        m_days.prepend({++m_topSerial, date, {visit}});
        endInsertRows();
        return;
    }
    beginInsertRows(index(0, 0), 0, 0);
    m_days.first().visits.prepend(visit);
    endInsertRows();
}

void HistoryModel::removeVisit(qint64 id)
{
    for (qsizetype row = 0; row < m_days.size(); ++row) {
        QList<HistoryVisit> &visits = m_days[row].visits;
        const auto found = std::find_if(visits.cbegin(), visits.cend(),
                                        [id](const HistoryVisit &visit) { return visit.id == id; });
        if (found == visits.cend())
            continue;
        const int position = int(found - visits.cbegin());
        beginRemoveRows(index(int(row), 0), position, position);
        visits.removeAt(position);
        endRemoveRows();
        // A later page brings the day back if more of it is stored.
        if (visits.isEmpty()) {
            beginRemoveRows({}, int(row), int(row));
            m_days.removeAt(row);
            endRemoveRows();
        }
        return;
    }
}

void HistoryModel::changeTitle(qint64 id, const QString &title)
{
    for (qsizetype row = 0; row < m_days.size(); ++row) {
        QList<HistoryVisit> &visits = m_days[row].visits;
        for (qsizetype position = 0; position < visits.size(); ++position) {
            if (visits.at(position).id != id)
                continue;
            visits[position].title = title;
            const QModelIndex changed = index(int(position), 0, index(int(row), 0));
            Q_EMIT dataChanged(changed, changed, {Qt::DisplayRole, TitleRole});
            return;
        }
    }
}

qsizetype HistoryModel::rowOfSerial(qint64 serial) const
{
    const auto at = std::lower_bound(m_days.cbegin(), m_days.cend(), serial,
                                     [](const Day &day, qint64 s) { return day.serial > s; });
    return at != m_days.cend() && at->serial == serial ? at - m_days.cbegin() : -1;
}

const HistoryVisit *HistoryModel::visitAt(const QModelIndex &index) const
{
    const QModelIndex day = parent(index);
    if (!day.isValid() || index.row() >= m_days.at(day.row()).visits.size())
        return nullptr;
    return &m_days.at(day.row()).visits.at(index.row());
}

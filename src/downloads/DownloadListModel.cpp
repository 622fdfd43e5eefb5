#include "downloads/DownloadListModel.h"

int DownloadListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant DownloadListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const DownloadItem &item = m_items.at(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case FileNameRole:
        return item.fileName;
    case IdRole:
        return item.id;
    case UrlRole:
        return item.url;
    case FilePathRole:
        return item.filePath;
    case StateRole:
        return int(item.state);
    case ReceivedBytesRole:
        return item.receivedBytes;
    case TotalBytesRole:
        return item.totalBytes;
    case ProgressRole:
        return item.progress();
    case ReasonsRole:
        return item.reasons;
    default:
        return {};
    }
}

QHash<int, QByteArray> DownloadListModel::roleNames() const
{
    return {
        {IdRole, "downloadId"},         {UrlRole, "url"},
        {FileNameRole, "fileName"},     {FilePathRole, "filePath"},
        {StateRole, "state"},           {ReceivedBytesRole, "receivedBytes"},
        {TotalBytesRole, "totalBytes"}, {ProgressRole, "progress"},
        {ReasonsRole, "reasons"},
    };
}

int DownloadListModel::append(DownloadItem item)
{
    item.id = ++m_lastId;
    const int row = int(m_items.size());
    beginInsertRows({}, row, row);
    m_items.append(std::move(item));
    endInsertRows();
    return m_lastId;
}

int DownloadListModel::rowOf(int id) const
{
    for (int row = 0; row < m_items.size(); ++row) {
        if (m_items.at(row).id == id)
            return row;
    }
    return -1;
}

const DownloadItem *DownloadListModel::item(int id) const
{
    const int row = rowOf(id);
    return row < 0 ? nullptr : &m_items.at(row);
}

void DownloadListModel::setProgress(int id, qint64 receivedBytes, qint64 totalBytes)
{
    const int row = rowOf(id);
    if (row < 0 || m_items.at(row).isFinished())
        return;
    DownloadItem &item = m_items[row];
    if (item.receivedBytes == receivedBytes && item.totalBytes == totalBytes)
        return;
    item.receivedBytes = receivedBytes;
    item.totalBytes = totalBytes;
    changed(row, {ReceivedBytesRole, TotalBytesRole, ProgressRole});
}

void DownloadListModel::setState(int id, DownloadItem::State state, const QStringList &reasons)
{
    const int row = rowOf(id);
    if (row < 0 || m_items.at(row).isFinished())
        return;
    DownloadItem &item = m_items[row];
    item.state = state;
    item.reasons = reasons;
    changed(row, {StateRole, ReasonsRole, ProgressRole});
}

void DownloadListModel::removeFinished()
{
    for (int row = int(m_items.size()) - 1; row >= 0; --row) {
        if (!m_items.at(row).isFinished())
            continue;
        beginRemoveRows({}, row, row);
        m_items.removeAt(row);
        endRemoveRows();
    }
}

void DownloadListModel::changed(int row, const QList<int> &roles)
{
    const QModelIndex at = index(row);
    Q_EMIT dataChanged(at, at, roles);
}

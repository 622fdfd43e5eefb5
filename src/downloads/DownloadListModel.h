#pragma once

#include "downloads/DownloadItem.h"

#include <QAbstractListModel>
#include <QList>

// The downloads of one window, newest last. Whoever runs the transfers
// (the download manager) writes here; views only read and react to the
// model's signals.
class DownloadListModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        UrlRole,
        FileNameRole,
        FilePathRole,
        StateRole,
        ReceivedBytesRole,
        TotalBytesRole,
        ProgressRole,
        ReasonsRole,
    };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Gives the item a fresh id (its own is ignored) and returns it.
    int append(DownloadItem item);
    // -1 when no item has the id.
    int rowOf(int id) const;
    const DownloadItem *item(int id) const;
    QList<DownloadItem> items() const { return m_items; }

    void setProgress(int id, qint64 receivedBytes, qint64 totalBytes);
    // A finished item keeps its state: a late signal of a cancelled transfer
    // must not bring it back to life.
    void setState(int id, DownloadItem::State state, const QStringList &reasons = {});
    // Drops every finished item; those still running stay.
    void removeFinished();

private:
    void changed(int row, const QList<int> &roles);

    QList<DownloadItem> m_items;
    int m_lastId = 0;
};

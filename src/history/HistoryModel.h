#pragma once

#include "history/HistoryVisit.h"

#include <QAbstractItemModel>
#include <QDate>
#include <QList>

#include <optional>

class HistoryStore;

// The history for the sidebar: days (local dates, newest first) with their
// visits as children. Visits are read a page at a time, latest recorded
// first, as a view asks for more (fetchMore on the root or on the last day),
// so opening it costs the same with a hundred visits or a million. A search
// text keeps the visits whose title or address contains it. Follows the
// store: new visits appear at the top, removed ones go, titles change in
// place.
//
// A day row is a run of visits of one date in that order: should the clock
// have been set back between two visits, a date can show twice.
class HistoryModel final : public QAbstractItemModel
{
    Q_OBJECT

public:
    enum Role {
        UrlRole = Qt::UserRole + 1, // QUrl, visits
        TitleRole, // QString, visits
        VisitedAtRole, // QDateTime in local time, visits
        VerdictRole, // QString, visits
        VisitIdRole, // qint64, visits: what HistoryStore::removeVisit takes
        DateRole, // QDate, days
    };
    static constexpr int pageSize = 100;

    explicit HistoryModel(HistoryStore &store, QObject *parent = nullptr);

    QString searchText() const { return m_searchText; }
    void setSearchText(const QString &text);

    QModelIndex index(int row, int column, const QModelIndex &parent = {}) const override;
    QModelIndex parent(const QModelIndex &child) const override;
    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    bool hasChildren(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

Q_SIGNALS:
    void searchTextChanged(const QString &text);

private:
    struct Day
    {
        // Decreasing down the rows, and kept for the day's life: what a visit
        // row's index carries to find its day.
        qint64 serial = 0;
        QDate date;
        QList<HistoryVisit> visits;
    };

    void reload();
    // Rows are announced unless the page is read inside a reset.
    void loadPage(bool announce);
    void insertVisit(const HistoryVisit &visit);
    void removeVisit(qint64 id);
    void changeTitle(qint64 id, const QString &title);
    qsizetype rowOfSerial(qint64 serial) const;
    const HistoryVisit *visitAt(const QModelIndex &index) const;

    HistoryStore &m_store;
    QString m_searchText;
    QList<Day> m_days;
    // The id of the last visit read; the next page starts before it.
    std::optional<qint64> m_cursor;
    bool m_atEnd = false;
    qint64 m_topSerial = 0;
    qint64 m_bottomSerial = 0;
};

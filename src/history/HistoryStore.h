#pragma once

#include "history/HistoryVisit.h"

#include <QList>
#include <QObject>
#include <QSqlDatabase>
#include <QSqlQuery>

#include <optional>

// The browsing history of normal windows, in an SQLite database the program
// creates and migrates itself. A private window simply never records.
//
// A file that SQLite finds corrupt, on opening or on any later statement, is
// moved aside (renamed with a timestamp, never deleted) and a fresh database
// takes its place. A file written by a newer version is left as it is and
// the store stays closed.
class HistoryStore final : public QObject
{
    Q_OBJECT

public:
    static constexpr int schemaVersion = 2;
    static constexpr auto corruptSuffix = ".corrupt-";

    // The database the browser uses, under the application data folder.
    static QString defaultDatabasePath();

    explicit HistoryStore(const QString &databasePath, QObject *parent = nullptr);
    ~HistoryStore() override;

    bool isOpen() const { return m_open; }
    // Where a corrupt file was moved this run; empty when none was.
    QString movedAsideTo() const { return m_movedAsideTo; }
    QString databasePath() const { return m_path; }

    // The stored visit, or none when the address or time is not valid or
    // the store is closed.
    std::optional<HistoryVisit>
    recordVisit(const QUrl &url, const QString &title, const QString &verdict,
                const QDateTime &visitedAt = QDateTime::currentDateTimeUtc());
    // Titles arrive after the page: they go to the latest recorded visit of
    // the address. False when there is none.
    bool updateLatestTitle(const QUrl &url, const QString &title);
    bool removeVisit(qint64 id);
    bool clearAll();
    // Visits from `from` to `to`, both included.
    bool clearRange(const QDateTime &from, const QDateTime &to);

    // Latest recorded first (for visits recorded as they happen, newest
    // first), from before the visit `beforeId` when given. A non-empty search
    // keeps the visits whose title or address contains it, ASCII letters in
    // either case, non-ASCII also percent-encoded in the address.
    QList<HistoryVisit> visits(const QString &search, int limit,
                               std::optional<qint64> beforeId = std::nullopt);
    bool matches(qint64 id, const QString &search);
    qint64 visitCount();

Q_SIGNALS:
    void visitRecorded(const HistoryVisit &visit);
    void visitTitleChanged(qint64 id, const QString &title);
    void visitRemoved(qint64 id);
    // Several visits went at once (clearing, or a corrupt file replaced):
    // holders read again.
    void visitsCleared();
    // A corrupt file was moved to path and a new history started.
    void movedAside(const QString &path);

private:
    enum class Opened { ready, corrupt, newer, unavailable };

    Opened openDatabase();
    Opened migrate(int fromVersion);
    void closeDatabase();
    void moveAsideAndStartFresh();
    // Runs a prepared query; on corruption the file is replaced and the
    // caller gets false like for any other failure.
    bool run(QSqlQuery &query);
    QSqlQuery prepared(const QString &sql);

    QString m_path;
    QString m_movedAsideTo;
    QString m_connectionName;
    QSqlDatabase m_database;
    bool m_open = false;
};

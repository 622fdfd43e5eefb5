#include "history/HistoryStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QStandardPaths>
#include <QStringList>
#include <QTimeZone>
#include <QUuid>
#include <QVariant>

#include <algorithm>

namespace {

// Each step brings the database from the version before it to its own
// number; a new file runs them all, so new and migrated files end up alike.
// 1: the visits, in the order they were recorded (ids are never reused),
//    and a time index for clearing a period.
// 2: the verdict of each visit.
const QList<QStringList> &migrationSteps()
{
    static const QList<QStringList> steps {
        {QStringLiteral("CREATE TABLE visits (id INTEGER PRIMARY KEY AUTOINCREMENT, "
                        "url TEXT NOT NULL, title TEXT NOT NULL DEFAULT '', "
                        "visited_at INTEGER NOT NULL)"),
         QStringLiteral("CREATE INDEX visits_by_time ON visits (visited_at)")},
        {QStringLiteral("ALTER TABLE visits ADD COLUMN verdict TEXT NOT NULL DEFAULT ''")},
    };
    return steps;
}

bool isCorruption(const QSqlError &error)
{
    // SQLITE_CORRUPT and SQLITE_NOTADB; anything else (a locked or full
    // disk) leaves the file alone.
    const int code = error.nativeErrorCode().toInt() & 0xff;
    return code == 11 || code == 26;
}

// A null string binds as SQL NULL.
QString nonNull(const QString &text)
{
    return text.isNull() ? QStringLiteral("") : text;
}

QString urlText(const QUrl &url)
{
    return url.toString(QUrl::FullyEncoded);
}

QString likePattern(const QString &text)
{
    QString escaped = text;
    escaped.replace(u'\\', QLatin1String("\\\\"))
        .replace(u'%', QLatin1String("\\%"))
        .replace(u'_', QLatin1String("\\_"));
    return u'%' + escaped + u'%';
}

// Stored addresses are all ASCII: the search text as it appears in one has
// everything else percent-encoded, as in paths and queries.
QString addressForm(const QString &search)
{
    static const QByteArray printableAscii = [] {
        QByteArray bytes;
        for (char c = 0x21; c < 0x7f; ++c)
            bytes.append(c);
        return bytes;
    }();
    return QString::fromLatin1(QUrl::toPercentEncoding(search, printableAscii));
}

// The search as SQL, with its values in order. Case matters only for ASCII
// letters; without any, a plain substring search does the same and reads
// the table in half the time. Stored addresses have upper-case escapes.
QString searchCondition(const QString &search, QVariantList &values)
{
    const bool hasLetters = std::any_of(search.cbegin(), search.cend(), [](QChar c) {
        return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
    });
    if (!hasLetters) {
        values << search << addressForm(search);
        return QStringLiteral("(instr(title, ?) > 0 OR instr(url, ?) > 0)");
    }
    values << likePattern(search) << likePattern(addressForm(search));
    return QStringLiteral("(title LIKE ? ESCAPE '\\' OR url LIKE ? ESCAPE '\\')");
}

HistoryVisit visitFrom(const QSqlQuery &query)
{
    return {query.value(0).toLongLong(), QUrl(query.value(1).toString()), query.value(2).toString(),
            QDateTime::fromMSecsSinceEpoch(query.value(3).toLongLong(), QTimeZone::utc()),
            query.value(4).toString()};
}

} // namespace

QString HistoryStore::defaultDatabasePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation)
        + QLatin1String("/history.sqlite");
}

HistoryStore::HistoryStore(const QString &databasePath, QObject *parent)
    : QObject(parent)
    , m_path(databasePath)
    , m_connectionName(QLatin1String("velmora-history-") + QUuid::createUuid().toString())
{
    QDir().mkpath(QFileInfo(m_path).absolutePath());
    m_database = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), m_connectionName);
    m_database.setDatabaseName(m_path);
    switch (openDatabase()) {
    case Opened::ready:
        break;
    case Opened::corrupt:
        moveAsideAndStartFresh();
        break;
    case Opened::newer:
        qWarning("History not used: %s was written by a newer version", qUtf8Printable(m_path));
        closeDatabase();
        break;
    case Opened::unavailable:
        closeDatabase();
        break;
    }
}

HistoryStore::~HistoryStore()
{
    closeDatabase();
    m_database = QSqlDatabase();
    QSqlDatabase::removeDatabase(m_connectionName);
}

HistoryStore::Opened HistoryStore::openDatabase()
{
    m_open = false;
    if (!m_database.open()) {
        qWarning("History not used: %s", qUtf8Printable(m_database.lastError().text()));
        return Opened::unavailable;
    }
    // Read before anything is written, so that a file found corrupt here is
    // moved aside exactly as it was.
    QSqlQuery version(m_database);
    if (!version.exec(QStringLiteral("PRAGMA user_version")) || !version.next()) {
        const QSqlError error = version.lastError();
        qWarning("History not used: %s", qUtf8Printable(error.text()));
        return isCorruption(error) ? Opened::corrupt : Opened::unavailable;
    }
    const int fileVersion = version.value(0).toInt();
    version.finish();
    if (fileVersion > schemaVersion)
        return Opened::newer;

    // Commits without a disk flush each (a visit lost to a power cut is
    // acceptable); deleted visits are overwritten, not left in free pages.
    QSqlQuery settings(m_database);
    for (const char *pragma : {"PRAGMA journal_mode = WAL", "PRAGMA synchronous = NORMAL",
                               "PRAGMA secure_delete = ON"}) {
        if (!settings.exec(QLatin1String(pragma))) {
            const QSqlError error = settings.lastError();
            qWarning("History not used: %s", qUtf8Printable(error.text()));
            return isCorruption(error) ? Opened::corrupt : Opened::unavailable;
        }
    }
    settings.finish();
    return migrate(fileVersion);
}

HistoryStore::Opened HistoryStore::migrate(int fromVersion)
{
    for (int version = fromVersion; version < schemaVersion; ++version) {
        m_database.transaction();
        QSqlQuery query(m_database);
        QStringList statements = migrationSteps().at(version);
        statements.append(QStringLiteral("PRAGMA user_version = %1").arg(version + 1));
        for (const QString &statement : std::as_const(statements)) {
            if (!query.exec(statement)) {
                const QSqlError error = query.lastError();
                qWarning("History not migrated to version %d: %s", version + 1,
                         qUtf8Printable(error.text()));
                query.finish();
                m_database.rollback();
                return isCorruption(error) ? Opened::corrupt : Opened::unavailable;
            }
        }
        query.finish();
        if (!m_database.commit())
            return isCorruption(m_database.lastError()) ? Opened::corrupt : Opened::unavailable;
    }
    m_open = true;
    return Opened::ready;
}

void HistoryStore::closeDatabase()
{
    m_open = false;
    m_database.close();
}

void HistoryStore::moveAsideAndStartFresh()
{
    closeDatabase();
    const QString base = m_path + QLatin1String(corruptSuffix)
        + QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString target = base;
    for (int n = 2; QFile::exists(target); ++n)
        target = base + u'-' + QString::number(n);
    if (QFile::exists(m_path) && !QFile::rename(m_path, target)) {
        qWarning("History not used: could not move the corrupt %s aside", qUtf8Printable(m_path));
        return;
    }
    // The journal files hold part of the same data: they move with it, and
    // only once it has moved, or they would be parted from it.
    for (const char *companion : {"-wal", "-shm", "-journal"}) {
        const QString path = m_path + QLatin1String(companion);
        if (QFile::exists(path))
            QFile::rename(path, target + QLatin1String(companion));
    }
    qWarning("History was corrupt: moved to %s, starting a new one", qUtf8Printable(target));
    m_movedAsideTo = target;
    Q_EMIT movedAside(target);
    if (openDatabase() != Opened::ready)
        closeDatabase();
    // Not at once: the holder may be in the middle of reading.
    QMetaObject::invokeMethod(this, &HistoryStore::visitsCleared, Qt::QueuedConnection);
}

bool HistoryStore::run(QSqlQuery &query)
{
    if (query.exec())
        return true;
    const QSqlError error = query.lastError();
    qWarning("History: %s", qUtf8Printable(error.text()));
    if (isCorruption(error)) {
        query = QSqlQuery();
        moveAsideAndStartFresh();
    }
    return false;
}

QSqlQuery HistoryStore::prepared(const QString &sql)
{
    QSqlQuery query(m_database);
    query.setForwardOnly(true);
    if (!query.prepare(sql)) {
        qWarning("History: %s", qUtf8Printable(query.lastError().text()));
        if (isCorruption(query.lastError())) {
            query = QSqlQuery();
            moveAsideAndStartFresh();
        }
    }
    return query;
}

std::optional<HistoryVisit> HistoryStore::recordVisit(const QUrl &url, const QString &title,
                                                      const QString &verdict,
                                                      const QDateTime &visitedAt)
{
    if (!m_open || !url.isValid() || url.isEmpty() || !visitedAt.isValid())
        return std::nullopt;
    QSqlQuery query = prepared(
        QStringLiteral("INSERT INTO visits (url, title, visited_at, verdict) VALUES (?, ?, ?, ?)"));
    query.addBindValue(urlText(url));
    query.addBindValue(nonNull(title));
    query.addBindValue(visitedAt.toMSecsSinceEpoch());
    query.addBindValue(nonNull(verdict));
    if (!run(query))
        return std::nullopt;
    const HistoryVisit visit {query.lastInsertId().toLongLong(), url, title, visitedAt.toUTC(),
                              verdict};
    Q_EMIT visitRecorded(visit);
    return visit;
}

bool HistoryStore::updateLatestTitle(const QUrl &url, const QString &title)
{
    if (!m_open)
        return false;
    QSqlQuery latest
        = prepared(QStringLiteral("SELECT id FROM visits WHERE url = ? ORDER BY id DESC LIMIT 1"));
    latest.addBindValue(urlText(url));
    if (!run(latest) || !latest.next())
        return false;
    const qint64 id = latest.value(0).toLongLong();
    latest = QSqlQuery();
    QSqlQuery update = prepared(QStringLiteral("UPDATE visits SET title = ? WHERE id = ?"));
    update.addBindValue(nonNull(title));
    update.addBindValue(id);
    if (!run(update))
        return false;
    Q_EMIT visitTitleChanged(id, title);
    return true;
}

bool HistoryStore::removeVisit(qint64 id)
{
    if (!m_open)
        return false;
    QSqlQuery query = prepared(QStringLiteral("DELETE FROM visits WHERE id = ?"));
    query.addBindValue(id);
    if (!run(query) || query.numRowsAffected() != 1)
        return false;
    Q_EMIT visitRemoved(id);
    return true;
}

bool HistoryStore::clearAll()
{
    if (!m_open)
        return false;
    QSqlQuery query = prepared(QStringLiteral("DELETE FROM visits"));
    if (!run(query))
        return false;
    query = QSqlQuery();
    // The write-ahead log still holds the deleted pages until it is folded
    // back into the file.
    QSqlQuery(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"), m_database);
    Q_EMIT visitsCleared();
    return true;
}

bool HistoryStore::clearRange(const QDateTime &from, const QDateTime &to)
{
    if (!m_open || !from.isValid() || !to.isValid() || to < from)
        return false;
    QSqlQuery query
        = prepared(QStringLiteral("DELETE FROM visits WHERE visited_at BETWEEN ? AND ?"));
    query.addBindValue(from.toMSecsSinceEpoch());
    query.addBindValue(to.toMSecsSinceEpoch());
    if (!run(query))
        return false;
    query = QSqlQuery();
    QSqlQuery(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)"), m_database);
    Q_EMIT visitsCleared();
    return true;
}

QList<HistoryVisit> HistoryStore::visits(const QString &search, int limit,
                                         std::optional<qint64> beforeId)
{
    QList<HistoryVisit> found;
    if (!m_open || limit <= 0)
        return found;
    QStringList conditions;
    QVariantList values;
    if (beforeId) {
        conditions.append(QStringLiteral("id < ?"));
        values.append(*beforeId);
    }
    if (!search.isEmpty())
        conditions.append(searchCondition(search, values));
    QString sql = QStringLiteral("SELECT id, url, title, visited_at, verdict FROM visits");
    if (!conditions.isEmpty())
        sql += QLatin1String(" WHERE ") + conditions.join(QLatin1String(" AND "));
    // Record order is the table's own: a search reads it backwards and
    // stops at the first page of matches, with no index to look rows up by.
    sql += QLatin1String(" ORDER BY id DESC LIMIT ?");
    values.append(limit);

    QSqlQuery query = prepared(sql);
    for (const QVariant &value : std::as_const(values))
        query.addBindValue(value);
    if (!run(query))
        return found;
    while (query.next())
        found.append(visitFrom(query));
    return found;
}

bool HistoryStore::matches(qint64 id, const QString &search)
{
    if (!m_open)
        return false;
    QVariantList values {id};
    QString sql = QStringLiteral("SELECT 1 FROM visits WHERE id = ?");
    if (!search.isEmpty())
        sql += QLatin1String(" AND ") + searchCondition(search, values);
    QSqlQuery query = prepared(sql);
    for (const QVariant &value : std::as_const(values))
        query.addBindValue(value);
    return run(query) && query.next();
}

qint64 HistoryStore::visitCount()
{
    if (!m_open)
        return 0;
    QSqlQuery query = prepared(QStringLiteral("SELECT COUNT(*) FROM visits"));
    return run(query) && query.next() ? query.value(0).toLongLong() : 0;
}

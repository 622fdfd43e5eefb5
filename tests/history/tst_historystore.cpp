#include "history/HistoryStore.h"

#include <QDir>
#include <QFile>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

const QDateTime start(QDate(2024, 5, 1), QTime(10, 0));

// Runs statements on the file through a connection of its own, as another
// program (or an earlier version) would; the first column of the last
// statement's first row comes back.
QVariant runSql(const QString &path, const QStringList &statements)
{
    QVariant result;
    {
        QSqlDatabase database = QSqlDatabase::addDatabase(u"QSQLITE"_s, u"test"_s);
        database.setDatabaseName(path);
        database.open();
        QSqlQuery query(database);
        for (const QString &statement : statements)
            query.exec(statement);
        if (query.next())
            result = query.value(0);
    }
    QSqlDatabase::removeDatabase(u"test"_s);
    return result;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList titles(const QList<HistoryVisit> &visits)
{
    QStringList result;
    for (const HistoryVisit &visit : visits)
        result.append(visit.title);
    return result;
}

} // namespace

class tst_HistoryStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(m_dir.emplace().isValid()); }
    void visitsSurviveARestart();
    void search_data();
    void search();
    void removeAndClear();
    void migratesVersionOne();
    void damagedFiles_data();
    void damagedFiles();

private:
    QString path() const { return m_dir->filePath(u"history.sqlite"_s); }
    QStringList movedAside() const
    {
        return QDir(m_dir->path()).entryList({u"history.sqlite.corrupt-*"_s});
    }

    std::optional<QTemporaryDir> m_dir;
};

void tst_HistoryStore::visitsSurviveARestart()
{
    const QUrl shop(u"https://www.amazon.co.jp/s?k=ノートPC&ref=sr_1"_s);
    const QUrl other(u"https://日本語.jp/商品/1#レビュー"_s);
    {
        HistoryStore store(path());
        QVERIFY(store.recordVisit(shop, QString(), u"trusted"_s, start));
        QVERIFY(store.recordVisit(other, u"日本語の店"_s, u"suspicious"_s, start.addSecs(60)));
        QVERIFY(store.recordVisit(shop, u""_s, u"trusted"_s, start.addMSecs(120001)));
        // The title arriving late goes to the latest visit of the address.
        QVERIFY(store.updateLatestTitle(shop, u"Amazon.co.jp: ノートPC"_s));
        QVERIFY(!store.updateLatestTitle(QUrl(u"https://never.example/"_s), u"x"_s));
        QVERIFY(!store.recordVisit(QUrl(), u"x"_s, u"neutral"_s, start));
        QVERIFY(!store.recordVisit(shop, u"x"_s, u"neutral"_s, QDateTime()));
    }
    HistoryStore reopened(path());
    const QList<HistoryVisit> visits = reopened.visits(QString(), 10);
    QCOMPARE(visits.size(), 3);
    QCOMPARE(visits.at(0).url, shop);
    QCOMPARE(visits.at(0).title, u"Amazon.co.jp: ノートPC"_s);
    QCOMPARE(visits.at(0).visitedAt, start.addMSecs(120001));
    QCOMPARE(visits.at(1).url, other);
    QCOMPARE(visits.at(1).verdict, u"suspicious"_s);
    QCOMPARE(visits.at(2).title, QString());
    // Pages follow on from the last visit read.
    QCOMPARE(reopened.visits(QString(), 2, visits.at(1).id), visits.mid(2));
}

void tst_HistoryStore::search_data()
{
    QTest::addColumn<QString>("search");
    QTest::addColumn<QStringList>("found");

    QTest::newRow("title, other case") << u"ノートpc"_s << QStringList {u"ノートPC 比較"_s};
    QTest::newRow("address, other case") << u"AMAZON.co"_s << QStringList {u"ノートPC 比較"_s};
    QTest::newRow("Japanese in the address only") << u"加湿器"_s << QStringList {u"検索結果"_s};
    QTest::newRow("percent sign, other case")
        << u"50% OFF"_s << QStringList {u"Sneakers 50% off"_s};
    QTest::newRow("percent sign is no wildcard") << u"s%o"_s << QStringList();
    QTest::newRow("underscore is no wildcard") << u"a_e"_s << QStringList();
}

void tst_HistoryStore::search()
{
    QFETCH(QString, search);
    QFETCH(QStringList, found);
    HistoryStore store(path());
    store.recordVisit(QUrl(u"https://www.amazon.co.jp/s?k=ノートPC"_s), u"ノートPC 比較"_s,
                      u"trusted"_s, start);
    store.recordVisit(QUrl(u"https://search.example/?q=加湿器"_s), u"検索結果"_s, u"neutral"_s,
                      start.addSecs(1));
    const std::optional<HistoryVisit> sale
        = store.recordVisit(QUrl(u"https://shop.example/sale_items"_s), u"Sneakers 50% off"_s,
                            u"neutral"_s, start.addSecs(2));
    QCOMPARE(titles(store.visits(search, 10)), found);
    QCOMPARE(store.matches(sale->id, search), found.contains(sale->title));
}

void tst_HistoryStore::removeAndClear()
{
    HistoryStore store(path());
    QList<qint64> ids;
    for (int minute = 0; minute < 5; ++minute)
        ids.append(store
                       .recordVisit(QUrl(u"https://a.example/%1"_s.arg(minute)),
                                    QString::number(minute), u"neutral"_s,
                                    start.addSecs(60 * minute))
                       ->id);
    QVERIFY(store.removeVisit(ids.at(4)));
    QVERIFY(!store.removeVisit(ids.at(4)));
    // Both ends of the period are included.
    QVERIFY(store.clearRange(start.addSecs(60), start.addSecs(120)));
    QVERIFY(!store.clearRange(start.addSecs(120), start));
    QCOMPARE(titles(store.visits(QString(), 10)), (QStringList {u"3"_s, u"0"_s}));
    QVERIFY(store.clearAll());
    QCOMPARE(store.visitCount(), 0);
    // Ids are never handed out again, so a stale one never hits a new visit.
    QCOMPARE(store.recordVisit(QUrl(u"https://b.example/"_s), QString(), QString(), start)->id,
             ids.at(4) + 1);
}

void tst_HistoryStore::migratesVersionOne()
{
    runSql(path(),
           {u"CREATE TABLE visits (id INTEGER PRIMARY KEY AUTOINCREMENT, url TEXT NOT NULL, "
            "title TEXT NOT NULL DEFAULT '', visited_at INTEGER NOT NULL)"_s,
            u"CREATE INDEX visits_by_time ON visits (visited_at)"_s,
            u"INSERT INTO visits (url, title, visited_at) VALUES "
            "('https://old.example/', '前の版', %1)"_s.arg(start.toMSecsSinceEpoch()),
            u"PRAGMA user_version = 1"_s});
    {
        HistoryStore store(path());
        const HistoryVisit old {1, QUrl(u"https://old.example/"_s), u"前の版"_s, start, QString()};
        QCOMPARE(store.visits(QString(), 10), QList<HistoryVisit> {old});
        QVERIFY(store.recordVisit(QUrl(u"https://new.example/"_s), u"新"_s, u"caution"_s, start));
    }
    QCOMPARE(runSql(path(), {u"PRAGMA user_version"_s}).toInt(), HistoryStore::schemaVersion);
    QVERIFY(movedAside().isEmpty());
}

void tst_HistoryStore::damagedFiles_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("moved");

    QTest::newRow("not a database") << u"garbage"_s << true;
    QTest::newRow("damaged table page") << u"page"_s << true;
    QTest::newRow("written by a newer version") << u"newer"_s << false;
}

void tst_HistoryStore::damagedFiles()
{
    QFETCH(QString, damage);
    QFETCH(bool, moved);
    if (damage == u"page") {
        {
            HistoryStore store(path());
            for (int i = 0; i < 50; ++i)
                store.recordVisit(QUrl(u"https://a.example/%1"_s.arg(i)), u"t"_s, u"n"_s, start);
        }
        QFile file(path());
        QVERIFY(file.open(QIODevice::ReadWrite));
        // Page 1 is the schema; the visits table starts on page 2.
        file.seek(4096);
        file.write(QByteArray(4096, '\xff'));
    } else if (damage == u"newer") {
        runSql(path(), {u"CREATE TABLE future (x)"_s, u"PRAGMA user_version = 99"_s});
    } else {
        QFile file(path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("SQLite format 2\n" + QByteArray(5000, '\x07'));
    }
    const QByteArray before = readFile(path());

    HistoryStore store(path());
    QSignalSpy cleared(&store, &HistoryStore::visitsCleared);
    // A damaged page shows only when it is read.
    QVERIFY(store.visits(QString(), 10).isEmpty());
    const QStringList copies = movedAside();
    QCOMPARE(copies.size(), moved ? 1 : 0);
    if (!moved) {
        // Not ours to change.
        QVERIFY(!store.isOpen());
        QCOMPARE(readFile(path()), before);
        return;
    }
    // Kept as it was found; a table page lost stays a table page lost, not
    // a new file.
    const QByteArray kept = readFile(m_dir->filePath(copies.first()));
    if (damage == u"garbage")
        QCOMPARE(kept, before);
    else
        QVERIFY(kept.startsWith("SQLite format 3") && kept.size() >= 4 * 4096);
    QVERIFY(cleared.wait(1000));
    QVERIFY(store.isOpen());
    QVERIFY(store.recordVisit(QUrl(u"https://fresh.example/"_s), u"新"_s, u"neutral"_s, start));
    QCOMPARE(HistoryStore(path()).visitCount(), 1);
}

QTEST_GUILESS_MAIN(tst_HistoryStore)
#include "tst_historystore.moc"

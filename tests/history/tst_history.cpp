#include "history/HistoryModel.h"
#include "history/HistoryStore.h"
#include "history/SessionStore.h"
#include "prefs/FileBytes.h"
#include "prefs/SettingsPreferencesStore.h"

#include <QAbstractItemModelTester>
#include <QDir>
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

QStringList titles(const QList<HistoryVisit> &visits)
{
    QStringList result;
    for (const HistoryVisit &visit : visits)
        result.append(visit.title);
    return result;
}

// What a day row shows, with each visit's text under it.
QStringList shown(const QAbstractItemModel &model)
{
    QStringList lines;
    for (int day = 0; day < model.rowCount(); ++day) {
        const QModelIndex dayIndex = model.index(day, 0);
        lines.append(dayIndex.data().toString());
        for (int visit = 0; visit < model.rowCount(dayIndex); ++visit)
            lines.append(u"  "_s + model.index(visit, 0, dayIndex).data().toString());
    }
    return lines;
}

QDateTime at(const QDate &date, int minute)
{
    return QDateTime(date, QTime(12, 0)).addSecs(60 * minute);
}

} // namespace

class tst_History : public QObject
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
    void savedWindowsComeBack();
    void unreadableSessionIsMovedAside_data();
    void unreadableSessionIsMovedAside();
    void daysReadAPageAtATime();
    void modelFollowsTheStore();

private:
    QString path() const { return m_dir->filePath(u"history.sqlite"_s); }
    QStringList movedAside() const
    {
        return QDir(m_dir->path()).entryList({u"history.sqlite.corrupt-*"_s});
    }

    std::optional<QTemporaryDir> m_dir;
};

void tst_History::visitsSurviveARestart()
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
    const auto id = [&](int row) { return visits.value(row).id; };
    QCOMPARE(visits,
             (QList<HistoryVisit> {
                 {id(0), shop, u"Amazon.co.jp: ノートPC"_s, start.addMSecs(120001), u"trusted"_s},
                 {id(1), other, u"日本語の店"_s, start.addSecs(60), u"suspicious"_s},
                 {id(2), shop, QString(), start, u"trusted"_s}}));
    // Pages follow on from the last visit read.
    QCOMPARE(reopened.visits(QString(), 2, visits.at(1).id), visits.mid(2));
}

void tst_History::search_data()
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

void tst_History::search()
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

void tst_History::removeAndClear()
{
    HistoryStore store(path());
    QList<qint64> ids;
    for (int minute = 0; minute < 5; ++minute) {
        const QString name = QString::number(minute);
        const QUrl url(u"https://a.example/"_s + name);
        ids.append(store.recordVisit(url, name, u"neutral"_s, start.addSecs(60 * minute))->id);
    }
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

void tst_History::migratesVersionOne()
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

void tst_History::damagedFiles_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<bool>("moved");

    QTest::newRow("not a database") << u"garbage"_s << true;
    QTest::newRow("damaged table page") << u"page"_s << true;
    QTest::newRow("written by a newer version") << u"newer"_s << false;
}

void tst_History::damagedFiles()
{
    QFETCH(QString, damage);
    QFETCH(bool, moved);
    if (damage == u"page") {
        {
            HistoryStore store(path());
            for (int i = 0; i < 50; ++i)
                store.recordVisit(QUrl(u"https://a.example/%1"_s.arg(i)), u"t"_s, u"n"_s, start);
        }
        // Page 1 is the schema; the visits table starts on page 2.
        writeBytes(path(), fileBytes(path()).replace(4096, 4096, QByteArray(4096, '\xff')));
    } else if (damage == u"newer") {
        runSql(path(), {u"CREATE TABLE future (x)"_s, u"PRAGMA user_version = 99"_s});
    } else {
        writeBytes(path(), "SQLite format 2\n" + QByteArray(5000, '\x07'));
    }
    const QByteArray before = fileBytes(path());

    HistoryStore store(path());
    QSignalSpy cleared(&store, &HistoryStore::visitsCleared);
    // A damaged page shows only when it is read.
    QVERIFY(store.visits(QString(), 10).isEmpty());
    const QStringList copies = movedAside();
    QCOMPARE(copies.size(), moved ? 1 : 0);
    if (!moved) {
        // Not ours to change.
        QVERIFY(!store.isOpen());
        QCOMPARE(fileBytes(path()), before);
        return;
    }
    // Kept as it was found; a table page lost stays a table page lost, not
    // a new file.
    const QByteArray kept = fileBytes(m_dir->filePath(copies.first()));
    if (damage == u"garbage")
        QCOMPARE(kept, before);
    else
        QVERIFY(kept.startsWith("SQLite format 3") && kept.size() >= 4 * 4096);
    QVERIFY(cleared.wait(1000));
    QVERIFY(store.isOpen());
    QVERIFY(store.recordVisit(QUrl(u"https://fresh.example/"_s), u"新"_s, u"neutral"_s, start));
    QCOMPARE(HistoryStore(path()).visitCount(), 1);
}

void tst_History::savedWindowsComeBack()
{
    const SessionStore store(m_dir->filePath(u"session.json"_s));
    QVERIFY(store.load().isEmpty());
    const QList<SessionWindow> windows {
        {{{QUrl(u"https://www.amazon.co.jp/dp/B0?x=%E3%81%82#top"_s), false},
          {QUrl(u"http://scam.top/"_s), true}},
         1,
         {}},
        {{{QUrl(u"file:///home/user/receipt.html"_s), false}}, 0, QByteArray("\x01\xd9\0\x03", 4)},
    };
    QVERIFY(store.save(windows));
    QCOMPARE(SessionStore(store.filePath()).load(), windows);
    // Closing every window leaves nothing to restore.
    QVERIFY(store.save({}));
    QVERIFY(store.load().isEmpty());

    // Turning restoring off is kept.
    SettingsPreferencesStore preferences(m_dir->filePath(u"preferences.ini"_s));
    SessionStore::setRestoresAtStart(preferences, false);
    QVERIFY(!SessionStore::restoresAtStart(SettingsPreferencesStore(preferences.fileName())));
}

void tst_History::unreadableSessionIsMovedAside_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addRow("truncated") << QByteArray(R"({"version":1,"windows":[{"pages":[{"url":"ht)");
    QTest::addRow("later version") << QByteArray(R"({"version":2,"windows":[]})");
    QTest::addRow("windows not a list") << QByteArray(R"({"version":1,"windows":{}})");
}

void tst_History::unreadableSessionIsMovedAside()
{
    QFETCH(QByteArray, content);
    const QString path = m_dir->filePath(u"session.json"_s);
    writeBytes(path, content);
    QVERIFY(SessionStore(path).load().isEmpty());
    QVERIFY(!QFile::exists(path));
    const QStringList aside = QDir(m_dir->path()).entryList({u"session.json.unreadable-*"_s});
    QCOMPARE(aside.size(), 1);
    QCOMPARE(fileBytes(m_dir->filePath(aside.first())), content);
}

void tst_History::daysReadAPageAtATime()
{
    HistoryStore store(path());
    const QDate today = QDate::currentDate();
    const QDate old(2024, 5, 1);
    const int oldVisits = HistoryModel::pageSize + 20;
    for (int i = 0; i < oldVisits; ++i)
        store.recordVisit(QUrl(u"https://old.example/%1"_s.arg(i)), u"古い %1"_s.arg(i),
                          u"neutral"_s, at(old, i));
    store.recordVisit(QUrl(u"https://y.example/"_s), QString(), u"trusted"_s,
                      at(today.addDays(-1), 0));
    store.recordVisit(QUrl(u"https://t.example/"_s), u"今日の店"_s, u"trusted"_s, at(today, 0));

    HistoryModel model(store);
    // The first page only: two of today's and yesterday's, the rest old.
    QCOMPARE(shown(model).mid(0, 6),
             (QStringList {u"今日"_s, u"  今日の店"_s, u"昨日"_s, u"  https://y.example/"_s,
                           u"2024年5月1日(水)"_s, u"  古い 119"_s}));
    const QModelIndex oldDay = model.index(2, 0);
    QCOMPARE(model.rowCount(oldDay), HistoryModel::pageSize - 2);
    QVERIFY(!model.canFetchMore(model.index(0, 0)));
    QVERIFY(model.canFetchMore(oldDay));
    // The next page carries on the same day, not a second one.
    model.fetchMore(oldDay);
    QCOMPARE(model.rowCount(), 3);
    QCOMPARE(model.rowCount(oldDay), oldVisits);
    QCOMPARE(model.index(oldVisits - 1, 0, oldDay).data().toString(), u"古い 0"_s);
    QVERIFY(!model.canFetchMore({}));
    // (The tester reads every page: only now.)
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    const QModelIndex newest = model.index(0, 0, model.index(0, 0));
    QCOMPARE(newest.data(HistoryModel::UrlRole).toUrl(), QUrl(u"https://t.example/"_s));
    QCOMPARE(newest.data(HistoryModel::VisitedAtRole).toDateTime(), at(today, 0));
}

void tst_History::modelFollowsTheStore()
{
    HistoryStore store(path());
    const QDate today = QDate::currentDate();
    store.recordVisit(QUrl(u"https://a.example/"_s), u"A"_s, u"neutral"_s,
                      at(today.addDays(-1), 0));
    HistoryModel model(store);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    const QPersistentModelIndex yesterdayVisit = model.index(0, 0, model.index(0, 0));

    const qint64 b
        = store.recordVisit(QUrl(u"https://b.example/"_s), u"B"_s, u"neutral"_s, at(today, 0))->id;
    store.recordVisit(QUrl(u"https://c.example/"_s), u"C"_s, u"neutral"_s, at(today, 1));
    store.updateLatestTitle(QUrl(u"https://b.example/"_s), u"B2"_s);
    QCOMPARE(shown(model), (QStringList {u"今日"_s, u"  C"_s, u"  B2"_s, u"昨日"_s, u"  A"_s}));
    // A visit's index still finds its day after a day was put above it.
    QCOMPARE(yesterdayVisit.data().toString(), u"A"_s);
    QCOMPARE(yesterdayVisit.parent().data().toString(), u"昨日"_s);

    store.removeVisit(yesterdayVisit.data(HistoryModel::VisitIdRole).toLongLong());
    store.removeVisit(b);
    QCOMPARE(shown(model), (QStringList {u"今日"_s, u"  C"_s}));

    store.recordVisit(QUrl(u"https://d.example/"_s), u"炊飯器 A"_s, u"neutral"_s, at(today, 2));
    model.setSearchText(u"炊飯器"_s);
    QCOMPARE(shown(model), (QStringList {u"今日"_s, u"  炊飯器 A"_s}));
    // While searching, only new matches come in.
    store.recordVisit(QUrl(u"https://e.example/"_s), u"冷蔵庫"_s, u"neutral"_s, at(today, 3));
    store.recordVisit(QUrl(u"https://f.example/"_s), u"炊飯器 F"_s, u"neutral"_s, at(today, 4));
    QCOMPARE(shown(model), (QStringList {u"今日"_s, u"  炊飯器 F"_s, u"  炊飯器 A"_s}));
    model.setSearchText(QString());
    QCOMPARE(model.rowCount(model.index(0, 0)), 4);
    store.clearAll();
    QCOMPARE(model.rowCount(), 0);
}

QTEST_GUILESS_MAIN(tst_History)
#include "tst_history.moc"

#include "history/HistoryModel.h"

#include "history/HistoryStore.h"

#include <QAbstractItemModelTester>
#include <QTemporaryDir>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

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

class tst_HistoryModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void daysReadAPageAtATime();
    void followsTheStore();
    void search();

private:
    QTemporaryDir m_dir;
};

void tst_HistoryModel::daysReadAPageAtATime()
{
    HistoryStore store(m_dir.filePath(u"paged.sqlite"_s));
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

void tst_HistoryModel::followsTheStore()
{
    HistoryStore store(m_dir.filePath(u"live.sqlite"_s));
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
    store.clearAll();
    QCOMPARE(model.rowCount(), 0);
}

void tst_HistoryModel::search()
{
    HistoryStore store(m_dir.filePath(u"search.sqlite"_s));
    const QDate today = QDate::currentDate();
    store.recordVisit(QUrl(u"https://a.example/"_s), u"炊飯器 A"_s, u"neutral"_s, at(today, 0));
    store.recordVisit(QUrl(u"https://b.example/"_s), u"掃除機"_s, u"neutral"_s, at(today, 1));
    HistoryModel model(store);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);

    model.setSearchText(u"炊飯器"_s);
    QCOMPARE(shown(model), (QStringList {u"今日"_s, u"  炊飯器 A"_s}));
    // While searching, only new matches come in.
    store.recordVisit(QUrl(u"https://c.example/"_s), u"冷蔵庫"_s, u"neutral"_s, at(today, 2));
    store.recordVisit(QUrl(u"https://d.example/"_s), u"炊飯器 D"_s, u"neutral"_s, at(today, 3));
    QCOMPARE(shown(model), (QStringList {u"今日"_s, u"  炊飯器 D"_s, u"  炊飯器 A"_s}));
    model.setSearchText(QString());
    QCOMPARE(model.rowCount(model.index(0, 0)), 4);
}

QTEST_GUILESS_MAIN(tst_HistoryModel)
#include "tst_historymodel.moc"

#include "views/history/HistoryView.h"

#include "history/HistoryStore.h"
#include "support/TestStores.h"
#include "views/history/HistoryItemDelegate.h"

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QTreeView>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QDate today = QDate::currentDate();
const QDate oldDay(2024, 5, 1);

// Four visits on three days, recorded oldest first as they happen, at 8, 9,
// 10 and 11 o'clock.
HistoryStore &withVisits(HistoryStore &store)
{
    const auto record = [&store](const char *url, const QString &title, const QDate &date) {
        store.recordVisit(QUrl(QString::fromLatin1(url)), title, u"neutral"_s,
                          QDateTime(date, QTime(store.visitCount() + 8, 0)));
    };
    record("https://www.amazon.co.jp/dp/B0MAC", u"MacBook Air"_s, oldDay);
    record("http://cheap-brand-outlet.top/", u"激安ブランド"_s, today.addDays(-1));
    record("https://news.example.com/ear", u"イヤホン特集"_s, today);
    record("https://www.yodobashi.com/product/100/", u"ワイヤレスイヤホン"_s, today);
    return store;
}

struct Fixture : TestStores
{
    HistoryStore store {dir.filePath(u"history.sqlite"_s)};
    HistoryView view {withVisits(store), themeManager};
};

} // namespace

class TestHistoryView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup() { m_env.reset(); }
    void daysNewestFirstOrSearchMatches_data();
    void daysNewestFirstOrSearchMatches();
    void clickOpensAndTrashDeletes();
    void clearAsksFirst();

private:
    // What the list shows: day titles, and under each its visits' titles.
    QStringList shown() const;
    QRect rowRect(int day, int visit) const;

    std::unique_ptr<Fixture> m_env;
};

void TestHistoryView::init()
{
    m_env = std::make_unique<Fixture>();
    m_env->view.resize(900, 620);
    m_env->view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&m_env->view));
}

QStringList TestHistoryView::shown() const
{
    const HistoryView &view = m_env->view;
    if (view.isShowingEmptyState())
        return {view.findChild<QLabel *>(u"historyEmptyTitle"_s)->text()};
    QStringList lines;
    const QAbstractItemModel *model = view.list()->model();
    for (int day = 0; day < model->rowCount(); ++day) {
        lines.append(model->index(day, 0).data().toString());
        for (int visit = 0; visit < model->rowCount(model->index(day, 0)); ++visit) {
            // Only rows the user can see count: the day must be open.
            if (rowRect(day, visit).isValid())
                lines.append(u"  "_s
                             + model->index(visit, 0, model->index(day, 0)).data().toString());
        }
    }
    return lines;
}

QRect TestHistoryView::rowRect(int day, int visit) const
{
    const QAbstractItemModel *model = m_env->view.list()->model();
    return m_env->view.list()->visualRect(model->index(visit, 0, model->index(day, 0)));
}

void TestHistoryView::daysNewestFirstOrSearchMatches_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("lines");

    const QString oldDayTitle
        = QLocale(QLocale::Japanese, QLocale::Japan).toString(oldDay, u"yyyy年M月d日(ddd)"_s);
    QTest::newRow("all") << QString()
                         << QStringList {u"今日"_s,           u"  ワイヤレスイヤホン"_s,
                                         u"  イヤホン特集"_s, u"昨日"_s,
                                         u"  激安ブランド"_s, oldDayTitle,
                                         u"  MacBook Air"_s};
    // Which visits match is the store's; the list says when none does.
    QTest::newRow("no match") << u"炊飯器"_s
                              << QStringList {u"「炊飯器」に一致する履歴はありません"_s};
}

void TestHistoryView::daysNewestFirstOrSearchMatches()
{
    QFETCH(QString, query);
    QFETCH(QStringList, lines);
    // Typed text arrives whole, as an input method commits it.
    m_env->view.findChild<QLineEdit *>(u"historySearchField"_s)->insert(query);
    QCOMPARE(shown(), lines);

    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (query.isEmpty() && !folder.isEmpty())
        QVERIFY(m_env->view.grab().save(folder + u"/history-list.png"_s));
}

void TestHistoryView::clickOpensAndTrashDeletes()
{
    QSignalSpy opened(&m_env->view, &HistoryView::visitSelected);
    QWidget *viewport = m_env->view.list()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, rowRect(0, 1).center());
    QTRY_COMPARE(opened.count(), 1);
    QCOMPARE(opened.at(0).at(0).toUrl(), QUrl(u"https://news.example.com/ear"_s));

    const QRect trash = HistoryItemDelegate::removeButtonRect(rowRect(0, 1));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, trash.center());
    QTRY_COMPARE(m_env->store.visitCount(), 3);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(shown().mid(0, 3), QStringList({u"今日"_s, u"  ワイヤレスイヤホン"_s, u"昨日"_s}));
}

void TestHistoryView::clearAsksFirst()
{
    HistoryView &view = m_env->view;
    auto *clear = view.findChild<QPushButton *>(u"historyClearButton"_s);
    for (const QString &answer : {u"historyClearCancelButton"_s, u"historyClearConfirmButton"_s}) {
        QCOMPARE(m_env->store.visitCount(), 4);
        QTest::mouseClick(clear, Qt::LeftButton);
        QMessageBox *box = view.clearConfirmation();
        QVERIFY(box);
        QCOMPARE(box->defaultButton()->objectName(), u"historyClearCancelButton"_s);
        QTest::mouseClick(box->findChild<QAbstractButton *>(answer), Qt::LeftButton);
        QTRY_VERIFY(!view.clearConfirmation());
    }
    QCOMPARE(m_env->store.visitCount(), 0);
    QCOMPARE(shown(), QStringList({u"履歴はまだありません"_s}));
    QVERIFY(!clear->isEnabled());
}

QTEST_MAIN(TestHistoryView)
#include "tst_historyview.moc"

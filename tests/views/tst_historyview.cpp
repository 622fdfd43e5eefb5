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

QDateTime at(const QDate &date, int hour, int minute = 0)
{
    return QDateTime(date, QTime(hour, minute));
}

const QDate oldDay(2024, 5, 1);
const QString oldDayTitle
    = QLocale(QLocale::Japanese, QLocale::Japan).toString(oldDay, u"yyyy年M月d日(ddd)"_s);

} // namespace

class TestHistoryView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();
    void daysWithTheirVisitsNewestFirst();
    void searchKeepsAddressMatches();
    void clickOpensAndTrashDeletes();
    void clearAsksFirst();

private:
    void show();
    // What the list shows: day titles, and under each its visits' titles.
    QStringList shown() const;
    QRect rowRect(int day, int visit) const;

    std::unique_ptr<TestStores> m_env;
    std::unique_ptr<HistoryStore> m_store;
    std::unique_ptr<HistoryView> m_view;
    const QDate m_today = QDate::currentDate();
};

void TestHistoryView::init()
{
    m_env = std::make_unique<TestStores>();
    m_store = std::make_unique<HistoryStore>(m_env->dir.filePath(u"history.sqlite"_s));
    // Recorded oldest first, as they happen.
    m_store->recordVisit(QUrl(u"https://www.amazon.co.jp/dp/B0MAC"_s), u"MacBook Air"_s,
                         u"trusted"_s, at(oldDay, 10));
    m_store->recordVisit(QUrl(u"http://cheap-brand-outlet.top/"_s), u"激安ブランド"_s,
                         u"suspicious"_s, at(m_today.addDays(-1), 9));
    m_store->recordVisit(QUrl(u"https://news.example.com/ear"_s), u"イヤホン特集"_s, u"neutral"_s,
                         at(m_today, 8));
    m_store->recordVisit(QUrl(u"https://www.yodobashi.com/product/100/"_s), u"ワイヤレスイヤホン"_s,
                         u"trusted"_s, at(m_today, 9, 30));
}

void TestHistoryView::cleanup()
{
    m_view.reset();
    m_store.reset();
    m_env.reset();
}

void TestHistoryView::show()
{
    m_view = std::make_unique<HistoryView>(*m_store, m_env->themeManager);
    m_view->resize(900, 620);
    m_view->show();
    QVERIFY(QTest::qWaitForWindowExposed(m_view.get()));
}

QStringList TestHistoryView::shown() const
{
    if (m_view->isShowingEmptyState())
        return {m_view->findChild<QLabel *>(u"historyEmptyTitle"_s)->text()};
    QStringList lines;
    const QTreeView *list = m_view->list();
    const QAbstractItemModel *model = list->model();
    for (int day = 0; day < model->rowCount(); ++day) {
        const QModelIndex dayIndex = model->index(day, 0);
        lines.append(dayIndex.data().toString());
        for (int visit = 0; visit < model->rowCount(dayIndex); ++visit) {
            const QModelIndex index = model->index(visit, 0, dayIndex);
            // Only rows the user can see count: the day must be open.
            if (list->visualRect(index).isValid())
                lines.append(u"  "_s + index.data().toString());
        }
    }
    return lines;
}

QRect TestHistoryView::rowRect(int day, int visit) const
{
    const QAbstractItemModel *model = m_view->list()->model();
    return m_view->list()->visualRect(model->index(visit, 0, model->index(day, 0)));
}

void TestHistoryView::daysWithTheirVisitsNewestFirst()
{
    show();
    QCOMPARE(shown(),
             QStringList({u"今日"_s, u"  ワイヤレスイヤホン"_s, u"  イヤホン特集"_s, u"昨日"_s,
                          u"  激安ブランド"_s, oldDayTitle, u"  MacBook Air"_s}));

    const QString folder = qEnvironmentVariable("VELMORA_SCREENSHOT_DIR");
    if (!folder.isEmpty())
        QVERIFY(m_view->grab().save(folder + u"/history-list.png"_s));
}

void TestHistoryView::searchKeepsAddressMatches()
{
    show();
    // Typed text arrives whole, as an input method commits it.
    auto *field = m_view->findChild<QLineEdit *>(u"historySearchField"_s);
    field->insert(u"AMAZON.co"_s);
    QCOMPARE(shown(), QStringList({oldDayTitle, u"  MacBook Air"_s}));
    field->clear();
    field->insert(u"炊飯器"_s);
    QCOMPARE(shown(), QStringList({u"「炊飯器」に一致する履歴はありません"_s}));
    field->clear();
    QCOMPARE(shown().size(), 7);
}

void TestHistoryView::clickOpensAndTrashDeletes()
{
    show();
    QSignalSpy opened(m_view.get(), &HistoryView::visitSelected);
    QWidget *viewport = m_view->list()->viewport();

    QTest::mouseClick(viewport, Qt::LeftButton, {}, rowRect(0, 1).center());
    QTRY_COMPARE(opened.count(), 1);
    QCOMPARE(opened.at(0).at(0).toUrl(), QUrl(u"https://news.example.com/ear"_s));

    const QRect trash = HistoryItemDelegate::removeButtonRect(rowRect(0, 1));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, trash.center());
    QTRY_COMPARE(m_store->visitCount(), 3);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(shown().mid(0, 3), QStringList({u"今日"_s, u"  ワイヤレスイヤホン"_s, u"昨日"_s}));
}

void TestHistoryView::clearAsksFirst()
{
    show();
    auto *clear = m_view->findChild<QPushButton *>(u"historyClearButton"_s);
    for (const QString &answer : {u"historyClearCancelButton"_s, u"historyClearConfirmButton"_s}) {
        QTest::mouseClick(clear, Qt::LeftButton);
        QMessageBox *box = m_view->clearConfirmation();
        QVERIFY(box);
        QCOMPARE(box->defaultButton()->objectName(), u"historyClearCancelButton"_s);
        QTest::mouseClick(box->findChild<QAbstractButton *>(answer), Qt::LeftButton);
        QTRY_VERIFY(!m_view->clearConfirmation());
        if (answer == u"historyClearCancelButton"_s)
            QCOMPARE(m_store->visitCount(), 4);
    }
    QCOMPARE(m_store->visitCount(), 0);
    QCOMPARE(shown(), QStringList({u"履歴はまだありません"_s}));
    QVERIFY(!clear->isEnabled());
}

QTEST_MAIN(TestHistoryView)
#include "tst_historyview.moc"

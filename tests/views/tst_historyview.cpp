// The sidebar's lists: the history, with its clearing dialog, and the
// bookmarks.
#include "views/history/HistoryView.h"

#include "history/HistoryStore.h"
#include "support/Screenshots.h"
#include "support/TestStores.h"
#include "views/bookmarks/BookmarksView.h"
#include "views/common/InsetList.h"
#include "views/history/ClearBrowsingDataDialog.h"
#include "views/history/HistoryItemDelegate.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <QWebEngineProfile>

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
    BookmarksView bookmarksView {bookmarkStore, themeManager};

    // What the history shows: day titles, and under each its visits' titles.
    QStringList shown() const
    {
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
    QRect rowRect(int day, int visit) const
    {
        const QAbstractItemModel *model = view.list()->model();
        return view.list()->visualRect(model->index(visit, 0, model->index(day, 0)));
    }

    template<typename T = QLabel> T *inRow(int index, const QString &name) const
    {
        return bookmarksView.findChild<InsetList *>()->rowAt(index)->findChild<T *>(name);
    }
    // The rows of the list, each with the title, shop, notes and address it
    // shows; or a marker for the empty state.
    QStringList shownRows() const
    {
        if (bookmarksView.findChild<QWidget *>(u"bookmarksEmptyState"_s)->isVisible())
            return {u"<empty state>"_s};
        QStringList rows;
        for (int i = 0; i < bookmarksView.findChild<InsetList *>()->rowCount(); ++i) {
            QStringList shown;
            for (const QString &part :
                 {u"TitleLabel"_s, u"ShopBadge"_s, u"NotesLabel"_s, u"UrlLabel"_s}) {
                if (QLabel *label = inRow(i, u"bookmark"_s + part); label->isVisible())
                    shown.append(label->text());
            }
            rows.append(shown.join(u'|'));
        }
        return rows;
    }
};

} // namespace

class TestHistoryView : public QObject
{
    Q_OBJECT

public:
    static void initMain()
    {
        QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
        qputenv("QTWEBENGINE_CHROMIUM_FLAGS", "--disable-gpu");
    }

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<Fixture>();
        m_env->view.resize(900, 620);
        m_env->view.show();
        m_env->bookmarksView.resize(900, 620);
        m_env->bookmarksView.show();
        QVERIFY(QTest::qWaitForWindowExposed(&m_env->view));
    }
    void cleanup() { m_env.reset(); }
    void daysNewestFirstOrSearchMatches_data();
    void daysNewestFirstOrSearchMatches();
    void clickOpensTrashDeletesAndClearAsksFirst();
    void clearingDataTakesThePeriodChosen_data();
    void clearingDataTakesThePeriodChosen();
    void bookmarksFilterMatchesTitleShopAndNotes_data();
    void bookmarksFilterMatchesTitleShopAndNotes();
    void bookmarkButtonsOpenAndDeleteTheirBookmark();

private:
    std::unique_ptr<Fixture> m_env;
    // Off the record: nothing of the engine's lands in the test's folders.
    QWebEngineProfile m_profile;
};

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
    QCOMPARE(m_env->shown(), lines);
    if (query.isEmpty())
        QVERIFY(saveScreenshot(&m_env->view, u"history-list.png"_s));
}

void TestHistoryView::clickOpensTrashDeletesAndClearAsksFirst()
{
    QSignalSpy opened(&m_env->view, &HistoryView::visitSelected);
    QWidget *viewport = m_env->view.list()->viewport();
    QTest::mouseClick(viewport, Qt::LeftButton, {}, m_env->rowRect(0, 1).center());
    QTRY_COMPARE(opened.count(), 1);
    QCOMPARE(opened.at(0).at(0).toUrl(), QUrl(u"https://news.example.com/ear"_s));

    const QRect trash = HistoryItemDelegate::removeButtonRect(m_env->rowRect(0, 1));
    QTest::mouseClick(viewport, Qt::LeftButton, {}, trash.center());
    QTRY_COMPARE(m_env->store.visitCount(), 3);
    QCOMPARE(opened.count(), 1);
    QCOMPARE(m_env->shown().mid(0, 3),
             QStringList({u"今日"_s, u"  ワイヤレスイヤホン"_s, u"昨日"_s}));
    // A look-alike host reads as its punycode, in place of a missing title too.
    m_env->store.recordVisit(QUrl(u"http://www.xn--pypal-4ve.com/signin"_s), {}, u"neutral"_s,
                             QDateTime(today, QTime(23, 59)));
    const QAbstractItemModel *model = m_env->view.list()->model();
    QCOMPARE(HistoryItemDelegate::shownTitle(model->index(0, 0, model->index(0, 0))),
             u"http://www.xn--pypal-4ve.com/signin"_s);

    // Clearing all asks first, and a cancel keeps everything.
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
    QCOMPARE(m_env->shown(), QStringList({u"履歴はまだありません"_s}));
    QVERIFY(!clear->isEnabled());
}

void TestHistoryView::clearingDataTakesThePeriodChosen_data()
{
    QTest::addColumn<QString>("range");
    QTest::addColumn<QStringList>("kept");

    QTest::newRow("hour") << u"過去1時間"_s << QStringList({u"30d"_s, u"2d"_s, u"3h"_s});
    QTest::newRow("week") << u"過去7日間"_s << QStringList({u"30d"_s});
    QTest::newRow("all") << u"全期間"_s << QStringList();
}

void TestHistoryView::clearingDataTakesThePeriodChosen()
{
    QFETCH(QString, range);
    QFETCH(QStringList, kept);

    HistoryStore store(m_env->dir.filePath(u"cleared.sqlite"_s));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    const QList<std::pair<QString, qint64>> ages {
        {u"30d"_s, 30 * 86400},
        {u"2d"_s, 2 * 86400},
        {u"3h"_s, 3 * 3600},
        {u"10m"_s, 600},
        // Stamped ahead of now: the clock was set back since.
        {u"ahead"_s, -3600}};
    for (const auto &[title, age] : ages)
        store.recordVisit(QUrl(u"https://shop.example/"_s + title), title, u"neutral"_s,
                          now.addSecs(-age));

    ClearBrowsingDataDialog dialog(m_profile, store, m_env->dir.path());
    dialog.show();
    QVERIFY(!dialog.cookiesBox()->isChecked());
    dialog.rangeBox()->setCurrentText(range);
    QTest::mouseClick(dialog.clearButton(), Qt::LeftButton);
    QCOMPARE(dialog.result(), int(QDialog::Accepted));

    // Oldest first, as recorded.
    QStringList titles;
    for (const HistoryVisit &visit : store.visits(QString(), 100))
        titles.prepend(visit.title);
    QCOMPARE(titles, kept);
}

void TestHistoryView::bookmarksFilterMatchesTitleShopAndNotes_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("rows");

    const QString mac = u"MacBook Air|Amazon.co.jp|https://www.amazon.co.jp/dp/B0TEST"_s;
    const QString book = u"Book|📝 memo of Tokyo trip|https://example.com/yodobashi-mirror"_s;
    QTest::newRow("nothing stored") << false << QString() << QStringList {u"<empty state>"_s};
    QTest::newRow("no query") << true << QString()
                              << QStringList {mac,
                                              u"ワイヤレスイヤホン|ヨドバシ・ドット・コム|📝 "
                                              u"セール中|https://www.yodobashi.com/product/100/"_s,
                                              book};
    QTest::newRow("title, other case") << true << u"BOOK"_s << QStringList {mac, book};
    QTest::newRow("shop name, other case") << true << u"AMAZON.CO"_s << QStringList {mac};
    QTest::newRow("notes") << true << u"tokyo"_s << QStringList {book};
    // A query matching nothing is an empty list, not the empty state.
    QTest::newRow("address only") << true << u"yodobashi"_s << QStringList();
}

void TestHistoryView::bookmarksFilterMatchesTitleShopAndNotes()
{
    QFETCH(bool, stored);
    QFETCH(QString, query);
    QFETCH(QStringList, rows);

    if (stored) {
        // Added oldest first, so the list shows them reversed.
        BookmarkStore &store = m_env->bookmarkStore;
        store.addBookmark(u"Book"_s, u"https://example.com/yodobashi-mirror"_s, {},
                          u"memo of Tokyo trip"_s);
        store.addBookmark(u"ワイヤレスイヤホン"_s, u"https://www.yodobashi.com/product/100/"_s,
                          u"ヨドバシ・ドット・コム"_s, u"セール中"_s);
        store.addBookmark(u"MacBook Air"_s, u"https://www.amazon.co.jp/dp/B0TEST"_s,
                          u"Amazon.co.jp"_s, {});
    }
    m_env->bookmarksView.findChild<QLineEdit *>(u"bookmarkFilterField"_s)->insert(query);
    QCOMPARE(m_env->shownRows(), rows);
}

void TestHistoryView::bookmarkButtonsOpenAndDeleteTheirBookmark()
{
    // Not normalised: mixed case, an encoded blank, a fragment.
    const QString address = u"HTTPS://Www.Amazon.co.jp/s?k=Mac%20Book&x=1#Top"_s;
    BookmarkStore &store = m_env->bookmarkStore;
    store.addBookmark(u"検索結果"_s, address, {}, {});
    store.addBookmark(u"other"_s, u"https://www.rakuten.co.jp/"_s, {}, {});
    QSignalSpy selected(&m_env->bookmarksView, &BookmarksView::bookmarkSelected);
    QTest::mouseClick(m_env->inRow<QPushButton>(1, u"bookmarkOpenButton"_s), Qt::LeftButton);
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.at(0).at(0).toUrl(), QUrl(address));
    // A stored address that does not parse opens nothing.
    store.addBookmark(u"script"_s, u"javascript:alert(1)"_s, {}, {});
    QTest::mouseClick(m_env->inRow<QPushButton>(0, u"bookmarkOpenButton"_s), Qt::LeftButton);
    QCOMPARE(selected.size(), 1);
    store.removeBookmark(store.bookmarks().constFirst().id);

    for (const QStringList &left :
         {QStringList {u"検索結果|"_s + address}, QStringList {u"<empty state>"_s}}) {
        QTest::mouseClick(m_env->inRow<QToolButton>(0, u"bookmarkDeleteButton"_s), Qt::LeftButton);
        QCOMPARE(m_env->shownRows(), left);
    }
    QVERIFY(store.bookmarks().isEmpty());
}

QTEST_MAIN(TestHistoryView)
#include "tst_historyview.moc"

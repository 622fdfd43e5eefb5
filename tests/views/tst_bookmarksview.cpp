#include "support/TestStores.h"
#include "views/bookmarks/BookmarksView.h"
#include "views/common/InsetList.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace Qt::StringLiterals;

class TestBookmarksView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_env = std::make_unique<TestStores>(); }
    void cleanup()
    {
        m_view.reset();
        m_env.reset();
    }
    void filterMatchesTitleShopAndNotes_data();
    void filterMatchesTitleShopAndNotes();
    void rowsShowWhatIsStored();
    void rowButtonsOpenAndDeleteTheirBookmark();

private:
    // Added oldest first, so the list shows them reversed.
    void addBookmarks()
    {
        BookmarkStore &store = m_env->bookmarkStore;
        store.addBookmark(u"Book"_s, u"https://example.com/yodobashi-mirror"_s, {},
                          u"memo of Tokyo trip"_s);
        store.addBookmark(u"ワイヤレスイヤホン"_s, u"https://www.yodobashi.com/product/100/"_s,
                          u"ヨドバシ・ドット・コム"_s, u"セール中"_s);
        store.addBookmark(u"MacBook Air"_s, u"https://www.amazon.co.jp/dp/B0TEST"_s,
                          u"Amazon.co.jp"_s, {});
    }
    void show()
    {
        m_view = std::make_unique<BookmarksView>(m_env->bookmarkStore, m_env->themeManager);
        m_view->resize(900, 620);
        m_view->show();
    }
    template<typename T = QLabel> T *inRow(int index, const QString &name) const
    {
        return m_view->findChild<InsetList *>(u"bookmarkList"_s)
            ->rowAt(index)
            ->findChild<T *>(name);
    }
    // The titles of the list, or a marker for the empty state.
    QStringList shownTitles() const
    {
        if (m_view->findChild<QWidget *>(u"bookmarksEmptyState"_s)->isVisible())
            return {u"<empty state>"_s};
        QStringList titles;
        for (int i = 0; i < m_view->findChild<InsetList *>()->rowCount(); ++i)
            titles.append(inRow(i, u"bookmarkTitleLabel"_s)->text());
        return titles;
    }

    std::unique_ptr<TestStores> m_env;
    std::unique_ptr<BookmarksView> m_view;
};

void TestBookmarksView::filterMatchesTitleShopAndNotes_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("titles");

    const QString mac = u"MacBook Air"_s;
    const QString book = u"Book"_s;
    const QStringList emptyState {u"<empty state>"_s};
    QTest::newRow("nothing stored") << false << QString() << emptyState;
    QTest::newRow("no query") << true << QString()
                              << QStringList {mac, u"ワイヤレスイヤホン"_s, book};
    QTest::newRow("title, other case") << true << u"BOOK"_s << QStringList {mac, book};
    QTest::newRow("shop name, other case") << true << u"AMAZON.CO"_s << QStringList {mac};
    QTest::newRow("notes") << true << u"tokyo"_s << QStringList {book};
    // A query matching nothing is an empty list, not the empty state.
    QTest::newRow("address only") << true << u"yodobashi"_s << QStringList();
}

void TestBookmarksView::filterMatchesTitleShopAndNotes()
{
    QFETCH(bool, stored);
    QFETCH(QString, query);
    QFETCH(QStringList, titles);

    if (stored)
        addBookmarks();
    show();
    // Typed text arrives as one insertion, as an input method commits it.
    m_view->findChild<QLineEdit *>(u"bookmarkFilterField"_s)->insert(query);
    QCOMPARE(shownTitles(), titles);
}

void TestBookmarksView::rowsShowWhatIsStored()
{
    addBookmarks();
    show();
    const QString badge = u"bookmarkShopBadge"_s;
    const QString notes = u"bookmarkNotesLabel"_s;
    QVERIFY(inRow(0, badge)->isVisible());
    QCOMPARE(inRow(0, badge)->text(), u"Amazon.co.jp"_s);
    QVERIFY(!inRow(0, notes)->isVisible());
    QVERIFY(inRow(1, notes)->isVisible());
    QCOMPARE(inRow(1, notes)->text(), u"📝 セール中"_s);
    QVERIFY(!inRow(2, badge)->isVisible());
    QCOMPARE(inRow(2, u"bookmarkUrlLabel"_s)->text(), u"https://example.com/yodobashi-mirror"_s);
}

void TestBookmarksView::rowButtonsOpenAndDeleteTheirBookmark()
{
    // Not normalised: mixed case, an encoded blank, a fragment.
    const QString address = u"HTTPS://Www.Amazon.co.jp/s?k=Mac%20Book&x=1#Top"_s;
    m_env->bookmarkStore.addBookmark(u"検索結果"_s, address, {}, {});
    m_env->bookmarkStore.addBookmark(u"other"_s, u"https://www.rakuten.co.jp/"_s, {}, {});
    show();
    QSignalSpy selected(m_view.get(), &BookmarksView::bookmarkSelected);
    QTest::mouseClick(inRow<QPushButton>(1, u"bookmarkOpenButton"_s), Qt::LeftButton);
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.at(0).at(0).toString(), address);

    QTest::mouseClick(inRow<QToolButton>(0, u"bookmarkDeleteButton"_s), Qt::LeftButton);
    QCOMPARE(shownTitles(), QStringList {u"検索結果"_s});
    QCOMPARE(m_env->bookmarkStore.bookmarks().constFirst().url, address);
    QTest::mouseClick(inRow<QToolButton>(0, u"bookmarkDeleteButton"_s), Qt::LeftButton);
    QCOMPARE(shownTitles(), QStringList {u"<empty state>"_s});
    QVERIFY(m_env->bookmarkStore.bookmarks().isEmpty());
}

QTEST_MAIN(TestBookmarksView)
#include "tst_bookmarksview.moc"

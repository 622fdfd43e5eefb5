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

namespace {

struct Fixture : TestStores
{
    BookmarksView view {bookmarkStore, themeManager};

    // Added oldest first, so the list shows them reversed.
    void addBookmarks()
    {
        bookmarkStore.addBookmark(u"Book"_s, u"https://example.com/yodobashi-mirror"_s, {},
                                  u"memo of Tokyo trip"_s);
        bookmarkStore.addBookmark(u"ワイヤレスイヤホン"_s,
                                  u"https://www.yodobashi.com/product/100/"_s,
                                  u"ヨドバシ・ドット・コム"_s, u"セール中"_s);
        bookmarkStore.addBookmark(u"MacBook Air"_s, u"https://www.amazon.co.jp/dp/B0TEST"_s,
                                  u"Amazon.co.jp"_s, {});
    }
    template<typename T = QLabel> T *inRow(int index, const QString &name) const
    {
        return view.findChild<InsetList *>(u"bookmarkList"_s)->rowAt(index)->findChild<T *>(name);
    }
    // The titles of the list, or a marker for the empty state.
    QStringList shownTitles() const
    {
        if (view.findChild<QWidget *>(u"bookmarksEmptyState"_s)->isVisible())
            return {u"<empty state>"_s};
        QStringList titles;
        for (int i = 0; i < view.findChild<InsetList *>()->rowCount(); ++i)
            titles.append(inRow(i, u"bookmarkTitleLabel"_s)->text());
        return titles;
    }
};

} // namespace

class TestBookmarksView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init()
    {
        m_env = std::make_unique<Fixture>();
        m_env->view.resize(900, 620);
        m_env->view.show();
    }
    void cleanup() { m_env.reset(); }
    void filterMatchesTitleShopAndNotes_data();
    void filterMatchesTitleShopAndNotes();
    void rowsShowWhatIsStored();
    void rowButtonsOpenAndDeleteTheirBookmark();

private:
    std::unique_ptr<Fixture> m_env;
};

void TestBookmarksView::filterMatchesTitleShopAndNotes_data()
{
    QTest::addColumn<bool>("stored");
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("titles");

    const QString mac = u"MacBook Air"_s;
    const QString book = u"Book"_s;
    QTest::newRow("nothing stored") << false << QString() << QStringList {u"<empty state>"_s};
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
        m_env->addBookmarks();
    // Typed text arrives as one insertion, as an input method commits it.
    m_env->view.findChild<QLineEdit *>(u"bookmarkFilterField"_s)->insert(query);
    QCOMPARE(m_env->shownTitles(), titles);
}

void TestBookmarksView::rowsShowWhatIsStored()
{
    m_env->addBookmarks();
    const QString badge = u"bookmarkShopBadge"_s;
    const QString notes = u"bookmarkNotesLabel"_s;
    QVERIFY(m_env->inRow(0, badge)->isVisible());
    QCOMPARE(m_env->inRow(0, badge)->text(), u"Amazon.co.jp"_s);
    QVERIFY(!m_env->inRow(0, notes)->isVisible());
    QVERIFY(m_env->inRow(1, notes)->isVisible());
    QCOMPARE(m_env->inRow(1, notes)->text(), u"📝 セール中"_s);
    QVERIFY(!m_env->inRow(2, badge)->isVisible());
    QCOMPARE(m_env->inRow(2, u"bookmarkUrlLabel"_s)->text(),
             u"https://example.com/yodobashi-mirror"_s);
}

void TestBookmarksView::rowButtonsOpenAndDeleteTheirBookmark()
{
    // Not normalised: mixed case, an encoded blank, a fragment.
    const QString address = u"HTTPS://Www.Amazon.co.jp/s?k=Mac%20Book&x=1#Top"_s;
    BookmarkStore &store = m_env->bookmarkStore;
    store.addBookmark(u"検索結果"_s, address, {}, {});
    store.addBookmark(u"other"_s, u"https://www.rakuten.co.jp/"_s, {}, {});
    QSignalSpy selected(&m_env->view, &BookmarksView::bookmarkSelected);
    QTest::mouseClick(m_env->inRow<QPushButton>(1, u"bookmarkOpenButton"_s), Qt::LeftButton);
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.at(0).at(0).toUrl(), QUrl(address));
    // A stored address that does not parse opens nothing.
    store.addBookmark(u"script"_s, u"javascript:alert(1)"_s, {}, {});
    QTest::mouseClick(m_env->inRow<QPushButton>(0, u"bookmarkOpenButton"_s), Qt::LeftButton);
    QCOMPARE(selected.size(), 1);
    store.removeBookmark(store.bookmarks().constFirst().id);

    for (const QStringList &left :
         {QStringList {u"検索結果"_s}, QStringList {u"<empty state>"_s}}) {
        QTest::mouseClick(m_env->inRow<QToolButton>(0, u"bookmarkDeleteButton"_s), Qt::LeftButton);
        QCOMPARE(m_env->shownTitles(), left);
    }
    QVERIFY(store.bookmarks().isEmpty());
}

QTEST_MAIN(TestBookmarksView)
#include "tst_bookmarksview.moc"

#include "bookmarks/BookmarkStore.h"
#include "prefs/SettingsPreferencesStore.h"
#include "theme/ThemeManager.h"
#include "views/bookmarks/BookmarksView.h"
#include "views/common/InsetList.h"
#include "views/common/ThemeColors.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

InsetList *list(BookmarksView &view)
{
    return view.findChild<InsetList *>(u"bookmarkList"_s);
}

QStringList shownTitles(BookmarksView &view)
{
    QStringList titles;
    if (!list(view)->isVisible())
        return titles;
    for (QWidget *row : list(view)->rows())
        titles.append(row->findChild<QLabel *>(u"bookmarkTitleLabel"_s)->text());
    return titles;
}

bool showsEmptyState(BookmarksView &view)
{
    return view.findChild<QWidget *>(u"bookmarksEmptyState"_s)->isVisible();
}

} // namespace

class TestBookmarksView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void showsEmptyStateOnlyForAnEmptyStore();
    void filtersTitleShopAndNotesButNotTheAddress_data();
    void filtersTitleShopAndNotesButNotTheAddress();
    void rowsShowBadgeAndNotesOnlyWhenPresentInTheThemeColours();
    void openReportsTheAddressExactlyAsStored();
    void deleteRemovesTheRowAndRewritesTheStore();

private:
    // Bookmarks are added oldest first, so the list shows them reversed.
    void addBookmarks();
    std::unique_ptr<BookmarksView> makeView();

    struct Environment
    {
        QTemporaryDir dir;
        SettingsPreferencesStore preferences {dir.filePath(u"prefs.ini"_s)};
        BookmarkStore store {preferences};
        ThemeManager themeManager {preferences};
    };
    std::unique_ptr<Environment> m_env;
};

void TestBookmarksView::init()
{
    m_env = std::make_unique<Environment>();
    QVERIFY(m_env->dir.isValid());
}

void TestBookmarksView::cleanup()
{
    m_env.reset();
}

void TestBookmarksView::addBookmarks()
{
    m_env->store.addBookmark(u"Book"_s, u"https://example.com/yodobashi-mirror"_s, QString(),
                             u"memo of Tokyo trip"_s);
    m_env->store.addBookmark(u"ワイヤレスイヤホン"_s, u"https://www.yodobashi.com/product/100/"_s,
                             u"ヨドバシ・ドット・コム"_s, u"セール中"_s);
    m_env->store.addBookmark(u"MacBook Air"_s, u"https://www.amazon.co.jp/dp/B0TEST"_s,
                             u"Amazon.co.jp"_s, QString());
}

std::unique_ptr<BookmarksView> TestBookmarksView::makeView()
{
    auto view = std::make_unique<BookmarksView>(m_env->store, m_env->themeManager);
    view->resize(900, 620);
    view->show();
    return view;
}

void TestBookmarksView::showsEmptyStateOnlyForAnEmptyStore()
{
    auto view = makeView();
    auto *filter = view->findChild<QLineEdit *>(u"bookmarkFilterField"_s);
    QCOMPARE(filter->placeholderText(), u"ブックマーク内を検索..."_s);
    QCOMPARE(filter->width(), 200);

    QTest::keyClicks(filter, u"zzz"_s);
    QVERIFY(showsEmptyState(*view));

    // With bookmarks stored, a query matching nothing is an empty list.
    addBookmarks();
    QVERIFY(!showsEmptyState(*view));
    QVERIFY(list(*view)->isVisible());
    QCOMPARE(list(*view)->rowCount(), 0);

    filter->clear();
    QCOMPARE(shownTitles(*view),
             QStringList({u"MacBook Air"_s, u"ワイヤレスイヤホン"_s, u"Book"_s}));
}

void TestBookmarksView::filtersTitleShopAndNotesButNotTheAddress_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<QStringList>("titles");

    const QString mac = u"MacBook Air"_s;
    const QString book = u"Book"_s;
    QTest::newRow("title, other case") << u"BOOK"_s << QStringList({mac, book});
    QTest::newRow("shop name, other case") << u"AMAZON.CO"_s << QStringList({mac});
    QTest::newRow("notes") << u"tokyo"_s << QStringList({book});
    QTest::newRow("address only") << u"yodobashi"_s << QStringList();
    QTest::newRow("blank matches blanks only, not trimmed") << u" "_s << QStringList({mac, book});
}

void TestBookmarksView::filtersTitleShopAndNotesButNotTheAddress()
{
    QFETCH(QString, query);
    QFETCH(QStringList, titles);

    addBookmarks();
    auto view = makeView();
    // Typed text arrives as one insertion, as an input method commits it.
    view->findChild<QLineEdit *>(u"bookmarkFilterField"_s)->insert(query);
    QCOMPARE(shownTitles(*view), titles);
    QVERIFY(!showsEmptyState(*view));
}

void TestBookmarksView::rowsShowBadgeAndNotesOnlyWhenPresentInTheThemeColours()
{
    addBookmarks();
    auto view = makeView();
    const QList<QWidget *> rows = list(*view)->rows();
    auto badge = [](QWidget *row) { return row->findChild<QLabel *>(u"bookmarkShopBadge"_s); };
    auto notes = [](QWidget *row) { return row->findChild<QLabel *>(u"bookmarkNotesLabel"_s); };

    QVERIFY(badge(rows.at(0))->isVisible());
    QCOMPARE(badge(rows.at(0))->text(), u"Amazon.co.jp"_s);
    QVERIFY(!notes(rows.at(0))->isVisible());
    QVERIFY(notes(rows.at(1))->isVisible());
    QCOMPARE(notes(rows.at(1))->text(), u"📝 セール中"_s);
    QVERIFY(!badge(rows.at(2))->isVisible());
    QCOMPARE(rows.at(2)->findChild<QLabel *>(u"bookmarkUrlLabel"_s)->text(),
             u"https://example.com/yodobashi-mirror"_s);

    // The open button is tinted with the accent, the badge sits on the tint.
    m_env->themeManager.setCurrentTheme(AppTheme::emerald);
    auto colourAt = [](QWidget *widget, int x) {
        const QImage image = widget->grab().toImage();
        return image.pixelColor(int(x * image.devicePixelRatio()), image.height() / 2).rgb();
    };
    QCOMPARE(colourAt(rows.at(0)->findChild<QPushButton *>(u"bookmarkOpenButton"_s), 3),
             accentColor(AppTheme::emerald).rgb());
    QCOMPARE(colourAt(badge(rows.at(0)), 2), backgroundTint(AppTheme::emerald).rgb());
}

void TestBookmarksView::openReportsTheAddressExactlyAsStored()
{
    // Not normalised: mixed case, an encoded blank, a fragment.
    const QString address = u"HTTPS://Www.Amazon.co.jp/s?k=Mac%20Book&x=1#Top"_s;
    m_env->store.addBookmark(u"検索結果"_s, address, QString(), QString());
    m_env->store.addBookmark(u"other"_s, u"https://www.rakuten.co.jp/"_s, QString(), QString());
    auto view = makeView();
    QSignalSpy selected(view.get(), &BookmarksView::bookmarkSelected);

    auto *open = list(*view)->rowAt(1)->findChild<QPushButton *>(u"bookmarkOpenButton"_s);
    QCOMPARE(open->text(), u"開く"_s);
    QTest::mouseClick(open, Qt::LeftButton);
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.at(0).at(0).toString(), address);
}

void TestBookmarksView::deleteRemovesTheRowAndRewritesTheStore()
{
    addBookmarks();
    auto view = makeView();
    const QUuid kept = m_env->store.bookmarks().at(1).id;
    auto deleteFirstRow = [&] {
        QTest::mouseClick(
            list(*view)->rowAt(0)->findChild<QToolButton *>(u"bookmarkDeleteButton"_s),
            Qt::LeftButton);
    };
    deleteFirstRow();
    QCOMPARE(shownTitles(*view), QStringList({u"ワイヤレスイヤホン"_s, u"Book"_s}));
    // What another window (or the next start) reads back.
    QCOMPARE(BookmarkStore(m_env->preferences).bookmarks().size(), 2);
    QCOMPARE(BookmarkStore(m_env->preferences).bookmarks().at(0).id, kept);

    deleteFirstRow();
    deleteFirstRow();
    QVERIFY(showsEmptyState(*view));
    QVERIFY(BookmarkStore(m_env->preferences).bookmarks().isEmpty());
}

QTEST_MAIN(TestBookmarksView)
#include "tst_bookmarksview.moc"

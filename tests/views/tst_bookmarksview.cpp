#include "bookmarks/BookmarkStore.h"
#include "prefs/SettingsPreferencesStore.h"
#include "theme/ThemeManager.h"
#include "views/BookmarkRow.h"
#include "views/BookmarksView.h"
#include "views/InsetList.h"

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include <memory>

using namespace Qt::StringLiterals;

class TestBookmarksView : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void showsEmptyStateOnlyForAnEmptyStore();
    void filtersTitleShopAndNotesButNotTheAddress_data();
    void filtersTitleShopAndNotesButNotTheAddress();
    void showsBadgeAndNotesOnlyWhenPresent();
    void openReportsTheAddressExactlyAsStored();
    void deleteRemovesTheRowAndRewritesTheStore();
    void rowsFollowTheCurrentTheme();

private:
    // Bookmarks are added oldest first, so the list shows them reversed.
    void addBookmarks();
    std::unique_ptr<BookmarksView> makeView();
    InsetList *list(BookmarksView &view) const;
    QStringList shownTitles(BookmarksView &view) const;
    bool showsEmptyState(BookmarksView &view) const;

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsPreferencesStore> m_preferences;
    std::unique_ptr<BookmarkStore> m_store;
    std::unique_ptr<ThemeManager> m_themeManager;
};

void TestBookmarksView::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_preferences = std::make_unique<SettingsPreferencesStore>(m_dir->filePath(u"prefs.ini"_s));
    m_store = std::make_unique<BookmarkStore>(*m_preferences);
    m_themeManager = std::make_unique<ThemeManager>(*m_preferences);
}

void TestBookmarksView::cleanup()
{
    m_themeManager.reset();
    m_store.reset();
    m_preferences.reset();
    m_dir.reset();
}

void TestBookmarksView::addBookmarks()
{
    m_store->addBookmark(u"Book"_s, u"https://example.com/yodobashi-mirror"_s, QString(),
                         u"memo of Tokyo trip"_s);
    m_store->addBookmark(u"ワイヤレスイヤホン"_s, u"https://www.yodobashi.com/product/100/"_s,
                         u"ヨドバシ・ドット・コム"_s, u"セール中"_s);
    m_store->addBookmark(u"MacBook Air"_s, u"https://www.amazon.co.jp/dp/B0TEST"_s,
                         u"Amazon.co.jp"_s, QString());
}

std::unique_ptr<BookmarksView> TestBookmarksView::makeView()
{
    auto view = std::make_unique<BookmarksView>(*m_store, *m_themeManager);
    view->resize(900, 620);
    view->show();
    return view;
}

InsetList *TestBookmarksView::list(BookmarksView &view) const
{
    return view.findChild<InsetList *>(u"bookmarkList"_s);
}

QStringList TestBookmarksView::shownTitles(BookmarksView &view) const
{
    QStringList titles;
    InsetList *rows = list(view);
    if (!rows->isVisible())
        return titles;
    for (QWidget *row : rows->rows())
        titles.append(row->findChild<QLabel *>(u"bookmarkTitleLabel"_s)->text());
    return titles;
}

bool TestBookmarksView::showsEmptyState(BookmarksView &view) const
{
    return view.findChild<QWidget *>(u"bookmarksEmptyState"_s)->isVisible();
}

void TestBookmarksView::showsEmptyStateOnlyForAnEmptyStore()
{
    auto view = makeView();
    auto *filter = view->findChild<QLineEdit *>(u"bookmarkFilterField"_s);
    QVERIFY(filter);
    QCOMPARE(filter->placeholderText(), u"ブックマーク内を検索..."_s);
    QCOMPARE(filter->width(), 200);

    QVERIFY(showsEmptyState(*view));
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
    const QString earphones = u"ワイヤレスイヤホン"_s;
    const QString book = u"Book"_s;
    QTest::newRow("empty shows all") << QString() << QStringList({mac, earphones, book});
    QTest::newRow("title, other case") << u"BOOK"_s << QStringList({mac, book});
    QTest::newRow("shop name, other case") << u"AMAZON.CO"_s << QStringList({mac});
    QTest::newRow("japanese shop name") << u"ヨドバシ"_s << QStringList({earphones});
    QTest::newRow("notes") << u"tokyo"_s << QStringList({book});
    QTest::newRow("address only") << u"yodobashi"_s << QStringList();
    QTest::newRow("address host") << u"example.com"_s << QStringList();
    QTest::newRow("blank matches blanks only") << u" "_s << QStringList({mac, book});
    QTest::newRow("not trimmed") << u" air"_s << QStringList({mac});
    QTest::newRow("untrimmed miss") << u"air "_s << QStringList();
}

void TestBookmarksView::filtersTitleShopAndNotesButNotTheAddress()
{
    QFETCH(QString, query);
    QFETCH(QStringList, titles);

    addBookmarks();
    auto view = makeView();
    auto *filter = view->findChild<QLineEdit *>(u"bookmarkFilterField"_s);
    // Typed text arrives as one insertion, as an input method commits it.
    filter->insert(query);
    QCOMPARE(filter->text(), query);
    QCOMPARE(shownTitles(*view), titles);
    QVERIFY(!showsEmptyState(*view));
}

void TestBookmarksView::showsBadgeAndNotesOnlyWhenPresent()
{
    addBookmarks();
    auto view = makeView();
    const QList<QWidget *> rows = list(*view)->rows();
    QCOMPARE(rows.size(), 3);

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
}

void TestBookmarksView::openReportsTheAddressExactlyAsStored()
{
    // Not normalised: mixed case, an encoded blank, a fragment.
    const QString address = u"HTTPS://Www.Amazon.co.jp/s?k=Mac%20Book&x=1#Top"_s;
    m_store->addBookmark(u"検索結果"_s, address, QString(), QString());
    m_store->addBookmark(u"other"_s, u"https://www.rakuten.co.jp/"_s, QString(), QString());
    auto view = makeView();
    QSignalSpy selected(view.get(), &BookmarksView::bookmarkSelected);

    auto *open = list(*view)->rowAt(1)->findChild<QPushButton *>(u"bookmarkOpenButton"_s);
    QCOMPARE(open->text(), u"開く"_s);
    QTest::mouseClick(open, Qt::LeftButton);
    QCOMPARE(selected.size(), 1);
    QCOMPARE(selected.at(0).at(0).toString(), address);
    // Opening changes nothing in the list.
    QCOMPARE(m_store->bookmarks().size(), 2);
}

void TestBookmarksView::deleteRemovesTheRowAndRewritesTheStore()
{
    addBookmarks();
    auto view = makeView();
    const QUuid kept = m_store->bookmarks().at(1).id;

    auto deleteButton = [&](int row) {
        return list(*view)->rowAt(row)->findChild<QToolButton *>(u"bookmarkDeleteButton"_s);
    };
    QTest::mouseClick(deleteButton(0), Qt::LeftButton);
    QCOMPARE(shownTitles(*view), QStringList({u"ワイヤレスイヤホン"_s, u"Book"_s}));

    // What another window (or the next start) reads back.
    {
        BookmarkStore reread(*m_preferences);
        QCOMPARE(reread.bookmarks().size(), 2);
        QCOMPARE(reread.bookmarks().at(0).id, kept);
    }

    QTest::mouseClick(deleteButton(1), Qt::LeftButton);
    QTest::mouseClick(deleteButton(0), Qt::LeftButton);
    QVERIFY(showsEmptyState(*view));
    BookmarkStore reread(*m_preferences);
    QVERIFY(reread.bookmarks().isEmpty());
}

void TestBookmarksView::rowsFollowTheCurrentTheme()
{
    addBookmarks();
    auto view = makeView();
    auto colourAt = [](QWidget *widget, int x) {
        const QImage image = widget->grab().toImage();
        const qreal ratio = image.devicePixelRatio();
        return image.pixelColor(int(x * ratio), image.height() / 2).rgb();
    };
    auto *open = list(*view)->rowAt(0)->findChild<QPushButton *>(u"bookmarkOpenButton"_s);
    auto *badge = list(*view)->rowAt(0)->findChild<QLabel *>(u"bookmarkShopBadge"_s);
    QCOMPARE(colourAt(open, 3), accentColor(AppTheme::corisaPink).rgb());
    QCOMPARE(colourAt(badge, 2), backgroundTint(AppTheme::corisaPink).rgb());

    m_themeManager->setCurrentTheme(AppTheme::emerald);
    QCOMPARE(colourAt(open, 3), accentColor(AppTheme::emerald).rgb());
    QCOMPARE(colourAt(badge, 2), backgroundTint(AppTheme::emerald).rgb());
}

QTEST_MAIN(TestBookmarksView)
#include "tst_bookmarksview.moc"

#include "bookmarks/BookmarkStore.h"
#include "prefs/FileBytes.h"
#include "prefs/SettingsPreferencesStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTimeZone>

#include <optional>

namespace {

const QString bookmarksKey = QLatin1String(BookmarkStore::storageKey);
const QString backupKey = bookmarksKey + u"_unreadable"_qs;

QStringList titles(const QList<ShoppingBookmark> &bookmarks)
{
    QStringList result;
    for (const ShoppingBookmark &bookmark : bookmarks)
        result.append(bookmark.title);
    return result;
}

// What the next start reads.
QStringList storedTitles(PreferencesStore &preferences)
{
    return titles(BookmarkStore(preferences).bookmarks());
}

QJsonObject storedObject()
{
    return QJsonObject {
        {u"id"_qs, u"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"_qs},
        {u"title"_qs, u"ノートPC"_qs},
        {u"url"_qs, u"https://www.amazon.co.jp/dp/B0"_qs},
        {u"shopName"_qs, u"Amazon.co.jp"_qs},
        {u"dateAdded"_qs, 1.5}, // seconds since 2001-01-01 UTC
        {u"notes"_qs, QString()},
    };
}

void add(BookmarkStore &store, const QString &title, const QString &url = u"https://a.test/"_qs)
{
    store.addBookmark(title, url, QString(), QString());
}

} // namespace

class TestBookmarkStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(m_dir.emplace().isValid()); }
    void readsBackWhatItWrote();
    void readsStoredValues_data();
    void readsStoredValues();
    void storesEveryChangeAtOnce();
    void keepsUnreadableDataAsideAtTheFirstWrite_data();
    void keepsUnreadableDataAsideAtTheFirstWrite();
    void windowsSeeEachOthersChanges();

private:
    QString path() const { return m_dir->filePath(u"settings.ini"_qs); }
    std::optional<QTemporaryDir> m_dir;
};

void TestBookmarkStore::readsBackWhatItWrote()
{
    const std::optional<ShoppingBookmark> read = ShoppingBookmark::fromJson(storedObject());
    QCOMPARE(read.value().dateAdded,
             QDateTime(QDate(2001, 1, 1), QTime(0, 0, 1, 500), QTimeZone::utc()));
    QCOMPARE(read->toJson(), storedObject());
}

void TestBookmarkStore::readsStoredValues_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QJsonValue>("value"); // Undefined: the key is missing
    QTest::addColumn<bool>("accepted");
    QTest::addColumn<QJsonValue>("writtenBack"); // Undefined: not written

    const QString date = u"dateAdded"_qs;
    const QJsonValue none(QJsonValue::Undefined);
    QTest::newRow("lower-case id")
        << u"id"_qs << QJsonValue(u"e621e1f8-c36c-495a-93fc-0c247a3e6e5f"_qs) << true
        << QJsonValue(u"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"_qs);
    QTest::newRow("year 30000") << date << QJsonValue(9.0e11) << true << QJsonValue(9.0e11);
    QTest::newRow("beyond exact doubles") << date << QJsonValue(1.0e13) << false << none;
    QTest::newRow("to the millisecond") << date << QJsonValue(1.2346) << true << QJsonValue(1.235);
    // A later version's extra keys do not make the list unreadable.
    QTest::newRow("unknown key") << u"isFavourite"_qs << QJsonValue(true) << true << none;

    // Every key is required, with its JSON type.
    for (const char *key : {"id", "title", "url", "shopName", "dateAdded", "notes"})
        QTest::addRow("%s missing", key) << QString::fromLatin1(key) << none << false << none;
    QTest::newRow("dateAdded text") << date << QJsonValue(u"1.5"_qs) << false << none;
}

void TestBookmarkStore::readsStoredValues()
{
    QFETCH(QString, key);
    QFETCH(QJsonValue, value);
    QFETCH(bool, accepted);
    QFETCH(QJsonValue, writtenBack);

    QJsonObject object = storedObject();
    if (value.isUndefined())
        object.remove(key);
    else
        object.insert(key, value);
    const std::optional<ShoppingBookmark> read = ShoppingBookmark::fromJson(object);
    QCOMPARE(read.has_value(), accepted);
    if (read)
        QCOMPARE(read->toJson().value(key), writtenBack);
}

void TestBookmarkStore::storesEveryChangeAtOnce()
{
    QList<ShoppingBookmark> written;
    {
        SettingsPreferencesStore preferences(path());
        BookmarkStore store(preferences);
        QVERIFY(store.bookmarks().isEmpty());
        QVERIFY(!QFile::exists(path()));

        store.addBookmark(u"ノート PC"_qs, u"https://a.test/?a=1&b=/"_qs, u"楽天市場"_qs, {});
        add(store, QString(), u"https://b.test/"_qs);
        store.addBookmark(u"  "_qs, u"https://a.test/?a=1&b=/"_qs, {}, u"\"メモ\"\\\n🌸"_qs);
        // Newest first; an empty title becomes the address, a blank one stays.
        const QStringList expected {u"  "_qs, u"https://b.test/"_qs, u"ノート PC"_qs};
        QCOMPARE(titles(store.bookmarks()), expected);
        // Stored as bytes, never as text.
        QVERIFY(!preferences.string(bookmarksKey));
        written = store.bookmarks();
    }
    // The next run reads back the same list and writes nothing.
    {
        SettingsPreferencesStore preferences(path());
        QSignalSpy writes(&preferences, &PreferencesStore::valueChanged);
        BookmarkStore store(preferences);
        QCOMPARE(store.bookmarks(), written);
        QCOMPARE(writes.count(), 0);

        // Two rows with one id (as a hand-edited file may hold) both go.
        written[2].id = written[0].id;
        store.setBookmarks(written);
        store.removeBookmark(written[0].id);
        QCOMPARE(storedTitles(preferences), QStringList {u"https://b.test/"_qs});
        store.removeBookmark(store.bookmarks().constFirst().id);
        QCOMPARE(preferences.data(bookmarksKey), QByteArray("[]"));
        // Readable data, even an empty list, is never backed up.
        QVERIFY(!preferences.data(backupKey));

        // A list the next start could not read never replaces a readable one.
        ShoppingBookmark undated = ShoppingBookmark::create(u"b"_qs, u"u"_qs, {}, {});
        undated.dateAdded = QDateTime();
        store.setBookmarks({undated});
        store.saveBookmarks();
        QCOMPARE(preferences.data(bookmarksKey), QByteArray("[]"));
    }
}

void TestBookmarkStore::keepsUnreadableDataAsideAtTheFirstWrite_data()
{
    // Values of another kind reach the store as the preferences' raw bytes;
    // that table is the preferences store's.
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<QByteArray>("backup");

    QJsonObject object = ShoppingBookmark::create(u"t"_qs, u"u"_qs, {}, {}).toJson();
    const QByteArray valid = QJsonDocument(QJsonArray {object}).toJson(QJsonDocument::Compact);
    object.remove(u"dateAdded"_qs);
    const QByteArray undated = QJsonDocument(QJsonArray {object}).toJson(QJsonDocument::Compact);

    QTest::newRow("truncated") << valid.chopped(3) << valid.chopped(3);
    QTest::newRow("empty bytes") << QByteArray() << QByteArray();
    QTest::newRow("one row without a key") << undated << undated;
}

void TestBookmarkStore::keepsUnreadableDataAsideAtTheFirstWrite()
{
    QFETCH(QByteArray, stored);
    QFETCH(QByteArray, backup);

    SettingsPreferencesStore(path()).setData(bookmarksKey, stored);
    const QByteArray original = fileBytes(path());
    {
        // Looking does not touch it.
        SettingsPreferencesStore preferences(path());
        QVERIFY(BookmarkStore(preferences).bookmarks().isEmpty());
    }
    QCOMPARE(fileBytes(path()), original);

    SettingsPreferencesStore preferences(path());
    BookmarkStore store(preferences);
    add(store, u"new"_qs);
    QCOMPARE(preferences.data(backupKey), std::optional<QByteArray>(backup));
    // Later writes overwrite our own data only; the backup stays.
    add(store, u"newer"_qs);
    QCOMPARE(preferences.data(backupKey), std::optional<QByteArray>(backup));
    // Someone else stores broken data again: the store keeps its list, and
    // its next write keeps that latest value aside instead.
    preferences.setData(bookmarksKey, "bad");
    store.removeBookmark(QUuid::createUuid());
    QCOMPARE(preferences.data(backupKey), QByteArray("bad"));
    QCOMPARE(storedTitles(preferences), (QStringList {u"newer"_qs, u"new"_qs}));
}

void TestBookmarkStore::windowsSeeEachOthersChanges()
{
    SettingsPreferencesStore preferences(path());
    BookmarkStore first(preferences);
    BookmarkStore second(preferences);
    QSignalSpy firstChanges(&first, &BookmarkStore::bookmarksChanged);
    QSignalSpy secondChanges(&second, &BookmarkStore::bookmarksChanged);

    add(first, u"from first"_qs);
    // A store does not reload its own write: one change each.
    QCOMPARE(firstChanges.count(), 1);
    QCOMPARE(secondChanges.count(), 1);
    add(second, u"from second"_qs);
    QCOMPARE(titles(first.bookmarks()), (QStringList {u"from second"_qs, u"from first"_qs}));
    first.removeBookmark(first.bookmarks().constLast().id);
    QCOMPARE(titles(second.bookmarks()), QStringList {u"from second"_qs});

    // Other keys do not make a store reload.
    const qsizetype before = secondChanges.count();
    preferences.setString(u"selectedAppTheme"_qs, u"dark"_qs);
    QCOMPARE(secondChanges.count(), before);
}

QTEST_GUILESS_MAIN(TestBookmarkStore)
#include "tst_bookmarkstore.moc"

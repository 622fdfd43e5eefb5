#include "bookmarks/BookmarkStore.h"
#include "prefs/SettingsPreferencesStore.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

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

// The titles in the stored array, in stored order.
QStringList storedTitles(const PreferencesStore &preferences)
{
    const std::optional<QByteArray> data = preferences.data(bookmarksKey);
    if (!data)
        return {u"<no data>"_qs};
    QStringList result;
    const QJsonArray array = QJsonDocument::fromJson(*data).array();
    for (const QJsonValue &value : array)
        result.append(value.toObject().value(QLatin1String("title")).toString());
    return result;
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
    void init();
    void startsEmptyAndWritesNothing();
    void addsNewestFirstAndStoresAtOnce();
    void removesEveryMatchAndAlwaysRewrites();
    void keepsUnreadableDataUntilTheFirstWrite_data();
    void keepsUnreadableDataUntilTheFirstWrite();
    void backsUpTheLatestUnreadableValueOnly();
    void refusesToWriteUndatedBookmarks();
    void windowsSeeEachOthersChanges();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestBookmarkStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(u"settings.ini"_qs);
}

void TestBookmarkStore::startsEmptyAndWritesNothing()
{
    SettingsPreferencesStore preferences(m_path);
    QSignalSpy writes(&preferences, &PreferencesStore::valueChanged);
    BookmarkStore store(preferences);
    QVERIFY(store.bookmarks().isEmpty());
    QCOMPARE(writes.count(), 0);
    QVERIFY(!QFile::exists(m_path));
}

void TestBookmarkStore::addsNewestFirstAndStoresAtOnce()
{
    QList<ShoppingBookmark> written;
    {
        SettingsPreferencesStore preferences(m_path);
        BookmarkStore store(preferences);
        QSignalSpy changes(&store, &BookmarkStore::bookmarksChanged);
        const QDateTime before = QDateTime::currentDateTimeUtc();
        store.addBookmark(u"ノート PC"_qs, u"https://a.test/?a=1&b=/"_qs, u"楽天市場"_qs,
                          QString());
        add(store, QString(), u"https://b.test/"_qs);
        store.addBookmark(u"  "_qs, u"https://a.test/?a=1&b=/"_qs, QString(), u"\"メモ\"\\\n🌸"_qs);
        const QDateTime after = QDateTime::currentDateTimeUtc();

        // An empty title becomes the address; a blank one stays.
        const QStringList expected {u"  "_qs, u"https://b.test/"_qs, u"ノート PC"_qs};
        QCOMPARE(changes.count(), 3);
        QCOMPARE(titles(store.bookmarks()), expected);
        QCOMPARE(storedTitles(preferences), expected);
        const ShoppingBookmark &first = store.bookmarks().constLast();
        QCOMPARE(first.shopName, u"楽天市場"_qs);
        QVERIFY(first.dateAdded >= before && first.dateAdded <= after);
        // The same address twice is two bookmarks.
        QCOMPARE(store.bookmarks().constFirst().url, first.url);
        QVERIFY(store.bookmarks().constFirst().id != first.id);
        // Stored as bytes, never as text.
        QVERIFY(!preferences.string(bookmarksKey));
        QVERIFY(!preferences.data(backupKey));
        written = store.bookmarks();
    }
    // The next run reads back the same list and writes nothing.
    SettingsPreferencesStore preferences(m_path);
    QSignalSpy writes(&preferences, &PreferencesStore::valueChanged);
    QCOMPARE(BookmarkStore(preferences).bookmarks(), written);
    QCOMPARE(writes.count(), 0);
}

void TestBookmarkStore::removesEveryMatchAndAlwaysRewrites()
{
    SettingsPreferencesStore preferences(m_path);
    BookmarkStore store(preferences);
    add(store, u"a"_qs);
    add(store, u"b"_qs);
    add(store, u"c"_qs);
    // Two rows with one id (as a hand-edited file may hold) both go.
    QList<ShoppingBookmark> list = store.bookmarks();
    list[2].id = list[0].id;
    store.setBookmarks(list);

    QSignalSpy changes(&store, &BookmarkStore::bookmarksChanged);
    QSignalSpy writes(&preferences, &PreferencesStore::valueChanged);
    store.removeBookmark(list[0].id);
    QCOMPARE(storedTitles(preferences), QStringList {u"b"_qs});
    store.removeBookmark(QUuid::createUuid());
    QCOMPARE(titles(store.bookmarks()), QStringList {u"b"_qs});
    QCOMPARE(changes.count(), 2);
    QCOMPARE(writes.count(), 2);
    QCOMPARE(writes.last().constFirst().toString(), bookmarksKey);

    store.removeBookmark(store.bookmarks().constFirst().id);
    QCOMPARE(preferences.data(bookmarksKey), QByteArray("[]"));
    // Readable data, even an empty list, is never backed up.
    QVERIFY(!preferences.data(backupKey));
}

void TestBookmarkStore::keepsUnreadableDataUntilTheFirstWrite_data()
{
    QTest::addColumn<QByteArray>("stored");
    // A line of the settings file as another program might leave it, instead
    // of stored bytes.
    QTest::addColumn<bool>("asIniLine");
    QTest::addColumn<QByteArray>("backup"); // what the backup key should hold afterwards

    QJsonObject object = ShoppingBookmark::create(u"t"_qs, u"u"_qs, QString(), QString()).toJson();
    const QByteArray valid = QJsonDocument(QJsonArray {object}).toJson(QJsonDocument::Compact);
    object.remove(u"dateAdded"_qs);
    const QByteArray undated
        = QJsonDocument(QJsonArray {QJsonValue(object)}).toJson(QJsonDocument::Compact);
    QByteArray dateAsText = valid;
    dateAsText.replace("\"dateAdded\":", "\"dateAdded\":\"1\",\"x\":");

    QTest::newRow("not JSON") << QByteArray("garbage") << false << QByteArray("garbage");
    QTest::newRow("truncated") << valid.left(valid.size() / 2) << false
                               << valid.left(valid.size() / 2);
    QTest::newRow("object") << QByteArray("{}") << false << QByteArray("{}");
    QTest::newRow("array of strings") << QByteArray("[\"a\"]") << false << QByteArray("[\"a\"]");
    QTest::newRow("empty bytes") << QByteArray() << false << QByteArray();
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe[", 4) << false
                            << QByteArray("\x00\xff\xfe[", 4);
    QTest::newRow("row without a key") << undated << false << undated;
    QTest::newRow("date as text") << dateAsText << false << dateAsText;
    QTest::newRow("text where bytes belong") << QByteArray("\"[]\"") << true << QByteArray("[]");
    QTest::newRow("number where bytes belong") << QByteArray("42") << true << QByteArray("42");
}

void TestBookmarkStore::keepsUnreadableDataUntilTheFirstWrite()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, asIniLine);
    QFETCH(QByteArray, backup);

    QFile file(m_path);
    if (asIniLine) {
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\n" + bookmarksKey.toLatin1() + '=' + stored + '\n');
        file.close();
    } else {
        SettingsPreferencesStore(m_path).setData(bookmarksKey, stored);
    }
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray original = file.readAll();
    file.close();
    {
        SettingsPreferencesStore preferences(m_path);
        QSignalSpy writes(&preferences, &PreferencesStore::valueChanged);
        BookmarkStore store(preferences);
        QVERIFY(store.bookmarks().isEmpty());
        QCOMPARE(writes.count(), 0);
    }
    // Looking does not touch it.
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), original);
    file.close();

    SettingsPreferencesStore preferences(m_path);
    BookmarkStore store(preferences);
    add(store, u"new"_qs);
    QCOMPARE(preferences.data(backupKey), std::optional<QByteArray>(backup));
    QCOMPARE(storedTitles(preferences), QStringList {u"new"_qs});
    // Later writes overwrite our own data only; the backup stays.
    add(store, u"newer"_qs);
    QCOMPARE(preferences.data(backupKey), std::optional<QByteArray>(backup));
    QCOMPARE(storedTitles(preferences), (QStringList {u"newer"_qs, u"new"_qs}));
}

void TestBookmarkStore::backsUpTheLatestUnreadableValueOnly()
{
    SettingsPreferencesStore preferences(m_path);
    preferences.setData(bookmarksKey, "first bad");
    BookmarkStore store(preferences);
    add(store, u"a"_qs);
    QCOMPARE(preferences.data(backupKey), QByteArray("first bad"));

    // Someone else stores broken data again: the store notices, keeps its
    // list, and the next write keeps that latest value instead.
    preferences.setData(bookmarksKey, "second bad");
    QCOMPARE(titles(store.bookmarks()), QStringList {u"a"_qs});
    store.removeBookmark(QUuid::createUuid());
    QCOMPARE(preferences.data(backupKey), QByteArray("second bad"));
    QCOMPARE(storedTitles(preferences), QStringList {u"a"_qs});
}

void TestBookmarkStore::refusesToWriteUndatedBookmarks()
{
    SettingsPreferencesStore preferences(m_path);
    BookmarkStore store(preferences);
    add(store, u"a"_qs);
    const std::optional<QByteArray> stored = preferences.data(bookmarksKey);

    ShoppingBookmark undated = store.bookmarks().constFirst();
    undated.id = QUuid::createUuid();
    undated.dateAdded = QDateTime();
    store.setBookmarks(store.bookmarks() + QList<ShoppingBookmark> {undated});
    store.saveBookmarks();
    QCOMPARE(preferences.data(bookmarksKey), stored);
    // The list in memory keeps the change.
    QCOMPARE(store.bookmarks().size(), 2);
}

void TestBookmarkStore::windowsSeeEachOthersChanges()
{
    SettingsPreferencesStore preferences(m_path);
    BookmarkStore first(preferences);
    BookmarkStore second(preferences);
    QSignalSpy firstChanges(&first, &BookmarkStore::bookmarksChanged);
    QSignalSpy secondChanges(&second, &BookmarkStore::bookmarksChanged);

    add(first, u"from first"_qs);
    // A store does not reload its own write: one change each.
    QCOMPARE(firstChanges.count(), 1);
    QCOMPARE(secondChanges.count(), 1);
    QCOMPARE(second.bookmarks(), first.bookmarks());
    add(second, u"from second"_qs);
    QCOMPARE(titles(first.bookmarks()), (QStringList {u"from second"_qs, u"from first"_qs}));
    first.removeBookmark(first.bookmarks().constLast().id);
    QCOMPARE(second.bookmarks(), first.bookmarks());
    QCOMPARE(second.bookmarks().size(), 1);

    // Other keys do not make a store reload.
    const qsizetype before = secondChanges.count();
    preferences.setString(u"selectedAppTheme"_qs, u"dark"_qs);
    QCOMPARE(secondChanges.count(), before);
}

QTEST_GUILESS_MAIN(TestBookmarkStore)

#include "tst_bookmarkstore.moc"

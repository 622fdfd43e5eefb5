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
const QString backupKey = bookmarksKey + QLatin1String(BookmarkStore::unreadableSuffix);

QStringList titles(const QList<ShoppingBookmark> &bookmarks)
{
    QStringList result;
    for (const ShoppingBookmark &bookmark : bookmarks)
        result.append(bookmark.title);
    return result;
}

// The titles in a stored array, in stored order.
QStringList storedTitles(const PreferencesStore &preferences)
{
    const std::optional<QByteArray> data = preferences.data(bookmarksKey);
    if (!data)
        return {QStringLiteral("<no data>")};
    QStringList result;
    const QJsonArray array = QJsonDocument::fromJson(*data).array();
    for (const QJsonValue &value : array)
        result.append(value.toObject().value(QLatin1String("title")).toString());
    return result;
}

QByteArray validArrayMissing(const QString &key)
{
    QJsonObject object
        = ShoppingBookmark::create(QStringLiteral("t"), QStringLiteral("u"), QString(), QString())
              .toJson();
    object.remove(key);
    return QJsonDocument(QJsonArray {object}).toJson(QJsonDocument::Compact);
}

} // namespace

class TestBookmarkStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void cleanup();

    void startsEmptyAndWritesNothing();
    void addsNewestFirstAndStoresAtOnce();
    void usesTheAddressForAnEmptyTitle_data();
    void usesTheAddressForAnEmptyTitle();
    void removesEveryMatchAndAlwaysRewrites();
    void readsBackEqualAfterRestart();
    void keepsUnreadableDataUntilTheFirstWrite_data();
    void keepsUnreadableDataUntilTheFirstWrite();
    void backsUpTheLatestUnreadableValueOnly();
    void neverBacksUpReadableData();
    void refusesToWriteUndatedBookmarks();
    void windowsSeeEachOthersChanges();
    void handlesTenThousandBookmarks();

private:
    std::unique_ptr<QTemporaryDir> m_dir;
    QString m_path;
};

void TestBookmarkStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
    m_path = m_dir->filePath(QStringLiteral("settings.ini"));
}

void TestBookmarkStore::cleanup()
{
    m_dir.reset();
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
    SettingsPreferencesStore preferences(m_path);
    BookmarkStore store(preferences);
    QSignalSpy changes(&store, &BookmarkStore::bookmarksChanged);

    const QDateTime before = QDateTime::currentDateTimeUtc();
    store.addBookmark(QStringLiteral("1"), QStringLiteral("https://a.test/"),
                      QStringLiteral("楽天市場"), QString());
    store.addBookmark(QStringLiteral("2"), QStringLiteral("https://b.test/"), QString(), QString());
    store.addBookmark(QStringLiteral("3"), QStringLiteral("https://a.test/"), QString(),
                      QStringLiteral("メモ"));
    const QDateTime after = QDateTime::currentDateTimeUtc();

    QCOMPARE(changes.count(), 3);
    QCOMPARE(titles(store.bookmarks()), (QStringList {u"3"_qs, u"2"_qs, u"1"_qs}));
    QCOMPARE(storedTitles(preferences), (QStringList {u"3"_qs, u"2"_qs, u"1"_qs}));

    const ShoppingBookmark &first = store.bookmarks().constLast();
    QCOMPARE(first.url, QStringLiteral("https://a.test/"));
    QCOMPARE(first.shopName, QStringLiteral("楽天市場"));
    QCOMPARE(first.notes, QString());
    QVERIFY(first.dateAdded >= before && first.dateAdded <= after);
    // The same address twice is two bookmarks.
    QCOMPARE(store.bookmarks().constFirst().url, first.url);
    QVERIFY(store.bookmarks().constFirst().id != first.id);
    QCOMPARE(store.bookmarks().constFirst().notes, QStringLiteral("メモ"));

    // Stored as bytes, never as text.
    QVERIFY(!preferences.string(bookmarksKey));
    QVERIFY(!preferences.data(backupKey));
}

void TestBookmarkStore::usesTheAddressForAnEmptyTitle_data()
{
    QTest::addColumn<QString>("title");
    QTest::addColumn<QString>("url");
    QTest::addColumn<QString>("expectedTitle");

    QTest::newRow("empty title") << QString() << u"https://a.test/"_qs << u"https://a.test/"_qs;
    QTest::newRow("blank title kept") << u"  "_qs << u"https://a.test/"_qs << u"  "_qs;
    QTest::newRow("both empty") << QString() << QString() << QString();
    QTest::newRow("title") << u"商品"_qs << u"https://a.test/"_qs << u"商品"_qs;
}

void TestBookmarkStore::usesTheAddressForAnEmptyTitle()
{
    QFETCH(QString, title);
    QFETCH(QString, url);
    QFETCH(QString, expectedTitle);

    {
        SettingsPreferencesStore preferences(m_path);
        BookmarkStore store(preferences);
        store.addBookmark(title, url, QString(), QString());
    }
    SettingsPreferencesStore preferences(m_path);
    BookmarkStore store(preferences);
    QCOMPARE(store.bookmarks().size(), 1);
    QCOMPARE(store.bookmarks().constFirst().title, expectedTitle);
    QCOMPARE(store.bookmarks().constFirst().url, url);
}

void TestBookmarkStore::removesEveryMatchAndAlwaysRewrites()
{
    SettingsPreferencesStore preferences(m_path);
    BookmarkStore store(preferences);
    store.addBookmark(u"a"_qs, u"https://a.test/"_qs, QString(), QString());
    store.addBookmark(u"b"_qs, u"https://b.test/"_qs, QString(), QString());
    store.addBookmark(u"c"_qs, u"https://c.test/"_qs, QString(), QString());

    // Two rows with one id (as a hand-edited file may hold) both go.
    QList<ShoppingBookmark> list = store.bookmarks();
    list[2].id = list[0].id;
    store.setBookmarks(list);

    QSignalSpy changes(&store, &BookmarkStore::bookmarksChanged);
    QSignalSpy writes(&preferences, &PreferencesStore::valueChanged);
    store.removeBookmark(list[0].id);
    QCOMPARE(titles(store.bookmarks()), QStringList {u"b"_qs});
    QCOMPARE(storedTitles(preferences), QStringList {u"b"_qs});
    QCOMPARE(changes.count(), 1);
    QCOMPARE(writes.count(), 1);

    store.removeBookmark(QUuid::createUuid());
    QCOMPARE(titles(store.bookmarks()), QStringList {u"b"_qs});
    QCOMPARE(changes.count(), 2);
    QCOMPARE(writes.count(), 2);
    QCOMPARE(writes.last().constFirst().toString(), bookmarksKey);

    store.removeBookmark(store.bookmarks().constFirst().id);
    QVERIFY(store.bookmarks().isEmpty());
    QCOMPARE(preferences.data(bookmarksKey), QByteArray("[]"));
}

void TestBookmarkStore::readsBackEqualAfterRestart()
{
    QList<ShoppingBookmark> written;
    {
        SettingsPreferencesStore preferences(m_path);
        BookmarkStore store(preferences);
        store.addBookmark(u"ノート PC"_qs, u"https://www.amazon.co.jp/dp/1?a=1&b=/"_qs,
                          u"Amazon.co.jp"_qs, QString());
        store.addBookmark(QString(), QString(), QString(), QString());
        store.addBookmark(u"\"引用\"\\\n🌸"_qs, u"https://x.test/"_qs, QString(), u"メモ"_qs);
        written = store.bookmarks();
    }
    SettingsPreferencesStore preferences(m_path);
    QSignalSpy writes(&preferences, &PreferencesStore::valueChanged);
    BookmarkStore store(preferences);
    QCOMPARE(store.bookmarks(), written);
    QCOMPARE(writes.count(), 0);
}

void TestBookmarkStore::keepsUnreadableDataUntilTheFirstWrite_data()
{
    QTest::addColumn<QByteArray>("stored");
    // A line of the settings file as another program might leave it, instead
    // of stored bytes.
    QTest::addColumn<bool>("asIniLine");
    QTest::addColumn<QByteArray>("backup"); // what the backup key should hold afterwards

    const QByteArray valid = validArrayMissing(QString()); // nothing removed
    QVERIFY(valid.startsWith("[{"));

    QTest::newRow("not JSON") << QByteArray("garbage") << false << QByteArray("garbage");
    QTest::newRow("truncated") << valid.left(valid.size() / 2) << false
                               << valid.left(valid.size() / 2);
    QTest::newRow("object") << QByteArray("{}") << false << QByteArray("{}");
    QTest::newRow("array of strings") << QByteArray("[\"a\"]") << false << QByteArray("[\"a\"]");
    QTest::newRow("empty bytes") << QByteArray() << false << QByteArray();
    QTest::newRow("binary") << QByteArray("\x00\xff\xfe[", 4) << false
                            << QByteArray("\x00\xff\xfe[", 4);
    for (const char *key : {"id", "title", "url", "shopName", "dateAdded", "notes"}) {
        const QByteArray missing = validArrayMissing(QLatin1String(key));
        QTest::addRow("no %s", key) << missing << false << missing;
    }
    QByteArray wrongDate = valid;
    wrongDate.replace("\"dateAdded\":", "\"dateAdded\":\"1\",\"x\":");
    QTest::newRow("date as text") << wrongDate << false << wrongDate;
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
    store.addBookmark(u"new"_qs, u"https://n.test/"_qs, QString(), QString());
    QCOMPARE(preferences.data(backupKey), std::optional<QByteArray>(backup));
    QCOMPARE(storedTitles(preferences), QStringList {u"new"_qs});

    // Later writes overwrite our own data only; the backup stays.
    store.addBookmark(u"newer"_qs, u"https://n.test/2"_qs, QString(), QString());
    QCOMPARE(preferences.data(backupKey), std::optional<QByteArray>(backup));
    QCOMPARE(storedTitles(preferences), (QStringList {u"newer"_qs, u"new"_qs}));
}

void TestBookmarkStore::backsUpTheLatestUnreadableValueOnly()
{
    SettingsPreferencesStore preferences(m_path);
    preferences.setData(bookmarksKey, "first bad");
    BookmarkStore store(preferences);
    store.addBookmark(u"a"_qs, u"https://a.test/"_qs, QString(), QString());
    QCOMPARE(preferences.data(backupKey), QByteArray("first bad"));

    // Someone else stores broken data again: the store notices, keeps its
    // list, and the next write keeps that latest value instead.
    preferences.setData(bookmarksKey, "second bad");
    QCOMPARE(titles(store.bookmarks()), QStringList {u"a"_qs});
    store.removeBookmark(QUuid::createUuid());
    QCOMPARE(preferences.data(backupKey), QByteArray("second bad"));
    QCOMPARE(storedTitles(preferences), QStringList {u"a"_qs});
}

void TestBookmarkStore::neverBacksUpReadableData()
{
    SettingsPreferencesStore preferences(m_path);
    preferences.setData(bookmarksKey, "[]");
    BookmarkStore store(preferences);
    store.addBookmark(u"a"_qs, u"https://a.test/"_qs, QString(), QString());
    store.removeBookmark(store.bookmarks().constFirst().id);
    QVERIFY(!preferences.data(backupKey));
    QVERIFY(!preferences.string(backupKey));
}

void TestBookmarkStore::refusesToWriteUndatedBookmarks()
{
    SettingsPreferencesStore preferences(m_path);
    BookmarkStore store(preferences);
    store.addBookmark(u"a"_qs, u"https://a.test/"_qs, QString(), QString());
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

    first.addBookmark(u"from first"_qs, u"https://a.test/"_qs, QString(), QString());
    // A store does not reload its own write: one change each.
    QCOMPARE(firstChanges.count(), 1);
    QCOMPARE(secondChanges.count(), 1);
    QCOMPARE(second.bookmarks(), first.bookmarks());

    second.addBookmark(u"from second"_qs, u"https://b.test/"_qs, QString(), QString());
    QCOMPARE(titles(first.bookmarks()), (QStringList {u"from second"_qs, u"from first"_qs}));
    QCOMPARE(storedTitles(preferences), (QStringList {u"from second"_qs, u"from first"_qs}));

    first.removeBookmark(first.bookmarks().constLast().id);
    QCOMPARE(titles(second.bookmarks()), QStringList {u"from second"_qs});
    QCOMPARE(second.bookmarks(), first.bookmarks());

    // Other keys do not make a store reload.
    const int before = secondChanges.count();
    preferences.setString(u"selectedAppTheme"_qs, u"dark"_qs);
    QCOMPARE(secondChanges.count(), before);
}

void TestBookmarkStore::handlesTenThousandBookmarks()
{
    QList<ShoppingBookmark> many;
    many.reserve(10000);
    for (int i = 0; i < 10000; ++i) {
        many.append(ShoppingBookmark::create(QString::number(i),
                                             u"https://shop.test/item/"_qs + QString::number(i),
                                             i % 2 ? u"楽天市場"_qs : QString(), QString()));
    }
    {
        SettingsPreferencesStore preferences(m_path);
        BookmarkStore store(preferences);
        store.setBookmarks(many);
        store.addBookmark(u"newest"_qs, u"https://n.test/"_qs, QString(), QString());
        QCOMPARE(store.bookmarks().size(), 10001);
    }
    {
        SettingsPreferencesStore preferences(m_path);
        BookmarkStore store(preferences);
        QCOMPARE(store.bookmarks().size(), 10001);
        QCOMPARE(store.bookmarks().constFirst().title, u"newest"_qs);
        QCOMPARE(store.bookmarks().mid(1), many);

        // One bad row at the very end spoils the whole list, and the whole
        // list is what the backup keeps.
        QByteArray data = *preferences.data(bookmarksKey);
        data.chop(1);
        data += ",{\"id\":\"x\"}]";
        preferences.setData(bookmarksKey, data);
        BookmarkStore reader(preferences);
        QVERIFY(reader.bookmarks().isEmpty());
        reader.addBookmark(u"after"_qs, u"https://a.test/"_qs, QString(), QString());
        QCOMPARE(preferences.data(backupKey), std::optional<QByteArray>(data));
    }
}

QTEST_GUILESS_MAIN(TestBookmarkStore)

#include "tst_bookmarkstore.moc"

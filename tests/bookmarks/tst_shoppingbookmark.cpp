#include "bookmarks/BookmarkStore.h"
#include "bookmarks/ShoppingBookmark.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTest>
#include <QTimeZone>

namespace {

QDateTime utc(int year, int month, int day, int hour, int minute, int second, int msec = 0)
{
    return QDateTime(QDate(year, month, day), QTime(hour, minute, second, msec), QTimeZone::utc());
}

QJsonObject validObject()
{
    return QJsonObject {
        {u"id"_qs, u"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"_qs},
        {u"title"_qs, u"ノートPC"_qs},
        {u"url"_qs, u"https://www.amazon.co.jp/dp/B0"_qs},
        {u"shopName"_qs, u"Amazon.co.jp"_qs},
        {u"dateAdded"_qs, 786543210.5},
        {u"notes"_qs, QString()},
    };
}

std::optional<ShoppingBookmark> readWith(const QString &key, const QJsonValue &value)
{
    QJsonObject object = validObject();
    if (value.isUndefined())
        object.remove(key);
    else
        object.insert(key, value);
    return ShoppingBookmark::fromJson(object);
}

} // namespace

class TestShoppingBookmark : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesTheStoredForm();
    void readsBackWhatItWrote();
    void readsForeignValues_data();
    void readsForeignValues();
    void ignoresOtherKeysAndNonObjects();
};

void TestShoppingBookmark::writesTheStoredForm()
{
    const ShoppingBookmark bookmark {QUuid(u"e621e1f8-c36c-495a-93fc-0c247a3e6e5f"_qs),
                                     u"タイトル"_qs,
                                     u"https://www.rakuten.co.jp/"_qs,
                                     u"楽天市場"_qs,
                                     utc(2001, 1, 1, 0, 0, 1, 500),
                                     u"メモ"_qs};
    const QJsonObject json = bookmark.toJson();
    QCOMPARE(json,
             (QJsonObject {{u"id"_qs, u"E621E1F8-C36C-495A-93FC-0C247A3E6E5F"_qs},
                           {u"title"_qs, u"タイトル"_qs},
                           {u"url"_qs, u"https://www.rakuten.co.jp/"_qs},
                           {u"shopName"_qs, u"楽天市場"_qs},
                           {u"dateAdded"_qs, 1.5},
                           {u"notes"_qs, u"メモ"_qs}}));
    // Times before the reference date are negative.
    ShoppingBookmark older = bookmark;
    older.dateAdded = utc(2000, 12, 31, 23, 59, 59);
    QCOMPARE(older.toJson().value(QLatin1String("dateAdded")).toDouble(), -1.0);

    const ShoppingBookmark fresh = ShoppingBookmark::create(u"t"_qs, u"u"_qs, {}, {});
    QVERIFY(fresh.id != ShoppingBookmark::create(u"t"_qs, u"u"_qs, {}, {}).id);
    QCOMPARE(fresh.dateAdded.timeSpec(), Qt::UTC);
}

void TestShoppingBookmark::readsBackWhatItWrote()
{
    const ShoppingBookmark bookmark {QUuid::createUuid(),
                                     u"\"a\"\\b/c\n\t\u0001 🛒"_qs,
                                     u"https://x.test/?q=\"1\"&r=\\"_qs,
                                     QString(),
                                     utc(9999, 12, 31, 23, 59, 59, 999),
                                     QStringLiteral("\u2028\u0000\u001f\u007f\b\f\r end")};
    // Through the text the store writes, not only the object.
    const QByteArray text = BookmarkStore::encode({bookmark}).value();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(document.array().size(), 1);
    const std::optional<ShoppingBookmark> read
        = ShoppingBookmark::fromJson(document.array().first());
    QVERIFY(read);
    QCOMPARE(*read, bookmark);
    QCOMPARE(read->dateAdded.toMSecsSinceEpoch(), bookmark.dateAdded.toMSecsSinceEpoch());
}

void TestShoppingBookmark::readsForeignValues_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QJsonValue>("value"); // Undefined: the key is missing
    QTest::addColumn<bool>("accepted");

    const QString id = u"id"_qs;
    QTest::newRow("lower-case id")
        << id << QJsonValue(u"e621e1f8-c36c-495a-93fc-0c247a3e6e5f"_qs) << true;
    QTest::newRow("id in braces") << id << QJsonValue(u"{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}"_qs)
                                  << false;
    QTest::newRow("id without hyphens")
        << id << QJsonValue(u"E621E1F8C36C495A93FC0C247A3E6E5F"_qs) << false;
    QTest::newRow("full-width digit in id")
        << id << QJsonValue(u"E621E1F8-C36C-495A-93FC-0C247A3E6E５F"_qs) << false;
    QTest::newRow("empty id") << id << QJsonValue(QString()) << false;

    const QString date = u"dateAdded"_qs;
    QTest::newRow("1970") << date << QJsonValue(-978307200.0) << true;
    QTest::newRow("year 30000") << date << QJsonValue(9.0e11) << true;
    QTest::newRow("beyond exact doubles") << date << QJsonValue(1.0e13) << false;
    QTest::newRow("huge negative") << date << QJsonValue(-1.0e300) << false;

    // Every key is required, with its JSON type.
    for (const char *key : {"id", "title", "url", "shopName", "dateAdded", "notes"}) {
        QTest::addRow("%s missing", key)
            << QString::fromLatin1(key) << QJsonValue(QJsonValue::Undefined) << false;
        QTest::addRow("%s null", key)
            << QString::fromLatin1(key) << QJsonValue(QJsonValue::Null) << false;
    }
    QTest::newRow("title array") << u"title"_qs << QJsonValue(QJsonArray {1}) << false;
    QTest::newRow("notes bool") << u"notes"_qs << QJsonValue(false) << false;
    QTest::newRow("dateAdded text") << date << QJsonValue(u"1.5"_qs) << false;
    QTest::newRow("id number") << id << QJsonValue(1) << false;
}

void TestShoppingBookmark::readsForeignValues()
{
    QFETCH(QString, key);
    QFETCH(QJsonValue, value);
    QFETCH(bool, accepted);
    QVERIFY(ShoppingBookmark::fromJson(validObject()));
    const std::optional<ShoppingBookmark> read = readWith(key, value);
    QCOMPARE(read.has_value(), accepted);
    // Written back as read: the id upper-case, the time unchanged.
    if (accepted && key == u"id"_qs)
        QCOMPARE(read->toJson().value(key).toString(), value.toString().toUpper());
    else if (accepted)
        QCOMPARE(read->toJson().value(key).toDouble(), value.toDouble());
}

void TestShoppingBookmark::ignoresOtherKeysAndNonObjects()
{
    QJsonObject object = validObject();
    object.insert(u"isFavourite"_qs, true);
    object.insert(u"Title"_qs, 42);
    object.insert(u"dateAdded"_qs, 1.2346); // rounded to the millisecond
    const std::optional<ShoppingBookmark> read = ShoppingBookmark::fromJson(object);
    QVERIFY(read);
    QCOMPARE(read->title, u"ノートPC"_qs);
    QCOMPARE(read->dateAdded, utc(2001, 1, 1, 0, 0, 1, 235));
    QVERIFY(!read->toJson().contains(QLatin1String("isFavourite")));

    QVERIFY(!ShoppingBookmark::fromJson(QJsonValue(QJsonArray {object})));
    QVERIFY(!ShoppingBookmark::fromJson(QJsonValue(u"bookmark"_qs)));
    QVERIFY(!ShoppingBookmark::fromJson(QJsonValue()));
}

QTEST_APPLESS_MAIN(TestShoppingBookmark)

#include "tst_shoppingbookmark.moc"

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
        {QStringLiteral("id"), QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F")},
        {QStringLiteral("title"), QStringLiteral("ノートPC")},
        {QStringLiteral("url"), QStringLiteral("https://www.amazon.co.jp/dp/B0")},
        {QStringLiteral("shopName"), QStringLiteral("Amazon.co.jp")},
        {QStringLiteral("dateAdded"), 786543210.5},
        {QStringLiteral("notes"), QString()},
    };
}

} // namespace

class TestShoppingBookmark : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void writesTheStoredForm();
    void readsBackWhatItWrote_data();
    void readsBackWhatItWrote();
    void readsForeignTimesAtMillisecondPrecision();
    void acceptsIdsInEitherCaseOnly_data();
    void acceptsIdsInEitherCaseOnly();
    void rejectsMissingOrWronglyTypedKeys_data();
    void rejectsMissingOrWronglyTypedKeys();
    void rejectsTimesOutsideAnyCalendar_data();
    void rejectsTimesOutsideAnyCalendar();
    void ignoresOtherKeysAndNonObjects();
    void comparesAllFields();
};

void TestShoppingBookmark::writesTheStoredForm()
{
    const ShoppingBookmark bookmark {QUuid(QStringLiteral("e621e1f8-c36c-495a-93fc-0c247a3e6e5f")),
                                     QStringLiteral("タイトル"),
                                     QStringLiteral("https://www.rakuten.co.jp/"),
                                     QStringLiteral("楽天市場"),
                                     utc(2001, 1, 1, 0, 0, 1, 500),
                                     QStringLiteral("メモ")};
    const QJsonObject json = bookmark.toJson();

    QCOMPARE(json.keys().size(), 6);
    QCOMPARE(json.value(QLatin1String("id")).toString(),
             QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F"));
    QCOMPARE(json.value(QLatin1String("title")).toString(), QStringLiteral("タイトル"));
    QCOMPARE(json.value(QLatin1String("url")).toString(),
             QStringLiteral("https://www.rakuten.co.jp/"));
    QCOMPARE(json.value(QLatin1String("shopName")).toString(), QStringLiteral("楽天市場"));
    QVERIFY(json.value(QLatin1String("dateAdded")).isDouble());
    QCOMPARE(json.value(QLatin1String("dateAdded")).toDouble(), 1.5);
    QCOMPARE(json.value(QLatin1String("notes")).toString(), QStringLiteral("メモ"));

    // Times before the reference date are negative.
    ShoppingBookmark older = bookmark;
    older.dateAdded = utc(2000, 12, 31, 23, 59, 59);
    QCOMPARE(older.toJson().value(QLatin1String("dateAdded")).toDouble(), -1.0);
}

void TestShoppingBookmark::readsBackWhatItWrote_data()
{
    QTest::addColumn<ShoppingBookmark>("bookmark");

    QTest::newRow("fresh") << ShoppingBookmark::create(
        QStringLiteral("ノート PC"), QStringLiteral("https://www.yodobashi.com/"),
        QStringLiteral("ヨドバシ・ドット・コム"), QString());
    QTest::newRow("empty texts") << ShoppingBookmark {
        QUuid::createUuid(),           QString(), QString(), QString(),
        utc(2024, 2, 29, 12, 0, 0, 1), QString()};
    QTest::newRow("quotes, slashes, controls, emoji")
        << ShoppingBookmark {QUuid::createUuid(),
                             QStringLiteral("\"a\"\\b/c\n\t\u0001 🛒"),
                             QStringLiteral("https://x.test/?q=\"1\"&r=\\"),
                             QStringLiteral("  "),
                             utc(1970, 1, 1, 0, 0, 0, 999),
                             QStringLiteral("\u2028\u0000\u001f\u007f\b\f\r end")};
    QTest::newRow("far future") << ShoppingBookmark {QUuid::createUuid(),
                                                     QStringLiteral("t"),
                                                     QStringLiteral("u"),
                                                     QString(),
                                                     utc(9999, 12, 31, 23, 59, 59, 999),
                                                     QString()};
}

void TestShoppingBookmark::readsBackWhatItWrote()
{
    QFETCH(ShoppingBookmark, bookmark);

    // Through the text the store writes, not only the object.
    const QByteArray text = BookmarkStore::encode({bookmark}).value();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(text, &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    QCOMPARE(document.array().size(), 1);
    QCOMPARE(document.array().first().toObject(), bookmark.toJson());

    const std::optional<ShoppingBookmark> read
        = ShoppingBookmark::fromJson(document.array().first());
    QVERIFY(read);
    QCOMPARE(*read, bookmark);
    QCOMPARE(read->dateAdded.toMSecsSinceEpoch(), bookmark.dateAdded.toMSecsSinceEpoch());
}

void TestShoppingBookmark::readsForeignTimesAtMillisecondPrecision()
{
    // Written elsewhere with sub-millisecond digits: rounded to the millisecond.
    QJsonObject object = validObject();
    object.insert(QStringLiteral("dateAdded"), 1.2346);
    std::optional<ShoppingBookmark> read = ShoppingBookmark::fromJson(object);
    QVERIFY(read);
    QCOMPARE(read->dateAdded, utc(2001, 1, 1, 0, 0, 1, 235));

    // A whole number is a number too.
    object.insert(QStringLiteral("dateAdded"), 0);
    read = ShoppingBookmark::fromJson(object);
    QVERIFY(read);
    QCOMPARE(read->dateAdded, utc(2001, 1, 1, 0, 0, 0));
}

void TestShoppingBookmark::acceptsIdsInEitherCaseOnly_data()
{
    QTest::addColumn<QString>("id");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("upper") << QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5F") << true;
    QTest::newRow("lower") << QStringLiteral("e621e1f8-c36c-495a-93fc-0c247a3e6e5f") << true;
    QTest::newRow("mixed") << QStringLiteral("e621E1F8-c36c-495A-93fc-0C247A3E6E5F") << true;
    QTest::newRow("nil") << QStringLiteral("00000000-0000-0000-0000-000000000000") << true;
    QTest::newRow("braces") << QStringLiteral("{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}") << false;
    QTest::newRow("no hyphens") << QStringLiteral("E621E1F8C36C495A93FC0C247A3E6E5F") << false;
    QTest::newRow("hyphen moved") << QStringLiteral("E621E1F-8C36C-495A-93FC-0C247A3E6E5F")
                                  << false;
    QTest::newRow("not hex") << QStringLiteral("G621E1F8-C36C-495A-93FC-0C247A3E6E5F") << false;
    QTest::newRow("short") << QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E5") << false;
    QTest::newRow("padded") << QStringLiteral(" E621E1F8-C36C-495A-93FC-0C247A3E6E5F") << false;
    QTest::newRow("full-width digit")
        << QStringLiteral("E621E1F8-C36C-495A-93FC-0C247A3E6E５F") << false;
    QTest::newRow("empty") << QString() << false;
}

void TestShoppingBookmark::acceptsIdsInEitherCaseOnly()
{
    QFETCH(QString, id);
    QFETCH(bool, accepted);

    QJsonObject object = validObject();
    object.insert(QStringLiteral("id"), id);
    const std::optional<ShoppingBookmark> read = ShoppingBookmark::fromJson(object);
    QCOMPARE(read.has_value(), accepted);
    if (accepted) {
        QCOMPARE(read->id, QUuid::fromString(id));
        // Written back upper-case whatever the case read.
        QCOMPARE(read->toJson().value(QLatin1String("id")).toString(), id.toUpper());
    }
}

void TestShoppingBookmark::rejectsMissingOrWronglyTypedKeys_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QJsonValue>("value"); // Undefined: the key is missing

    const QStringList keys
        = {QStringLiteral("id"),       QStringLiteral("title"),     QStringLiteral("url"),
           QStringLiteral("shopName"), QStringLiteral("dateAdded"), QStringLiteral("notes")};
    for (const QString &key : keys) {
        QTest::addRow("%s missing", qPrintable(key)) << key << QJsonValue(QJsonValue::Undefined);
        QTest::addRow("%s null", qPrintable(key)) << key << QJsonValue(QJsonValue::Null);
        QTest::addRow("%s array", qPrintable(key)) << key << QJsonValue(QJsonArray {1});
    }
    QTest::newRow("title number") << QStringLiteral("title") << QJsonValue(3);
    QTest::newRow("notes bool") << QStringLiteral("notes") << QJsonValue(false);
    QTest::newRow("dateAdded text")
        << QStringLiteral("dateAdded") << QJsonValue(QStringLiteral("1.5"));
    QTest::newRow("id number") << QStringLiteral("id") << QJsonValue(1);
}

void TestShoppingBookmark::rejectsMissingOrWronglyTypedKeys()
{
    QFETCH(QString, key);
    QFETCH(QJsonValue, value);

    QJsonObject object = validObject();
    QVERIFY(ShoppingBookmark::fromJson(object));
    if (value.isUndefined())
        object.remove(key);
    else
        object.insert(key, value);
    QVERIFY(!ShoppingBookmark::fromJson(object));
}

void TestShoppingBookmark::rejectsTimesOutsideAnyCalendar_data()
{
    QTest::addColumn<double>("seconds");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("negative") << -978307200.0 << true; // 1970-01-01
    QTest::newRow("huge") << 1.0e300 << false;
    QTest::newRow("huge negative") << -1.0e300 << false;
    QTest::newRow("just beyond exact doubles") << 1.0e13 << false;
    QTest::newRow("year 30000") << 9.0e11 << true;
}

void TestShoppingBookmark::rejectsTimesOutsideAnyCalendar()
{
    QFETCH(double, seconds);
    QFETCH(bool, accepted);

    QJsonObject object = validObject();
    object.insert(QStringLiteral("dateAdded"), seconds);
    const std::optional<ShoppingBookmark> read = ShoppingBookmark::fromJson(object);
    QCOMPARE(read.has_value(), accepted);
    if (accepted) {
        QVERIFY(read->dateAdded.isValid());
        QCOMPARE(read->toJson().value(QLatin1String("dateAdded")).toDouble(), seconds);
    }
}

void TestShoppingBookmark::ignoresOtherKeysAndNonObjects()
{
    QJsonObject object = validObject();
    object.insert(QStringLiteral("isFavourite"), true);
    object.insert(QStringLiteral("Title"), 42);
    const std::optional<ShoppingBookmark> read = ShoppingBookmark::fromJson(object);
    QVERIFY(read);
    QCOMPARE(read->title, QStringLiteral("ノートPC"));
    QVERIFY(!read->toJson().contains(QLatin1String("isFavourite")));

    QVERIFY(!ShoppingBookmark::fromJson(QJsonValue(QJsonArray {object})));
    QVERIFY(!ShoppingBookmark::fromJson(QJsonValue(QStringLiteral("bookmark"))));
    QVERIFY(!ShoppingBookmark::fromJson(QJsonValue()));
}

void TestShoppingBookmark::comparesAllFields()
{
    const ShoppingBookmark bookmark = *ShoppingBookmark::fromJson(validObject());
    QCOMPARE(qHash(bookmark), qHash(*ShoppingBookmark::fromJson(validObject())));

    ShoppingBookmark sameAddress = bookmark;
    sameAddress.id = QUuid::createUuid();
    QVERIFY(sameAddress != bookmark);

    ShoppingBookmark laterByOneMillisecond = bookmark;
    laterByOneMillisecond.dateAdded = bookmark.dateAdded.addMSecs(1);
    QVERIFY(laterByOneMillisecond != bookmark);

    ShoppingBookmark otherNotes = bookmark;
    otherNotes.notes = QStringLiteral(" ");
    QVERIFY(otherNotes != bookmark);

    const ShoppingBookmark a
        = ShoppingBookmark::create(QStringLiteral("t"), QStringLiteral("u"), QString(), QString());
    const ShoppingBookmark b
        = ShoppingBookmark::create(QStringLiteral("t"), QStringLiteral("u"), QString(), QString());
    QVERIFY(a.id != b.id);
    QCOMPARE(a.dateAdded.timeSpec(), Qt::UTC);
}

QTEST_APPLESS_MAIN(TestShoppingBookmark)

#include "tst_shoppingbookmark.moc"

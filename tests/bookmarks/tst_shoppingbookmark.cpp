#include "bookmarks/ShoppingBookmark.h"

#include <QJsonArray>
#include <QTest>
#include <QTimeZone>

namespace {

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

} // namespace

class TestShoppingBookmark : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void readsBackWhatItWrote();
    void readsStoredValues_data();
    void readsStoredValues();
};

void TestShoppingBookmark::readsBackWhatItWrote()
{
    const std::optional<ShoppingBookmark> read = ShoppingBookmark::fromJson(storedObject());
    QCOMPARE(read.value().dateAdded,
             QDateTime(QDate(2001, 1, 1), QTime(0, 0, 1, 500), QTimeZone::utc()));
    QCOMPARE(read->toJson(), storedObject());
}

void TestShoppingBookmark::readsStoredValues_data()
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
    QTest::newRow("notes bool") << u"notes"_qs << QJsonValue(false) << false << none;
    QTest::newRow("dateAdded text") << date << QJsonValue(u"1.5"_qs) << false << none;
    QTest::newRow("id number") << u"id"_qs << QJsonValue(1) << false << none;
}

void TestShoppingBookmark::readsStoredValues()
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

QTEST_APPLESS_MAIN(TestShoppingBookmark)

#include "tst_shoppingbookmark.moc"

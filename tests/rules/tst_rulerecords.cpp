#include "rules/ExcludedPattern.h"
#include "rules/TrustedShop.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

QJsonValue parsed(const QByteArray &json)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(json, &error);
    if (error.error != QJsonParseError::NoError)
        qFatal("test JSON does not parse: %s", json.constData());
    return document.isObject() ? QJsonValue(document.object()) : QJsonValue(document.array());
}

template<typename Row> std::optional<Row> throughStoredText(const Row &row)
{
    return Row::fromJson(parsed(QJsonDocument(row.toJson()).toJson(QJsonDocument::Compact)));
}

const QByteArray shopJson
    = R"({"id":"0f8e0c2a-6b1d-4a53-9b5e-3c2d1e0f9a8b","name":"楽天市場",)"
      R"("domain":"rakuten.co.jp","category":"総合",)"
      R"("searchUrlTemplate":"https:\/\/search.rakuten.co.jp\/search\/mall\/{query}\/",)"
      R"("isEnabled":false,"isCustom":true,"extra":[1,2]})";
const QByteArray patternJson = R"({"id":"0F8E0C2A-6B1D-4A53-9B5E-3C2D1E0F9A8B","pattern":"*.top",)"
                               R"("reason":"r","isEnabled":true,"isCustom":false})";

} // namespace

class tst_RuleRecords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void roundTripAndForeignText();
    void rejects_data();
    void rejects();
};

void tst_RuleRecords::roundTripAndForeignText()
{
    const TrustedShop shop
        = TrustedShop::create(u"ヨドバシ・ドット・コム"_s, u"yodobashi.com"_s, u"家電・PC"_s,
                              u"https://www.yodobashi.com/?word={query}"_s, false, true);
    QCOMPARE(throughStoredText(shop), std::optional(shop));
    const ExcludedPattern pattern = ExcludedPattern::create(u"*.shop"_s, QString(), true, true);
    QCOMPARE(pattern.toJson().value("reason"_L1), QJsonValue(QString()));
    QCOMPARE(throughStoredText(pattern), std::optional(pattern));
    // Ids as the earlier version wrote them: upper case, no braces.
    static const QRegularExpression canonical(
        u"^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"_s);
    QVERIFY(canonical.match(shop.toJson().value("id"_L1).toString()).hasMatch());
    QVERIFY(canonical.match(pattern.toJson().value("id"_L1).toString()).hasMatch());

    // Lower-case id, escaped slashes, key order free, unknown keys ignored.
    QCOMPARE(TrustedShop::fromJson(parsed(shopJson)),
             std::optional(TrustedShop {
                 QUuid::fromString(u"0F8E0C2A-6B1D-4A53-9B5E-3C2D1E0F9A8B"_s), u"楽天市場"_s,
                 u"rakuten.co.jp"_s, u"総合"_s,
                 u"https://search.rakuten.co.jp/search/mall/{query}/"_s, false, true}));
}

void tst_RuleRecords::rejects_data()
{
    QTest::addColumn<bool>("isShop");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QJsonValue>("replacement"); // Undefined removes the key.

    const QJsonValue removed(QJsonValue::Undefined);
    for (const char *key :
         {"id", "name", "domain", "category", "searchUrlTemplate", "isEnabled", "isCustom"})
        QTest::addRow("shop without %s", key) << true << QString::fromLatin1(key) << removed;
    for (const char *key : {"id", "pattern", "reason", "isEnabled", "isCustom"})
        QTest::addRow("pattern without %s", key) << false << QString::fromLatin1(key) << removed;
    // Both records read their fields through the same typed readers.
    QTest::newRow("isEnabled as text") << true << u"isEnabled"_s << QJsonValue(u"true"_s);
    QTest::newRow("name null") << true << u"name"_s << QJsonValue(QJsonValue::Null);
    QTest::newRow("id braces") << true << u"id"_s
                               << QJsonValue(u"{0F8E0C2A-6B1D-4A53-9B5E-3C2D1E0F9A8B}"_s);
    QTest::newRow("id without hyphens")
        << true << u"id"_s << QJsonValue(u"0F8E0C2A6B1D4A539B5E3C2D1E0F9A8B"_s);
    QTest::newRow("id padded") << true << u"id"_s
                               << QJsonValue(u" 0F8E0C2A-6B1D-4A53-9B5E-3C2D1E0F9A8B"_s);
}

void tst_RuleRecords::rejects()
{
    QFETCH(bool, isShop);
    QFETCH(QString, key);
    QFETCH(QJsonValue, replacement);
    QJsonObject object = parsed(isShop ? shopJson : patternJson).toObject();
    // The untouched object is readable, so each row tests its one change.
    QVERIFY(isShop ? TrustedShop::fromJson(object).has_value()
                   : ExcludedPattern::fromJson(object).has_value());
    if (replacement.isUndefined())
        object.remove(key);
    else
        object.insert(key, replacement);
    if (isShop)
        QCOMPARE(TrustedShop::fromJson(object), std::nullopt);
    else
        QCOMPARE(ExcludedPattern::fromJson(object), std::nullopt);
}

QTEST_APPLESS_MAIN(tst_RuleRecords)
#include "tst_rulerecords.moc"

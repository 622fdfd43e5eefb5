#include "rules/ExcludedPattern.h"
#include "rules/SearchFilterMode.h"
#include "rules/SearchTargetEngine.h"
#include "rules/TrustedShop.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSet>
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

const QByteArray shopJson
    = R"({"id":"0f8e0c2a-6b1d-4a53-9b5e-3c2d1e0f9a8b","name":"楽天市場",)"
      R"("domain":"rakuten.co.jp","category":"総合",)"
      R"("searchUrlTemplate":"https:\/\/search.rakuten.co.jp\/search\/mall\/{query}\/",)"
      R"("isEnabled":false,"isCustom":true,"extra":[1,2]})";

} // namespace

class tst_RuleRecords : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void filterModeTexts();
    void filterModeFromRawValue_data();
    void filterModeFromRawValue();
    void engineTexts();
    void shopRoundTrip();
    void shopDecodesForeignText();
    void shopRejects_data();
    void shopRejects();
    void patternRoundTripWithEmptyReason();
    void patternRejects_data();
    void patternRejects();
    void idIsWrittenUpperCase();
    void equalityAndHashCoverEveryField();
    void createDrawsFreshIds();
};

void tst_RuleRecords::filterModeTexts()
{
    QCOMPARE(allSearchFilterModes(),
             (QList<SearchFilterMode> {SearchFilterMode::trustedOnly,
                                       SearchFilterMode::excludeSuspicious,
                                       SearchFilterMode::directShopSearch}));
    QCOMPARE(rawValue(SearchFilterMode::trustedOnly), u"trustedOnly"_s);
    QCOMPARE(rawValue(SearchFilterMode::excludeSuspicious), u"excludeSuspicious"_s);
    QCOMPARE(rawValue(SearchFilterMode::directShopSearch), u"directShopSearch"_s);
    QCOMPARE(displayName(SearchFilterMode::trustedOnly), u"認定正規店のみ検索"_s);
    QCOMPARE(displayName(SearchFilterMode::excludeSuspicious), u"詐欺・怪しいサイト除外"_s);
    QCOMPARE(displayName(SearchFilterMode::directShopSearch), u"指定ショップダイレクト"_s);
    QCOMPARE(descriptionText(SearchFilterMode::trustedOnly),
             u"Amazon、楽天、ヨドバシ等の正規公認ストアのみを対象に安心検索します。"_s);
    QCOMPARE(descriptionText(SearchFilterMode::excludeSuspicious),
             u"悪質通販で多用される不審TLD（.top, .xyz等）や危険ドメインを自動除外します。"_s);
    QCOMPARE(descriptionText(SearchFilterMode::directShopSearch),
             u"選択した特定の正規ECショップ（複数可）へ直接クエリを送信します。"_s);
    QCOMPARE(iconName(SearchFilterMode::trustedOnly), u"checkmark.seal.fill"_s);
    QCOMPARE(iconName(SearchFilterMode::excludeSuspicious), u"shield.checkerboard"_s);
    QCOMPARE(iconName(SearchFilterMode::directShopSearch), u"bag.fill"_s);
}

void tst_RuleRecords::filterModeFromRawValue_data()
{
    QTest::addColumn<QString>("raw");
    QTest::addColumn<std::optional<SearchFilterMode>>("expected");

    QTest::newRow("exact") << u"excludeSuspicious"_s
                           << std::optional(SearchFilterMode::excludeSuspicious);
    QTest::newRow("direct") << u"directShopSearch"_s
                            << std::optional(SearchFilterMode::directShopSearch);
    QTest::newRow("capitalised") << u"ExcludeSuspicious"_s << std::optional<SearchFilterMode>();
    QTest::newRow("leading space") << u" excludeSuspicious"_s << std::optional<SearchFilterMode>();
    QTest::newRow("empty") << QString() << std::optional<SearchFilterMode>();
    QTest::newRow("engine raw value") << u"googleWeb"_s << std::optional<SearchFilterMode>();
}

void tst_RuleRecords::filterModeFromRawValue()
{
    QFETCH(QString, raw);
    QFETCH(std::optional<SearchFilterMode>, expected);
    QCOMPARE(searchFilterModeFromRawValue(raw), expected);
}

void tst_RuleRecords::engineTexts()
{
    QCOMPARE(allSearchTargetEngines(),
             (QList<SearchTargetEngine> {SearchTargetEngine::googleShopping,
                                         SearchTargetEngine::googleWeb}));
    QCOMPARE(rawValue(SearchTargetEngine::googleShopping), u"googleShopping"_s);
    QCOMPARE(rawValue(SearchTargetEngine::googleWeb), u"googleWeb"_s);
    QCOMPARE(displayName(SearchTargetEngine::googleShopping),
             u"🛒 Googleショッピング検索 (ショップ価格比較)"_s);
    QCOMPARE(displayName(SearchTargetEngine::googleWeb), u"🌐 Google Web安心検索 (通常Web)"_s);
    QCOMPARE(iconName(SearchTargetEngine::googleShopping), u"cart.fill"_s);
    QCOMPARE(iconName(SearchTargetEngine::googleWeb), u"globe"_s);
    for (const SearchTargetEngine engine : allSearchTargetEngines())
        QCOMPARE(searchTargetEngineFromRawValue(rawValue(engine)), std::optional(engine));
    QCOMPARE(searchTargetEngineFromRawValue(u"GoogleWeb"_s), std::nullopt);
    QCOMPARE(searchTargetEngineFromRawValue(u"googleWeb "_s), std::nullopt);
}

void tst_RuleRecords::shopRoundTrip()
{
    const TrustedShop shop
        = TrustedShop::create(u"ヨドバシ・ドット・コム"_s, u"yodobashi.com"_s, u"家電・PC"_s,
                              u"https://www.yodobashi.com/?word={query}"_s, false, true);
    const QJsonObject json = shop.toJson();
    QCOMPARE(json.keys().size(), 7);
    QCOMPARE(json.value("searchUrlTemplate"_L1).toString(),
             u"https://www.yodobashi.com/?word={query}"_s);
    QCOMPARE(json.value("isEnabled"_L1), QJsonValue(false));
    QCOMPARE(json.value("isCustom"_L1), QJsonValue(true));

    // Through the compact text form, as stored.
    const QByteArray text = QJsonDocument(json).toJson(QJsonDocument::Compact);
    const std::optional<TrustedShop> decoded = TrustedShop::fromJson(parsed(text));
    QVERIFY(decoded);
    QCOMPARE(*decoded, shop);
}

void tst_RuleRecords::shopDecodesForeignText()
{
    // Lower-case id, escaped slashes, key order free, unknown keys ignored.
    const std::optional<TrustedShop> shop = TrustedShop::fromJson(parsed(shopJson));
    QVERIFY(shop);
    QCOMPARE(shop->id, QUuid::fromString(u"0F8E0C2A-6B1D-4A53-9B5E-3C2D1E0F9A8B"_s));
    QCOMPARE(shop->name, u"楽天市場"_s);
    QCOMPARE(shop->domain, u"rakuten.co.jp"_s);
    QCOMPARE(shop->category, u"総合"_s);
    QCOMPARE(shop->searchUrlTemplate, u"https://search.rakuten.co.jp/search/mall/{query}/"_s);
    QCOMPARE(shop->isEnabled, false);
    QCOMPARE(shop->isCustom, true);
}

void tst_RuleRecords::shopRejects_data()
{
    QTest::addColumn<QString>("key");
    QTest::addColumn<QJsonValue>("replacement"); // Undefined removes the key.

    QTest::newRow("no isCustom") << u"isCustom"_s << QJsonValue(QJsonValue::Undefined);
    QTest::newRow("no id") << u"id"_s << QJsonValue(QJsonValue::Undefined);
    QTest::newRow("no name") << u"name"_s << QJsonValue(QJsonValue::Undefined);
    QTest::newRow("no domain") << u"domain"_s << QJsonValue(QJsonValue::Undefined);
    QTest::newRow("no category") << u"category"_s << QJsonValue(QJsonValue::Undefined);
    QTest::newRow("no template") << u"searchUrlTemplate"_s << QJsonValue(QJsonValue::Undefined);
    QTest::newRow("isEnabled as text") << u"isEnabled"_s << QJsonValue(u"true"_s);
    QTest::newRow("isEnabled as number") << u"isEnabled"_s << QJsonValue(1);
    QTest::newRow("name null") << u"name"_s << QJsonValue(QJsonValue::Null);
    QTest::newRow("domain number") << u"domain"_s << QJsonValue(3);
    QTest::newRow("id number") << u"id"_s << QJsonValue(7);
    QTest::newRow("id braces") << u"id"_s
                               << QJsonValue(u"{0F8E0C2A-6B1D-4A53-9B5E-3C2D1E0F9A8B}"_s);
    QTest::newRow("id without hyphens")
        << u"id"_s << QJsonValue(u"0F8E0C2A6B1D4A539B5E3C2D1E0F9A8B"_s);
    QTest::newRow("id short") << u"id"_s << QJsonValue(u"0F8E0C2A-6B1D-4A53-9B5E-3C2D1E0F9A8"_s);
    QTest::newRow("id not hex") << u"id"_s << QJsonValue(u"0F8E0C2A-6B1D-4A53-9B5E-3C2D1E0F9A8G"_s);
    QTest::newRow("id hyphen moved")
        << u"id"_s << QJsonValue(u"0F8E0C2A6-B1D-4A53-9B5E-3C2D1E0F9A8B"_s);
    QTest::newRow("id padded") << u"id"_s << QJsonValue(u" 0F8E0C2A-6B1D-4A53-9B5E-3C2D1E0F9A8B"_s);
}

void tst_RuleRecords::shopRejects()
{
    QFETCH(QString, key);
    QFETCH(QJsonValue, replacement);
    QJsonObject object = parsed(shopJson).toObject();
    if (replacement.isUndefined())
        object.remove(key);
    else
        object.insert(key, replacement);
    QCOMPARE(TrustedShop::fromJson(object), std::nullopt);
}

void tst_RuleRecords::patternRoundTripWithEmptyReason()
{
    const ExcludedPattern pattern = ExcludedPattern::create(u"*.shop"_s, QString(), true, true);
    const QJsonObject json = pattern.toJson();
    QCOMPARE(json.keys().size(), 5);
    QCOMPARE(json.value("reason"_L1), QJsonValue(QString()));
    const QByteArray text = QJsonDocument(json).toJson(QJsonDocument::Compact);
    const std::optional<ExcludedPattern> decoded = ExcludedPattern::fromJson(parsed(text));
    QVERIFY(decoded);
    QCOMPARE(*decoded, pattern);
    QCOMPARE(decoded->reason, QString());
}

void tst_RuleRecords::patternRejects_data()
{
    QTest::addColumn<QByteArray>("json");

    QTest::newRow("missing isCustom") << QByteArray(
        R"({"id":"0F8E0C2A-6B1D-4A53-9B5E-3C2D1E0F9A8B","pattern":"*.top","reason":"r","isEnabled":true})");
    QTest::newRow("isEnabled as text") << QByteArray(
        R"({"id":"0F8E0C2A-6B1D-4A53-9B5E-3C2D1E0F9A8B","pattern":"*.top","reason":"r","isEnabled":"true","isCustom":false})");
    QTest::newRow("reason null") << QByteArray(
        R"({"id":"0F8E0C2A-6B1D-4A53-9B5E-3C2D1E0F9A8B","pattern":"*.top","reason":null,"isEnabled":true,"isCustom":false})");
    QTest::newRow("empty id") << QByteArray(
        R"({"id":"","pattern":"*.top","reason":"r","isEnabled":true,"isCustom":false})");
    QTest::newRow("array") << QByteArray(R"(["*.top"])");
}

void tst_RuleRecords::patternRejects()
{
    QFETCH(QByteArray, json);
    QCOMPARE(ExcludedPattern::fromJson(parsed(json)), std::nullopt);
}

void tst_RuleRecords::idIsWrittenUpperCase()
{
    const TrustedShop shop = TrustedShop::create(u"a"_s, u"b"_s, u"c"_s, u"d"_s, true, false);
    const ExcludedPattern pattern = ExcludedPattern::create(u"*.top"_s, u"r"_s, true, false);
    static const QRegularExpression canonical(
        u"^[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}$"_s);
    QVERIFY(canonical.match(shop.toJson().value("id"_L1).toString()).hasMatch());
    QVERIFY(canonical.match(pattern.toJson().value("id"_L1).toString()).hasMatch());
}

void tst_RuleRecords::equalityAndHashCoverEveryField()
{
    const TrustedShop shop = TrustedShop::create(u"n"_s, u"d.jp"_s, u"c"_s, u"t"_s, true, false);
    QList<TrustedShop> variants(7, shop);
    variants[0].id = QUuid::createUuid();
    variants[1].name += u'x';
    variants[2].domain += u'x';
    variants[3].category += u'x';
    variants[4].searchUrlTemplate += u'x';
    variants[5].isEnabled = false;
    variants[6].isCustom = true;
    QSet<size_t> hashes {qHash(shop)};
    for (const TrustedShop &variant : variants) {
        QVERIFY(variant != shop);
        hashes.insert(qHash(variant));
    }
    QCOMPARE(hashes.size(), 8);
    TrustedShop copy = shop;
    QCOMPARE(copy, shop);
    QCOMPARE(qHash(copy), qHash(shop));

    const ExcludedPattern pattern = ExcludedPattern::create(u"*.top"_s, u"r"_s, true, false);
    QList<ExcludedPattern> patternVariants(5, pattern);
    patternVariants[0].id = QUuid::createUuid();
    patternVariants[1].pattern += u'x';
    patternVariants[2].reason += u'x';
    patternVariants[3].isEnabled = false;
    patternVariants[4].isCustom = true;
    QSet<size_t> patternHashes {qHash(pattern)};
    for (const ExcludedPattern &variant : patternVariants) {
        QVERIFY(variant != pattern);
        patternHashes.insert(qHash(variant));
    }
    QCOMPARE(patternHashes.size(), 6);
}

void tst_RuleRecords::createDrawsFreshIds()
{
    const TrustedShop a = TrustedShop::create(u"n"_s, u"d"_s, u"c"_s, u"t"_s, true, true);
    const TrustedShop b = TrustedShop::create(u"n"_s, u"d"_s, u"c"_s, u"t"_s, true, true);
    QVERIFY(!a.id.isNull());
    QVERIFY(a.id != b.id);
    QVERIFY(a != b);
}

QTEST_APPLESS_MAIN(tst_RuleRecords)
#include "tst_rulerecords.moc"

#include "rules/SecurityRuleStore.h"

#include "prefs/SettingsPreferencesStore.h"
#include "prefs/StoredJson.h"
#include "rules/DefaultRules.h"
#include "rules/ExcludedPatternListModel.h"
#include "rules/TrustedShopListModel.h"

#include <QAbstractItemModelTester>
#include <QJsonDocument>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;

using StoreChange = std::function<void(SecurityRuleStore &)>;
Q_DECLARE_METATYPE(StoreChange)

namespace {

const QString shopsKey = QString::fromLatin1(SecurityRuleStore::trustedShopsKey);
const QString patternsKey = QString::fromLatin1(SecurityRuleStore::excludedPatternsKey);
const QString modeKey = QString::fromLatin1(SecurityRuleStore::filterModeKey);
const QString engineKey = QString::fromLatin1(SecurityRuleStore::searchEngineKey);
const QString shopsBackupKey = shopsKey + u"_unreadable"_s;
const QString patternsBackupKey = patternsKey + u"_unreadable"_s;

// A stored list as the next start reads it; none when it would not read.
template<typename Row> QList<Row> decoded(const std::optional<QByteArray> &bytes)
{
    return StoredJson::decodeArray<Row>(bytes.value_or(QByteArray())).value_or(QList<Row>());
}

QJsonValue parsed(const QByteArray &json)
{
    const QJsonDocument document = QJsonDocument::fromJson(json);
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

// What a row shows, role by role, as one text.
QString shown(const QAbstractItemModel &model, int row)
{
    const QModelIndex index = model.index(row, 0);
    return QStringList {index.data().toString(),
                        index.data(RuleListModel::NoteRole).toString(),
                        index.data(RuleListModel::DetailRole).toString(),
                        index.data(RuleListModel::BadgeRole).toString(),
                        index.data(Qt::CheckStateRole).toInt() == Qt::Checked ? u"on"_s : u"off"_s,
                        index.data(RuleListModel::RemovableRole).toBool() ? u"removable"_s
                                                                          : u"kept"_s}
        .join(u'|');
}

} // namespace

class tst_SecurityRuleStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { QVERIFY(m_dir.emplace().isValid()); }
    void recordsRoundTripAndForeignText();
    void recordsRejected_data();
    void recordsRejected();
    void firstStart();
    void badListsFallBack_data();
    void badListsFallBack();
    void changesNormaliseAndPublish();
    void toggleAndRemove();
    void settersTellAfterTheChangeAndResetRestores();
    void listRowsFollowTheStore_data();
    void listRowsFollowTheStore();
    void listSwitchesAndDeletesGoToTheStore();

private:
    QString settingsPath() const { return m_dir->filePath(u"prefs.ini"_s); }
    std::unique_ptr<SettingsPreferencesStore> openPreferences() const
    {
        return std::make_unique<SettingsPreferencesStore>(settingsPath());
    }

    std::optional<QTemporaryDir> m_dir;
};

void tst_SecurityRuleStore::recordsRoundTripAndForeignText()
{
    const TrustedShop shop
        = TrustedShop::create(u"ヨドバシ・ドット・コム"_s, u"yodobashi.com"_s, u"家電・PC"_s,
                              u"https://www.yodobashi.com/?word={query}"_s, false, true);
    QCOMPARE(throughStoredText(shop), std::optional(shop));
    const ExcludedPattern pattern = ExcludedPattern::create(u"*.shop"_s, QString(), true, true);
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

void tst_SecurityRuleStore::recordsRejected_data()
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
}

void tst_SecurityRuleStore::recordsRejected()
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

void tst_SecurityRuleStore::firstStart()
{
    // A readable list, even pretty-printed with extra keys in any order, is
    // read and not rewritten. A mode spelt otherwise (as a hand edit may
    // leave it) falls back in memory only.
    const QByteArray json = R"([ {"isCustom": true, "extra": null, "isEnabled": false,
       "searchUrlTemplate": "t", "category": "", "domain": "mine.example", "name": "自作",
       "id": "0f8e0c2a-6b1d-4a53-9b5e-3c2d1e0f9a8b"} ])";
    auto preferences = openPreferences();
    preferences->setData(shopsKey, json);
    preferences->setString(modeKey, u"directShopSearch"_s);
    preferences->setString(engineKey, u"GoogleWeb"_s);
    QSignalSpy writes(preferences.get(), &PreferencesStore::valueChanged);
    SecurityRuleStore store(*preferences);
    QCOMPARE(store.trustedShops(), decoded<TrustedShop>(json));
    QCOMPARE(preferences->data(shopsKey), std::optional<QByteArray>(json));
    QCOMPARE(store.filterMode(), SearchFilterMode::directShopSearch);
    QCOMPARE(store.searchEngine(), SearchTargetEngine::googleShopping);
    // Only the missing list is written, as a compact JSON array.
    QCOMPARE(writes.count(), 1);
    QCOMPARE(writes.at(0).at(0).toString(), patternsKey);
    QCOMPARE(preferences->string(engineKey), std::optional<QString>(u"GoogleWeb"_s));
    QCOMPARE(preferences->data(shopsBackupKey), std::nullopt);
    const std::optional<QByteArray> bytes = openPreferences()->data(patternsKey);
    QVERIFY(bytes && bytes->startsWith("[{") && !bytes->contains('\n'));
    QCOMPARE(decoded<ExcludedPattern>(bytes), defaultExcludedPatterns());
}

void tst_SecurityRuleStore::badListsFallBack_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("backedUp"); // false: an empty list, nothing worth keeping

    const QByteArray shop = StoredJson::encodeArray(QList<TrustedShop> {TrustedShop::create(
        u"自作"_s, u"mine.example"_s, u"c"_s, u"https://mine.example/?q={query}"_s, true, true)});
    QTest::newRow("empty array") << QByteArray("[]") << false;
    // Nothing worth a backup, nor worth replacing an earlier one with.
    QTest::newRow("empty value") << QByteArray() << false;
    QTest::newRow("truncated") << shop.left(shop.size() - 5) << true;
    QTest::newRow("not json") << QByteArray("\x00\xff garbage", 10) << true;
    QTest::newRow("one bad element")
        << QByteArray(shop.chopped(1) + R"(,{"id":"0F8E0C2A-6B1D-4A53-9B5E-3C2D1E0F9A8B"}])")
        << true;
}

void tst_SecurityRuleStore::badListsFallBack()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, backedUp);
    const QByteArray otherBackup("untouched");
    {
        auto preferences = openPreferences();
        for (const QString &key : {shopsKey, patternsKey})
            preferences->setData(key, stored);
        preferences->setData(u"velmora_shopping_bookmarks_v1_unreadable"_s, otherBackup);
    }
    {
        auto preferences = openPreferences();
        SecurityRuleStore store(*preferences);
        QCOMPARE(store.trustedShops(), defaultTrustedShops());
        QCOMPARE(store.excludedPatterns(), defaultExcludedPatterns());
    }
    // After a restart: the defaults and the backups are stored, not just held.
    const auto preferences = openPreferences();
    QCOMPARE(decoded<TrustedShop>(preferences->data(shopsKey)), defaultTrustedShops());
    QCOMPARE(decoded<ExcludedPattern>(preferences->data(patternsKey)), defaultExcludedPatterns());
    const std::optional<QByteArray> backup
        = backedUp ? std::optional<QByteArray>(stored) : std::nullopt;
    QCOMPARE(preferences->data(shopsBackupKey), backup);
    QCOMPARE(preferences->data(patternsBackupKey), backup);
    QCOMPARE(preferences->data(u"velmora_shopping_bookmarks_v1_unreadable"_s),
             std::optional<QByteArray>(otherBackup));
}

void tst_SecurityRuleStore::changesNormaliseAndPublish()
{
    auto preferences = openPreferences();
    SecurityRuleStore store(*preferences);
    QSignalSpy published(&store, &SecurityRuleStore::ruleSetChanged);
    const std::shared_ptr<const RuleSet> before = store.ruleSet();
    QSignalSpy spy(&store, &SecurityRuleStore::trustedShopsChanged);
    store.addCustomShop(u"自作ショップ"_s, u"  My-Shop.EXAMPLE.jp \n"_s, QString(),
                        u"https://my-shop.example.jp/?q={query}"_s);
    QCOMPARE(spy.count(), 1);
    const TrustedShop added = store.trustedShops().last();
    QCOMPARE(added,
             (TrustedShop {added.id, u"自作ショップ"_s, u"my-shop.example.jp"_s, QString(),
                           u"https://my-shop.example.jp/?q={query}"_s, true, true}));
    QVERIFY(!added.id.isNull());
    QCOMPARE(decoded<TrustedShop>(preferences->data(shopsKey)), store.trustedShops());
    store.toggleShop(store.trustedShops().constFirst().id);

    store.addCustomPattern(u" *.SHOP\r\n"_s, QString());
    // Full-width letters lower-case; the ideographic space is trimmed; the
    // reason is kept as typed.
    store.addCustomPattern(u"ＥＸＡＭＰＬＥ．ｊｐ　"_s, u" 理由 "_s);
    const QList<ExcludedPattern> patterns = store.excludedPatterns().last(2);
    QCOMPARE(patterns.first(),
             (ExcludedPattern {patterns.first().id, u"*.shop"_s, QString(), true, true}));
    QCOMPARE(
        patterns.last(),
        (ExcludedPattern {patterns.last().id, u"ｅｘａｍｐｌｅ．ｊｐ"_s, u" 理由 "_s, true, true}));
    QCOMPARE(decoded<ExcludedPattern>(preferences->data(patternsKey)), store.excludedPatterns());

    // Each change publishes a new snapshot; a holder of an old one keeps
    // judging by it.
    QCOMPARE(published.count(), 4);
    const std::shared_ptr<const RuleSet> after = store.ruleSet();
    QCOMPARE(after->match(u"www.my-shop.example.jp"_s).shop->name, u"自作ショップ"_s);
    QCOMPARE(after->match(u"www.amazon.co.jp"_s).shop, nullptr);
    QCOMPARE(after->match(u"cheap.shop"_s).patternReasons,
             QStringList {u"危険なTLD/ドメインパターン (*.shop) に一致"_s});
    QCOMPARE(before->match(u"www.my-shop.example.jp"_s).shop, nullptr);
    QCOMPARE(before->match(u"www.amazon.co.jp"_s).shop->name, u"Amazon.co.jp"_s);
    QCOMPARE(before->match(u"cheap.shop"_s).patternReasons, QStringList());
}

void tst_SecurityRuleStore::toggleAndRemove()
{
    auto preferences = openPreferences();
    SecurityRuleStore store(*preferences);
    const QUuid shopId = store.trustedShops().at(1).id;
    const QUuid patternId = store.excludedPatterns().at(0).id;

    store.toggleShop(shopId);
    QVERIFY(!decoded<TrustedShop>(preferences->data(shopsKey)).at(1).isEnabled);
    store.toggleShop(shopId);
    QVERIFY(store.trustedShops().at(1).isEnabled);
    store.togglePattern(patternId);
    QVERIFY(!decoded<ExcludedPattern>(preferences->data(patternsKey)).at(0).isEnabled);

    // Unknown ids: toggling changes and writes nothing, removing still saves.
    QSignalSpy writes(preferences.get(), &PreferencesStore::valueChanged);
    QSignalSpy shopsSpy(&store, &SecurityRuleStore::trustedShopsChanged);
    const QUuid unknown = QUuid::createUuid();
    store.toggleShop(unknown);
    store.togglePattern(unknown);
    QCOMPARE(writes.count(), 0);
    QCOMPARE(shopsSpy.count(), 0);
    store.removeShop(unknown);
    store.removePattern(unknown);
    QCOMPARE(writes.count(), 2);

    // Every row with the id goes; the others keep their order.
    QList<TrustedShop> shops = store.trustedShops();
    shops.append(shops.at(1));
    store.setTrustedShops(shops);
    store.removeShop(shopId);
    shops.removeIf([&](const TrustedShop &shop) { return shop.id == shopId; });
    QCOMPARE(store.trustedShops(), shops);
    store.removePattern(patternId);
    QCOMPARE(store.excludedPatterns().first().pattern, u"*.xyz"_s);

    SecurityRuleStore next(*openPreferences());
    QCOMPARE(next.trustedShops(), store.trustedShops());
    QCOMPARE(next.excludedPatterns(), store.excludedPatterns());
}

void tst_SecurityRuleStore::settersTellAfterTheChangeAndResetRestores()
{
    auto preferences = openPreferences();
    SecurityRuleStore store(*preferences);
    QSignalSpy writes(preferences.get(), &PreferencesStore::valueChanged);
    // Listeners read the new value: each signal comes after the change.
    qsizetype seenSize = -1;
    SearchFilterMode seenMode = SearchFilterMode::excludeSuspicious;
    connect(&store, &SecurityRuleStore::trustedShopsChanged, this,
            [&] { seenSize = store.trustedShops().size(); });
    connect(&store, &SecurityRuleStore::filterModeChanged, this,
            [&] { seenMode = store.filterMode(); });
    QSignalSpy patternsSpy(&store, &SecurityRuleStore::excludedPatternsChanged);
    QSignalSpy engineSpy(&store, &SecurityRuleStore::searchEngineChanged);

    // The list setters store nothing until saved; the modes are stored at once.
    store.setTrustedShops({});
    QCOMPARE(seenSize, 0);
    store.setExcludedPatterns({});
    QCOMPARE(patternsSpy.count(), 1);
    QCOMPARE(writes.count(), 0);
    store.setFilterMode(SearchFilterMode::trustedOnly);
    QCOMPARE(seenMode, SearchFilterMode::trustedOnly);
    store.setSearchEngine(SearchTargetEngine::googleWeb);
    QCOMPARE(engineSpy.count(), 1);
    QCOMPARE(preferences->string(modeKey), std::optional<QString>(u"trustedOnly"_s));
    QCOMPARE(preferences->string(engineKey), std::optional<QString>(u"googleWeb"_s));

    store.addCustomShop(u"a"_s, u"a.example"_s, u"c"_s, u"t"_s);
    store.saveExcludedPatterns();
    store.resetToDefaults();
    QCOMPARE(seenMode, SearchFilterMode::excludeSuspicious);
    QCOMPARE(store.trustedShops(), defaultTrustedShops());
    QCOMPARE(store.excludedPatterns(), defaultExcludedPatterns());
    QCOMPARE(store.searchEngine(), SearchTargetEngine::googleShopping);
    QCOMPARE(decoded<TrustedShop>(preferences->data(shopsKey)), defaultTrustedShops());
    QCOMPARE(decoded<ExcludedPattern>(preferences->data(patternsKey)), defaultExcludedPatterns());
    QCOMPARE(preferences->string(modeKey), std::optional<QString>(u"excludeSuspicious"_s));
    QCOMPARE(preferences->string(engineKey), std::optional<QString>(u"googleShopping"_s));
}

void tst_SecurityRuleStore::listRowsFollowTheStore_data()
{
    QTest::addColumn<StoreChange>("change");
    QTest::addColumn<QString>("signal"); // what the views are told
    QTest::addColumn<int>("row"); // the row it names, or the row to compare after a change

    QTest::newRow("switch flipped")
        << StoreChange([](SecurityRuleStore &s) { s.toggleShop(s.trustedShops().at(3).id); })
        << u"dataChanged"_s << 3;
    QTest::newRow("shop added") << StoreChange([](SecurityRuleStore &s) {
        s.addCustomShop(u"店"_s, u"b.example"_s, QString(), QString());
    }) << u"rowsInserted"_s << 26;
    QTest::newRow("shop removed") << StoreChange([](SecurityRuleStore &s) {
        s.removeShop(s.trustedShops().at(1).id);
    }) << u"rowsRemoved"_s << 1;
    QTest::newRow("rows replaced") << StoreChange([](SecurityRuleStore &s) {
        QList<TrustedShop> shops = s.trustedShops();
        std::reverse(shops.begin(), shops.end());
        s.setTrustedShops(shops);
    }) << u"modelReset"_s << 0;
}

void tst_SecurityRuleStore::listRowsFollowTheStore()
{
    QFETCH(StoreChange, change);
    QFETCH(QString, signal);
    QFETCH(int, row);
    auto preferences = openPreferences();
    SecurityRuleStore store(*preferences);
    store.addCustomShop(u"マイショップ"_s, u"my-shop.example"_s, u"一般"_s, u"t"_s);
    TrustedShopListModel model(store);
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    change(store);

    // One row in or out where the store changed, not the whole list again,
    // so a view keeps its place.
    QCOMPARE(inserted.size(), signal == u"rowsInserted"_s ? 1 : 0);
    QCOMPARE(removed.size(), signal == u"rowsRemoved"_s ? 1 : 0);
    QCOMPARE(reset.size(), signal == u"modelReset"_s ? 1 : 0);
    for (QSignalSpy *spy : {&inserted, &removed})
        QCOMPARE(spy->value(0).mid(1), (spy->isEmpty() ? QVariantList() : QVariantList {row, row}));
    const QList<TrustedShop> &shops = store.trustedShops();
    QCOMPARE(model.rowCount(), shops.size());
    QCOMPARE(model.index(row, 0).data(RuleListModel::IdRole).toUuid(), shops.at(row).id);
    QCOMPARE(model.index(row, 0).data(Qt::CheckStateRole).toInt() == Qt::Checked,
             shops.at(row).isEnabled);
}

void tst_SecurityRuleStore::listSwitchesAndDeletesGoToTheStore()
{
    auto preferences = openPreferences();
    SecurityRuleStore store(*preferences);
    store.addCustomShop(u"マイショップ"_s, u"my-shop.example"_s, u"一般"_s, u"t"_s);
    store.addCustomPattern(u"*.scam"_s, u"自分で追加"_s);
    TrustedShopListModel shops(store);
    ExcludedPatternListModel patterns(store);
    const int custom = shops.rowCount() - 1;
    const int pattern = patterns.rowCount() - 1;

    QCOMPARE(shown(shops, 0), u"Amazon.co.jp|(総合)|amazon.co.jp||on|kept"_s);
    QCOMPARE(shown(shops, custom), u"マイショップ|(一般)|my-shop.example|カスタム|on|removable"_s);
    QCOMPARE(shown(patterns, 0), u"*.top||悪質詐欺通販サイトで多発するTLD||on|kept"_s);
    QCOMPARE(shown(patterns, pattern), u"*.scam||自分で追加|カスタム|on|removable"_s);

    // The same state asked for twice flips once.
    for (int i = 0; i < 2; ++i) {
        QVERIFY(shops.setData(shops.index(0), Qt::Unchecked, Qt::CheckStateRole));
        QVERIFY(patterns.setData(patterns.index(pattern), Qt::Unchecked, Qt::CheckStateRole));
    }
    QVERIFY(!store.trustedShops().at(0).isEnabled);
    QVERIFY(!store.excludedPatterns().at(pattern).isEnabled);
    QCOMPARE(shown(shops, 0), u"Amazon.co.jp|(総合)|amazon.co.jp||off|kept"_s);

    QVERIFY(shops.removeRows(custom, 1));
    QVERIFY(patterns.removeRows(pattern, 1));
    QCOMPARE(store.trustedShops().size(), defaultTrustedShops().size());
    QCOMPARE(store.excludedPatterns().size(), defaultExcludedPatterns().size());
    QVERIFY(!shops.removeRows(shops.rowCount(), 1));
}

QTEST_GUILESS_MAIN(tst_SecurityRuleStore)
#include "tst_securityrulestore.moc"

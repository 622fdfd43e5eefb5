#include "rules/SecurityRuleStore.h"

#include "prefs/SettingsPreferencesStore.h"
#include "rules/DefaultRules.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

const QString shopsKey = QString::fromLatin1(SecurityRuleStore::trustedShopsKey);
const QString patternsKey = QString::fromLatin1(SecurityRuleStore::excludedPatternsKey);
const QString modeKey = QString::fromLatin1(SecurityRuleStore::filterModeKey);
const QString engineKey = QString::fromLatin1(SecurityRuleStore::searchEngineKey);
const QString shopsBackupKey = shopsKey + u"_unreadable"_s;
const QString patternsBackupKey = patternsKey + u"_unreadable"_s;

template<typename Row> QList<Row> decoded(const std::optional<QByteArray> &bytes)
{
    QList<Row> rows;
    if (!bytes)
        return rows;
    const QJsonArray array = QJsonDocument::fromJson(*bytes).array();
    for (const QJsonValue &value : array) {
        if (const std::optional<Row> row = Row::fromJson(value))
            rows.append(*row);
    }
    return rows;
}

template<typename Row> QByteArray encoded(const QList<Row> &rows)
{
    QJsonArray array;
    for (const Row &row : rows)
        array.append(row.toJson());
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

} // namespace

class tst_SecurityRuleStore : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init();
    void firstStart();
    void storedModesLoad_data();
    void storedModesLoad();
    void emptyListsFallBackWithoutBackup();
    void unreadableListsAreBackedUp_data();
    void unreadableListsAreBackedUp();
    void backupKeepsTheLatest();
    void everyTruncationFallsBack();
    void readableForeignJsonLoads();
    void settersEmitAfterChangeAndWriteNothing();
    void setModesWriteRawValues();
    void addCustomShopNormalisesDomain();
    void addCustomPatternNormalisesPattern();
    void toggleAndRemove();
    void unknownIdsChangeNothing();
    void resetToDefaults();
    void removalsSurviveRestart();
    void largeListsRoundTrip();

private:
    QString settingsPath() const { return m_dir->filePath(u"prefs.ini"_s); }
    std::unique_ptr<SettingsPreferencesStore> openPreferences() const
    {
        return std::make_unique<SettingsPreferencesStore>(settingsPath());
    }

    std::unique_ptr<QTemporaryDir> m_dir;
};

void tst_SecurityRuleStore::init()
{
    m_dir = std::make_unique<QTemporaryDir>();
    QVERIFY(m_dir->isValid());
}

void tst_SecurityRuleStore::firstStart()
{
    auto preferences = openPreferences();
    QSignalSpy writes(preferences.get(), &PreferencesStore::valueChanged);
    SecurityRuleStore store(*preferences);

    QCOMPARE(store.filterMode(), SearchFilterMode::excludeSuspicious);
    QCOMPARE(store.searchEngine(), SearchTargetEngine::googleShopping);
    QCOMPARE(store.trustedShops(), defaultTrustedShops());
    QCOMPARE(store.excludedPatterns(), defaultExcludedPatterns());

    QCOMPARE(writes.count(), 2);
    QCOMPARE(writes.at(0).at(0).toString(), shopsKey);
    QCOMPARE(writes.at(1).at(0).toString(), patternsKey);
    QCOMPARE(preferences->string(modeKey), std::nullopt);
    QCOMPARE(preferences->string(engineKey), std::nullopt);
    QCOMPARE(preferences->data(shopsBackupKey), std::nullopt);

    // Stored as compact JSON arrays, in list order.
    const std::optional<QByteArray> shopBytes = preferences->data(shopsKey);
    QVERIFY(shopBytes);
    QVERIFY(!shopBytes->contains('\n'));
    QVERIFY(shopBytes->startsWith("[{"));
    QCOMPARE(decoded<TrustedShop>(shopBytes), defaultTrustedShops());
    QCOMPARE(decoded<ExcludedPattern>(preferences->data(patternsKey)), defaultExcludedPatterns());
    // Other stores (another window, the next run) see the same lists.
    SettingsPreferencesStore other(settingsPath());
    QCOMPARE(decoded<TrustedShop>(other.data(shopsKey)), defaultTrustedShops());
}

void tst_SecurityRuleStore::storedModesLoad_data()
{
    QTest::addColumn<QByteArray>("modeLine");
    QTest::addColumn<QByteArray>("engineLine");
    QTest::addColumn<SearchFilterMode>("mode");
    QTest::addColumn<SearchTargetEngine>("engine");

    QTest::newRow("raw values") << QByteArray("directShopSearch") << QByteArray("googleWeb")
                                << SearchFilterMode::directShopSearch
                                << SearchTargetEngine::googleWeb;
    QTest::newRow("trustedOnly") << QByteArray("trustedOnly") << QByteArray("googleShopping")
                                 << SearchFilterMode::trustedOnly
                                 << SearchTargetEngine::googleShopping;
    QTest::newRow("wrong case") << QByteArray("DirectShopSearch") << QByteArray("GoogleWeb")
                                << SearchFilterMode::excludeSuspicious
                                << SearchTargetEngine::googleShopping;
    QTest::newRow("numbers") << QByteArray("2") << QByteArray("1")
                             << SearchFilterMode::excludeSuspicious
                             << SearchTargetEngine::googleShopping;
    QTest::newRow("bytes") << QByteArray("@ByteArray(trustedOnly)")
                           << QByteArray("@ByteArray(googleWeb)")
                           << SearchFilterMode::excludeSuspicious
                           << SearchTargetEngine::googleShopping;
    QTest::newRow("lists") << QByteArray("trustedOnly, directShopSearch")
                           << QByteArray("googleWeb, googleWeb")
                           << SearchFilterMode::excludeSuspicious
                           << SearchTargetEngine::googleShopping;
    QTest::newRow("empty") << QByteArray() << QByteArray() << SearchFilterMode::excludeSuspicious
                           << SearchTargetEngine::googleShopping;
    QTest::newRow("blank") << QByteArray("\" \"") << QByteArray("\"\\n\"")
                           << SearchFilterMode::excludeSuspicious
                           << SearchTargetEngine::googleShopping;
}

void tst_SecurityRuleStore::storedModesLoad()
{
    QFETCH(QByteArray, modeLine);
    QFETCH(QByteArray, engineLine);
    QFETCH(SearchFilterMode, mode);
    QFETCH(SearchTargetEngine, engine);
    {
        // As a hand edit or an earlier version would have left the file.
        QFile file(settingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\nvelmora_filter_mode_v1=" + modeLine
                   + "\nvelmora_search_engine_v1=" + engineLine + '\n');
    }
    auto preferences = openPreferences();
    const std::optional<QString> storedMode = preferences->string(modeKey);
    const std::optional<QString> storedEngine = preferences->string(engineKey);
    SecurityRuleStore store(*preferences);
    QCOMPARE(store.filterMode(), mode);
    QCOMPARE(store.searchEngine(), engine);
    // The fallback is not written back: whatever was there stays.
    QCOMPARE(preferences->string(modeKey), storedMode);
    QCOMPARE(preferences->string(engineKey), storedEngine);
}

void tst_SecurityRuleStore::emptyListsFallBackWithoutBackup()
{
    auto preferences = openPreferences();
    preferences->setData(shopsKey, "[]");
    preferences->setData(patternsKey, " [ ] ");
    SecurityRuleStore store(*preferences);
    QCOMPARE(store.trustedShops(), defaultTrustedShops());
    QCOMPARE(store.excludedPatterns(), defaultExcludedPatterns());
    QCOMPARE(decoded<TrustedShop>(preferences->data(shopsKey)), defaultTrustedShops());
    QCOMPARE(decoded<ExcludedPattern>(preferences->data(patternsKey)), defaultExcludedPatterns());
    QCOMPARE(preferences->data(shopsBackupKey), std::nullopt);
    QCOMPARE(preferences->data(patternsBackupKey), std::nullopt);
}

void tst_SecurityRuleStore::unreadableListsAreBackedUp_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("asText");

    const QByteArray shop = encoded(QList<TrustedShop> {TrustedShop::create(
        u"自作"_s, u"mine.example"_s, u"c"_s, u"https://mine.example/?q={query}"_s, true, true)});
    QTest::newRow("truncated") << shop.left(shop.size() - 5) << false;
    QTest::newRow("not json") << QByteArray("\x00\xff garbage", 10) << false;
    QTest::newRow("object, not array") << QByteArray(R"({"id":"x"})") << false;
    QTest::newRow("array of numbers") << QByteArray("[1,2,3]") << false;
    QTest::newRow("one bad element")
        << QByteArray(shop.chopped(1) + R"(,{"id":"0F8E0C2A-6B1D-4A53-9B5E-3C2D1E0F9A8B"}])")
        << false;
    QTest::newRow("isEnabled as text")
        << QByteArray(shop).replace("\"isEnabled\":true", "\"isEnabled\":\"true\"") << false;
    QTest::newRow("text where bytes belong") << shop << true;
    QTest::newRow("garbage text") << QByteArray("velmora") << true;
}

void tst_SecurityRuleStore::unreadableListsAreBackedUp()
{
    QFETCH(QByteArray, stored);
    QFETCH(bool, asText);
    const QByteArray otherBackup("untouched");
    {
        auto preferences = openPreferences();
        if (asText) {
            preferences->setString(shopsKey, QString::fromUtf8(stored));
            preferences->setString(patternsKey, QString::fromUtf8(stored));
        } else {
            preferences->setData(shopsKey, stored);
            preferences->setData(patternsKey, stored);
        }
        preferences->setData(u"velmora_shopping_bookmarks_v1_unreadable"_s, otherBackup);
    }
    auto preferences = openPreferences();
    SecurityRuleStore store(*preferences);
    QCOMPARE(store.trustedShops(), defaultTrustedShops());
    QCOMPARE(store.excludedPatterns(), defaultExcludedPatterns());
    QCOMPARE(decoded<TrustedShop>(preferences->data(shopsKey)), defaultTrustedShops());
    QCOMPARE(preferences->data(shopsBackupKey), std::optional<QByteArray>(stored));
    QCOMPARE(preferences->data(patternsBackupKey), std::optional<QByteArray>(stored));
    QCOMPARE(preferences->data(u"velmora_shopping_bookmarks_v1_unreadable"_s),
             std::optional<QByteArray>(otherBackup));
    // Also after a restart: the backup is stored, not just held.
    SettingsPreferencesStore reopened(settingsPath());
    QCOMPARE(reopened.data(shopsBackupKey), std::optional<QByteArray>(stored));
}

void tst_SecurityRuleStore::backupKeepsTheLatest()
{
    auto preferences = openPreferences();
    preferences->setData(shopsKey, "[{broken");
    {
        SecurityRuleStore store(*preferences);
    }
    QCOMPARE(preferences->data(shopsBackupKey), std::optional<QByteArray>("[{broken"));

    // A readable list or a missing one leaves the backup alone.
    {
        SecurityRuleStore store(*preferences);
    }
    QCOMPARE(preferences->data(shopsBackupKey), std::optional<QByteArray>("[{broken"));

    preferences->setData(shopsKey, "[{broken again");
    {
        SecurityRuleStore store(*preferences);
    }
    QCOMPARE(preferences->data(shopsBackupKey), std::optional<QByteArray>("[{broken again"));

    // Nothing stored in an empty value: an earlier backup is worth more.
    preferences->setData(shopsKey, QByteArray());
    {
        SecurityRuleStore store(*preferences);
    }
    QCOMPARE(preferences->data(shopsBackupKey), std::optional<QByteArray>("[{broken again"));
}

void tst_SecurityRuleStore::everyTruncationFallsBack()
{
    const QList<ExcludedPattern> rows {
        ExcludedPattern::create(u"*.shop"_s, u"理由"_s, true, true),
        ExcludedPattern::create(u"*.sale"_s, QString(), false, true)};
    const QByteArray whole = encoded(rows);
    auto preferences = openPreferences();
    for (qsizetype length = 1; length < whole.size(); length += 5) {
        const QByteArray truncated = whole.left(length);
        preferences->setData(patternsKey, truncated);
        SecurityRuleStore store(*preferences);
        QCOMPARE(store.excludedPatterns(), defaultExcludedPatterns());
        QCOMPARE(preferences->data(patternsBackupKey), std::optional<QByteArray>(truncated));
    }
    preferences->setData(patternsKey, whole);
    SecurityRuleStore store(*preferences);
    QCOMPARE(store.excludedPatterns(), rows);
}

void tst_SecurityRuleStore::readableForeignJsonLoads()
{
    // Pretty-printed, escaped slashes, lower-case id, extra keys, any order.
    const QByteArray json = R"([
      {"isCustom": true, "extra": null, "isEnabled": false,
       "searchUrlTemplate": "https:\/\/mine.example\/s?q={query}",
       "category": "", "domain": "mine.example", "name": "自作",
       "id": "0f8e0c2a-6b1d-4a53-9b5e-3c2d1e0f9a8b"}
    ])";
    auto preferences = openPreferences();
    preferences->setData(shopsKey, json);
    QSignalSpy writes(preferences.get(), &PreferencesStore::valueChanged);
    SecurityRuleStore store(*preferences);
    QCOMPARE(store.trustedShops().size(), 1);
    const TrustedShop &shop = store.trustedShops().first();
    QCOMPARE(shop.id, QUuid::fromString(u"0F8E0C2A-6B1D-4A53-9B5E-3C2D1E0F9A8B"_s));
    QCOMPARE(shop.searchUrlTemplate, u"https://mine.example/s?q={query}"_s);
    QCOMPARE(shop.isEnabled, false);
    // A readable list is not rewritten; only the missing pattern list is.
    QCOMPARE(writes.count(), 1);
    QCOMPARE(writes.at(0).at(0).toString(), patternsKey);
    QCOMPARE(preferences->data(shopsKey), std::optional<QByteArray>(json));
}

void tst_SecurityRuleStore::settersEmitAfterChangeAndWriteNothing()
{
    auto preferences = openPreferences();
    SecurityRuleStore store(*preferences);
    QSignalSpy writes(preferences.get(), &PreferencesStore::valueChanged);

    qsizetype seenSize = -1;
    connect(&store, &SecurityRuleStore::trustedShopsChanged, this,
            [&] { seenSize = store.trustedShops().size(); });
    QSignalSpy shopsSpy(&store, &SecurityRuleStore::trustedShopsChanged);
    QSignalSpy patternsSpy(&store, &SecurityRuleStore::excludedPatternsChanged);

    store.setTrustedShops({});
    QCOMPARE(shopsSpy.count(), 1);
    QCOMPARE(seenSize, 0);
    store.setExcludedPatterns({});
    QCOMPARE(patternsSpy.count(), 1);
    QCOMPARE(writes.count(), 0);
    QCOMPARE(decoded<TrustedShop>(preferences->data(shopsKey)), defaultTrustedShops());

    store.saveTrustedShops();
    QCOMPARE(preferences->data(shopsKey), std::optional<QByteArray>("[]"));
}

void tst_SecurityRuleStore::setModesWriteRawValues()
{
    auto preferences = openPreferences();
    SecurityRuleStore store(*preferences);
    SearchFilterMode seenMode = SearchFilterMode::excludeSuspicious;
    connect(&store, &SecurityRuleStore::filterModeChanged, this,
            [&] { seenMode = store.filterMode(); });
    QSignalSpy engineSpy(&store, &SecurityRuleStore::searchEngineChanged);

    store.setFilterMode(SearchFilterMode::directShopSearch);
    QCOMPARE(seenMode, SearchFilterMode::directShopSearch);
    QCOMPARE(preferences->string(modeKey), std::optional<QString>(u"directShopSearch"_s));
    store.setSearchEngine(SearchTargetEngine::googleWeb);
    QCOMPARE(engineSpy.count(), 1);
    QCOMPARE(preferences->string(engineKey), std::optional<QString>(u"googleWeb"_s));

    SecurityRuleStore next(*openPreferences());
    QCOMPARE(next.filterMode(), SearchFilterMode::directShopSearch);
    QCOMPARE(next.searchEngine(), SearchTargetEngine::googleWeb);
}

void tst_SecurityRuleStore::addCustomShopNormalisesDomain()
{
    auto preferences = openPreferences();
    SecurityRuleStore store(*preferences);
    QSignalSpy spy(&store, &SecurityRuleStore::trustedShopsChanged);
    store.addCustomShop(u"自作ショップ"_s, u"  My-Shop.EXAMPLE.jp \n"_s, u""_s,
                        u"https://my-shop.example.jp/?q={query}"_s);
    QCOMPARE(spy.count(), 1);
    QCOMPARE(store.trustedShops().size(), 26);
    const TrustedShop added = store.trustedShops().last();
    QCOMPARE(added.name, u"自作ショップ"_s);
    QCOMPARE(added.domain, u"my-shop.example.jp"_s);
    QCOMPARE(added.category, QString());
    QCOMPARE(added.searchUrlTemplate, u"https://my-shop.example.jp/?q={query}"_s);
    QVERIFY(added.isEnabled);
    QVERIFY(added.isCustom);
    QVERIFY(!added.id.isNull());
    QVERIFY(!defaultTrustedShops().contains(added));
    QCOMPARE(decoded<TrustedShop>(preferences->data(shopsKey)), store.trustedShops());

    // No validation, no duplicate check.
    store.addCustomShop(QString(), u"amazon.co.jp"_s, QString(), QString());
    store.addCustomShop(QString(), u"  \t "_s, QString(), QString());
    QCOMPARE(store.trustedShops().size(), 28);
    QCOMPARE(store.trustedShops().last().domain, QString());
    QCOMPARE(decoded<TrustedShop>(preferences->data(shopsKey)).size(), 28);
}

void tst_SecurityRuleStore::addCustomPatternNormalisesPattern()
{
    auto preferences = openPreferences();
    SecurityRuleStore store(*preferences);
    store.addCustomPattern(u" *.SHOP\r\n"_s, QString());
    store.addCustomPattern(u"ＥＸＡＭＰＬＥ．ｊｐ　"_s, u" 理由 "_s);
    QCOMPARE(store.excludedPatterns().size(), 22);
    const ExcludedPattern first = store.excludedPatterns().at(20);
    QCOMPARE(first.pattern, u"*.shop"_s);
    QCOMPARE(first.reason, QString());
    QVERIFY(first.isEnabled);
    QVERIFY(first.isCustom);
    // Full-width letters lower-case; the ideographic space is trimmed.
    QCOMPARE(store.excludedPatterns().at(21).pattern, u"ｅｘａｍｐｌｅ．ｊｐ"_s);
    QCOMPARE(store.excludedPatterns().at(21).reason, u" 理由 "_s);
    QCOMPARE(decoded<ExcludedPattern>(preferences->data(patternsKey)), store.excludedPatterns());
}

void tst_SecurityRuleStore::toggleAndRemove()
{
    auto preferences = openPreferences();
    SecurityRuleStore store(*preferences);
    const QUuid shopId = store.trustedShops().at(1).id;
    const QUuid patternId = store.excludedPatterns().at(0).id;

    store.toggleShop(shopId);
    QVERIFY(!store.trustedShops().at(1).isEnabled);
    QVERIFY(!decoded<TrustedShop>(preferences->data(shopsKey)).at(1).isEnabled);
    store.toggleShop(shopId);
    QVERIFY(store.trustedShops().at(1).isEnabled);

    store.togglePattern(patternId);
    QVERIFY(!store.excludedPatterns().at(0).isEnabled);
    QVERIFY(!decoded<ExcludedPattern>(preferences->data(patternsKey)).at(0).isEnabled);

    // Every row with the id goes; the others keep their order.
    QList<TrustedShop> shops = store.trustedShops();
    shops.append(shops.at(1));
    store.setTrustedShops(shops);
    store.removeShop(shopId);
    QCOMPARE(store.trustedShops().size(), 24);
    QCOMPARE(store.trustedShops().at(0).domain, u"amazon.co.jp"_s);
    QCOMPARE(store.trustedShops().at(1).domain, u"shopping.yahoo.co.jp"_s);
    QCOMPARE(decoded<TrustedShop>(preferences->data(shopsKey)), store.trustedShops());

    store.removePattern(patternId);
    QCOMPARE(store.excludedPatterns().size(), 19);
    QCOMPARE(store.excludedPatterns().first().pattern, u"*.xyz"_s);
    QCOMPARE(decoded<ExcludedPattern>(preferences->data(patternsKey)), store.excludedPatterns());
}

void tst_SecurityRuleStore::unknownIdsChangeNothing()
{
    auto preferences = openPreferences();
    SecurityRuleStore store(*preferences);
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
    QCOMPARE(writes.at(0).at(0).toString(), shopsKey);
    QCOMPARE(writes.at(1).at(0).toString(), patternsKey);
    QCOMPARE(store.trustedShops(), defaultTrustedShops());
    QCOMPARE(store.excludedPatterns(), defaultExcludedPatterns());
}

void tst_SecurityRuleStore::resetToDefaults()
{
    auto preferences = openPreferences();
    SecurityRuleStore store(*preferences);
    store.addCustomShop(u"a"_s, u"a.example"_s, u"c"_s, u"t"_s);
    store.removeShop(store.trustedShops().first().id);
    store.toggleShop(store.trustedShops().first().id);
    store.addCustomPattern(u"*.shop"_s, QString());
    store.togglePattern(store.excludedPatterns().first().id);
    store.setFilterMode(SearchFilterMode::trustedOnly);
    store.setSearchEngine(SearchTargetEngine::googleWeb);

    QSignalSpy modeSpy(&store, &SecurityRuleStore::filterModeChanged);
    store.resetToDefaults();
    QVERIFY(modeSpy.count() >= 1);
    QCOMPARE(store.trustedShops(), defaultTrustedShops());
    QCOMPARE(store.excludedPatterns(), defaultExcludedPatterns());
    QCOMPARE(store.filterMode(), SearchFilterMode::excludeSuspicious);
    QCOMPARE(store.searchEngine(), SearchTargetEngine::googleShopping);
    QCOMPARE(decoded<TrustedShop>(preferences->data(shopsKey)), defaultTrustedShops());
    QCOMPARE(decoded<ExcludedPattern>(preferences->data(patternsKey)), defaultExcludedPatterns());
    QCOMPARE(preferences->string(modeKey), std::optional<QString>(u"excludeSuspicious"_s));
    QCOMPARE(preferences->string(engineKey), std::optional<QString>(u"googleShopping"_s));
}

void tst_SecurityRuleStore::removalsSurviveRestart()
{
    QUuid removed;
    {
        auto preferences = openPreferences();
        SecurityRuleStore store(*preferences);
        removed = store.trustedShops().at(4).id;
        store.removeShop(removed);
    }
    {
        auto preferences = openPreferences();
        SecurityRuleStore store(*preferences);
        QCOMPARE(store.trustedShops().size(), 24);
        QVERIFY(std::none_of(store.trustedShops().cbegin(), store.trustedShops().cend(),
                             [&](const TrustedShop &shop) { return shop.id == removed; }));
        // Removing every row leaves an empty list, which reads as missing.
        const QList<TrustedShop> shops = store.trustedShops();
        for (const TrustedShop &shop : shops)
            store.removeShop(shop.id);
        QVERIFY(store.trustedShops().isEmpty());
        QCOMPARE(preferences->data(shopsKey), std::optional<QByteArray>("[]"));
    }
    auto preferences = openPreferences();
    SecurityRuleStore store(*preferences);
    QCOMPARE(store.trustedShops(), defaultTrustedShops());
}

void tst_SecurityRuleStore::largeListsRoundTrip()
{
    QList<TrustedShop> shops;
    QList<ExcludedPattern> patterns;
    for (int i = 0; i < 10000; ++i) {
        shops.append(TrustedShop::create(u"店 %1"_s.arg(i), u"shop%1.example"_s.arg(i), u"c"_s,
                                         u"https://shop%1.example/?q={query}"_s.arg(i), i % 2 == 0,
                                         true));
        patterns.append(ExcludedPattern::create(u"*.tld%1"_s.arg(i), QString(), i % 3 != 0, true));
    }
    {
        auto preferences = openPreferences();
        SecurityRuleStore store(*preferences);
        store.setTrustedShops(shops);
        store.setExcludedPatterns(patterns);
        store.saveTrustedShops();
        store.saveExcludedPatterns();
    }
    auto preferences = openPreferences();
    SecurityRuleStore store(*preferences);
    QCOMPARE(store.trustedShops(), shops);
    QCOMPARE(store.excludedPatterns(), patterns);
}

QTEST_GUILESS_MAIN(tst_SecurityRuleStore)
#include "tst_securityrulestore.moc"

#include "rules/SecurityRuleStore.h"

#include "prefs/SettingsPreferencesStore.h"
#include "rules/DefaultRules.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
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
    const QJsonArray array = QJsonDocument::fromJson(bytes.value_or(QByteArray())).array();
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
    void init() { QVERIFY(m_dir.emplace().isValid()); }
    void firstStart();
    void storedModesLoad_data();
    void storedModesLoad();
    void badListsFallBack_data();
    void badListsFallBack();
    void backupKeepsTheLatest();
    void readableForeignJsonLoadsUnchanged();
    void snapshotsFollowTheLists();
    void addCustomRulesNormalise();
    void toggleAndRemove();
    void settersTellAfterTheChangeAndResetRestores();

private:
    QString settingsPath() const { return m_dir->filePath(u"prefs.ini"_s); }
    std::unique_ptr<SettingsPreferencesStore> openPreferences() const
    {
        return std::make_unique<SettingsPreferencesStore>(settingsPath());
    }

    std::optional<QTemporaryDir> m_dir;
};

void tst_SecurityRuleStore::firstStart()
{
    auto preferences = openPreferences();
    QSignalSpy writes(preferences.get(), &PreferencesStore::valueChanged);
    SecurityRuleStore store(*preferences);
    QCOMPARE(store.filterMode(), SearchFilterMode::excludeSuspicious);
    QCOMPARE(store.searchEngine(), SearchTargetEngine::googleShopping);
    QCOMPARE(store.trustedShops(), defaultTrustedShops());
    QCOMPARE(store.excludedPatterns(), defaultExcludedPatterns());

    // Only the lists are written, as compact JSON arrays in list order.
    QCOMPARE(writes.count(), 2);
    QCOMPARE(writes.at(0).at(0).toString(), shopsKey);
    QCOMPARE(writes.at(1).at(0).toString(), patternsKey);
    QCOMPARE(preferences->string(modeKey), std::nullopt);
    QCOMPARE(preferences->string(engineKey), std::nullopt);
    QCOMPARE(preferences->data(shopsBackupKey), std::nullopt);
    const std::optional<QByteArray> shopBytes
        = SettingsPreferencesStore(settingsPath()).data(shopsKey);
    QVERIFY(shopBytes && shopBytes->startsWith("[{") && !shopBytes->contains('\n'));
    QCOMPARE(decoded<TrustedShop>(shopBytes), defaultTrustedShops());
    QCOMPARE(decoded<ExcludedPattern>(preferences->data(patternsKey)), defaultExcludedPatterns());
}

void tst_SecurityRuleStore::storedModesLoad_data()
{
    QTest::addColumn<QByteArray>("modeLine");
    QTest::addColumn<QByteArray>("engineLine");
    QTest::addColumn<bool>("readable");

    // As a hand edit or an earlier version would have left the file.
    QTest::newRow("raw values") << QByteArray("directShopSearch") << QByteArray("googleWeb")
                                << true;
    QTest::newRow("wrong case") << QByteArray("DirectShopSearch") << QByteArray("GoogleWeb")
                                << false;
    QTest::newRow("bytes") << QByteArray("@ByteArray(directShopSearch)")
                           << QByteArray("@ByteArray(googleWeb)") << false;
}

void tst_SecurityRuleStore::storedModesLoad()
{
    QFETCH(QByteArray, modeLine);
    QFETCH(QByteArray, engineLine);
    QFETCH(bool, readable);
    {
        QFile file(settingsPath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("[General]\nvelmora_filter_mode_v1=" + modeLine
                   + "\nvelmora_search_engine_v1=" + engineLine + '\n');
    }
    auto preferences = openPreferences();
    const std::optional<QString> storedMode = preferences->string(modeKey);
    const std::optional<QString> storedEngine = preferences->string(engineKey);
    SecurityRuleStore store(*preferences);
    QCOMPARE(store.filterMode(),
             readable ? SearchFilterMode::directShopSearch : SearchFilterMode::excludeSuspicious);
    QCOMPARE(store.searchEngine(),
             readable ? SearchTargetEngine::googleWeb : SearchTargetEngine::googleShopping);
    // The fallback is not written back: whatever was there stays.
    QCOMPARE(preferences->string(modeKey), storedMode);
    QCOMPARE(preferences->string(engineKey), storedEngine);
}

void tst_SecurityRuleStore::badListsFallBack_data()
{
    QTest::addColumn<QByteArray>("stored");
    QTest::addColumn<bool>("backedUp"); // false: an empty list, nothing worth keeping

    const QByteArray shop = encoded(QList<TrustedShop> {TrustedShop::create(
        u"自作"_s, u"mine.example"_s, u"c"_s, u"https://mine.example/?q={query}"_s, true, true)});
    QTest::newRow("empty array") << QByteArray("[]") << false;
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

void tst_SecurityRuleStore::backupKeepsTheLatest()
{
    auto preferences = openPreferences();
    const auto startWith = [&](const QByteArray &shops) {
        preferences->setData(shopsKey, shops);
        SecurityRuleStore store(*preferences);
    };
    startWith("[{broken");
    QCOMPARE(preferences->data(shopsBackupKey), std::optional<QByteArray>("[{broken"));
    // A readable list (here the defaults just written) leaves the backup alone.
    SecurityRuleStore {*preferences};
    QCOMPARE(preferences->data(shopsBackupKey), std::optional<QByteArray>("[{broken"));
    startWith("[{broken again");
    QCOMPARE(preferences->data(shopsBackupKey), std::optional<QByteArray>("[{broken again"));
    // Nothing stored in an empty value: an earlier backup is worth more.
    startWith(QByteArray());
    QCOMPARE(preferences->data(shopsBackupKey), std::optional<QByteArray>("[{broken again"));
}

void tst_SecurityRuleStore::readableForeignJsonLoadsUnchanged()
{
    // Pretty-printed, extra keys, any order (field decoding is tested with the records).
    const QByteArray json = R"([ {"isCustom": true, "extra": null, "isEnabled": false,
       "searchUrlTemplate": "t", "category": "", "domain": "mine.example", "name": "自作",
       "id": "0f8e0c2a-6b1d-4a53-9b5e-3c2d1e0f9a8b"} ])";
    auto preferences = openPreferences();
    preferences->setData(shopsKey, json);
    QSignalSpy writes(preferences.get(), &PreferencesStore::valueChanged);
    SecurityRuleStore store(*preferences);
    QCOMPARE(store.trustedShops(), decoded<TrustedShop>(json));
    QCOMPARE(store.trustedShops().size(), 1);
    // A readable list is not rewritten; only the missing pattern list is.
    QCOMPARE(writes.count(), 1);
    QCOMPARE(writes.at(0).at(0).toString(), patternsKey);
    QCOMPARE(preferences->data(shopsKey), std::optional<QByteArray>(json));
}

void tst_SecurityRuleStore::snapshotsFollowTheLists()
{
    auto preferences = openPreferences();
    SecurityRuleStore store(*preferences);
    QSignalSpy published(&store, &SecurityRuleStore::ruleSetChanged);
    const std::shared_ptr<const RuleSet> before = store.ruleSet();
    QCOMPARE(before->match(u"www.amazon.co.jp"_s).shop->name, u"Amazon.co.jp"_s);
    QCOMPARE(before->match(u"cheap.top"_s).patternReasons,
             QStringList {u"悪質詐欺通販サイトで多発するTLD"_s});

    store.toggleShop(store.trustedShops().constFirst().id);
    store.addCustomPattern(u" *.Top "_s, QString());
    QCOMPARE(published.count(), 2);
    const std::shared_ptr<const RuleSet> after = store.ruleSet();
    QCOMPARE(after->match(u"www.amazon.co.jp"_s).shop, nullptr);
    QCOMPARE(after->match(u"cheap.top"_s).patternReasons,
             (QStringList {u"悪質詐欺通販サイトで多発するTLD"_s,
                           u"危険なTLD/ドメインパターン (*.top) に一致"_s}));
    // A holder of the old snapshot keeps judging by it.
    QVERIFY(before->match(u"www.amazon.co.jp"_s).shop);
    QCOMPARE(before->match(u"cheap.top"_s).patternReasons.size(), 1);
}

void tst_SecurityRuleStore::addCustomRulesNormalise()
{
    auto preferences = openPreferences();
    SecurityRuleStore store(*preferences);
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

    store.addCustomPattern(u" *.SHOP\r\n"_s, QString());
    // Full-width letters lower-case; the ideographic space is trimmed; the
    // reason is kept as typed.
    store.addCustomPattern(u"ＥＸＡＭＰＬＥ．ｊｐ　"_s, u" 理由 "_s);
    const QList<ExcludedPattern> patterns = store.excludedPatterns().last(2);
    QCOMPARE(patterns.first().pattern, u"*.shop"_s);
    QVERIFY(patterns.first().isEnabled && patterns.first().isCustom);
    QVERIFY(patterns.first().reason.isEmpty());
    QCOMPARE(patterns.last().pattern, u"ｅｘａｍｐｌｅ．ｊｐ"_s);
    QCOMPARE(patterns.last().reason, u" 理由 "_s);
    QCOMPARE(decoded<ExcludedPattern>(preferences->data(patternsKey)), store.excludedPatterns());
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
    QCOMPARE(decoded<TrustedShop>(preferences->data(shopsKey)), defaultTrustedShops());
    store.setFilterMode(SearchFilterMode::trustedOnly);
    QCOMPARE(seenMode, SearchFilterMode::trustedOnly);
    store.setSearchEngine(SearchTargetEngine::googleWeb);
    QCOMPARE(engineSpy.count(), 1);
    QCOMPARE(preferences->string(modeKey), std::optional<QString>(u"trustedOnly"_s));
    QCOMPARE(preferences->string(engineKey), std::optional<QString>(u"googleWeb"_s));
    QCOMPARE(SecurityRuleStore(*openPreferences()).filterMode(), SearchFilterMode::trustedOnly);

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

QTEST_GUILESS_MAIN(tst_SecurityRuleStore)
#include "tst_securityrulestore.moc"

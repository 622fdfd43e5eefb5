#include "rules/SecurityRuleStore.h"

#include "address/DirectionControls.h"
#include "prefs/PreferencesStore.h"
#include "prefs/StoredJson.h"
#include "rules/DefaultRules.h"

#include <algorithm>

namespace {

QString keyText(const char *key)
{
    return QString::fromLatin1(key);
}

// Lower-cased first, then trimmed, as user-entered domains and patterns are
// stored.
QString normalisedRuleText(const QString &text)
{
    return text.toLower().trimmed();
}

// Reads a stored list. Gives none when the defaults must take over; before
// that happens, whatever was stored but cannot be read is copied aside so
// the user's rows are never destroyed unread.
template<typename Row>
std::optional<QList<Row>> readList(PreferencesStore &preferences, const QString &key)
{
    if (const std::optional<QByteArray> bytes = preferences.data(key)) {
        if (std::optional<QList<Row>> rows = StoredJson::decodeArray<Row>(*bytes))
            return rows->isEmpty() ? std::nullopt : rows;
    }
    // Text where bytes belong reads as no data, yet it is still something the
    // user had; keep it too. An empty value holds nothing worth a backup and
    // must not replace an earlier, real one.
    if (const std::optional<QByteArray> raw = preferences.rawBytes(key); raw && !raw->isEmpty())
        preferences.keepUnreadable(key, *raw);
    return std::nullopt;
}

} // namespace

SecurityRuleStore::SecurityRuleStore(PreferencesStore &preferences, QObject *parent)
    : QObject(parent)
    , m_preferences(preferences)
{
    loadSettings();
}

void SecurityRuleStore::setTrustedShops(const QList<TrustedShop> &shops)
{
    m_trustedShops = shops;
    Q_EMIT trustedShopsChanged();
    publishRuleSet();
}

void SecurityRuleStore::setExcludedPatterns(const QList<ExcludedPattern> &patterns)
{
    m_excludedPatterns = patterns;
    Q_EMIT excludedPatternsChanged();
    publishRuleSet();
}

void SecurityRuleStore::setSubscribedLists(const QList<SubscribedList> &lists)
{
    // The shops and patterns keep their index; only the lists change.
    m_ruleSet = std::make_shared<const RuleSet>(m_ruleSet->withSubscribedLists(lists));
    Q_EMIT ruleSetChanged();
}

void SecurityRuleStore::publishRuleSet()
{
    m_ruleSet = std::make_shared<const RuleSet>(m_trustedShops, m_excludedPatterns,
                                                m_ruleSet->subscribedLists());
    Q_EMIT ruleSetChanged();
}

void SecurityRuleStore::assignFilterMode(SearchFilterMode mode)
{
    m_filterMode = mode;
    Q_EMIT filterModeChanged();
}

void SecurityRuleStore::assignSearchEngine(SearchTargetEngine engine)
{
    m_searchEngine = engine;
    Q_EMIT searchEngineChanged();
}

void SecurityRuleStore::loadSettings()
{
    // Unrecognised mode texts fall back in memory only; the stored text stays
    // until the user picks a mode.
    const std::optional<QString> modeText = m_preferences.string(keyText(filterModeKey));
    const std::optional<SearchFilterMode> mode
        = modeText ? searchFilterModeFromRawValue(*modeText) : std::nullopt;
    assignFilterMode(mode.value_or(SearchFilterMode::excludeSuspicious));

    const std::optional<QString> engineText = m_preferences.string(keyText(searchEngineKey));
    const std::optional<SearchTargetEngine> engine
        = engineText ? searchTargetEngineFromRawValue(*engineText) : std::nullopt;
    assignSearchEngine(engine.value_or(SearchTargetEngine::googleShopping));

    if (auto shops = readList<TrustedShop>(m_preferences, keyText(trustedShopsKey))) {
        setTrustedShops(*shops);
    } else {
        setTrustedShops(defaultTrustedShops());
        saveTrustedShops();
    }

    if (auto patterns = readList<ExcludedPattern>(m_preferences, keyText(excludedPatternsKey))) {
        setExcludedPatterns(*patterns);
    } else {
        setExcludedPatterns(defaultExcludedPatterns());
        saveExcludedPatterns();
    }
}

void SecurityRuleStore::setFilterMode(SearchFilterMode mode)
{
    assignFilterMode(mode);
    m_preferences.setString(keyText(filterModeKey), rawValue(mode));
}

void SecurityRuleStore::setSearchEngine(SearchTargetEngine engine)
{
    assignSearchEngine(engine);
    m_preferences.setString(keyText(searchEngineKey), rawValue(engine));
}

void SecurityRuleStore::saveTrustedShops()
{
    m_preferences.setData(keyText(trustedShopsKey), StoredJson::encodeArray(m_trustedShops));
}

void SecurityRuleStore::saveExcludedPatterns()
{
    m_preferences.setData(keyText(excludedPatternsKey),
                          StoredJson::encodeArray(m_excludedPatterns));
}

bool SecurityRuleStore::addCustomShop(const QString &name, const QString &domain,
                                      const QString &category, const QString &searchUrlTemplate)
{
    const QString normalised = normalisedRuleText(domain);
    if (RuleSet::isSharedSuffix(normalised))
        return false;
    QList<TrustedShop> shops = m_trustedShops;
    shops.append(TrustedShop::create(DirectionControls::removed(name), normalised,
                                     DirectionControls::removed(category), searchUrlTemplate, true,
                                     true));
    setTrustedShops(shops);
    saveTrustedShops();
    return true;
}

void SecurityRuleStore::toggleShop(const QUuid &id)
{
    const auto found = std::find_if(m_trustedShops.cbegin(), m_trustedShops.cend(),
                                    [&id](const TrustedShop &shop) { return shop.id == id; });
    if (found == m_trustedShops.cend())
        return;
    QList<TrustedShop> shops = m_trustedShops;
    TrustedShop &shop = shops[found - m_trustedShops.cbegin()];
    shop.isEnabled = !shop.isEnabled;
    setTrustedShops(shops);
    saveTrustedShops();
}

void SecurityRuleStore::removeShop(const QUuid &id)
{
    QList<TrustedShop> shops = m_trustedShops;
    shops.removeIf([&id](const TrustedShop &shop) { return shop.id == id; });
    setTrustedShops(shops);
    saveTrustedShops();
}

void SecurityRuleStore::addCustomPattern(const QString &pattern, const QString &reason)
{
    QList<ExcludedPattern> patterns = m_excludedPatterns;
    patterns.append(ExcludedPattern::create(normalisedRuleText(pattern),
                                            DirectionControls::removed(reason), true, true));
    setExcludedPatterns(patterns);
    saveExcludedPatterns();
}

void SecurityRuleStore::togglePattern(const QUuid &id)
{
    const auto found
        = std::find_if(m_excludedPatterns.cbegin(), m_excludedPatterns.cend(),
                       [&id](const ExcludedPattern &pattern) { return pattern.id == id; });
    if (found == m_excludedPatterns.cend())
        return;
    QList<ExcludedPattern> patterns = m_excludedPatterns;
    ExcludedPattern &pattern = patterns[found - m_excludedPatterns.cbegin()];
    pattern.isEnabled = !pattern.isEnabled;
    setExcludedPatterns(patterns);
    saveExcludedPatterns();
}

void SecurityRuleStore::removePattern(const QUuid &id)
{
    QList<ExcludedPattern> patterns = m_excludedPatterns;
    patterns.removeIf([&id](const ExcludedPattern &pattern) { return pattern.id == id; });
    setExcludedPatterns(patterns);
    saveExcludedPatterns();
}

void SecurityRuleStore::resetToDefaults()
{
    setTrustedShops(defaultTrustedShops());
    setExcludedPatterns(defaultExcludedPatterns());
    assignFilterMode(SearchFilterMode::excludeSuspicious);
    assignSearchEngine(SearchTargetEngine::googleShopping);
    saveTrustedShops();
    saveExcludedPatterns();
    setFilterMode(SearchFilterMode::excludeSuspicious);
    setSearchEngine(SearchTargetEngine::googleShopping);
}

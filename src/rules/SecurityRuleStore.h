#pragma once

#include "rules/ExcludedPattern.h"
#include "rules/RuleSet.h"
#include "rules/SearchFilterMode.h"
#include "rules/SearchTargetEngine.h"
#include "rules/TrustedShop.h"

#include <QList>
#include <QObject>
#include <QUuid>

#include <memory>

class PreferencesStore;

// Single owner of the user's rules and search settings. Plain setters change
// memory only (and emit); the named operations also write to the preferences
// store at once.
class SecurityRuleStore final : public QObject
{
    Q_OBJECT

public:
    static constexpr auto trustedShopsKey = "velmora_trusted_shops_v1";
    static constexpr auto excludedPatternsKey = "velmora_excluded_patterns_v1";
    static constexpr auto filterModeKey = "velmora_filter_mode_v1";
    static constexpr auto searchEngineKey = "velmora_search_engine_v1";

    explicit SecurityRuleStore(PreferencesStore &preferences, QObject *parent = nullptr);

    const QList<TrustedShop> &trustedShops() const { return m_trustedShops; }
    const QList<ExcludedPattern> &excludedPatterns() const { return m_excludedPatterns; }
    SearchFilterMode filterMode() const { return m_filterMode; }
    SearchTargetEngine searchEngine() const { return m_searchEngine; }
    // The current rules as one immutable snapshot, rebuilt whenever a list
    // changes; a holder keeps judging by the rules it took until it takes
    // the next one.
    std::shared_ptr<const RuleSet> ruleSet() const { return m_ruleSet; }

    // Memory only: a caller editing a list directly saves it itself.
    void setTrustedShops(const QList<TrustedShop> &shops);
    void setExcludedPatterns(const QList<ExcludedPattern> &patterns);
    // The subscribed block lists the snapshot judges with beside the user's
    // own rules; they are kept by their own store, so nothing is written.
    void setSubscribedLists(const QList<SubscribedList> &lists);

    void loadSettings();
    void setFilterMode(SearchFilterMode mode);
    void setSearchEngine(SearchTargetEngine engine);
    void saveTrustedShops();
    void saveExcludedPatterns();
    // False, adding nothing, for a domain many sites share (RuleSet::isSharedSuffix).
    bool addCustomShop(const QString &name, const QString &domain, const QString &category,
                       const QString &searchUrlTemplate);
    void toggleShop(const QUuid &id);
    void removeShop(const QUuid &id);
    void addCustomPattern(const QString &pattern, const QString &reason);
    void togglePattern(const QUuid &id);
    void removePattern(const QUuid &id);
    void resetToDefaults();

Q_SIGNALS:
    void trustedShopsChanged();
    void excludedPatternsChanged();
    void filterModeChanged();
    void searchEngineChanged();
    void ruleSetChanged();

private:
    // Memory-only assignments of the modes, emitting like the list setters.
    void assignFilterMode(SearchFilterMode mode);
    void assignSearchEngine(SearchTargetEngine engine);
    void publishRuleSet();

    PreferencesStore &m_preferences;
    QList<TrustedShop> m_trustedShops;
    QList<ExcludedPattern> m_excludedPatterns;
    SearchFilterMode m_filterMode = SearchFilterMode::excludeSuspicious;
    SearchTargetEngine m_searchEngine = SearchTargetEngine::googleShopping;
    std::shared_ptr<const RuleSet> m_ruleSet = std::make_shared<const RuleSet>();
};

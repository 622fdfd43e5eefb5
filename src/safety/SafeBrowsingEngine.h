#pragma once

#include "address/LoadTarget.h"
#include "rules/RuleSet.h"
#include "rules/SearchFilterMode.h"
#include "rules/SearchTargetEngine.h"
#include "rules/TrustedShop.h"
#include "safety/SafetyLevel.h"

#include <QString>
#include <QStringList>
#include <QStringView>
#include <QUrl>

#include <optional>

class SecurityRuleStore;

// Stateless: every operation depends only on its arguments, so callers may
// share one instance or make their own.
class SafeBrowsingEngine
{
public:
    // Google's web-search host for Japan.
    static constexpr auto googleSearchHost = "www.google.co.jp";
    static constexpr int maxRuleTerms = 15;

    // User-provided so that a plain "const SafeBrowsingEngine engine;" compiles.
    constexpr SafeBrowsingEngine() noexcept { }

    static QString hyphenRuleReason();

    // The verdict on the address the web engine will open, against a rule
    // snapshot. In order: no host to judge (about:blank, data:) gives
    // neutral "不明", an address that would load content from no sound host
    // is suspicious, an enabled certified shop is trusted, a built-in safe
    // domain neutral; then the user's patterns, the subscribed lists, the
    // hyphen rule and the host signals add reasons, and signals too weak to
    // block give a caution. A subscribed list never blocks the official
    // domains of the built-in brands or the major sites; only the user's own
    // patterns can.
    SafetyLevel evaluateSafety(const QUrl &url, const RuleSet &rules) const;
    // address: the whole address, for the lists' path patterns and regular
    // expressions. Where its scheme or host is not the target's (QUrl read
    // the text otherwise than the engine does), or it is empty, the lists
    // judge the target's scheme and host alone.
    SafetyLevel evaluateSafety(const LoadTarget &target, const QUrl &address,
                               const RuleSet &rules) const;
    SafetyLevel evaluateSafety(const LoadTarget &target, const RuleSet &rules) const;
    // Judges against the store's current snapshot.
    SafetyLevel evaluateSafety(const QUrl &url, const SecurityRuleStore &store) const;

    std::optional<QUrl> buildSearchURL(const QString &query, SearchFilterMode mode,
                                       SearchTargetEngine engine, const SecurityRuleStore &store,
                                       const std::optional<TrustedShop> &directShop) const;

    // Percent-encodes a query for a shop's search template: UTF-8, upper-case
    // hex, only ASCII letters, digits and - . _ ~ left as they are. Used by the
    // direct shop search and the search bar's shop chips alike.
    static QString encodeShopQuery(const QString &query);
    // A shop's search template with every "{query}" replaced by the encoded
    // query; the text as it stands, not yet parsed.
    static QString fillShopTemplate(const QString &searchUrlTemplate, const QString &query);
};

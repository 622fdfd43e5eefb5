#pragma once

#include "rules/BrandIndex.h"
#include "rules/ExcludedPattern.h"
#include "rules/TrustedShop.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVarLengthArray>

// An immutable snapshot of the enabled certified shops and excluded patterns,
// indexed by the hosts they cover: a verdict looks up the host and each of
// its parent names instead of trying every rule, so a hundred thousand
// patterns cost what twenty do.
//
// Rules keep the meaning they always had: "*.x" and "x" cover x and every
// host below it, texts are compared lower-cased and trimmed, and a rule in
// Unicode also covers its punycode spelling.
class RuleSet final
{
public:
    // No rules at all.
    RuleSet() = default;
    RuleSet(const QList<TrustedShop> &shops, const QList<ExcludedPattern> &patterns);
    RuleSet(const RuleSet &) = delete;
    RuleSet &operator=(const RuleSet &) = delete;

    struct Match
    {
        // The first enabled shop in list order that covers the host.
        const TrustedShop *shop = nullptr;
        // Where no shop does: one reason per enabled pattern covering the
        // host, in list order, the pattern's own reason or the fallback
        // naming the pattern as stored.
        QStringList patternReasons;
    };
    // host: lower-case ASCII (punycode), no trailing dot.
    Match match(QStringView host) const;

    // The enabled certified shops as names a look-alike host may spell.
    const BrandIndex &certifiedNames() const { return m_certifiedNames; }

    qsizetype enabledShopCount() const { return m_shops.size(); }
    qsizetype enabledPatternCount() const { return m_patterns.size(); }

    static QString fallbackReason(const QString &pattern);

    // Subscribed block lists join the snapshot here, as further indexed
    // sources consulted after the user's own patterns.

private:
    // Every key a rule text covers hosts by: its ASCII spelling, and for a
    // Unicode text also its punycode one.
    static QStringList hostKeys(const QString &rule);
    struct Entry
    {
        QList<qsizetype> shops;
        QList<qsizetype> patterns;
    };
    void addKeys(const QString &rule, qsizetype row, QList<qsizetype> Entry::*rows);

    QList<TrustedShop> m_shops;
    QList<ExcludedPattern> m_patterns;
    // The index points into m_keyStorage.
    QStringList m_keyStorage;
    // Shops and patterns by every host key; a verdict looks up the host and
    // each parent name once.
    QHash<QStringView, Entry> m_index;
    BrandIndex m_certifiedNames;
};

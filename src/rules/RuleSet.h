#pragma once

#include "blocklist/SubscribedList.h"
#include "rules/BrandIndex.h"
#include "rules/ExcludedPattern.h"
#include "rules/TrustedShop.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QUrl>

#include <memory>

// An immutable snapshot of the enabled certified shops and excluded patterns,
// indexed by the hosts they cover, and of the subscribed block lists: a
// verdict looks up the host and each of its parent names instead of trying
// every rule, so a hundred thousand patterns cost what twenty do.
//
// Rules keep the meaning they always had: "*.x" and "x" cover x and every
// host below it, texts are compared lower-cased and trimmed, and a rule in
// Unicode also covers its punycode spelling.
//
// Copies are cheap and share the index: a change of the subscribed lists
// keeps the user's own rules as they were indexed.
class RuleSet final
{
public:
    // No rules at all.
    RuleSet();
    RuleSet(const QList<TrustedShop> &shops, const QList<ExcludedPattern> &patterns,
            const QList<SubscribedList> &lists = {});

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

    // The names of the subscribed lists that block the address, in list
    // order. None when an "@" rule of any list lifts it: a list's exception
    // lifts what another list blocks, as the extension reads them.
    // host: the address's host as match() takes it.
    struct ListBlock
    {
        QString name;
        bool anySite = false; // by a rule that names no site
    };
    QList<ListBlock> blockingLists(const QUrl &address, QStringView host) const;

    // The same shops and patterns, judged alongside other lists.
    RuleSet withSubscribedLists(const QList<SubscribedList> &lists) const;
    const QList<SubscribedList> &subscribedLists() const { return m_lists; }

    // The enabled certified shops as names a look-alike host may spell.
    const BrandIndex &certifiedNames() const;

    qsizetype enabledShopCount() const;
    qsizetype enabledPatternCount() const;

    static QString fallbackReason(const QString &pattern);
    // A shop domain many sites share (com, co.jp, github.io) would certify
    // every one of them, so it certifies none.
    static bool isSharedSuffix(const QString &shopDomain);

private:
    class OwnRules;

    std::shared_ptr<const OwnRules> m_own;
    QList<SubscribedList> m_lists;
};

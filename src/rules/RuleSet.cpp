#include "rules/RuleSet.h"

#include "address/DomainKey.h"
#include "address/PublicSuffixList.h"

#include <QUrl>
#include <QVarLengthArray>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Certified names shorter than this are too often ordinary words or
// surnames ("gamers", "kojima") to count with a typo.
constexpr qsizetype certifiedTypoLength = 7;
constexpr qsizetype certifiedKeyLength = 6;

bool isAscii(QStringView text)
{
    char16_t bits = 0;
    for (const QChar c : text)
        bits |= c.unicode();
    return bits < 0x80;
}

QStringView withoutWildcard(QStringView pattern)
{
    return pattern.startsWith(u"*.") ? pattern.sliced(2) : pattern;
}

QString asciiLower(QStringView text)
{
    QString lowered = text.toString();
    for (QChar &c : lowered) {
        if (c.unicode() >= u'A' && c.unicode() <= u'Z')
            c = QChar(c.unicode() + (u'a' - u'A'));
    }
    return lowered;
}

BrandIndex certifiedNameIndex(const QList<TrustedShop> &shops, const QList<QString> &domains)
{
    QList<BrandIndex::Brand> brands;
    for (qsizetype i = 0; i < shops.size(); ++i) {
        const QString &domain = domains.at(i);
        const QString registrable = PublicSuffixList::system().registrableDomain(domain);
        if (registrable.isEmpty())
            continue;
        const QString label = registrable.first(registrable.indexOf(u'.'));
        const QString spelled = label.startsWith("xn--"_L1)
            ? QUrl::fromAce(label.toLatin1(), QUrl::IgnoreIDNWhitelist)
            : label;
        BrandIndex::Brand brand;
        brand.name = shops.at(i).name;
        brand.domain = domain;
        brand.officialDomains = {domain};
        brand.typoLength = certifiedTypoLength;
        brand.anyDomainIsPrefix = true;
        QString compact = spelled;
        compact.remove(u'-');
        if (!isAscii(compact))
            brand.localNames.append(spelled);
        else if (compact.size() >= certifiedKeyLength)
            brand.keys.append(compact);
        brands.append(brand);
    }
    return BrandIndex(brands);
}

} // namespace

// Shops and patterns with their host index. Never copied: the index points
// into the key storage.
class RuleSet::OwnRules
{
public:
    OwnRules() = default;
    OwnRules(const QList<TrustedShop> &shops, const QList<ExcludedPattern> &patterns);
    OwnRules(const OwnRules &) = delete;
    OwnRules &operator=(const OwnRules &) = delete;

    Match match(QStringView host) const;

    QList<TrustedShop> shops;
    QList<ExcludedPattern> patterns;
    BrandIndex certifiedNames;

    // Every key a rule text covers hosts by: its ASCII spelling, and for a
    // Unicode text also its punycode one.
    static QStringList hostKeys(const QString &rule);

private:
    struct Entry
    {
        QList<qsizetype> shops;
        QList<qsizetype> patterns;
    };
    void addKeys(const QStringList &keys, qsizetype row, QList<qsizetype> Entry::*rows);

    // The index points into m_keyStorage.
    QStringList m_keyStorage;
    // Shops and patterns by every host key; a verdict looks up the host and
    // each parent name once.
    QHash<DomainKey, Entry> m_index;
};

QStringList RuleSet::OwnRules::hostKeys(const QString &rule)
{
    const QStringView trimmed = QStringView(rule).trimmed();
    if (isAscii(trimmed))
        return {asciiLower(withoutWildcard(trimmed))};
    QStringList keys;
    const QString lowered = rule.toLower().trimmed();
    const QStringView base = withoutWildcard(lowered);
    if (isAscii(base))
        keys.append(base.toString());
    const QByteArray ace = QUrl::toAce(base.toString());
    if (!ace.isEmpty() && !keys.contains(QLatin1StringView(ace)))
        keys.append(QString::fromLatin1(ace));
    return keys;
}

namespace {

bool anyPublicSuffix(const QStringList &hostKeys)
{
    return std::any_of(hostKeys.cbegin(), hostKeys.cend(), [](const QString &key) {
        return PublicSuffixList::system().isPublicSuffix(key);
    });
}

} // namespace

bool RuleSet::isSharedSuffix(const QString &shopDomain)
{
    return anyPublicSuffix(OwnRules::hostKeys(shopDomain));
}

void RuleSet::OwnRules::addKeys(const QStringList &keys, qsizetype row,
                                QList<qsizetype> Entry::*rows)
{
    for (const QString &key : keys) {
        m_keyStorage.append(key);
        (m_index[QStringView(m_keyStorage.constLast())].*rows).append(row);
    }
}

RuleSet::OwnRules::OwnRules(const QList<TrustedShop> &allShops,
                            const QList<ExcludedPattern> &allPatterns)
{
    for (const TrustedShop &shop : allShops) {
        if (shop.isEnabled)
            shops.append(shop);
    }
    for (const ExcludedPattern &pattern : allPatterns) {
        if (pattern.isEnabled)
            patterns.append(pattern);
    }
    m_keyStorage.reserve(shops.size() + patterns.size());
    QList<QString> shopDomains;
    for (qsizetype row = 0; row < shops.size(); ++row) {
        const QStringList keys = hostKeys(shops.at(row).domain);
        if (!anyPublicSuffix(keys))
            addKeys(keys, row, &Entry::shops);
        shopDomains.append(keys.isEmpty() ? QString() : keys.constLast());
    }
    for (qsizetype row = 0; row < patterns.size(); ++row)
        addKeys(hostKeys(patterns.at(row).pattern), row, &Entry::patterns);
    certifiedNames = certifiedNameIndex(shops, shopDomains);
}

RuleSet::Match RuleSet::OwnRules::match(QStringView host) const
{
    Match match;
    if (m_index.isEmpty())
        return match;
    qsizetype shopRow = -1;
    QVarLengthArray<qsizetype, 8> patternRows;
    for (QStringView rest = host; !rest.isEmpty(); rest = parentName(rest)) {
        const auto found = m_index.constFind(rest);
        if (found != m_index.cend()) {
            for (const qsizetype row : found->shops)
                shopRow = shopRow < 0 ? row : std::min(shopRow, row);
            patternRows.append(found->patterns.constData(), found->patterns.size());
        }
    }
    if (shopRow >= 0) {
        match.shop = &shops.at(shopRow);
        return match;
    }
    // A pattern reached through two spellings still counts once.
    std::sort(patternRows.begin(), patternRows.end());
    patternRows.erase(std::unique(patternRows.begin(), patternRows.end()), patternRows.end());
    for (const qsizetype row : std::as_const(patternRows)) {
        const ExcludedPattern &pattern = patterns.at(row);
        match.patternReasons.append(pattern.reason.isEmpty() ? fallbackReason(pattern.pattern)
                                                             : pattern.reason);
    }
    return match;
}

RuleSet::RuleSet()
    : m_own(std::make_shared<const OwnRules>())
{ }

RuleSet::RuleSet(const QList<TrustedShop> &shops, const QList<ExcludedPattern> &patterns,
                 const QList<SubscribedList> &lists)
    : m_own(std::make_shared<const OwnRules>(shops, patterns))
{
    for (const SubscribedList &list : lists) {
        if (list.list)
            m_lists.append(list);
    }
}

RuleSet::Match RuleSet::match(QStringView host) const
{
    return m_own->match(host);
}

QList<RuleSet::ListBlock> RuleSet::blockingLists(const QUrl &address, QStringView host) const
{
    QList<ListBlock> blocks;
    for (const SubscribedList &list : m_lists) {
        const BlockList::Match match = list.list->match(address, host);
        switch (match.verdict) {
        case BlockList::Verdict::Unblocked:
            return {};
        case BlockList::Verdict::Blocked:
            blocks.append({list.name, match.anySite});
            break;
        case BlockList::Verdict::None:
            break;
        }
    }
    return blocks;
}

RuleSet RuleSet::withSubscribedLists(const QList<SubscribedList> &lists) const
{
    RuleSet copy;
    copy.m_own = m_own;
    for (const SubscribedList &list : lists) {
        if (list.list)
            copy.m_lists.append(list);
    }
    return copy;
}

const BrandIndex &RuleSet::certifiedNames() const
{
    return m_own->certifiedNames;
}

qsizetype RuleSet::enabledShopCount() const
{
    return m_own->shops.size();
}

qsizetype RuleSet::enabledPatternCount() const
{
    return m_own->patterns.size();
}

QString RuleSet::fallbackReason(const QString &pattern)
{
    return u"危険なTLD/ドメインパターン ("_s + pattern + u") に一致"_s;
}

#include "safety/SafeBrowsingEngine.h"

#include "address/PublicSuffixList.h"
#include "blocklist/MajorSites.h"
#include "rules/SecurityRuleStore.h"
#include "safety/AbusedHosting.h"
#include "safety/BuiltInBrands.h"
#include "safety/EnglishWords.h"
#include "safety/RiskyTopLevelDomains.h"
#include "safety/SafetyReasons.h"
#include "safety/ShopNameModel.h"
#include "safety/WebAddress.h"

#include <algorithm>
#include <array>

using namespace Qt::StringLiterals;

namespace {

// Search and portal services: never suspicious, whatever the patterns say.
constexpr std::array<QStringView, 6> safeDomains = {
    u"google.com", u"google.co.jp", u"yahoo.co.jp", u"bing.com", u"duckduckgo.com", u"apple.com",
};

constexpr char16_t asciiLower(char16_t c)
{
    return (c >= u'A' && c <= u'Z') ? char16_t(c + (u'a' - u'A')) : c;
}

// Both texts already trimmed; ASCII letters compared without case. True when
// host equals base or ends with "." + base.
bool hostIsOrIsBelow(QStringView host, QStringView base)
{
    const qsizetype baseSize = base.size();
    const qsizetype hostSize = host.size();
    if (baseSize > hostSize)
        return false;
    const qsizetype offset = hostSize - baseSize;
    // From the end: the last label is where different rules differ first.
    for (qsizetype i = baseSize - 1; i >= 0; --i) {
        if (asciiLower(host[offset + i].unicode()) != asciiLower(base[i].unicode()))
            return false;
    }
    return offset == 0 || host[offset - 1] == u'.';
}

QStringView withoutWildcard(QStringView pattern)
{
    const bool wildcard = pattern.size() >= 2 && pattern[0] == u'*' && pattern[1] == u'.';
    return wildcard ? pattern.sliced(2) : pattern;
}

// Hyphens and the dashes that pass for them in a name; the long vowel mark
// ー is no dash: スーパーマーケット uses it as a letter.
bool isDash(QChar c)
{
    const char16_t u = c.unicode();
    return u == u'-' || (u >= 0x2010 && u <= 0x2014) || u == 0x2212 || u == 0xFF0D;
}

// Scam shops like names such as "cheap-brand-sale-outlet.example": three or
// more hyphens in the registrable name, the label just left of the public
// suffix, whatever subdomain comes before it. Counted as the name is written,
// not in its punycode form, whose "xn--" prefix and delimiter would flag
// most Japanese names mixing kana with Latin letters.
bool hasScamHyphenation(QStringView registrableDomain)
{
    if (registrableDomain.isEmpty())
        return false;
    QStringView label = registrableDomain.first(registrableDomain.indexOf(u'.'));
    QString decoded;
    if (label.startsWith(u"xn--")) {
        decoded = QUrl::fromAce(label.toLatin1(), QUrl::IgnoreIDNWhitelist);
        label = decoded;
    }
    return std::count_if(label.begin(), label.end(), isDash) >= 3;
}

QString impersonationReason(const BrandIndex::Brand &brand, BrandIndex::How how)
{
    switch (how) {
    case BrandIndex::How::prefix:
        return SafetyReasons::certifiedPrefix(brand.name, brand.domain);
    case BrandIndex::How::homograph:
        return SafetyReasons::homograph(brand.name, brand.domain);
    case BrandIndex::How::name:
        break;
    }
    return SafetyReasons::impersonation(brand.name);
}

// Shops of counterfeits call their goods what their buyers search for:
// "super copy" (スーパーコピー, romanised "kopi"). Under .jp, which needs a
// presence in Japan that such shops avoid, "copy" names the copier dealers and
// print shops.
bool namesCounterfeits(QStringView name, QStringView suffix)
{
    if (suffix == u"jp" || suffix.endsWith(u".jp"))
        return false;
    return name.contains(u"kopi") || name.contains(u"copy");
}

// The words of the sign-in and account pages phishing copies, as phishing
// addresses spell them ("account.", "auth6717-help", "amzanosignin",
// "account-update-service"): a word of the host, or a longer word starting or
// ending with one of five letters or more. Common on phishing hosts and rare
// on unknown legitimate ones, but real sites have sign-in pages too, so the
// words only add to another caution, never caution alone.
bool namesAccountPage(QStringView hostWithoutSuffix)
{
    static constexpr std::array<std::u16string_view, 19> words {
        u"account",  u"accounts", u"auth",         u"authentication", u"billing",
        u"confirm",  u"login",    u"logon",        u"password",       u"recover",
        u"recovery", u"secure",   u"security",     u"signin",         u"suspended",
        u"unlock",   u"update",   u"verification", u"verify"};
    qsizetype start = 0;
    for (qsizetype i = 0; i <= hostWithoutSuffix.size(); ++i) {
        if (i < hostWithoutSuffix.size() && hostWithoutSuffix[i] >= u'a'
            && hostWithoutSuffix[i] <= u'z')
            continue;
        const QStringView token = hostWithoutSuffix.sliced(start, i - start);
        start = i + 1;
        for (const std::u16string_view word : words) {
            if (token == word
                || (word.size() >= 5 && (token.startsWith(word) || token.endsWith(word))))
                return true;
        }
    }
    return false;
}

// RFC 3986 query characters (unreserved, sub-delims, ":", "@", "/", "?")
// stay as they are in a Google query value, except "&", which would split
// the item.
const QByteArray googleQueryKeeps = QByteArrayLiteral("!$'()*+,;=:@/?");

QString googleAddress(QStringView path)
{
    QString address = "https://"_L1 + QLatin1StringView(SafeBrowsingEngine::googleSearchHost);
    address += path;
    return address;
}

// The address as the lists see it. QUrl and the engine read some texts
// differently ("http:\\scam.top"); where they disagree on the scheme or host,
// a path or query of QUrl's reading belongs to another address, so the
// lists judge the scheme and host alone.
QUrl listAddress(const LoadTarget &target, const QUrl &address, const QString &host)
{
    if (!address.isEmpty() && address.scheme() == target.scheme()) {
        QString addressHost = address.host(QUrl::FullyEncoded);
        if (addressHost.endsWith(u'.'))
            addressHost = QStringView(addressHost).chopped(1).toString();
        if (addressHost.compare(host, Qt::CaseInsensitive) == 0)
            return address;
    }
    QUrl bare;
    bare.setScheme(target.scheme());
    bare.setHost(host);
    bare.setPath(u"/"_s);
    return bare;
}

// A list's report of a site blocks it. A rule that names no site (a
// community list's "?redirect=" expression) would block the sign-in pages of
// every shop: it cautions at most.
void addListReasons(QStringList *reasons, QStringList *cautions, const RuleSet &rules,
                    const LoadTarget &target, const QUrl &address, const QString &host)
{
    if (rules.subscribedLists().isEmpty())
        return;
    for (const RuleSet::ListBlock &block :
         rules.blockingLists(listAddress(target, address, host), host)) {
        QStringList *into = block.anySite ? cautions : reasons;
        const QString reason = block.anySite ? SafetyReasons::subscribedListAnySite(block.name)
                                             : SafetyReasons::subscribedList(block.name);
        // A list subscribed twice (imported again) is named once.
        if (into && !into->contains(reason))
            into->append(reason);
    }
}

} // namespace

QString SafeBrowsingEngine::hyphenRuleReason()
{
    return SafetyReasons::hyphenRule();
}

SafetyLevel SafeBrowsingEngine::evaluateSafety(const QUrl &url,
                                               const SecurityRuleStore &store) const
{
    return evaluateSafety(url, *store.ruleSet());
}

SafetyLevel SafeBrowsingEngine::evaluateSafety(const QUrl &url, const RuleSet &rules) const
{
    return evaluateSafety(LoadTarget::fromUrl(url), url, rules);
}

SafetyLevel SafeBrowsingEngine::evaluateSafety(const LoadTarget &target, const RuleSet &rules) const
{
    return evaluateSafety(target, QUrl(), rules);
}

SafetyLevel SafeBrowsingEngine::evaluateSafety(const LoadTarget &target, const QUrl &address,
                                               const RuleSet &rules) const
{
    switch (target.status()) {
    case LoadTarget::Status::notAnAddress:
    case LoadTarget::Status::hostless:
        return SafetyLevel::neutral(u"不明"_s);
    case LoadTarget::Status::unsound:
        return SafetyLevel::suspicious({SafetyReasons::unparsableAddress()});
    case LoadTarget::Status::host:
        break;
    }
    const UrlHost &parsed = target.host();
    const QString host
        = parsed.text().endsWith(u'.') ? parsed.withoutTrailingDots().toString() : parsed.text();

    RuleSet::Match match = rules.match(host);
    if (match.shop)
        return SafetyLevel::trusted(match.shop->name);
    for (const QStringView domain : safeDomains) {
        if (hostIsOrIsBelow(host, domain))
            return SafetyLevel::neutral(host);
    }

    QStringList reasons = std::move(match.patternReasons);
    if (parsed.isIpAddress()) {
        addListReasons(&reasons, nullptr, rules, target, address, host);
        if (!parsed.isLocalAddress())
            reasons.append(SafetyReasons::ipAddress());
        return reasons.isEmpty() ? SafetyLevel::neutral(host) : SafetyLevel::suspicious(reasons);
    }

    // A brand's own domains are no look-alike of anything, and the major
    // sites everyone visits are neither look-alikes nor made-up shops,
    // whatever their names look like. Volunteers' lists name some of them
    // by mistake now and then; only the user's own patterns block them.
    const QStringView suffix = PublicSuffixList::system().publicSuffixOf(host);
    const QStringView registrable = PublicSuffixList::registrableDomainOf(host, suffix);
    // What the registrant chose: the registrable domain without its suffix.
    const QStringView name
        = registrable.isEmpty() ? QStringView() : registrable.chopped(suffix.size() + 1);
    const BrandIndex &brands = BuiltInBrands::index();
    // Below a hosting suffix that a brand runs ("*.s3.amazonaws.com") the
    // site is its customer's, not the brand's.
    const bool official = brands.isOfficial(host) && !brands.isOfficial(suffix);
    const bool wellKnown = official || MajorSites::containsRegistrable(registrable, suffix);
    QStringList cautions;
    if (!wellKnown)
        addListReasons(&reasons, &cautions, rules, target, address, host);

    if (hasScamHyphenation(registrable))
        reasons.append(SafetyReasons::hyphenRule());

    if (wellKnown)
        return reasons.isEmpty() ? SafetyLevel::neutral(host) : SafetyLevel::suspicious(reasons);

    // Cautions read from the host's own shape, each weak alone; two of them
    // together are rare on real shops and common on throw-away scam hosts.
    // A resemblance to a certified shop is left out: the shop's own other
    // sites have it, on whatever TLD they chose.
    int shapeCautions = 0;
    SafetyLevel::Suggestion suggestion;
    const BrandIndex::Spelling spelling(host, suffix);
    if (const std::optional<BrandIndex::Finding> finding = brands.find(spelling)) {
        // Named as the user's own certified shop where it is one of the
        // brand's domains. Only shops at the brand's domains are looked at,
        // so ten thousand certified shops cost what ten do.
        const BrandIndex::Brand *own = nullptr;
        for (const QString &official : finding->brand->officialDomains) {
            for (const BrandIndex::Brand *shop : rules.certifiedNames().brandsAtOrBelow(official)) {
                if ((!own || shop < own) && brands.officialBrandOf(shop->domain) == finding->brand)
                    own = shop;
            }
        }
        const BrandIndex::Brand *brand = own ? own : finding->brand;
        suggestion = {brand->name, brand->domain};
        reasons.append(impersonationReason(*brand, finding->how));
    } else if (const std::optional<BrandIndex::Finding> certified
               = rules.certifiedNames().find(spelling)) {
        // A certified shop knows one domain of its own; its name in another
        // may well be the shop's own other site ("amiami.com" beside
        // "amiami.jp"), so only the unmistakable forms block.
        if (certified->how == BrandIndex::How::name) {
            cautions.append(SafetyReasons::resemblesCertifiedShop(certified->brand->name));
        } else {
            suggestion = {certified->brand->name, certified->brand->domain};
            reasons.append(impersonationReason(*certified->brand, certified->how));
        }
    }

    const AbusedHosting::Match hosting = AbusedHosting::match(host);
    if (hosting.kind != AbusedHosting::Kind::none) {
        const QString suffixText = hosting.suffix.toString();
        shapeCautions += !hosting.block;
        (hosting.block ? reasons : cautions)
            .append(hosting.kind == AbusedHosting::Kind::dynamicDns
                        ? SafetyReasons::dynamicDns(suffixText)
                        : SafetyReasons::freeHosting(suffixText));
    }

    // Below a shared platform's suffix ("shop.base.shop") the platform, not
    // the site, picked the TLD. A registry's own second level ("sa.com") is
    // bought as a TLD is, and judged as one.
    const QStringView tld = RiskyTopLevelDomains::risk(suffix) != RiskyTopLevelDomains::Risk::none
        ? suffix
        : QStringView(host).sliced(host.lastIndexOf(u'.') + 1);
    const RiskyTopLevelDomains::Risk tldRisk = RiskyTopLevelDomains::risk(tld);
    const bool platformTld = tldRisk != RiskyTopLevelDomains::Risk::none && suffix != tld
        && PublicSuffixList::system().isPrivateSuffix(suffix);
    switch (platformTld ? RiskyTopLevelDomains::Risk::none : tldRisk) {
    case RiskyTopLevelDomains::Risk::block:
        reasons.append(SafetyReasons::riskyTld(tld.toString()));
        break;
    case RiskyTopLevelDomains::Risk::caution:
        ++shapeCautions;
        cautions.append(SafetyReasons::cautionTld(tld.toString()));
        // Batches of fake shops on the cheap generic TLDs take two random
        // English words for a name ("coffeewrong.best"); country codes such
        // as .cc serve word plays of real sites instead.
        if (tld.size() > 2 && EnglishWords::isWordPair(name)) {
            ++shapeCautions;
            cautions.append(SafetyReasons::wordPairName());
        }
        break;
    case RiskyTopLevelDomains::Risk::none:
        break;
    }

    // A brand name already found says more than the host's shape would.
    using Finding = ShopNameModel::Finding;
    const ShopNameModel::Findings shape = suggestion.isEmpty()
        ? ShopNameModel::assess(host, registrable, suffix)
        : ShopNameModel::Findings();
    if (namesCounterfeits(name, suffix)) {
        ++shapeCautions;
        cautions.append(SafetyReasons::counterfeitName());
    }
    if (shape.testFlag(Finding::machineGeneratedHost))
        reasons.append(SafetyReasons::machineGeneratedHost());
    if (shape.testFlag(Finding::madeUpShopName)) {
        ++shapeCautions;
        cautions.append(SafetyReasons::madeUpShopName());
    }
    // The letters model learnt from a few thousand legitimate names; the
    // dictionary knows the rest of the words a name can be made of.
    if (shape.testFlag(Finding::randomLetters) && !EnglishWords::isWords(name)) {
        ++shapeCautions;
        cautions.append(SafetyReasons::randomLetters());
    }

    if (shapeCautions == 1 && host.size() > suffix.size() + 1
        && namesAccountPage(QStringView(host).chopped(suffix.size() + 1))) {
        ++shapeCautions;
        cautions.append(SafetyReasons::accountWords());
    }

    if (!reasons.isEmpty())
        return SafetyLevel::suspicious(reasons, suggestion);
    if (shapeCautions >= 2)
        return SafetyLevel::suspicious(QStringList {SafetyReasons::cautionsTogether()} + cautions);
    if (!cautions.isEmpty())
        return SafetyLevel::caution(cautions);
    return SafetyLevel::neutral(host);
}

std::optional<QUrl>
SafeBrowsingEngine::buildSearchURL(const QString &query, SearchFilterMode mode,
                                   SearchTargetEngine engine, const SecurityRuleStore &store,
                                   const std::optional<TrustedShop> &directShop) const
{
    const QString trimmedQuery = query.trimmed();
    if (trimmedQuery.isEmpty())
        return WebAddress::parse(googleAddress(u"/shopping"));

    if (mode == SearchFilterMode::directShopSearch && directShop) {
        return WebAddress::parse(fillShopTemplate(directShop->searchUrlTemplate, trimmedQuery));
    }

    QStringList parts {trimmedQuery};
    if (mode == SearchFilterMode::trustedOnly) {
        QStringList terms;
        for (const TrustedShop &shop : store.trustedShops()) {
            if (terms.size() == maxRuleTerms)
                break;
            if (shop.isEnabled)
                terms.append(u"site:"_s + shop.domain);
        }
        if (!terms.isEmpty())
            parts.append(u'(' + terms.join(" OR "_L1) + u')');
    } else if (mode == SearchFilterMode::excludeSuspicious) {
        qsizetype added = 0;
        for (const ExcludedPattern &pattern : store.excludedPatterns()) {
            if (added == maxRuleTerms)
                break;
            if (!pattern.isEnabled)
                continue;
            QString term = u"-site:*."_s;
            term += withoutWildcard(pattern.pattern);
            parts.append(term);
            ++added;
        }
    }

    QString address = googleAddress(u"/search?q=")
        + QString::fromLatin1(QUrl::toPercentEncoding(parts.join(u' '), googleQueryKeeps))
        + "&hl=ja&gl=jp"_L1;
    if (engine == SearchTargetEngine::googleShopping)
        address += "&tbm=shop&udm=28"_L1;
    return WebAddress::parse(address);
}

QString SafeBrowsingEngine::fillShopTemplate(const QString &searchUrlTemplate, const QString &query)
{
    QString encoded = encodeShopQuery(query);
    if (encoded.isEmpty())
        encoded = query;
    QString address = searchUrlTemplate;
    address.replace("{query}"_L1, encoded);
    return address;
}

QString SafeBrowsingEngine::encodeShopQuery(const QString &query)
{
    return QString::fromLatin1(QUrl::toPercentEncoding(query));
}

#include "safety/SafeBrowsingEngine.h"

#include "rules/SecurityRuleStore.h"
#include "safety/WebAddress.h"

#include <QStringTokenizer>

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

bool isAsciiText(QStringView text)
{
    // Branch-free so the compiler can vectorise it; rule texts are short.
    char16_t bits = 0;
    for (const QChar c : text)
        bits |= c.unicode();
    return bits < 0x80;
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

// Same white space as QString::trimmed(), without a library call per rule.
bool isSpaceChar(char16_t c)
{
    if (c < 0x80)
        return c == u' ' || (c >= u'\t' && c <= u'\r');
    return QChar::isSpace(c);
}

QStringView trimmedView(QStringView text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isSpaceChar(text[begin].unicode()))
        ++begin;
    while (end > begin && isSpaceChar(text[end - 1].unicode()))
        --end;
    return text.sliced(begin, end - begin);
}

// The plain domain rule for texts of any script: lower-case, trim, compare.
bool matchesAsText(QStringView host, QStringView pattern)
{
    const QString normalisedHost = host.toString().toLower().trimmed();
    const QString normalisedPattern = pattern.toString().toLower().trimmed();
    return hostIsOrIsBelow(normalisedHost, withoutWildcard(normalisedPattern));
}

// Compares in the ASCII (punycode) form, so that a rule written in Unicode
// and one written in punycode both catch the same internationalised host.
// Full-width letters typed through an input method fold to ASCII here too.
bool matchesAsAce(QStringView aceHost, QStringView pattern)
{
    const QString normalisedPattern = pattern.toString().toLower().trimmed();
    const QByteArray aceBase = QUrl::toAce(withoutWildcard(normalisedPattern).toString());
    if (aceBase.isEmpty())
        return false;
    return hostIsOrIsBelow(aceHost, QString::fromLatin1(aceBase));
}

// host: lower-cased, ACE where possible, trimmed (hosts carry no spaces).
bool ruleMatchesHost(QStringView host, bool hostIsAscii, QStringView rule)
{
    const QStringView trimmed = trimmedView(rule);
    if (hostIsAscii && isAsciiText(trimmed))
        return hostIsOrIsBelow(host, withoutWildcard(trimmed));
    return matchesAsText(host, rule) || (hostIsAscii && matchesAsAce(host, rule));
}

// Lower-cased host in its ASCII form when it has one, with one trailing dot
// removed: "scam.top." names the same site as "scam.top" and must meet the
// same rules.
QString normalisedHost(const QUrl &url)
{
    QString host = url.host();
    if (host.isEmpty())
        return host;
    if (!isAsciiText(host)) {
        const QByteArray ace = QUrl::toAce(host);
        if (!ace.isEmpty())
            host = QString::fromLatin1(ace);
    }
    host = std::move(host).toLower();
    if (host.size() > 1 && host.endsWith(u'.') && !host.endsWith(u".."))
        host.chop(1);
    return host;
}

// Scam shops like names such as "cheap-brand-sale-outlet.example": three or
// more hyphens in the leftmost label of a name with at least two labels.
bool hasScamHyphenation(QStringView host)
{
    qsizetype pieces = 0;
    qsizetype hyphens = 0;
    for (const QStringView piece : QStringTokenizer(host, u'.', Qt::SkipEmptyParts)) {
        if (pieces == 0)
            hyphens = piece.count(u'-');
        if (++pieces >= 2)
            break;
    }
    return pieces >= 2 && hyphens >= 3;
}

// Hyphens are counted as the name is written, not in its punycode form,
// whose "xn--" prefix and delimiter would flag most Japanese names mixing
// kana with Latin letters.
bool hasScamHyphenationAsWritten(const QString &host)
{
    if (!host.contains(u"xn--"))
        return hasScamHyphenation(host);
    return hasScamHyphenation(QUrl::fromAce(host.toLatin1()).toLower());
}

// RFC 3986 query characters (unreserved, sub-delims, ":", "@", "/", "?")
// stay as they are in a Google query value, except "&", which would split
// the item.
bool isGoogleQueryChar(uchar c)
{
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))
        return true;
    switch (c) {
    case '-':
    case '.':
    case '_':
    case '~':
    case '!':
    case '$':
    case '\'':
    case '(':
    case ')':
    case '*':
    case '+':
    case ',':
    case ';':
    case '=':
    case ':':
    case '@':
    case '/':
    case '?':
        return true;
    default:
        return false;
    }
}

bool isUnreservedChar(uchar c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-'
        || c == '.' || c == '_' || c == '~';
}

template<typename Keep> QString percentEncoded(const QString &text, Keep keep)
{
    static constexpr char16_t hexDigits[] = u"0123456789ABCDEF";
    const QByteArray utf8 = text.toUtf8();
    // Written in place: at most three characters per byte.
    QString encoded(utf8.size() * 3, Qt::Uninitialized);
    QChar *out = encoded.data();
    for (const char byte : utf8) {
        const auto c = static_cast<uchar>(byte);
        if (keep(c)) {
            *out++ = QLatin1Char(char(c));
        } else {
            *out++ = u'%';
            *out++ = hexDigits[c >> 4];
            *out++ = hexDigits[c & 0xF];
        }
    }
    encoded.truncate(out - encoded.constData());
    return encoded;
}

QString googleAddress(QStringView path)
{
    QString address = "https://"_L1 + QLatin1StringView(SafeBrowsingEngine::googleSearchHost);
    address += path;
    return address;
}

} // namespace

QStringList SafeBrowsingEngine::builtInSafeDomains()
{
    QStringList domains;
    domains.reserve(safeDomains.size());
    for (const QStringView domain : safeDomains)
        domains.append(domain.toString());
    return domains;
}

QString SafeBrowsingEngine::fallbackReason(const QString &pattern)
{
    return u"危険なTLD/ドメインパターン ("_s + pattern + u") に一致"_s;
}

QString SafeBrowsingEngine::hyphenRuleReason()
{
    return u"不審なハイフン連続使用ドメイン (詐欺サイト特有の命名パターン)"_s;
}

bool SafeBrowsingEngine::matchesDomain(QStringView host, QStringView pattern) const
{
    const QStringView trimmedHost = trimmedView(host);
    const QStringView trimmedPattern = trimmedView(pattern);
    if (isAsciiText(trimmedHost) && isAsciiText(trimmedPattern))
        return hostIsOrIsBelow(trimmedHost, withoutWildcard(trimmedPattern));
    return matchesAsText(host, pattern);
}

SafetyLevel SafeBrowsingEngine::evaluateSafety(const QUrl &url,
                                               const SecurityRuleStore &store) const
{
    const QString host = normalisedHost(url);
    if (host.isEmpty())
        return SafetyLevel::neutral(u"不明"_s);
    const bool hostIsAscii = isAsciiText(host);

    for (const TrustedShop &shop : store.trustedShops()) {
        if (shop.isEnabled && ruleMatchesHost(host, hostIsAscii, shop.domain))
            return SafetyLevel::trusted(shop.name);
    }

    for (const QStringView domain : safeDomains) {
        if (ruleMatchesHost(host, hostIsAscii, domain))
            return SafetyLevel::neutral(host);
    }

    QStringList reasons;
    for (const ExcludedPattern &pattern : store.excludedPatterns()) {
        if (!pattern.isEnabled || !ruleMatchesHost(host, hostIsAscii, pattern.pattern))
            continue;
        reasons.append(pattern.reason.isEmpty() ? fallbackReason(pattern.pattern) : pattern.reason);
    }
    if (hasScamHyphenationAsWritten(host))
        reasons.append(hyphenRuleReason());

    if (reasons.isEmpty())
        return SafetyLevel::neutral(host);
    return SafetyLevel::suspicious(reasons);
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
        + percentEncoded(parts.join(u' '), isGoogleQueryChar) + "&hl=ja&gl=jp"_L1;
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
    return percentEncoded(query, isUnreservedChar);
}

#include "blocklist/MatchPattern.h"

#include <QUrl>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype maxHostLength = 253;
constexpr qsizetype maxLabelLength = 63;

bool isHostChar(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'-' || c == u'_';
}

bool isSchemeChar(char16_t c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-'
        || c == u'.';
}

bool isAscii(QStringView text)
{
    for (const QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

std::optional<quint8> schemesOf(QStringView scheme, MatchPattern::Error *error)
{
    const QString lower = scheme.toString().toLower();
    if (lower == "*"_L1)
        return quint8(MatchPattern::Http | MatchPattern::Https);
    if (lower == "http"_L1)
        return quint8(MatchPattern::Http);
    if (lower == "https"_L1)
        return quint8(MatchPattern::Https);
    // "ftp://", "file://", "ws://" are patterns, just never of a page the
    // browser screens; anything else is not a scheme at all.
    const bool looksLikeScheme = !lower.isEmpty() && lower[0] >= u'a' && lower[0] <= u'z'
        && std::all_of(lower.cbegin(), lower.cend(),
                       [](QChar c) { return isSchemeChar(c.unicode()); });
    if (error)
        *error = looksLikeScheme ? MatchPattern::Error::UnsupportedScheme
                                 : MatchPattern::Error::Malformed;
    return std::nullopt;
}

// Addresses carry their paths percent-encoded, so a pattern written with
// Unicode characters is held against the same encoded form.
QString encodedPath(QStringView path)
{
    if (isAscii(path))
        return path.toString();
    // Everything printable in ASCII stays, "%" of existing escapes included.
    static const QByteArray asciiPunctuation = "!\"#$%&'()*+,/:;<=>?@[\\]^`{|}"_ba;
    return QString::fromLatin1(path.toUtf8().toPercentEncoding(asciiPunctuation));
}

} // namespace

std::optional<MatchPattern> MatchPattern::parse(QStringView text, Error *error)
{
    Error ignored;
    Error &failure = error ? *error : ignored;
    failure = Error::Malformed;

    const qsizetype separator = text.indexOf(u"://");
    if (separator < 0)
        return std::nullopt;
    const auto schemes = schemesOf(text.first(separator), &failure);
    if (!schemes)
        return std::nullopt;

    const QStringView rest = text.sliced(separator + 3);
    const qsizetype slash = rest.indexOf(u'/');
    if (slash < 0)
        return std::nullopt; // the path is not optional
    const QStringView hostPart = rest.first(slash);

    MatchPattern pattern;
    pattern.m_schemes = *schemes;
    pattern.m_path = encodedPath(rest.sliced(slash));
    if (hostPart == u"*") {
        pattern.m_includesSubdomains = true;
        return pattern;
    }
    QStringView name = hostPart;
    if (name.startsWith(u"*.")) {
        pattern.m_includesSubdomains = true;
        name = name.sliced(2);
    }
    // A "*" anywhere else, a port or a user name makes the whole line one the
    // extension ignores, so it is no rule here either.
    pattern.m_host = normalisedHost(name);
    if (pattern.m_host.isEmpty())
        return std::nullopt;
    return pattern;
}

QString MatchPattern::normalisedHost(QStringView name)
{
    if (name.isEmpty() || name.size() > maxHostLength * 4)
        return QString();
    QString host;
    if (isAscii(name)) {
        host = name.toString().toLower();
    } else {
        const QByteArray ace = QUrl::toAce(name.toString());
        if (ace.isEmpty())
            return QString();
        host = QString::fromLatin1(ace).toLower();
    }
    if (host.endsWith(u'.'))
        host.chop(1);
    if (host.isEmpty() || host.size() > maxHostLength)
        return QString();
    qsizetype labelLength = 0;
    for (const QChar c : std::as_const(host)) {
        if (c == u'.') {
            if (labelLength == 0)
                return QString();
            labelLength = 0;
            continue;
        }
        if (!isHostChar(c.unicode()) || ++labelLength > maxLabelLength)
            return QString();
    }
    return labelLength == 0 ? QString() : host;
}

bool MatchPattern::globMatches(QStringView glob, QStringView subject)
{
    // Greedy with one remembered "*": each star only ever moves forward, so
    // the cost stays within glob size times subject size.
    qsizetype g = 0;
    qsizetype s = 0;
    qsizetype starGlob = -1;
    qsizetype starSubject = 0;
    while (s < subject.size()) {
        if (g < glob.size() && glob[g] == u'*') {
            starGlob = g++;
            starSubject = s;
        } else if (g < glob.size() && glob[g] == subject[s]) {
            ++g;
            ++s;
        } else if (starGlob >= 0) {
            g = starGlob + 1;
            s = ++starSubject;
        } else {
            return false;
        }
    }
    while (g < glob.size() && glob[g] == u'*')
        ++g;
    return g == glob.size();
}

#include "address/LoadTarget.h"

#include <array>

using namespace Qt::StringLiterals;

namespace {

// view-source: of view-source: of ... is still one page; deeper nesting is
// no address anybody means.
constexpr int maxWrapping = 4;

bool isSlash(QChar c)
{
    return c == u'/' || c == u'\\';
}

bool isSpecialScheme(QStringView scheme)
{
    static constexpr std::array<QStringView, 6> special
        = {u"http", u"https", u"ws", u"wss", u"ftp", u"file"};
    return std::find(special.begin(), special.end(), scheme) != special.end();
}

bool isSchemeChar(QChar c)
{
    const char16_t u = c.unicode();
    return (u >= u'a' && u <= u'z') || (u >= u'A' && u <= u'Z') || (u >= u'0' && u <= u'9')
        || u == u'+' || u == u'-' || u == u'.';
}

// The text the engine gave, as QUrl quotes it in its error message:
//   Invalid hostname (...); source was "http://scam.top../"; scheme = "http", ...
// The source may hold quotes itself, so its end is the quote that the
// component list (or the message's end) follows.
QString errorSource(const QString &message, QString *scheme)
{
    static constexpr QStringView marker = u"; source was \"";
    static constexpr std::array<QStringView, 7> components = {
        u" scheme = ", u" userinfo = ", u" host = ",     u" port = ",
        u" path = ",   u" query = ",    u" fragment = ",
    };
    const qsizetype start = message.indexOf(marker);
    if (start < 0)
        return QString();
    const qsizetype begin = start + marker.size();
    for (qsizetype end = message.indexOf("\";"_L1, begin); end >= 0;
         end = message.indexOf("\";"_L1, end + 1)) {
        const QStringView rest = QStringView(message).sliced(end + 2);
        const bool atComponents = rest.isEmpty()
            || std::any_of(components.begin(), components.end(),
                           [rest](QStringView c) { return rest.startsWith(c); });
        if (!atComponents)
            continue;
        static constexpr QStringView schemeMarker = u" scheme = \"";
        if (rest.startsWith(schemeMarker)) {
            const QStringView quoted = rest.sliced(schemeMarker.size());
            *scheme = quoted.first(std::max<qsizetype>(0, quoted.indexOf(u'"'))).toString();
        }
        return message.sliced(begin, end - begin);
    }
    return QString();
}

} // namespace

LoadTarget LoadTarget::withStatus(Status status, const QString &scheme)
{
    LoadTarget target;
    target.m_status = status;
    target.m_scheme = scheme;
    return target;
}

LoadTarget LoadTarget::fromText(QStringView text)
{
    return fromText(text, 0);
}

LoadTarget LoadTarget::fromText(QStringView text, int depth)
{
    // Leading and trailing controls and spaces go, tabs and line breaks go
    // anywhere: the engine reads "ht\ntp://scam.top" as http://scam.top/.
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && text[begin].unicode() <= 0x20)
        ++begin;
    while (end > begin && text[end - 1].unicode() <= 0x20)
        --end;
    QString cleaned;
    cleaned.reserve(end - begin);
    for (const QChar c : text.sliced(begin, end - begin)) {
        if (c != u'\t' && c != u'\n' && c != u'\r')
            cleaned += c;
    }

    if (cleaned.isEmpty() || !isSchemeChar(cleaned[0]) || !cleaned[0].isLetter())
        return withStatus(Status::notAnAddress);
    qsizetype colon = 1;
    while (colon < cleaned.size() && isSchemeChar(cleaned[colon]))
        ++colon;
    if (colon >= cleaned.size() || cleaned[colon] != u':')
        return withStatus(Status::notAnAddress);
    const QString scheme = cleaned.first(colon).toLower();
    const QStringView rest = QStringView(cleaned).sliced(colon + 1);

    if (scheme == "view-source"_L1 || scheme == "blob"_L1 || scheme == "filesystem"_L1) {
        if (depth >= maxWrapping)
            return withStatus(Status::unsound, scheme);
        const LoadTarget inner = fromText(rest, depth + 1);
        // "blob:null/…" belongs to an opaque origin (a data: page made it):
        // nothing is fetched from a host. A view-source: of no address shows
        // who knows what.
        if (inner.m_status == Status::notAnAddress)
            return withStatus(scheme == "view-source"_L1 ? Status::unsound : Status::hostless,
                              scheme);
        return inner;
    }

    if (scheme == "file"_L1) {
        if (rest.size() < 2 || !isSlash(rest[0]) || !isSlash(rest[1]))
            return withStatus(Status::hostless, scheme);
        QStringView authority = rest.sliced(2);
        for (qsizetype i = 0; i < authority.size(); ++i) {
            if (isSlash(authority[i]) || authority[i] == u'?' || authority[i] == u'#') {
                authority = authority.first(i);
                break;
            }
        }
        if (authority.isEmpty() || authority.compare(u"localhost", Qt::CaseInsensitive) == 0)
            return withStatus(Status::hostless, scheme);
        return fromAuthority(authority, scheme, true);
    }

    if (isSpecialScheme(scheme)) {
        // Any run of slashes, of either kind, or none at all, leads to the
        // authority of a special address.
        qsizetype start = 0;
        while (start < rest.size() && isSlash(rest[start]))
            ++start;
        qsizetype stop = start;
        while (stop < rest.size() && !isSlash(rest[stop]) && rest[stop] != u'?'
               && rest[stop] != u'#')
            ++stop;
        return fromAuthority(rest.sliced(start, stop - start), scheme, true);
    }

    if (!rest.startsWith(u"//"))
        return withStatus(Status::hostless, scheme);
    QStringView authority = rest.sliced(2);
    for (qsizetype i = 0; i < authority.size(); ++i) {
        if (authority[i] == u'/' || authority[i] == u'?' || authority[i] == u'#') {
            authority = authority.first(i);
            break;
        }
    }
    return fromAuthority(authority, scheme, false);
}

LoadTarget LoadTarget::fromAuthority(QStringView authority, const QString &scheme, bool special)
{
    const qsizetype at = authority.lastIndexOf(u'@');
    const QStringView hostAndPort = at >= 0 ? authority.sliced(at + 1) : authority;
    qsizetype colon = -1;
    bool inBrackets = false;
    for (qsizetype i = 0; i < hostAndPort.size() && colon < 0; ++i) {
        if (hostAndPort[i] == u'[')
            inBrackets = true;
        else if (hostAndPort[i] == u']')
            inBrackets = false;
        else if (hostAndPort[i] == u':' && !inBrackets)
            colon = i;
    }
    const QStringView hostText = colon >= 0 ? hostAndPort.first(colon) : hostAndPort;
    if (colon >= 0) {
        const QStringView port = hostAndPort.sliced(colon + 1);
        bool ok = true;
        const uint number = port.isEmpty() ? 0 : port.toUInt(&ok);
        for (const QChar c : port)
            ok = ok && c.unicode() >= u'0' && c.unicode() <= u'9';
        if (!ok || number > 65535)
            return withStatus(Status::unsound, scheme);
    }
    if (hostText.isEmpty())
        return withStatus(Status::unsound, scheme);

    UrlHost host = UrlHost::parse(hostText, special);
    // An opaque host of an unknown scheme is judged as the name it spells.
    if (host.kind() == UrlHost::Kind::opaque)
        host = UrlHost::parse(host.text(), true);
    if (!host.isValid() || (host.kind() == UrlHost::Kind::domain && !host.isDnsName()))
        return withStatus(Status::unsound, scheme);
    LoadTarget target = withStatus(Status::host, scheme);
    target.m_host = std::move(host);
    return target;
}

QString LoadTarget::refusedText(const QUrl &url)
{
    if (url.isValid())
        return QString();
    QString scheme;
    return errorSource(url.errorString(), &scheme);
}

LoadTarget LoadTarget::fromUrl(const QUrl &url)
{
    if (url.isEmpty())
        return withStatus(Status::notAnAddress);
    if (!url.isValid()) {
        QString scheme;
        const QString source = errorSource(url.errorString(), &scheme);
        LoadTarget target = fromText(source);
        // For some faults QUrl quotes only the host it refused.
        if (target.m_status == Status::notAnAddress && !source.isEmpty() && !scheme.isEmpty())
            target = fromText(QString(scheme + "://"_L1 + source + u'/'));
        // Whatever the engine had, it was not nothing: never let it pass as
        // an address without a host.
        if (target.m_status == Status::notAnAddress || target.m_status == Status::hostless)
            return withStatus(Status::unsound, target.m_scheme);
        return target;
    }

    // The common case, read without printing the address again: QUrl has
    // already split a plain http(s) address the way the standard does.
    const QString scheme = url.scheme();
    // The host as stored; a Unicode name is mapped by UrlHost like any other.
    const QString hostText = scheme == "http"_L1 || scheme == "https"_L1 ? url.host() : QString();
    if (!hostText.isEmpty()) {
        const bool ipv6 = hostText.contains(u':');
        // "[v1.x]" (an IPvFuture literal) comes back without its brackets.
        const bool ipFuture = !ipv6 && hostText.startsWith(u'v')
            && url.authority(QUrl::FullyEncoded).contains(u'[');
        if (!ipFuture) {
            UrlHost host = UrlHost::parse(ipv6 ? u'[' + hostText + u']' : hostText, true);
            if (!host.isValid() || (host.kind() == UrlHost::Kind::domain && !host.isDnsName()))
                return withStatus(Status::unsound, scheme);
            LoadTarget target = withStatus(Status::host, scheme);
            target.m_host = std::move(host);
            return target;
        }
    }
    return fromText(url.toString(QUrl::FullyEncoded));
}

#include "address/UrlHost.h"

#include <QByteArray>
#include <QStringTokenizer>
#include <QUrl>

#include <optional>

using namespace Qt::StringLiterals;

namespace {

constexpr qsizetype maxLabelLength = 63;
constexpr qsizetype maxNameLength = 253;

bool isAscii(QStringView text)
{
    char16_t bits = 0;
    for (const QChar c : text)
        bits |= c.unicode();
    return bits < 0x80;
}

bool isForbiddenHostChar(char16_t c)
{
    switch (c) {
    case 0:
    case u'\t':
    case u'\n':
    case u'\r':
    case u' ':
    case u'#':
    case u'/':
    case u':':
    case u'<':
    case u'>':
    case u'?':
    case u'@':
    case u'[':
    case u'\\':
    case u']':
    case u'^':
    case u'|':
        return true;
    default:
        return false;
    }
}

bool isForbiddenDomainChar(char16_t c)
{
    return isForbiddenHostChar(c) || c <= 0x1F || c == u'%' || c == 0x7F;
}

// One part of an IPv4 address: decimal, octal with a leading 0, hex with 0x.
// None for anything else or a value that no address part can hold.
std::optional<quint64> ipv4Number(QStringView part)
{
    if (part.isEmpty())
        return std::nullopt;
    int radix = 10;
    if (part.size() >= 2 && part[0] == u'0' && (part[1] == u'x' || part[1] == u'X')) {
        radix = 16;
        part = part.sliced(2);
    } else if (part.size() >= 2 && part[0] == u'0') {
        radix = 8;
        part = part.sliced(1);
    }
    quint64 value = 0;
    for (const QChar c : part) {
        const int digit = c.isDigit() && c.unicode() < 0x80 ? c.unicode() - u'0'
            : (c.unicode() >= u'a' && c.unicode() <= u'f')  ? c.unicode() - u'a' + 10
            : (c.unicode() >= u'A' && c.unicode() <= u'F')  ? c.unicode() - u'A' + 10
                                                            : 99;
        if (digit >= radix)
            return std::nullopt;
        value = value * quint64(radix) + quint64(digit);
        if (value > 0xFFFFFFFFull)
            return std::nullopt;
    }
    return value;
}

QList<QStringView> dotParts(QStringView host)
{
    QList<QStringView> parts;
    for (const QStringView part : QStringTokenizer(host, u'.'))
        parts.append(part);
    return parts;
}

// The last label decides whether the standard reads a host as an address:
// "example.123" is a broken IPv4 address, not a name.
bool endsInNumber(QStringView host)
{
    QStringView rest = host;
    if (rest.endsWith(u'.')) {
        if (rest.size() == 1)
            return false;
        rest.chop(1);
    }
    const QStringView last = rest.sliced(rest.lastIndexOf(u'.') + 1);
    bool digitsOnly = !last.isEmpty();
    for (const QChar c : last)
        digitsOnly = digitsOnly && c.unicode() >= u'0' && c.unicode() <= u'9';
    return digitsOnly || ipv4Number(last).has_value();
}

std::optional<quint32> parseIpv4(QStringView host)
{
    QList<QStringView> parts = dotParts(host);
    if (parts.constLast().isEmpty() && parts.size() > 1)
        parts.removeLast();
    if (parts.size() > 4)
        return std::nullopt;
    QList<quint64> numbers;
    for (const QStringView part : std::as_const(parts)) {
        const std::optional<quint64> number = ipv4Number(part);
        if (!number)
            return std::nullopt;
        numbers.append(*number);
    }
    for (qsizetype i = 0; i + 1 < numbers.size(); ++i) {
        if (numbers[i] > 255)
            return std::nullopt;
    }
    const qsizetype n = numbers.size();
    if (numbers.constLast() >= (quint64(1) << (8 * (5 - n))))
        return std::nullopt;
    quint64 address = numbers.constLast();
    for (qsizetype i = 0; i + 1 < n; ++i)
        address += numbers[i] << (8 * (3 - i));
    return quint32(address);
}

int hexValue(char16_t c)
{
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// The standard's IPv6 parser, embedded IPv4 included.
std::optional<std::array<quint16, 8>> parseIpv6(QStringView input)
{
    std::array<quint16, 8> address {};
    int pieceIndex = 0;
    int compress = -1;
    qsizetype pointer = 0;
    const qsizetype size = input.size();
    auto at = [&](qsizetype i) -> char16_t { return i < size ? input[i].unicode() : 0; };

    if (at(0) == u':') {
        if (at(1) != u':')
            return std::nullopt;
        pointer = 2;
        compress = ++pieceIndex;
    }
    while (pointer < size) {
        if (pieceIndex == 8)
            return std::nullopt;
        if (at(pointer) == u':') {
            if (compress != -1)
                return std::nullopt;
            ++pointer;
            compress = ++pieceIndex;
            continue;
        }
        int value = 0;
        int length = 0;
        while (length < 4 && pointer < size && hexValue(at(pointer)) >= 0) {
            value = value * 16 + hexValue(at(pointer));
            ++pointer;
            ++length;
        }
        if (at(pointer) == u'.') {
            if (length == 0 || pieceIndex > 6)
                return std::nullopt;
            pointer -= length;
            int numbersSeen = 0;
            while (pointer < size) {
                if (numbersSeen > 0) {
                    if (at(pointer) != u'.' || numbersSeen >= 4)
                        return std::nullopt;
                    ++pointer;
                }
                if (at(pointer) < u'0' || at(pointer) > u'9')
                    return std::nullopt;
                int piece = -1;
                while (at(pointer) >= u'0' && at(pointer) <= u'9') {
                    const int digit = at(pointer) - u'0';
                    if (piece == 0)
                        return std::nullopt;
                    piece = piece < 0 ? digit : piece * 10 + digit;
                    if (piece > 255)
                        return std::nullopt;
                    ++pointer;
                }
                address[pieceIndex] = quint16(address[pieceIndex] * 0x100 + piece);
                ++numbersSeen;
                if (numbersSeen == 2 || numbersSeen == 4)
                    ++pieceIndex;
            }
            if (numbersSeen != 4)
                return std::nullopt;
            break;
        }
        if (at(pointer) == u':') {
            ++pointer;
            if (pointer >= size)
                return std::nullopt;
        } else if (pointer < size) {
            return std::nullopt;
        }
        address[pieceIndex++] = quint16(value);
    }
    if (compress != -1) {
        int swaps = pieceIndex - compress;
        pieceIndex = 7;
        while (pieceIndex != 0 && swaps > 0) {
            std::swap(address[pieceIndex], address[compress + swaps - 1]);
            --pieceIndex;
            --swaps;
        }
    } else if (pieceIndex != 8) {
        return std::nullopt;
    }
    return address;
}

QString ipv4Text(quint32 address)
{
    return u"%1.%2.%3.%4"_s.arg(address >> 24)
        .arg((address >> 16) & 0xFF)
        .arg((address >> 8) & 0xFF)
        .arg(address & 0xFF);
}

QString ipv6Text(const std::array<quint16, 8> &address)
{
    // The first longest run of two or more zero pieces becomes "::".
    int bestStart = -1;
    int bestLength = 1;
    for (int i = 0; i < 8;) {
        int j = i;
        while (j < 8 && address[j] == 0)
            ++j;
        if (j - i > bestLength) {
            bestStart = i;
            bestLength = j - i;
        }
        i = j == i ? i + 1 : j;
    }
    QString text;
    for (int i = 0; i < 8; ++i) {
        if (i == bestStart) {
            text += i == 0 ? "::"_L1 : ":"_L1;
            i += bestLength - 1;
            continue;
        }
        text += QString::number(address[i], 16);
        if (i < 7)
            text += u':';
    }
    return text;
}

bool hasPunycodeLabel(QStringView host)
{
    for (qsizetype i = 0; i + 3 < host.size(); ++i) {
        if (host[i] == u'x' && (i == 0 || host[i - 1] == u'.') && host[i + 1] == u'n'
            && host[i + 2] == u'-' && host[i + 3] == u'-')
            return true;
    }
    return false;
}

// A label in punycode must decode to what encodes back to it, and to more
// than ASCII: "xn--abc-" or "xn--a" are no names at all.
bool isValidAceLabel(QStringView label)
{
    const QByteArray ace = label.toLatin1();
    const QString decoded = QUrl::fromAce(ace, QUrl::IgnoreIDNWhitelist);
    return decoded != label && QUrl::toAce(decoded, QUrl::IgnoreIDNWhitelist) == ace;
}

// IDNA mapping (UTS #46) to lower-case ASCII. QUrl applies the STD3 rules,
// which the web engine does not: "sale(shop)" is a name to the engine, so
// labels of plain ASCII are only lower-cased and the rest mapped one by one.
std::optional<QString> toAscii(const QString &domain)
{
    if (isAscii(domain))
        return domain.toLower();
    const QByteArray whole = QUrl::toAce(domain, QUrl::IgnoreIDNWhitelist);
    if (!whole.isEmpty())
        return QString::fromLatin1(whole);
    QString result;
    qsizetype start = 0;
    auto isSeparator
        = [](QChar c) { return c == u'.' || c == u'\u3002' || c == u'\uFF0E' || c == u'\uFF61'; };
    for (qsizetype i = 0; i <= domain.size(); ++i) {
        if (i < domain.size() && !isSeparator(domain[i]))
            continue;
        const QStringView label = QStringView(domain).sliced(start, i - start);
        if (!result.isEmpty() || start > 0)
            result += u'.';
        if (isAscii(label)) {
            result += label.toString().toLower();
        } else {
            const QByteArray ace = QUrl::toAce(label.toString(), QUrl::IgnoreIDNWhitelist);
            if (ace.isEmpty())
                return std::nullopt;
            result += QLatin1StringView(ace);
        }
        start = i + 1;
    }
    return result;
}

} // namespace

UrlHost UrlHost::parse(QStringView input, bool special)
{
    if (input.startsWith(u'[')) {
        if (!input.endsWith(u']'))
            return invalid();
        const std::optional<std::array<quint16, 8>> address = parseIpv6(input.sliced(1).chopped(1));
        if (!address)
            return invalid();
        UrlHost host;
        host.m_kind = Kind::ipv6;
        host.m_ipv6 = *address;
        host.m_text = ipv6Text(*address);
        return host;
    }

    if (!special) {
        for (const QChar c : input) {
            if (isForbiddenHostChar(c.unicode()))
                return invalid();
        }
        // Kept as written apart from controls and non-ASCII, as the
        // standard's opaque host keeps it.
        static const QByteArray printable = [] {
            QByteArray bytes;
            for (char c = 0x21; c < 0x7F; ++c)
                bytes += c;
            return bytes;
        }();
        UrlHost host;
        host.m_kind = Kind::opaque;
        host.m_text = QString::fromLatin1(QUrl::toPercentEncoding(input.toString(), printable));
        return host;
    }

    const QString decoded = input.contains(u'%')
        ? QString::fromUtf8(QByteArray::fromPercentEncoding(input.toUtf8()))
        : input.toString();
    const std::optional<QString> ascii = toAscii(decoded);
    if (!ascii || ascii->isEmpty())
        return invalid();
    for (const QChar c : *ascii) {
        if (c.unicode() >= 0x80 || isForbiddenDomainChar(c.unicode()))
            return invalid();
    }
    if (hasPunycodeLabel(*ascii)) {
        for (const QStringView label : QStringTokenizer(*ascii, u'.')) {
            if (label.startsWith(u"xn--") && !isValidAceLabel(label))
                return invalid();
        }
    }

    UrlHost host;
    if (endsInNumber(*ascii)) {
        const std::optional<quint32> address = parseIpv4(*ascii);
        if (!address)
            return invalid();
        host.m_kind = Kind::ipv4;
        host.m_ipv4 = *address;
        host.m_text = ipv4Text(*address);
        return host;
    }
    host.m_kind = Kind::domain;
    host.m_text = *ascii;
    return host;
}

QStringView UrlHost::withoutTrailingDots() const
{
    QStringView text = m_text;
    if (m_kind != Kind::domain)
        return text;
    while (text.endsWith(u'.'))
        text.chop(1);
    return text;
}

bool UrlHost::isDnsName() const
{
    if (m_kind != Kind::domain)
        return false;
    const QStringView name = withoutTrailingDots();
    if (name.isEmpty() || name.size() > maxNameLength)
        return false;
    for (const QStringView label : QStringTokenizer(name, u'.')) {
        if (label.isEmpty() || label.size() > maxLabelLength)
            return false;
    }
    return true;
}

bool UrlHost::isLocalAddress() const
{
    auto localIpv4 = [](quint32 a) {
        const quint32 first = a >> 24;
        return first == 0 || first == 10 || first == 127 || (a & 0xFFC00000u) == 0x64400000u
            || (a & 0xFFFF0000u) == 0xA9FE0000u || (a & 0xFFF00000u) == 0xAC100000u
            || (a & 0xFFFF0000u) == 0xC0A80000u;
    };
    if (m_kind == Kind::ipv4)
        return localIpv4(m_ipv4);
    if (m_kind != Kind::ipv6)
        return false;
    const std::array<quint16, 8> &a = m_ipv6;
    const bool upperZero = a[0] == 0 && a[1] == 0 && a[2] == 0 && a[3] == 0 && a[4] == 0;
    if (upperZero && a[5] == 0 && a[6] == 0 && a[7] <= 1)
        return true; // unspecified and loopback
    if (upperZero && a[5] == 0xFFFF)
        return localIpv4((quint32(a[6]) << 16) | a[7]);
    return (a[0] & 0xFFC0) == 0xFE80 || (a[0] & 0xFE00) == 0xFC00;
}

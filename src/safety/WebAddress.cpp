#include "safety/WebAddress.h"

#include "address/PublicSuffixList.h"

#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

std::optional<QUrl> WebAddress::parse(const QString &text)
{
    if (text.isEmpty())
        return std::nullopt;
    const QUrl url(text, QUrl::TolerantMode);
    if (!url.isValid())
        return std::nullopt;
    // Only pages the web engine fetches over the network are addresses here:
    // "javascript:", "file:", "data:" and relative texts never are.
    const QString scheme = url.scheme();
    if (scheme != "http"_L1 && scheme != "https"_L1)
        return std::nullopt;
    if (url.host().isEmpty())
        return std::nullopt;
    return url;
}

std::optional<QUrl> WebAddress::fromTyped(const QString &text)
{
    const QString typed = text.trimmed();
    if (typed.isEmpty()
        || std::any_of(typed.cbegin(), typed.cend(), [](QChar c) { return c.isSpace(); }))
        return std::nullopt;
    if (typed.startsWith("http://"_L1, Qt::CaseInsensitive)
        || typed.startsWith("https://"_L1, Qt::CaseInsensitive))
        return parse(typed);

    const qsizetype hostEnd = typed.indexOf(QRegularExpression(QStringLiteral("[/?#]")));
    QStringView host = QStringView(typed).first(hostEnd < 0 ? typed.size() : hostEnd);
    // "user@host" and "host:port" are not how people type a shop's name,
    // and "amazon.co.jp@evil.example" must never open evil.example.
    if (host.contains(u'@') || host.contains(u':') || !host.contains(u'.'))
        return std::nullopt;
    if (host.endsWith(u'.'))
        host.chop(1);
    const QString ascii = QString::fromLatin1(QUrl::toAce(host.toString())).toLower();
    const PublicSuffixList &suffixes = PublicSuffixList::system();
    if (ascii.isEmpty() || suffixes.registrableDomain(ascii).isEmpty()
        || !suffixes.isListedSuffix(suffixes.publicSuffix(ascii)))
        return std::nullopt;
    return parse("https://"_L1 + typed);
}

QString WebAddress::text(const QUrl &url)
{
    return url.toString(QUrl::FullyEncoded);
}

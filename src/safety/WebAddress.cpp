#include "safety/WebAddress.h"

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

QString WebAddress::text(const QUrl &url)
{
    return url.toString(QUrl::FullyEncoded);
}

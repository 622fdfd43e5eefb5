#pragma once

#include <QString>
#include <QUrl>

#include <optional>

// The one parser that turns texts (search results, shop templates, bookmark
// addresses) into addresses the browser may open: absolute http or https
// addresses with a host, nothing else ("javascript:", "file:", relative or
// empty texts give none).
class WebAddress
{
public:
    static std::optional<QUrl> parse(const QString &text);
    // What the search box was given, when it names a page rather than
    // words: an absolute http(s) address, or a host on a suffix the public
    // suffix list names, with or without a path ("yodobashi.com",
    // "www.amazon.co.jp/dp/…"), opened over https. Anything else is none,
    // and is searched for.
    static std::optional<QUrl> fromTyped(const QString &text);
    // The full absolute text of an address, as stored in bookmarks and shown
    // on the warning.
    static QString text(const QUrl &url);
};

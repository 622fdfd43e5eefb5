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
    // The full absolute text of an address, as stored in bookmarks and shown
    // on the warning.
    static QString text(const QUrl &url);
};

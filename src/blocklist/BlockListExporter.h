#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Writes the user's own excluded patterns, as the rule store keeps them
// ("*.top", "example.com"; both mean the name and every host below it), as a
// uBlacklist file: "*://*.top/*", "*://*.example.com/*", under a "# Title:"
// line. BlockList::parse reads it back with PublicSuffixEntries::Keep, since
// a user may well exclude a whole top-level domain.
class BlockListExporter
{
public:
    struct Result
    {
        QByteArray utf8;
        // Patterns no host pattern can express (blank, with a path, a port,
        // a "*" inside), so that the caller can tell the user.
        QStringList leftOut;
    };

    static Result write(const QString &title, const QStringList &patterns);
};

#pragma once

#include "blocklist/BlockList.h"

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QList>
#include <QString>
#include <QUrl>
#include <QUuid>

#include <optional>

// One subscribed block list as the settings tab shows it. The first part is
// stored (as JSON in the preferences); the rest describes the copy in use
// and is read from that copy whenever it is loaded.
struct Subscription
{
    enum class Source {
        BuiltIn, // ships with the browser, updated from the net
        Download, // added by its https address
        LocalFile, // imported from a file, never downloaded
    };

    QUuid id;
    QString name;
    // Where updates come from; for an imported list, the file it came from.
    QUrl address;
    Source source = Source::Download;
    bool isEnabled = true;
    // Last successful download or check that the copy is current; null for
    // never (the built-in list then judges with its bundled snapshot).
    QDateTime lastUpdated;
    // Of the last attempt, or why the saved copy was set aside, for the user;
    // empty after a success.
    QString lastError;
    // Validators of the copy on disk, sent back as they came.
    QString etag;
    QString lastModified;

    // Of the copy in use; zero and empty while there is none.
    int ruleCount = 0;
    int skippedLineCount = 0;
    QList<BlockList::SkippedLine> skippedLines; // the first BlockList::maxListedSkips
    QList<BlockList::PublicSuffixEntry> publicSuffixEntries;

    bool isBuiltIn() const { return source == Source::BuiltIn; }
    bool isDownloaded() const { return source != Source::LocalFile; }
    // Copies the counts and skipped lines of list (none: clears them).
    void describe(const BlockList *list);

    // Keys "id", "name", "address", "source" ("builtIn", "download",
    // "localFile"), "isEnabled", "lastUpdated" (ISO 8601 UTC with
    // milliseconds, "" for never), "lastError", "etag", "lastModified".
    QJsonObject toJson() const;
    // Every key required with its JSON type; anything else is no record.
    static std::optional<Subscription> fromJson(const QJsonValue &value);

    friend bool operator==(const Subscription &, const Subscription &) = default;
};

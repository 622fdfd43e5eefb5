#pragma once

#include "blocklist/SubscribedList.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

class PreferencesStore;
class QTextStream;

// velmora-check: asks the browser's own engine about links, or shows the
// search address the search bar would open, against the stored rules and
// the subscribed block lists. It only reads; every write the rule and
// subscription stores would make (defaults, backups) is dropped before it
// reaches the preferences store, and it holds the subscription store const,
// so nothing can start a download or write a list file.
class CheckCommand final
{
public:
    enum ExitCode : int {
        // Every address judged, none suspicious; or a search address printed.
        success = 0,
        // A suspicious address, or no search address could be built.
        flagged = 1,
        // Wrong usage, or an argument that is no address (it has no scheme).
        usageError = 2,
    };

    // Lets tests (and careful users) point the tool at another settings file.
    static constexpr auto settingsFileVariable = "VELMORA_SETTINGS_FILE";

    // subscriptionFolder: where the browser keeps its subscribed lists;
    // empty for its own data folder.
    CheckCommand(const PreferencesStore &preferences, QTextStream &out, QTextStream &err,
                 const QString &subscriptionFolder = QString());

    // arguments: without the program name.
    int run(const QStringList &arguments);

    static QString helpText();

private:
    struct Options;

    static Options parse(const QStringList &arguments);
    int checkAddresses(const Options &options);
    // The lists a verdict judges with; none, with a usage error reported,
    // when a list file given cannot be used.
    std::optional<QList<SubscribedList>> subscribedLists(const Options &options,
                                                         PreferencesStore &preferences);
    int printSearchAddress(const Options &options);
    int reportUsageError(const QString &japanese, const QString &english);

    const PreferencesStore &m_preferences;
    const QString m_subscriptionFolder;
    QTextStream &m_out;
    QTextStream &m_err;
};

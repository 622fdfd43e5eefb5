#pragma once

#include <QString>
#include <QStringList>

class PreferencesStore;
class QTextStream;

// velmora-check: asks the browser's own engine about links, or shows the
// search address the search bar would open, against the stored rules. It
// only reads; every write the rule store would make (defaults, backups) is
// dropped before it reaches the preferences store.
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

    CheckCommand(const PreferencesStore &preferences, QTextStream &out, QTextStream &err);

    // arguments: without the program name.
    int run(const QStringList &arguments);

    static QString helpText();

private:
    struct Options;

    static Options parse(const QStringList &arguments);
    int checkAddresses(const QStringList &addresses);
    int printSearchAddress(const Options &options);
    int reportUsageError(const QString &japanese, const QString &english);

    const PreferencesStore &m_preferences;
    QTextStream &m_out;
    QTextStream &m_err;
};

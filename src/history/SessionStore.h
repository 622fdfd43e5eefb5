#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QUrl>

class PreferencesStore;

// One page of a saved window. A blocked page is kept as blocked, so that a
// restart shows its warning again instead of loading it.
struct SessionPage
{
    QUrl url;
    bool blocked = false;

    friend bool operator==(const SessionPage &, const SessionPage &) = default;
};

// A window's pages, in tab order, the one in front, and where the window
// was on the desktop.
struct SessionWindow
{
    QList<SessionPage> pages;
    int current = 0;
    // As the window saved it (QWidget::saveGeometry); empty when unknown.
    QByteArray placement;

    friend bool operator==(const SessionWindow &, const SessionWindow &) = default;
};

// The open windows, saved to a file whenever they change, so that the next
// start can bring them back even after a crash.
class SessionStore final
{
public:
    static constexpr auto restoreAtStartKey = "restoreSessionAtStart";
    static constexpr int formatVersion = 1;

    explicit SessionStore(QString filePath);

    // "起動時に前回のタブを復元", on until the user turns it off.
    static bool restoresAtStart(const PreferencesStore &preferences);
    static void setRestoresAtStart(PreferencesStore &preferences, bool restore);

    // The windows last saved. A file that cannot be read is moved aside
    // (never deleted) and gives none.
    QList<SessionWindow> load() const;
    // Replaces the saved windows whole; false when the file could not be
    // written, and the previous one is then kept as it was.
    bool save(const QList<SessionWindow> &windows) const;

    QString filePath() const { return m_filePath; }

private:
    QString m_filePath;
};

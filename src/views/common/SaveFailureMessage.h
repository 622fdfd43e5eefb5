#pragma once

#include <QStringList>

class QWidget;

namespace SaveFailureMessage {

enum class What {
    // Changes to the settings, bookmarks or rules.
    settings,
    // The open windows and tabs, kept for the next start.
    session,
};

// Tells the user that what could not be written to disk; the box goes when
// closed.
void show(QWidget *parent, What what = What::settings);

// Tells the user that the history file was damaged and kept at path, and
// that a new history has started.
void showHistoryMovedAside(QWidget *parent, const QString &path);

// Tells the user that stored settings could not be read, that defaults stand
// in for them, and where each unread value or copy of the file was kept.
void showSettingsKeptAside(QWidget *parent, const QStringList &where);

} // namespace SaveFailureMessage

#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// One download as the list shows it. Sizes are in bytes; totalBytes is -1
// while the server has not said how large the file is.
struct DownloadItem
{
    enum class State {
        inProgress,
        completed,
        cancelled,
        // The transfer broke off; reasons holds what went wrong.
        failed,
        // Never started: the address or the page it came from was judged
        // suspicious; reasons holds the verdict's reasons.
        refused,
    };

    int id = 0;
    QUrl url;
    QString fileName;
    // Where the file is (or would have been) saved; empty for a refused one.
    QString filePath;
    State state = State::inProgress;
    qint64 receivedBytes = 0;
    qint64 totalBytes = -1;
    QStringList reasons;

    bool isFinished() const { return state != State::inProgress; }
    // 0..1, or -1 when the size is unknown.
    double progress() const;
};

#pragma once

#include <QDateTime>
#include <QString>
#include <QUrl>

// One page shown in a normal window. The verdict is the kind of the safety
// verdict the page was shown with ("trusted", "suspicious", "caution",
// "neutral"), or empty for a visit recorded before verdicts were kept.
struct HistoryVisit
{
    qint64 id = 0;
    QUrl url;
    QString title;
    QDateTime visitedAt;
    QString verdict;

    friend bool operator==(const HistoryVisit &, const HistoryVisit &) = default;
};

#pragma once

#include <QDateTime>
#include <QFlags>
#include <QString>

class HistoryStore;
class QWebEngineProfile;

// Deletes what normal windows kept: cookies and site data, the disk cache,
// the history. Only the history knows when each entry was made, so the time
// range narrows the history alone; the engine empties cookies and the cache
// as a whole.
class BrowsingDataCleaner
{
public:
    enum class Kind {
        cookiesAndSiteData = 0x1,
        cache = 0x2,
        history = 0x4,
    };
    Q_DECLARE_FLAGS(Kinds, Kind)

    enum class TimeRange { lastHour, last24Hours, last7Days, allTime };

    // The profile's data folder is where site storage removal is scheduled
    // (see WebProfiles).
    BrowsingDataCleaner(QWebEngineProfile &profile, HistoryStore &history,
                        const QString &dataFolder);

    // The start of the range ending now; invalid for all time.
    static QDateTime rangeStart(TimeRange range, const QDateTime &now);
    // False when something asked for could not be deleted.
    bool clear(Kinds kinds, TimeRange range,
               const QDateTime &now = QDateTime::currentDateTimeUtc());

private:
    QWebEngineProfile &m_profile;
    HistoryStore &m_history;
    QString m_dataFolder;
};

Q_DECLARE_OPERATORS_FOR_FLAGS(BrowsingDataCleaner::Kinds)

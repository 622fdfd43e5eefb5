#include "BrowsingDataCleaner.h"

#include "browser/WebProfiles.h"
#include "history/HistoryStore.h"

#include <QWebEngineCookieStore>
#include <QWebEngineProfile>

BrowsingDataCleaner::BrowsingDataCleaner(QWebEngineProfile &profile, HistoryStore &history,
                                         const QString &dataFolder)
    : m_profile(profile)
    , m_history(history)
    , m_dataFolder(dataFolder)
{ }

QDateTime BrowsingDataCleaner::rangeStart(TimeRange range, const QDateTime &now)
{
    switch (range) {
    case TimeRange::lastHour:
        return now.addSecs(-3600);
    case TimeRange::last24Hours:
        return now.addSecs(-24 * 3600);
    case TimeRange::last7Days:
        return now.addDays(-7);
    case TimeRange::allTime:
        return {};
    }
    Q_UNREACHABLE();
}

bool BrowsingDataCleaner::clear(Kinds kinds, TimeRange range, const QDateTime &now)
{
    bool cleared = true;
    if (kinds.testFlag(Kind::history)) {
        const QDateTime from = rangeStart(range, now);
        // Up to any time at all: a visit stamped after now (the clock was
        // set back since) is still one of the latest.
        cleared = (from.isValid() ? m_history.clearRange(from, now.addYears(1000))
                                  : m_history.clearAll())
            && cleared;
        // Visited links are coloured from the engine's own record of them.
        m_profile.clearAllVisitedLinks();
    }
    if (kinds.testFlag(Kind::cookiesAndSiteData)) {
        m_profile.cookieStore()->deleteAllCookies();
        if (!m_profile.isOffTheRecord())
            cleared = WebProfiles::scheduleSiteStorageRemoval(m_dataFolder) && cleared;
    }
    if (kinds.testFlag(Kind::cache))
        m_profile.clearHttpCache();
    return cleared;
}

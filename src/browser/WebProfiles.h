#pragma once

#include <QString>
#include <QStringList>

class QObject;
class QWebEngineProfile;

// The engine profiles pages are browsed in. Normal windows share one profile
// kept on disk, so cookies, logins, site storage and the cache survive a
// restart; private windows get one that lives in memory only. Both show the
// engine's own pages in Japanese and ask sites for Japanese first: the engine
// takes that from the default locale the program sets before it starts.
class WebProfiles
{
public:
    static constexpr auto storageName = "default";

    // Under the application's data folder: what sites keep (cookies, local
    // storage, databases) and the disk cache.
    static QString storagePath(const QString &dataFolder);
    static QString cachePath(const QString &dataFolder);

    // Site storage is removed before the persistent profile opens it, when
    // that was asked for since the last start.
    // sessionContinues: the tabs come back at the next start, and with them
    // the session cookies.
    static QWebEngineProfile *makePersistent(const QString &dataFolder, bool sessionContinues,
                                             QObject *parent);
    static QWebEngineProfile *makePrivate(QObject *parent);

    // The engine offers no way to empty local storage and databases while
    // they are in use: they go at the next start, before anything opens
    // them. Cookies are cleared through the profile's cookie store at once.
    static bool scheduleSiteStorageRemoval(const QString &dataFolder);
    // The folders of the storage path that removal empties, as the engine
    // names them.
    static QStringList siteStorageFolders();

private:
    static bool isSiteStorageRemovalScheduled(const QString &dataFolder);
    static void removeScheduledSiteStorage(const QString &dataFolder);
};

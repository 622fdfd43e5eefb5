#pragma once

#include <QString>

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

    static QWebEngineProfile *makePersistent(const QString &dataFolder, QObject *parent);
    static QWebEngineProfile *makePrivate(QObject *parent);
};

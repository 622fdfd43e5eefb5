#include "WebProfiles.h"

#include <QDir>
#include <QFile>
#include <QStringList>
#include <QWebEngineProfile>

namespace {

// Written next to the storage folder, so that it never counts as site data.
QString removalMarkerPath(const QString &dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("web-profile.clear-site-storage"));
}

} // namespace

QString WebProfiles::storagePath(const QString &dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("web-profile"));
}

QString WebProfiles::cachePath(const QString &dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("web-cache"));
}

QWebEngineProfile *WebProfiles::makePersistent(const QString &dataFolder, bool sessionContinues,
                                               QObject *parent)
{
    removeScheduledSiteStorage(dataFolder);
    auto *profile = new QWebEngineProfile(QString::fromLatin1(storageName), parent);
    // Set explicitly: the engine would otherwise pick folders of its own
    // under the generic data and cache locations.
    profile->setPersistentStoragePath(storagePath(dataFolder));
    profile->setCachePath(cachePath(dataFolder));
    profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    // Session cookies end with the session, as the site that set them
    // intends; a shop's "stay signed in" and cart cookies have a lifetime and
    // are kept. Where the tabs come back at the next start, so does the
    // session, with the carts and sign-ins its cookies hold.
    profile->setPersistentCookiesPolicy(sessionContinues
                                            ? QWebEngineProfile::ForcePersistentCookies
                                            : QWebEngineProfile::AllowPersistentCookies);
    return profile;
}

QWebEngineProfile *WebProfiles::makePrivate(QObject *parent)
{
    // A profile without a storage name is off the record: cookies, storage
    // and cache stay in memory and go with the profile.
    return new QWebEngineProfile(parent);
}

QStringList WebProfiles::siteStorageFolders()
{
    return {QStringLiteral("Local Storage"), QStringLiteral("Session Storage"),
            QStringLiteral("IndexedDB"),     QStringLiteral("databases"),
            QStringLiteral("File System"),   QStringLiteral("Service Worker"),
            QStringLiteral("blob_storage"),  QStringLiteral("WebStorage")};
}

bool WebProfiles::scheduleSiteStorageRemoval(const QString &dataFolder)
{
    QDir().mkpath(dataFolder);
    QFile marker(removalMarkerPath(dataFolder));
    return marker.open(QIODevice::WriteOnly | QIODevice::Truncate);
}

bool WebProfiles::isSiteStorageRemovalScheduled(const QString &dataFolder)
{
    return QFile::exists(removalMarkerPath(dataFolder));
}

void WebProfiles::removeScheduledSiteStorage(const QString &dataFolder)
{
    if (!isSiteStorageRemovalScheduled(dataFolder))
        return;
    const QDir storage(storagePath(dataFolder));
    bool removed = true;
    for (const QString &folder : siteStorageFolders()) {
        QDir data(storage.filePath(folder));
        if (data.exists() && !data.removeRecursively()) {
            qWarning("Site data not removed: %s", qUtf8Printable(data.path()));
            removed = false;
        }
    }
    // Asked again at the next start if anything stayed.
    if (removed)
        QFile::remove(removalMarkerPath(dataFolder));
}

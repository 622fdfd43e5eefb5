#include "WebProfiles.h"

#include <QDir>
#include <QWebEngineProfile>

QString WebProfiles::storagePath(const QString &dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("web-profile"));
}

QString WebProfiles::cachePath(const QString &dataFolder)
{
    return QDir(dataFolder).filePath(QStringLiteral("web-cache"));
}

QWebEngineProfile *WebProfiles::makePersistent(const QString &dataFolder, QObject *parent)
{
    auto *profile = new QWebEngineProfile(QString::fromLatin1(storageName), parent);
    // Set explicitly: the engine would otherwise pick folders of its own
    // under the generic data and cache locations.
    profile->setPersistentStoragePath(storagePath(dataFolder));
    profile->setCachePath(cachePath(dataFolder));
    profile->setHttpCacheType(QWebEngineProfile::DiskHttpCache);
    // Session cookies end with the session, as the site that set them
    // intends; a shop's "stay signed in" and cart cookies have a lifetime and
    // are kept.
    profile->setPersistentCookiesPolicy(QWebEngineProfile::AllowPersistentCookies);
    return profile;
}

QWebEngineProfile *WebProfiles::makePrivate(QObject *parent)
{
    // A profile without a storage name is off the record: cookies, storage
    // and cache stay in memory and go with the profile.
    return new QWebEngineProfile(parent);
}

#include "history/SessionStore.h"

#include "prefs/PreferencesStore.h"
#include "prefs/WholeFile.h"

#include <QDateTime>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

QString key(const char *name)
{
    return QString::fromLatin1(name);
}

std::optional<QList<SessionWindow>> parse(const QByteArray &bytes)
{
    const QJsonDocument document = QJsonDocument::fromJson(bytes);
    if (!document.isObject())
        return std::nullopt;
    const QJsonObject root = document.object();
    // A later version's file is not guessed at: like an unreadable one it
    // is moved aside, where it stays whole.
    if (root.value(QStringLiteral("version")).toInt() != SessionStore::formatVersion
        || !root.value(QStringLiteral("windows")).isArray())
        return std::nullopt;
    QList<SessionWindow> windows;
    for (const QJsonValue &windowValue : root.value(QStringLiteral("windows")).toArray()) {
        SessionWindow window;
        for (const QJsonValue &pageValue :
             windowValue.toObject().value(QStringLiteral("pages")).toArray()) {
            const QJsonObject page = pageValue.toObject();
            const QString address = page.value(QStringLiteral("url")).toString();
            if (address.isEmpty())
                continue;
            window.pages.append({QUrl(address), page.value(QStringLiteral("blocked")).toBool()});
        }
        if (window.pages.isEmpty())
            continue;
        window.current = std::clamp(windowValue.toObject().value(QStringLiteral("current")).toInt(),
                                    0, int(window.pages.size()) - 1);
        // Files of earlier versions have none: the window opens at its
        // default size.
        window.placement = QByteArray::fromBase64(
            windowValue.toObject().value(QStringLiteral("placement")).toString().toLatin1());
        windows.append(window);
    }
    return windows;
}

} // namespace

SessionStore::SessionStore(QString filePath)
    : m_filePath(std::move(filePath))
{ }

bool SessionStore::restoresAtStart(const PreferencesStore &preferences)
{
    return preferences.string(key(restoreAtStartKey)).value_or(QStringLiteral("true"))
        != QStringLiteral("false");
}

void SessionStore::setRestoresAtStart(PreferencesStore &preferences, bool restore)
{
    preferences.setString(key(restoreAtStartKey),
                          restore ? QStringLiteral("true") : QStringLiteral("false"));
}

QList<SessionWindow> SessionStore::load() const
{
    QFile file(m_filePath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    file.close();
    if (const auto windows = parse(bytes))
        return *windows;
    // The next save would overwrite what could still be recovered by hand.
    const QString aside = m_filePath + QStringLiteral(".unreadable-")
        + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMddThhmmsszzz"));
    if (!QFile::rename(m_filePath, aside))
        qWarning("Velmora: cannot move the unreadable session file %s aside",
                 qPrintable(m_filePath));
    return {};
}

bool SessionStore::save(const QList<SessionWindow> &windows) const
{
    QJsonArray list;
    for (const SessionWindow &window : windows) {
        QJsonArray pages;
        for (const SessionPage &page : window.pages) {
            pages.append(
                QJsonObject {{QStringLiteral("url"), page.url.toString(QUrl::FullyEncoded)},
                             {QStringLiteral("blocked"), page.blocked}});
        }
        list.append(QJsonObject {
            {QStringLiteral("pages"), pages},
            {QStringLiteral("current"), window.current},
            {QStringLiteral("placement"), QString::fromLatin1(window.placement.toBase64())}});
    }
    return WholeFile::write(m_filePath,
                            QJsonDocument(QJsonObject {{QStringLiteral("version"), formatVersion},
                                                       {QStringLiteral("windows"), list}})
                                .toJson(QJsonDocument::Compact))
        .isEmpty();
}

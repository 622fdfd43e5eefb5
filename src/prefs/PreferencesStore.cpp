#include "prefs/PreferencesStore.h"

std::optional<QByteArray> PreferencesStore::rawBytes(const QString &key) const
{
    if (std::optional<QByteArray> bytes = data(key))
        return bytes;
    if (const std::optional<QString> text = string(key))
        return text->toUtf8();
    return std::nullopt;
}

void PreferencesStore::keepUnreadable(const QString &key, const QByteArray &bytes)
{
    const QString backupKey = key + QLatin1String(unreadableSuffix);
    setData(backupKey, bytes);
    noteKeptAside(backupKey);
}

void PreferencesStore::noteKeptAside(const QString &where)
{
    if (!isReadOnly() && !m_keptAside.contains(where))
        m_keptAside.append(where);
}

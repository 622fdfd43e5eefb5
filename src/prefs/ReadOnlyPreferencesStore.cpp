#include "prefs/ReadOnlyPreferencesStore.h"

ReadOnlyPreferencesStore::ReadOnlyPreferencesStore(const PreferencesStore &source, QObject *parent)
    : PreferencesStore(parent)
    , m_source(source)
{ }

std::optional<QString> ReadOnlyPreferencesStore::string(const QString &key) const
{
    return m_source.string(key);
}

std::optional<QByteArray> ReadOnlyPreferencesStore::data(const QString &key) const
{
    return m_source.data(key);
}

void ReadOnlyPreferencesStore::setString(const QString &, const QString &)
{ }

void ReadOnlyPreferencesStore::setData(const QString &, const QByteArray &)
{ }

std::optional<QByteArray> ReadOnlyPreferencesStore::rawBytes(const QString &key) const
{
    return m_source.rawBytes(key);
}

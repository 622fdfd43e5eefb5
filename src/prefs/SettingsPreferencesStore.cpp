#include "prefs/SettingsPreferencesStore.h"

#include <QMetaType>

SettingsPreferencesStore::SettingsPreferencesStore(QObject *parent)
    : PreferencesStore(parent)
    , m_settings(QSettings::IniFormat, QSettings::UserScope, QString::fromLatin1(organizationName),
                 QString::fromLatin1(applicationName))
{ }

SettingsPreferencesStore::SettingsPreferencesStore(const QString &filePath, QObject *parent)
    : PreferencesStore(parent)
    , m_settings(filePath, QSettings::IniFormat)
{ }

std::optional<QString> SettingsPreferencesStore::string(const QString &key) const
{
    const QVariant value = m_settings.value(key);
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<QByteArray> SettingsPreferencesStore::data(const QString &key) const
{
    const QVariant value = m_settings.value(key);
    if (value.typeId() != QMetaType::QByteArray)
        return std::nullopt;
    return value.toByteArray();
}

void SettingsPreferencesStore::setString(const QString &key, const QString &value)
{
    write(key, value);
}

void SettingsPreferencesStore::setData(const QString &key, const QByteArray &value)
{
    write(key, value);
}

QString SettingsPreferencesStore::fileName() const
{
    return m_settings.fileName();
}

void SettingsPreferencesStore::write(const QString &key, const QVariant &value)
{
    m_settings.setValue(key, value);
    // Flush now: a crash or a killed session must not lose a change the user
    // already saw take effect. QSettings replaces the file atomically.
    m_settings.sync();
    Q_EMIT valueChanged(key);
}

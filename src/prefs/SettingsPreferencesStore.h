#pragma once

#include "prefs/PreferencesStore.h"

#include <QSettings>

// PreferencesStore over QSettings. The default constructor uses the user's
// configuration folder (organisation "Velmora", application
// "VelmoraShoppingBrowser"); the path constructor is for tests and tools that
// want their own file.
class SettingsPreferencesStore final : public PreferencesStore
{
    Q_OBJECT

public:
    static constexpr auto organizationName = "Velmora";
    static constexpr auto applicationName = "VelmoraShoppingBrowser";

    explicit SettingsPreferencesStore(QObject *parent = nullptr);
    explicit SettingsPreferencesStore(const QString &filePath, QObject *parent = nullptr);

    std::optional<QString> string(const QString &key) const override;
    std::optional<QByteArray> data(const QString &key) const override;
    void setString(const QString &key, const QString &value) override;
    void setData(const QString &key, const QByteArray &value) override;

    QString fileName() const;

private:
    void write(const QString &key, const QVariant &value);

    mutable QSettings m_settings;
};

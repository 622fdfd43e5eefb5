#pragma once

#include "prefs/PreferencesStore.h"

// Reads through to another store and drops every write. Lets a tool run the
// same loading code as the browser (defaults included) without ever touching
// what the user has stored.
class ReadOnlyPreferencesStore final : public PreferencesStore
{
    Q_OBJECT

public:
    explicit ReadOnlyPreferencesStore(const PreferencesStore &source, QObject *parent = nullptr);

    std::optional<QString> string(const QString &key) const override;
    std::optional<QByteArray> data(const QString &key) const override;
    void setString(const QString &key, const QString &value) override;
    void setData(const QString &key, const QByteArray &value) override;
    std::optional<QByteArray> rawBytes(const QString &key) const override;
    bool isReadOnly() const override { return true; }

private:
    const PreferencesStore &m_source;
};

#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QStringList>

#include <optional>

// The only door to persisted preferences. Text and byte values are distinct
// kinds: asking for one where the other is stored gives nothing, so a corrupt
// or foreign value never masquerades as a valid one.
class PreferencesStore : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;
    ~PreferencesStore() override = default;

    virtual std::optional<QString> string(const QString &key) const = 0;
    virtual std::optional<QByteArray> data(const QString &key) const = 0;
    virtual void setString(const QString &key, const QString &value) = 0;
    virtual void setData(const QString &key, const QByteArray &value) = 0;

    static constexpr auto unreadableSuffix = "_unreadable";
    // The value under a key as bytes whatever its kind (text as UTF-8), for
    // keeping a value that could not be read; none when the key holds
    // nothing. Stores that know the stored text of other kinds (a list, a
    // rectangle) give it; this one knows text and bytes only.
    virtual std::optional<QByteArray> rawBytes(const QString &key) const;
    // Keeps a value that could not be read under key + "_unreadable" (the
    // latest only), so that nothing the user stored is destroyed unread.
    void keepUnreadable(const QString &key, const QByteArray &bytes);
    // A store that drops every write: what reads through it leaves the
    // user's files as they are, too.
    virtual bool isReadOnly() const { return false; }
    // What this run kept aside because it could not be read: backup keys,
    // and copies of the whole file. The user hears of them, where they are.
    const QStringList &keptAside() const { return m_keptAside; }

Q_SIGNALS:
    // Emitted after a write, so that other holders of the same key (another
    // window's bookmark store) can pick the new value up instead of later
    // overwriting it with a stale copy.
    void valueChanged(const QString &key);
    // A change that could not be put on disk (a full or read-only disk): it
    // holds until the program ends, or not at all when the store refused it.
    void writeFailed(const QString &key);

protected:
    void noteKeptAside(const QString &where);

private:
    QStringList m_keptAside;
};

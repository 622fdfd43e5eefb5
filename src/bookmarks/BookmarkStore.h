#pragma once

#include "bookmarks/ShoppingBookmark.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QUuid>

#include <optional>

class PreferencesStore;

// The saved pages of one window, newest first, kept whole under one key.
// Several windows may each hold one over the same preferences store; a store
// reloads when another one writes the key, so that no window overwrites the
// others' additions with its stale list.
class BookmarkStore final : public QObject
{
    Q_OBJECT

public:
    static constexpr auto storageKey = "velmora_shopping_bookmarks_v1";

    explicit BookmarkStore(PreferencesStore &preferences, QObject *parent = nullptr);

    const QList<ShoppingBookmark> &bookmarks() const { return m_bookmarks; }
    void setBookmarks(const QList<ShoppingBookmark> &bookmarks); // memory only

    void loadBookmarks();
    void saveBookmarks();
    void addBookmark(const QString &title, const QString &url, const QString &shopName,
                     const QString &notes);
    void removeBookmark(const QUuid &id);

    // The stored form: a compact JSON array, newest first. Encoding fails
    // (nothing) when a bookmark has no valid date; decoding fails on anything
    // but an array of complete bookmarks.
    static std::optional<QByteArray> encode(const QList<ShoppingBookmark> &bookmarks);
    static std::optional<QList<ShoppingBookmark>> decode(const QByteArray &data);

Q_SIGNALS:
    void bookmarksChanged();

private:
    void handlePreferenceChanged(const QString &key);

    PreferencesStore &m_preferences;
    QList<ShoppingBookmark> m_bookmarks;
    // Stored bytes that could not be decoded, kept under the backup key just
    // before this store first overwrites them.
    std::optional<QByteArray> m_unreadable;
    bool m_isWriting = false;
};

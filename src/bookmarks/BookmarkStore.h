#pragma once

#include "bookmarks/ShoppingBookmark.h"

#include <QList>
#include <QObject>
#include <QUuid>

class PreferencesStore;

// The saved pages of one window, newest first, kept whole under one key.
class BookmarkStore final : public QObject
{
    Q_OBJECT

public:
    static constexpr auto storageKey = "velmora_shopping_bookmarks_v1";
    static constexpr auto unreadableSuffix = "_unreadable";

    explicit BookmarkStore(PreferencesStore &preferences, QObject *parent = nullptr);

    const QList<ShoppingBookmark> &bookmarks() const { return m_bookmarks; }
    void setBookmarks(const QList<ShoppingBookmark> &bookmarks); // memory only

    void loadBookmarks();
    void saveBookmarks();
    void addBookmark(const QString &title, const QString &url, const QString &shopName,
                     const QString &notes);
    void removeBookmark(const QUuid &id);

Q_SIGNALS:
    void bookmarksChanged();

private:
    PreferencesStore &m_preferences;
    QList<ShoppingBookmark> m_bookmarks;
};

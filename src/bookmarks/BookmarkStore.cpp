#include "bookmarks/BookmarkStore.h"

#include "prefs/PreferencesStore.h"
#include "prefs/StoredJson.h"

#include <QScopedValueRollback>

#include <algorithm>

BookmarkStore::BookmarkStore(PreferencesStore &preferences, QObject *parent)
    : QObject(parent)
    , m_preferences(preferences)
{
    connect(&m_preferences, &PreferencesStore::valueChanged, this,
            &BookmarkStore::handlePreferenceChanged);
    loadBookmarks();
}

void BookmarkStore::setBookmarks(const QList<ShoppingBookmark> &bookmarks)
{
    m_bookmarks = bookmarks;
    Q_EMIT bookmarksChanged();
}

void BookmarkStore::loadBookmarks()
{
    const QString key = QLatin1String(storageKey);
    if (const std::optional<QByteArray> data = m_preferences.data(key)) {
        if (std::optional<QList<ShoppingBookmark>> decoded = decode(*data)) {
            m_unreadable.reset();
            setBookmarks(*decoded);
            return;
        }
    }
    // Undecodable bytes, or text where bytes belong: kept aside at the first
    // write; an absent key has nothing to keep.
    m_unreadable = m_preferences.rawBytes(key);
}

void BookmarkStore::saveBookmarks()
{
    const std::optional<QByteArray> encoded = encode(m_bookmarks);
    if (!encoded)
        return;

    const QString key = QLatin1String(storageKey);
    if (m_unreadable) {
        m_preferences.keepUnreadable(key, *m_unreadable);
        m_unreadable.reset();
    }
    const QScopedValueRollback<bool> writing(m_isWriting, true);
    m_preferences.setData(key, *encoded);
}

void BookmarkStore::addBookmark(const QString &title, const QString &url, const QString &shopName,
                                const QString &notes)
{
    // Only the empty string falls back to the address: a title of blanks is
    // what the page called itself.
    const QString effectiveTitle = title.isEmpty() ? url : title;
    m_bookmarks.prepend(ShoppingBookmark::create(effectiveTitle, url, shopName, notes));
    Q_EMIT bookmarksChanged();
    saveBookmarks();
}

void BookmarkStore::removeBookmark(const QUuid &id)
{
    m_bookmarks.removeIf([&id](const ShoppingBookmark &bookmark) { return bookmark.id == id; });
    Q_EMIT bookmarksChanged();
    saveBookmarks();
}

std::optional<QByteArray> BookmarkStore::encode(const QList<ShoppingBookmark> &bookmarks)
{
    const bool allDated
        = std::all_of(bookmarks.cbegin(), bookmarks.cend(),
                      [](const ShoppingBookmark &b) { return b.dateAdded.isValid(); });
    if (!allDated)
        return std::nullopt;

    return StoredJson::encodeArray(bookmarks);
}

std::optional<QList<ShoppingBookmark>> BookmarkStore::decode(const QByteArray &data)
{
    return StoredJson::decodeArray<ShoppingBookmark>(data);
}

void BookmarkStore::handlePreferenceChanged(const QString &key)
{
    if (m_isWriting || key != QLatin1String(storageKey))
        return;
    loadBookmarks();
}

#include "bookmarks/BookmarkStore.h"

#include "prefs/PreferencesStore.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
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
    const std::optional<QByteArray> data = m_preferences.data(key);
    if (!data) {
        // Text where bytes belong is as unreadable as broken JSON and is kept
        // the same way; an absent key has nothing to keep.
        const std::optional<QString> text = m_preferences.string(key);
        m_unreadable = text ? std::optional<QByteArray>(text->toUtf8()) : std::nullopt;
        return;
    }

    std::optional<QList<ShoppingBookmark>> decoded = decode(*data);
    if (!decoded) {
        m_unreadable = *data;
        return;
    }
    m_unreadable.reset();
    setBookmarks(*decoded);
}

void BookmarkStore::saveBookmarks()
{
    const std::optional<QByteArray> encoded = encode(m_bookmarks);
    if (!encoded)
        return;

    const QString key = QLatin1String(storageKey);
    if (m_unreadable) {
        m_preferences.setData(key + QLatin1String(unreadableSuffix), *m_unreadable);
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

    QJsonArray array;
    for (const ShoppingBookmark &bookmark : bookmarks)
        array.append(bookmark.toJson());
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

std::optional<QList<ShoppingBookmark>> BookmarkStore::decode(const QByteArray &data)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(data, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;

    const QJsonArray array = document.array();
    QList<ShoppingBookmark> bookmarks;
    bookmarks.reserve(array.size());
    for (const QJsonValue &value : array) {
        std::optional<ShoppingBookmark> bookmark = ShoppingBookmark::fromJson(value);
        if (!bookmark)
            return std::nullopt;
        bookmarks.append(std::move(*bookmark));
    }
    return bookmarks;
}

void BookmarkStore::handlePreferenceChanged(const QString &key)
{
    if (m_isWriting || key != QLatin1String(storageKey))
        return;
    loadBookmarks();
}

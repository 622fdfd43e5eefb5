#pragma once

#include <QDateTime>
#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QUuid>

#include <optional>

// A saved page. Never changed after creation.
struct ShoppingBookmark
{
    QUuid id;
    QString title;
    QString url;
    QString shopName;
    QDateTime dateAdded; // UTC
    QString notes;

    // A new bookmark with a fresh random id, added now.
    static ShoppingBookmark create(const QString &title, const QString &url,
                                   const QString &shopName, const QString &notes);

    // Keys "id", "title", "url", "shopName", "dateAdded" (seconds since
    // 2001-01-01 00:00:00 UTC, with fraction), "notes"; all required.
    // An invalid dateAdded cannot be written; BookmarkStore refuses to
    // save a list holding one.
    QJsonObject toJson() const;
    static std::optional<ShoppingBookmark> fromJson(const QJsonValue &value);

    // Stored times keep millisecond precision, which is what QDateTime holds,
    // so a list written here reads back equal.
    static double storedSeconds(const QDateTime &dateTime);
    static std::optional<QDateTime> dateFromStoredSeconds(double seconds);

    friend bool operator==(const ShoppingBookmark &, const ShoppingBookmark &) = default;
};

size_t qHash(const ShoppingBookmark &bookmark, size_t seed = 0) noexcept;

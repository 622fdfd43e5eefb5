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

    // Keys "id", "title", "url", "shopName", "dateAdded" (seconds since
    // 2001-01-01 00:00:00 UTC, with fraction), "notes"; all required.
    QJsonObject toJson() const;
    static std::optional<ShoppingBookmark> fromJson(const QJsonValue &value);

    friend bool operator==(const ShoppingBookmark &, const ShoppingBookmark &) = default;
};

size_t qHash(const ShoppingBookmark &bookmark, size_t seed = 0) noexcept;

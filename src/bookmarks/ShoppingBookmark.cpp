#include "bookmarks/ShoppingBookmark.h"

#include "prefs/StoredJson.h"

#include <QHashFunctions>
#include <QTimeZone>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// 2001-01-01 00:00:00 UTC in milliseconds since the Unix epoch: the zero of
// the stored "dateAdded" numbers.
constexpr qint64 referenceDateMSecs = 978307200000;

// Beyond this many milliseconds a double no longer holds every integer, and
// the value would be centuries outside any real bookmark anyway.
constexpr double maxStoredMSecs = 9.0e15;

} // namespace

ShoppingBookmark ShoppingBookmark::create(const QString &title, const QString &url,
                                          const QString &shopName, const QString &notes)
{
    return ShoppingBookmark {
        QUuid::createUuid(), title, url, shopName, QDateTime::currentDateTimeUtc(), notes};
}

double ShoppingBookmark::storedSeconds(const QDateTime &dateTime)
{
    return double(dateTime.toMSecsSinceEpoch() - referenceDateMSecs) / 1000.0;
}

std::optional<QDateTime> ShoppingBookmark::dateFromStoredSeconds(double seconds)
{
    const double msecs = std::round(seconds * 1000.0);
    if (!std::isfinite(msecs) || std::fabs(msecs) > maxStoredMSecs)
        return std::nullopt;
    return QDateTime::fromMSecsSinceEpoch(qint64(msecs) + referenceDateMSecs, QTimeZone::utc());
}

QJsonObject ShoppingBookmark::toJson() const
{
    return QJsonObject {
        {QStringLiteral("id"), StoredJson::idText(id)},
        {QStringLiteral("title"), title},
        {QStringLiteral("url"), url},
        {QStringLiteral("shopName"), shopName},
        {QStringLiteral("dateAdded"), storedSeconds(dateAdded)},
        {QStringLiteral("notes"), notes},
    };
}

std::optional<ShoppingBookmark> ShoppingBookmark::fromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();

    const auto uuid = StoredJson::requireId(object, "id"_L1);
    const auto title = StoredJson::requireString(object, "title"_L1);
    const auto url = StoredJson::requireString(object, "url"_L1);
    const auto shopName = StoredJson::requireString(object, "shopName"_L1);
    const auto seconds = StoredJson::requireNumber(object, "dateAdded"_L1);
    const auto notes = StoredJson::requireString(object, "notes"_L1);
    if (!uuid || !title || !url || !shopName || !seconds || !notes)
        return std::nullopt;
    const std::optional<QDateTime> date = dateFromStoredSeconds(*seconds);
    if (!date)
        return std::nullopt;

    return ShoppingBookmark {*uuid, *title, *url, *shopName, *date, *notes};
}

size_t qHash(const ShoppingBookmark &bookmark, size_t seed) noexcept
{
    return qHashMulti(seed, bookmark.id, bookmark.title, bookmark.url, bookmark.shopName,
                      bookmark.dateAdded, bookmark.notes);
}

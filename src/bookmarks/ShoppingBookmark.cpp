#include "bookmarks/ShoppingBookmark.h"

#include <QHashFunctions>
#include <QLocale>
#include <QTimeZone>

#include <cmath>

namespace {

// 2001-01-01 00:00:00 UTC in milliseconds since the Unix epoch: the zero of
// the stored "dateAdded" numbers.
constexpr qint64 referenceDateMSecs = 978307200000;

// Beyond this many milliseconds a double no longer holds every integer, and
// the value would be centuries outside any real bookmark anyway.
constexpr double maxStoredMSecs = 9.0e15;

bool isCanonicalUuidText(const QString &text)
{
    if (text.size() != 36)
        return false;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != u'-')
                return false;
        } else if (!((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f')
                     || (c >= u'A' && c <= u'F'))) {
            return false;
        }
    }
    return true;
}

} // namespace

ShoppingBookmark ShoppingBookmark::create(const QString &title, const QString &url,
                                          const QString &shopName, const QString &notes)
{
    return ShoppingBookmark {
        QUuid::createUuid(), title, url, shopName, QDateTime::currentDateTimeUtc(), notes};
}

QString ShoppingBookmark::idText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> ShoppingBookmark::idFromText(const QString &text)
{
    // QUuid itself also takes braces and other shapes; stored ids take only
    // the bare 8-4-4-4-12 form.
    if (!isCanonicalUuidText(text))
        return std::nullopt;
    return QUuid::fromString(text);
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
        {QStringLiteral("id"), idText(id)},
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

    const QJsonValue id = object.value(QLatin1String("id"));
    const QJsonValue title = object.value(QLatin1String("title"));
    const QJsonValue url = object.value(QLatin1String("url"));
    const QJsonValue shopName = object.value(QLatin1String("shopName"));
    const QJsonValue dateAdded = object.value(QLatin1String("dateAdded"));
    const QJsonValue notes = object.value(QLatin1String("notes"));
    if (!id.isString() || !title.isString() || !url.isString() || !shopName.isString()
        || !dateAdded.isDouble() || !notes.isString()) {
        return std::nullopt;
    }

    const std::optional<QUuid> uuid = idFromText(id.toString());
    const std::optional<QDateTime> date = dateFromStoredSeconds(dateAdded.toDouble());
    if (!uuid || !date)
        return std::nullopt;

    return ShoppingBookmark {*uuid, title.toString(), url.toString(), shopName.toString(),
                             *date, notes.toString()};
}

size_t qHash(const ShoppingBookmark &bookmark, size_t seed) noexcept
{
    return qHashMulti(seed, bookmark.id, bookmark.title, bookmark.url, bookmark.shopName,
                      bookmark.dateAdded, bookmark.notes);
}

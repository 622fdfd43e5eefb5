#include "prefs/StoredJson.h"

#include <QJsonValue>

namespace StoredJson {

QString idText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> idFromText(const QString &text)
{
    // QUuid::fromString also takes braces and reads garbage as the null id;
    // a stored id is the plain hyphenated form only, so it must print back
    // as the very text it was read from.
    const QUuid id = QUuid::fromString(text);
    if (id.toString(QUuid::WithoutBraces).compare(text, Qt::CaseInsensitive) != 0)
        return std::nullopt;
    return id;
}

std::optional<QUuid> requireId(const QJsonObject &object, QLatin1StringView key)
{
    const std::optional<QString> text = requireString(object, key);
    if (!text)
        return std::nullopt;
    return idFromText(*text);
}

std::optional<QString> requireString(const QJsonObject &object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (!value.isString())
        return std::nullopt;
    return value.toString();
}

std::optional<bool> requireBool(const QJsonObject &object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (!value.isBool())
        return std::nullopt;
    return value.toBool();
}

std::optional<double> requireNumber(const QJsonObject &object, QLatin1StringView key)
{
    const QJsonValue value = object.value(key);
    if (!value.isDouble())
        return std::nullopt;
    return value.toDouble();
}

} // namespace StoredJson

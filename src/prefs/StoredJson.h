#pragma once

#include <QJsonObject>
#include <QString>
#include <QUuid>

#include <optional>

// Field readers and the id form shared by every persisted record (rules and
// bookmarks): every key is required with its JSON type, and ids are strictly
// 8-4-4-4-12.
namespace StoredJson {

// Upper-case canonical form without braces.
QString idText(const QUuid &id);
// Either case, exactly 36 characters with hyphens at 8, 13, 18 and 23.
std::optional<QUuid> idFromText(const QString &text);

std::optional<QUuid> requireId(const QJsonObject &object, QLatin1StringView key);
std::optional<QString> requireString(const QJsonObject &object, QLatin1StringView key);
std::optional<bool> requireBool(const QJsonObject &object, QLatin1StringView key);
std::optional<double> requireNumber(const QJsonObject &object, QLatin1StringView key);

} // namespace StoredJson

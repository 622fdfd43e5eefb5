#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonParseError>
#include <QList>
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

// A whole stored list: a JSON array of records. One bad element discards the
// whole list, so a half-read list never replaces what the user had.
template<typename Record> std::optional<QList<Record>> decodeArray(const QByteArray &bytes)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return std::nullopt;
    const QJsonArray array = document.array();
    QList<Record> records;
    records.reserve(array.size());
    for (const QJsonValue &element : array) {
        std::optional<Record> record = Record::fromJson(element);
        if (!record)
            return std::nullopt;
        records.append(std::move(*record));
    }
    return records;
}

// Compact, as the lists are rewritten whole on every change.
template<typename Record> QByteArray encodeArray(const QList<Record> &records)
{
    QJsonArray array;
    for (const Record &record : records)
        array.append(record.toJson());
    return QJsonDocument(array).toJson(QJsonDocument::Compact);
}

} // namespace StoredJson

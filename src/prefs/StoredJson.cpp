#include "prefs/StoredJson.h"

#include <QJsonValue>

namespace StoredJson {

QString idText(const QUuid &id)
{
    return id.toString(QUuid::WithoutBraces).toUpper();
}

std::optional<QUuid> idFromText(const QString &text)
{
    // QUuid::fromString also takes braces and returns a null id for garbage;
    // stored ids must be the plain hyphenated form, nothing else.
    if (text.size() != 36)
        return std::nullopt;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (i == 8 || i == 13 || i == 18 || i == 23) {
            if (c != u'-')
                return std::nullopt;
            continue;
        }
        const bool hex
            = (c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f') || (c >= u'A' && c <= u'F');
        if (!hex)
            return std::nullopt;
    }
    return QUuid::fromString(text);
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

#include "rules/ExcludedPattern.h"

#include "prefs/StoredJson.h"

#include <QHashFunctions>

using namespace Qt::StringLiterals;

ExcludedPattern ExcludedPattern::create(const QString &pattern, const QString &reason,
                                        bool isEnabled, bool isCustom)
{
    return ExcludedPattern {QUuid::createUuid(), pattern, reason, isEnabled, isCustom};
}

QJsonObject ExcludedPattern::toJson() const
{
    QJsonObject object;
    object.insert("id"_L1, StoredJson::idText(id));
    object.insert("pattern"_L1, pattern);
    object.insert("reason"_L1, reason);
    object.insert("isEnabled"_L1, isEnabled);
    object.insert("isCustom"_L1, isCustom);
    return object;
}

std::optional<ExcludedPattern> ExcludedPattern::fromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const auto id = StoredJson::requireId(object, "id"_L1);
    const auto pattern = StoredJson::requireString(object, "pattern"_L1);
    const auto reason = StoredJson::requireString(object, "reason"_L1);
    const auto isEnabled = StoredJson::requireBool(object, "isEnabled"_L1);
    const auto isCustom = StoredJson::requireBool(object, "isCustom"_L1);
    if (!id || !pattern || !reason || !isEnabled || !isCustom)
        return std::nullopt;
    return ExcludedPattern {*id, *pattern, *reason, *isEnabled, *isCustom};
}

size_t qHash(const ExcludedPattern &pattern, size_t seed) noexcept
{
    return qHashMulti(seed, pattern.id, pattern.pattern, pattern.reason, pattern.isEnabled,
                      pattern.isCustom);
}

#include "rules/TrustedShop.h"

#include "prefs/StoredJson.h"

#include <QHashFunctions>

using namespace Qt::StringLiterals;

TrustedShop TrustedShop::create(const QString &name, const QString &domain, const QString &category,
                                const QString &searchUrlTemplate, bool isEnabled, bool isCustom)
{
    return TrustedShop {QUuid::createUuid(), name,      domain,  category,
                        searchUrlTemplate,   isEnabled, isCustom};
}

QJsonObject TrustedShop::toJson() const
{
    QJsonObject object;
    object.insert("id"_L1, StoredJson::idText(id));
    object.insert("name"_L1, name);
    object.insert("domain"_L1, domain);
    object.insert("category"_L1, category);
    object.insert("searchUrlTemplate"_L1, searchUrlTemplate);
    object.insert("isEnabled"_L1, isEnabled);
    object.insert("isCustom"_L1, isCustom);
    return object;
}

std::optional<TrustedShop> TrustedShop::fromJson(const QJsonValue &value)
{
    if (!value.isObject())
        return std::nullopt;
    const QJsonObject object = value.toObject();
    const auto id = StoredJson::requireId(object, "id"_L1);
    const auto name = StoredJson::requireString(object, "name"_L1);
    const auto domain = StoredJson::requireString(object, "domain"_L1);
    const auto category = StoredJson::requireString(object, "category"_L1);
    const auto searchUrlTemplate = StoredJson::requireString(object, "searchUrlTemplate"_L1);
    const auto isEnabled = StoredJson::requireBool(object, "isEnabled"_L1);
    const auto isCustom = StoredJson::requireBool(object, "isCustom"_L1);
    if (!id || !name || !domain || !category || !searchUrlTemplate || !isEnabled || !isCustom)
        return std::nullopt;
    return TrustedShop {*id, *name, *domain, *category, *searchUrlTemplate, *isEnabled, *isCustom};
}

size_t qHash(const TrustedShop &shop, size_t seed) noexcept
{
    return qHashMulti(seed, shop.id, shop.name, shop.domain, shop.category, shop.searchUrlTemplate,
                      shop.isEnabled, shop.isCustom);
}

#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QUuid>

#include <optional>

// A certified shop: known by its domain, able to take a query directly.
struct TrustedShop
{
    QUuid id;
    QString name;
    QString domain;
    QString category;
    QString searchUrlTemplate;
    bool isEnabled = true;
    bool isCustom = false;

    // A new row with a fresh random id.
    static TrustedShop create(const QString &name, const QString &domain, const QString &category,
                              const QString &searchUrlTemplate, bool isEnabled, bool isCustom);

    // Keys "id", "name", "domain", "category", "searchUrlTemplate",
    // "isEnabled", "isCustom"; the id upper-case 8-4-4-4-12.
    QJsonObject toJson() const;
    // Every key required with its JSON type, other keys ignored, id in either
    // case; anything else is no shop.
    static std::optional<TrustedShop> fromJson(const QJsonValue &value);

    friend bool operator==(const TrustedShop &, const TrustedShop &) = default;
};

size_t qHash(const TrustedShop &shop, size_t seed = 0) noexcept;

#pragma once

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <QUuid>

#include <optional>

// A dangerous top-level domain ("*.top") or domain; a page matching an
// enabled one is suspicious, and searches exclude it.
struct ExcludedPattern
{
    QUuid id;
    QString pattern;
    QString reason;
    bool isEnabled = true;
    bool isCustom = false;

    static ExcludedPattern create(const QString &pattern, const QString &reason, bool isEnabled,
                                  bool isCustom);

    // Keys "id", "pattern", "reason", "isEnabled", "isCustom".
    QJsonObject toJson() const;
    static std::optional<ExcludedPattern> fromJson(const QJsonValue &value);

    friend bool operator==(const ExcludedPattern &, const ExcludedPattern &) = default;
};

size_t qHash(const ExcludedPattern &pattern, size_t seed = 0) noexcept;

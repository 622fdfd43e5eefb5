#pragma once

#include <QList>
#include <QString>

#include <optional>

// Which Google service receives a filtered search.
enum class SearchTargetEngine {
    googleShopping,
    googleWeb,
};

QList<SearchTargetEngine> allSearchTargetEngines();
QString rawValue(SearchTargetEngine engine);
std::optional<SearchTargetEngine> searchTargetEngineFromRawValue(const QString &raw);
QString displayName(SearchTargetEngine engine);
QString iconName(SearchTargetEngine engine);

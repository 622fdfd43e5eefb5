#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

// Which Google service receives a filtered search.
// The stored raw value of each engine is its enumerator's name, so the meta
// enum gives the text both ways.
struct SearchTargetEngineMeta
{
    Q_GADGET

public:
    enum class SearchTargetEngine {
        googleShopping,
        googleWeb,
    };
    Q_ENUM(SearchTargetEngine)
};
using SearchTargetEngine = SearchTargetEngineMeta::SearchTargetEngine;

QList<SearchTargetEngine> allSearchTargetEngines();
QString rawValue(SearchTargetEngine engine);
std::optional<SearchTargetEngine> searchTargetEngineFromRawValue(const QString &raw);
QString displayName(SearchTargetEngine engine);
QString iconName(SearchTargetEngine engine);

#include "rules/SearchTargetEngine.h"

QList<SearchTargetEngine> allSearchTargetEngines()
{
    return {SearchTargetEngine::googleShopping, SearchTargetEngine::googleWeb};
}

QString rawValue(SearchTargetEngine engine)
{
    switch (engine) {
    case SearchTargetEngine::googleShopping:
        return QStringLiteral("googleShopping");
    case SearchTargetEngine::googleWeb:
        return QStringLiteral("googleWeb");
    }
    return QString();
}

std::optional<SearchTargetEngine> searchTargetEngineFromRawValue(const QString &raw)
{
    for (const SearchTargetEngine engine : allSearchTargetEngines()) {
        if (rawValue(engine) == raw)
            return engine;
    }
    return std::nullopt;
}

QString displayName(SearchTargetEngine engine)
{
    switch (engine) {
    case SearchTargetEngine::googleShopping:
        return QStringLiteral("🛒 Googleショッピング検索 (ショップ価格比較)");
    case SearchTargetEngine::googleWeb:
        return QStringLiteral("🌐 Google Web安心検索 (通常Web)");
    }
    return QString();
}

QString iconName(SearchTargetEngine engine)
{
    switch (engine) {
    case SearchTargetEngine::googleShopping:
        return QStringLiteral("cart.fill");
    case SearchTargetEngine::googleWeb:
        return QStringLiteral("globe");
    }
    return QString();
}

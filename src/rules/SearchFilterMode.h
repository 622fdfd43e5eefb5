#pragma once

#include <QList>
#include <QObject>
#include <QString>

#include <optional>

// How a product search is filtered. Declaration order is the order shown in
// the search bar's menu.
// The stored raw value of each mode is its enumerator's name, so the meta
// enum gives the text both ways.
struct SearchFilterModeMeta
{
    Q_GADGET

public:
    enum class SearchFilterMode {
        trustedOnly,
        excludeSuspicious,
        directShopSearch,
    };
    Q_ENUM(SearchFilterMode)
};
using SearchFilterMode = SearchFilterModeMeta::SearchFilterMode;

QList<SearchFilterMode> allSearchFilterModes();
QString rawValue(SearchFilterMode mode);
// Exact, case-sensitive match against the raw values; anything else is no mode.
std::optional<SearchFilterMode> searchFilterModeFromRawValue(const QString &raw);
QString displayName(SearchFilterMode mode);
QString descriptionText(SearchFilterMode mode);
QString iconName(SearchFilterMode mode);

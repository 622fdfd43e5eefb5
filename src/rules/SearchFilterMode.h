#pragma once

#include <QList>
#include <QString>

#include <optional>

// How a product search is filtered. Declaration order is the order shown in
// the search bar's menu.
enum class SearchFilterMode {
    trustedOnly,
    excludeSuspicious,
    directShopSearch,
};

QList<SearchFilterMode> allSearchFilterModes();
QString rawValue(SearchFilterMode mode);
// Exact, case-sensitive match against the raw values; anything else is no mode.
std::optional<SearchFilterMode> searchFilterModeFromRawValue(const QString &raw);
QString displayName(SearchFilterMode mode);
QString descriptionText(SearchFilterMode mode);
QString iconName(SearchFilterMode mode);

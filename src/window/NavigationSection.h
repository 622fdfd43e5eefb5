#pragma once

#include <QList>
#include <QString>

#include <optional>

// The sidebar sections of a window; declaration order is the sidebar order.
enum class NavigationSection {
    browser,
    bookmarks,
    trustedShops,
    securityRules,
    subscriptions,
    settings,
};

QList<NavigationSection> allNavigationSections();
QString rawValue(NavigationSection section);
// Exact, case-sensitive match against the raw values; anything else is none.
std::optional<NavigationSection> navigationSectionFromRawValue(const QString &raw);
QString title(NavigationSection section);
QString iconName(NavigationSection section);
// The header of the sidebar group the section is listed under.
QString groupTitle(NavigationSection section);

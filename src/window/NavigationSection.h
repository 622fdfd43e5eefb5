#pragma once

#include <QList>
#include <QString>

// The sidebar sections of a window; declaration order is the sidebar order.
enum class NavigationSection {
    browser,
    bookmarks,
    history,
    trustedShops,
    securityRules,
    subscriptions,
    settings,
};

QList<NavigationSection> allNavigationSections();
QString title(NavigationSection section);
QString iconName(NavigationSection section);
// The header of the sidebar group the section is listed under.
QString groupTitle(NavigationSection section);

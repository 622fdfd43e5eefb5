#pragma once

#include "bookmarks/BookmarkStore.h"
#include "prefs/SettingsPreferencesStore.h"
#include "rules/SecurityRuleStore.h"
#include "subscriptions/SubscriptionStore.h"
#include "theme/ThemeManager.h"

#include <QTemporaryDir>

// The shared objects a view is given, over a real settings file of its own,
// as a fresh start of the program would have them.
struct TestStores
{
    QTemporaryDir dir;
    SettingsPreferencesStore preferences {dir.filePath(QStringLiteral("preferences.ini"))};
    ThemeManager themeManager {preferences};
    SecurityRuleStore ruleStore {preferences};
    BookmarkStore bookmarkStore {preferences};
    // Lists in the folder too; nothing downloads unless a test asks.
    SubscriptionStore subscriptionStore {preferences, subscriptionOptions(dir)};

    static SubscriptionStore::Options subscriptionOptions(const QTemporaryDir &folder)
    {
        SubscriptionStore::Options options;
        options.directory = folder.filePath(QStringLiteral("lists"));
        return options;
    }
};

#pragma once

#include "prefs/SettingsPreferencesStore.h"
#include "rules/SecurityRuleStore.h"

#include <QTemporaryDir>

// A test's own rules, over a settings file that goes with the test.
struct CoreRules
{
    QTemporaryDir dir;
    SettingsPreferencesStore preferences {dir.filePath(QStringLiteral("prefs.ini"))};
    SecurityRuleStore store {preferences};
};

#pragma once

#include "rules/ExcludedPattern.h"
#include "rules/TrustedShop.h"

#include <QList>

// The built-in tables, built once per process (same ids for the whole run).
// Callers get independent copies.
QList<TrustedShop> defaultTrustedShops();
QList<ExcludedPattern> defaultExcludedPatterns();

#pragma once

#include "rules/BrandIndex.h"

// The shopping and payment brands phishing in Japan imitates most, each with
// the domains it really uses. Immutable reference data, built once.
class BuiltInBrands
{
public:
    static const BrandIndex &index();
};

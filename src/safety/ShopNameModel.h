#pragma once

#include <QStringView>

// Lexical model trained offline on the development lists (tools/).
class ShopNameModel
{
public:
    enum class Finding { none, madeUpShopName, machineGeneratedHost };
    // host: lower-case ASCII, no trailing dot; registrableDomain and publicSuffix from
    // the public suffix list. madeUpShopName is a caution, machineGeneratedHost a block.
    static Finding assess(QStringView host, QStringView registrableDomain,
                          QStringView publicSuffix);
};

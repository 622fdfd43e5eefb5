#pragma once

#include <QFlags>
#include <QStringView>

// Lexical models trained offline on the development lists (tools/).
class ShopNameModel
{
public:
    enum class Finding {
        none = 0,
        madeUpShopName = 1,
        // Alone: the host's machine-made shape says enough.
        machineGeneratedHost = 2,
        randomLetters = 4,
    };
    Q_DECLARE_FLAGS(Findings, Finding)
    // host: lower-case ASCII, no trailing dot; registrableDomain and publicSuffix from
    // the public suffix list. machineGeneratedHost is a block, the others cautions.
    static Findings assess(QStringView host, QStringView registrableDomain,
                           QStringView publicSuffix);
};

Q_DECLARE_OPERATORS_FOR_FLAGS(ShopNameModel::Findings)

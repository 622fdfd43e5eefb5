#pragma once

#include <QStringView>

// Free dynamic-DNS services and abuse-heavy free hosting, each entry with its source.
class AbusedHosting
{
public:
    enum class Kind { none, dynamicDns, freeHosting };
    struct Match
    {
        Kind kind = Kind::none;
        bool block = false; // false: a caution only
        QStringView suffix; // the listed suffix the host lies below
    };
    // host: lower-case ASCII (punycode), no trailing dot.
    static Match match(QStringView host);
};

#pragma once

#include <QStringView>

// Top-level domains that the development lists show phishing and fake shops
// favour, beyond the user-visible default patterns (which stay as they are).
class RiskyTopLevelDomains
{
public:
    enum class Risk { none, caution, block };
    // tld: the host's last label, lower-case ASCII.
    static Risk risk(QStringView tld);
};

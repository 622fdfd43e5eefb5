#pragma once

#include <QStringView>

// Top-level domains that the development lists show phishing and fake shops
// favour, beyond the user-visible default patterns (which stay as they are).
class RiskyTopLevelDomains
{
public:
    enum class Risk { none, caution, block };
    // tld: the host's last label, or a public suffix a registry sells names
    // under ("sa.com"); lower-case ASCII.
    static Risk risk(QStringView tld);
};

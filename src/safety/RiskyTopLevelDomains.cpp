#include "safety/RiskyTopLevelDomains.h"

#include <algorithm>
#include <array>

namespace {

struct Entry
{
    QStringView tld;
    RiskyTopLevelDomains::Risk risk;
};

using Risk = RiskyTopLevelDomains::Risk;

// Counts from the development lists: shopping-phishing hosts (of 45,921;
// 2023 rows of 14,077) against natural legitimate hosts (of 4,942). A TLD
// blocks only where the phishing it stops outweighs, by hundreds to one,
// the legitimate sites it costs; busier TLDs with some legitimate use only
// caution.
constexpr std::array<Entry, 20> entries = {{
    {u"cn", Risk::block}, // 8,086 (1,285 in 2023) against 20
    {u"cfd", Risk::block}, // 2,560 (all 2023) against 0
    {u"asia", Risk::block}, // 283 (221) against 0
    {u"cyou", Risk::block}, // 150 (56) against 0
    {u"bar", Risk::block}, // 150 against 0
    {u"casa", Risk::block}, // 78 against 0
    {u"ltd", Risk::block}, // 70 against 0
    {u"bond", Risk::block}, // 38 (18) against 0
    {u"lol", Risk::block}, // 36 against 0
    // 49 (12) against 0, and 48 of the bundled list's fake shops
    {u"life", Risk::block},
    {u"shop", Risk::caution}, // 2,136 (239) against 8; many real small shops
    {u"cc", Risk::caution}, // 960 (233) against 9
    {u"site", Risk::caution}, // 91 (50) against 3
    {u"cloud", Risk::caution}, // 59 (23) against 0
    {u"online", Risk::caution}, // 31 phishing and 6 fake shops against 1
    {u"store", Risk::caution}, // 31 against 0
    // Word-pair fake shops ("coffeewrong.best"): 31 of the bundled list
    {u"best", Risk::caution}, // 39 against 0; legitimate sites use it too
    {u"fun", Risk::caution}, // 22 against 1
    // A registry's country-named second levels, sold as names of their own:
    // word-pair fake shops ("sockworse.sa.com") of later batches of the
    // community list (17 of 1,033), and some South African businesses.
    {u"sa.com", Risk::caution},
    {u"za.com", Risk::caution},
}};

} // namespace

RiskyTopLevelDomains::Risk RiskyTopLevelDomains::risk(QStringView tld)
{
    const auto found = std::find_if(entries.begin(), entries.end(),
                                    [tld](const Entry &entry) { return entry.tld == tld; });
    return found == entries.end() ? Risk::none : found->risk;
}

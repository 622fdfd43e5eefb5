#pragma once

#include <QStringView>

// Major legitimate sites a shopper in Japan visits: portals and search,
// social networks, news, the big marketplaces, shops and makers, banks,
// cards and carriers, and every registrable domain under the government-only
// suffixes go.jp, lg.jp and gov. Community block lists are kept by
// volunteers and now and then name one of these by mistake; a subscribed
// list must not take the user away from them. Platforms that host other
// people's sites under their own name (blog and shop builders, file and page
// hosts, link shorteners) are left out on purpose: a list may rightly block
// a page there.
class MajorSites
{
public:
    // asciiHost: lower-case ASCII (punycode) without a trailing dot. True
    // when its registrable domain is one of the sites, so every subdomain
    // counts and look-alikes ("nikkei.com.example.top") do not.
    static bool contains(QStringView asciiHost);
    // The same for a host whose registrable domain and public suffix the
    // caller has already read off the public suffix list.
    static bool containsRegistrable(QStringView registrable, QStringView suffix);
};

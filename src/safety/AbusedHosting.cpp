#include "safety/AbusedHosting.h"

#include "address/DomainKey.h"

#include <QHash>

#include <iterator>

namespace {

struct Entry
{
    QStringView suffix;
    AbusedHosting::Kind kind;
    bool block;
};

constexpr auto dynamicDns = AbusedHosting::Kind::dynamicDns;
constexpr auto freeHosting = AbusedHosting::Kind::freeHosting;
constexpr bool block = true;
constexpr bool caution = false;

// Anyone can take a name below these suffixes in a minute, for free and without
// giving a name, so a shop or payment page there is never the real thing. The
// names of one free service are decided together, as attackers move between
// them: the service blocks where the development lists show 20 or more abused
// hosts below its names, and an entry with a natural legitimate host below it
// only cautions; everything else cautions. tools/abused_hosting_report.py
// measures each group and checks the table against that rule.
// clang-format off
constexpr Entry entries[] = {
    // Free dynamic DNS.

    // DuckDNS: the public suffix list, private section ("DuckDNS").
    {u"duckdns.org", dynamicDns, block},

    // No-IP free domains: the public suffix list, private section ("No-IP.com").
    {u"blogsyte.com", dynamicDns, block}, {u"brasilia.me", dynamicDns, block},
    {u"cable-modem.org", dynamicDns, block}, {u"ciscofreak.com", dynamicDns, block},
    {u"collegefan.org", dynamicDns, block}, {u"couchpotatofries.org", dynamicDns, block},
    {u"damnserver.com", dynamicDns, block}, {u"ddns.me", dynamicDns, block},
    {u"ditchyourip.com", dynamicDns, block}, {u"dnsfor.me", dynamicDns, block},
    {u"dnsiskinky.com", dynamicDns, block}, {u"dvrcam.info", dynamicDns, block},
    {u"dynns.com", dynamicDns, block}, {u"eating-organic.net", dynamicDns, block},
    {u"fantasyleague.cc", dynamicDns, block}, {u"geekgalaxy.com", dynamicDns, block},
    {u"golffan.us", dynamicDns, block}, {u"health-carereform.com", dynamicDns, block},
    {u"homesecuritymac.com", dynamicDns, block}, {u"homesecuritypc.com", dynamicDns, block},
    {u"hopto.me", dynamicDns, block}, {u"ilovecollege.info", dynamicDns, block},
    {u"loginto.me", dynamicDns, block}, {u"mlbfan.org", dynamicDns, block},
    {u"mmafan.biz", dynamicDns, block}, {u"myactivedirectory.com", dynamicDns, block},
    {u"mydissent.net", dynamicDns, block}, {u"myeffect.net", dynamicDns, block},
    {u"mymediapc.net", dynamicDns, block}, {u"mypsx.net", dynamicDns, block},
    {u"mysecuritycamera.com", dynamicDns, block}, {u"mysecuritycamera.net", dynamicDns, block},
    {u"mysecuritycamera.org", dynamicDns, block}, {u"net-freaks.com", dynamicDns, block},
    {u"nflfan.org", dynamicDns, block}, {u"nhlfan.net", dynamicDns, block},
    {u"no-ip.ca", dynamicDns, block}, {u"no-ip.co.uk", dynamicDns, block},
    {u"no-ip.net", dynamicDns, block}, {u"noip.us", dynamicDns, block},
    {u"onthewifi.com", dynamicDns, block}, {u"pgafan.net", dynamicDns, block},
    {u"point2this.com", dynamicDns, block}, {u"pointto.us", dynamicDns, block},
    {u"privatizehealthinsurance.net", dynamicDns, block}, {u"quicksytes.com", dynamicDns, block},
    {u"read-books.org", dynamicDns, block}, {u"securitytactics.com", dynamicDns, block},
    {u"serveexchange.com", dynamicDns, block}, {u"servehumour.com", dynamicDns, block},
    {u"servep2p.com", dynamicDns, block}, {u"servesarcasm.com", dynamicDns, block},
    {u"stufftoread.com", dynamicDns, block}, {u"ufcfan.org", dynamicDns, block},
    {u"unusualperson.com", dynamicDns, block}, {u"workisboring.com", dynamicDns, block},
    {u"3utilities.com", dynamicDns, block}, {u"bounceme.net", dynamicDns, block},
    {u"ddns.net", dynamicDns, block}, {u"ddnsking.com", dynamicDns, block},
    {u"gotdns.ch", dynamicDns, block}, {u"hopto.org", dynamicDns, block},
    {u"myftp.biz", dynamicDns, block}, {u"myftp.org", dynamicDns, block},
    {u"myvnc.com", dynamicDns, block}, {u"no-ip.biz", dynamicDns, block},
    {u"no-ip.info", dynamicDns, block}, {u"no-ip.org", dynamicDns, block},
    {u"noip.me", dynamicDns, block}, {u"redirectme.net", dynamicDns, block},
    {u"servebeer.com", dynamicDns, block}, {u"serveblog.net", dynamicDns, block},
    {u"servecounterstrike.com", dynamicDns, block}, {u"serveftp.com", dynamicDns, block},
    {u"servegame.com", dynamicDns, block}, {u"servehalflife.com", dynamicDns, block},
    {u"servehttp.com", dynamicDns, block}, {u"serveirc.com", dynamicDns, block},
    {u"serveminecraft.net", dynamicDns, block}, {u"servemp3.com", dynamicDns, block},
    {u"servepics.com", dynamicDns, block}, {u"servequake.com", dynamicDns, block},
    {u"sytes.net", dynamicDns, block}, {u"webhop.me", dynamicDns, block},
    {u"zapto.org", dynamicDns, block},

    // ChangeIP free domains: ChangeIP's published list of free dynamic-DNS domains. ocry.com
    // only cautions: a legitimate file-sharing site lives below it.
    {u"25u.com", dynamicDns, block}, {u"2waky.com", dynamicDns, block},
    {u"3-a.net", dynamicDns, block}, {u"4dq.com", dynamicDns, block},
    {u"4mydomain.com", dynamicDns, block}, {u"4pu.com", dynamicDns, block},
    {u"acmetoy.com", dynamicDns, block}, {u"almostmy.com", dynamicDns, block},
    {u"americanunfinished.com", dynamicDns, block}, {u"as19557.net", dynamicDns, block},
    {u"authorizeddns.net", dynamicDns, block}, {u"authorizeddns.org", dynamicDns, block},
    {u"authorizeddns.us", dynamicDns, block}, {u"b0tnet.com", dynamicDns, block},
    {u"bigmoney.biz", dynamicDns, block}, {u"changeip.biz", dynamicDns, block},
    {u"changeip.co", dynamicDns, block}, {u"changeip.name", dynamicDns, block},
    {u"changeip.net", dynamicDns, block}, {u"changeip.org", dynamicDns, block},
    {u"changeip.us", dynamicDns, block}, {u"cleansite.biz", dynamicDns, block},
    {u"cleansite.info", dynamicDns, block}, {u"cleansite.us", dynamicDns, block},
    {u"compress.to", dynamicDns, block}, {u"ddns.info", dynamicDns, block},
    {u"ddns.mobi", dynamicDns, block}, {u"ddns.ms", dynamicDns, block},
    {u"ddns.us", dynamicDns, block}, {u"dhcp.biz", dynamicDns, block},
    {u"dns-dns.com", dynamicDns, block}, {u"dns-report.com", dynamicDns, block},
    {u"dns-stuff.com", dynamicDns, block}, {u"dns04.com", dynamicDns, block},
    {u"dns05.com", dynamicDns, block}, {u"dns1.us", dynamicDns, block},
    {u"dns2.us", dynamicDns, block}, {u"dnset.com", dynamicDns, block},
    {u"dnsfailover.net", dynamicDns, block}, {u"dnsrd.com", dynamicDns, block},
    {u"dsmtp.biz", dynamicDns, block}, {u"dsmtp.com", dynamicDns, block},
    {u"dubya.biz", dynamicDns, block}, {u"dubya.info", dynamicDns, block},
    {u"dubya.net", dynamicDns, block}, {u"dubya.us", dynamicDns, block},
    {u"dumb1.com", dynamicDns, block}, {u"dynamic-dns.net", dynamicDns, block},
    {u"dynamicdns.biz", dynamicDns, block}, {u"dynssl.com", dynamicDns, block},
    {u"edns.biz", dynamicDns, block}, {u"esmtp.biz", dynamicDns, block},
    {u"ezua.com", dynamicDns, block}, {u"faqserv.com", dynamicDns, block},
    {u"fartit.com", dynamicDns, block}, {u"freeddns.com", dynamicDns, block},
    {u"freetcp.com", dynamicDns, block}, {u"freewww.biz", dynamicDns, block},
    {u"freewww.info", dynamicDns, block}, {u"ftp1.biz", dynamicDns, block},
    {u"ftpserver.biz", dynamicDns, block}, {u"gettrials.com", dynamicDns, block},
    {u"got-game.org", dynamicDns, block}, {u"gr8domain.biz", dynamicDns, block},
    {u"gr8name.biz", dynamicDns, block}, {u"homingbeacon.net", dynamicDns, block},
    {u"https443.net", dynamicDns, block}, {u"https443.org", dynamicDns, block},
    {u"ikwb.com", dynamicDns, block}, {u"instanthq.com", dynamicDns, block},
    {u"iownyour.biz", dynamicDns, block}, {u"iownyour.org", dynamicDns, block},
    {u"isasecret.com", dynamicDns, block}, {u"itemdb.com", dynamicDns, block},
    {u"itsaol.com", dynamicDns, block}, {u"jetos.com", dynamicDns, block},
    {u"jkub.com", dynamicDns, block}, {u"jungleheart.com", dynamicDns, block},
    {u"justdied.com", dynamicDns, block}, {u"lflink.com", dynamicDns, block},
    {u"lflinkup.com", dynamicDns, block}, {u"lflinkup.net", dynamicDns, block},
    {u"lflinkup.org", dynamicDns, block}, {u"longmusic.com", dynamicDns, block},
    {u"mefound.com", dynamicDns, block}, {u"misecure.com", dynamicDns, block},
    {u"moneyhome.biz", dynamicDns, block}, {u"mrbasic.com", dynamicDns, block},
    {u"mrbonus.com", dynamicDns, block}, {u"mrface.com", dynamicDns, block},
    {u"mrslove.com", dynamicDns, block}, {u"my03.com", dynamicDns, block},
    {u"mydad.info", dynamicDns, block}, {u"myddns.com", dynamicDns, block},
    {u"myftp.info", dynamicDns, block}, {u"mylftv.com", dynamicDns, block},
    {u"mymom.info", dynamicDns, block}, {u"mynetav.com", dynamicDns, block},
    {u"mynetav.net", dynamicDns, block}, {u"mynetav.org", dynamicDns, block},
    {u"mynumber.org", dynamicDns, block}, {u"mypicture.info", dynamicDns, block},
    {u"mypop3.net", dynamicDns, block}, {u"mypop3.org", dynamicDns, block},
    {u"mysecondarydns.com", dynamicDns, block}, {u"mywww.biz", dynamicDns, block},
    {u"myz.info", dynamicDns, block}, {u"ninth.biz", dynamicDns, block},
    {u"ns01.biz", dynamicDns, block}, {u"ns01.info", dynamicDns, block},
    {u"ns01.us", dynamicDns, block}, {u"ns02.biz", dynamicDns, block},
    {u"ns02.info", dynamicDns, block}, {u"ns02.us", dynamicDns, block},
    {u"ns1.name", dynamicDns, block}, {u"ns2.name", dynamicDns, block},
    {u"ns3.name", dynamicDns, block}, {u"ocry.com", dynamicDns, caution},
    {u"onedumb.com", dynamicDns, block}, {u"onmypc.biz", dynamicDns, block},
    {u"onmypc.info", dynamicDns, block}, {u"onmypc.net", dynamicDns, block},
    {u"onmypc.org", dynamicDns, block}, {u"onmypc.us", dynamicDns, block},
    {u"organiccrap.com", dynamicDns, block}, {u"otzo.com", dynamicDns, block},
    {u"ourhobby.com", dynamicDns, block}, {u"pcanywhere.net", dynamicDns, block},
    {u"port25.biz", dynamicDns, block}, {u"proxydns.com", dynamicDns, block},
    {u"qhigh.com", dynamicDns, block}, {u"qpoe.com", dynamicDns, block},
    {u"rebatesrule.net", dynamicDns, block}, {u"sellclassics.com", dynamicDns, block},
    {u"sendsmtp.com", dynamicDns, block}, {u"serveuser.com", dynamicDns, block},
    {u"serveusers.com", dynamicDns, block}, {u"sexidude.com", dynamicDns, block},
    {u"sexxxy.biz", dynamicDns, block}, {u"sixth.biz", dynamicDns, block},
    {u"squirly.info", dynamicDns, block}, {u"ssl443.org", dynamicDns, block},
    {u"ssmailer.com", dynamicDns, block}, {u"toh.info", dynamicDns, block},
    {u"toshibanetcam.com", dynamicDns, block}, {u"toythieves.com", dynamicDns, block},
    {u"trickip.net", dynamicDns, block}, {u"trickip.org", dynamicDns, block},
    {u"vizvaz.com", dynamicDns, block}, {u"wikaba.com", dynamicDns, block},
    {u"www1.biz", dynamicDns, block}, {u"wwwhost.biz", dynamicDns, block},
    {u"wwwhost.us", dynamicDns, block}, {u"x24hr.com", dynamicDns, block},
    {u"xxuz.com", dynamicDns, block}, {u"xxxy.biz", dynamicDns, block},
    {u"xxxy.info", dynamicDns, block}, {u"ygto.com", dynamicDns, block},
    {u"youdontcare.com", dynamicDns, block}, {u"yourtrap.com", dynamicDns, block},
    {u"zyns.com", dynamicDns, block}, {u"zzux.com", dynamicDns, block},

    // Dynu free domains: the public suffix list, private section ("Dynu.com").
    {u"ddnsfree.com", dynamicDns, block}, {u"ddnsgeek.com", dynamicDns, block},
    {u"giize.com", dynamicDns, block}, {u"gleeze.com", dynamicDns, block},
    {u"kozow.com", dynamicDns, block}, {u"loseyourip.com", dynamicDns, block},
    {u"ooguy.com", dynamicDns, block}, {u"theworkpc.com", dynamicDns, block},
    {u"casacam.net", dynamicDns, block}, {u"dynu.net", dynamicDns, block},
    {u"accesscam.org", dynamicDns, block}, {u"camdvr.org", dynamicDns, block},
    {u"freeddns.org", dynamicDns, block}, {u"mywire.org", dynamicDns, block},
    {u"webredirect.org", dynamicDns, block}, {u"myddns.rocks", dynamicDns, block},
    {u"blogsite.xyz", dynamicDns, block},

    // dynv6: the public suffix list, private section ("dynv6").
    {u"dynv6.net", dynamicDns, block},

    // Now-DNS free domains: the public suffix list, private section ("Now-DNS").
    {u"dnsking.ch", dynamicDns, caution}, {u"mypi.co", dynamicDns, caution},
    {u"n4t.co", dynamicDns, caution}, {u"001www.com", dynamicDns, caution},
    {u"ddnslive.com", dynamicDns, caution}, {u"myiphost.com", dynamicDns, caution},
    {u"forumz.info", dynamicDns, caution}, {u"16-b.it", dynamicDns, caution},
    {u"32-b.it", dynamicDns, caution}, {u"64-b.it", dynamicDns, caution},
    {u"soundcast.me", dynamicDns, caution}, {u"tcp4.me", dynamicDns, caution},
    {u"dnsup.net", dynamicDns, caution}, {u"hicam.net", dynamicDns, caution},
    {u"now-dns.net", dynamicDns, caution}, {u"ownip.net", dynamicDns, caution},
    {u"vpndns.net", dynamicDns, caution}, {u"dynserv.org", dynamicDns, caution},
    {u"now-dns.org", dynamicDns, caution}, {u"x443.pw", dynamicDns, caution},
    {u"now-dns.top", dynamicDns, caution}, {u"ntdll.top", dynamicDns, caution},
    {u"freeddns.us", dynamicDns, caution}, {u"crafting.xyz", dynamicDns, caution},
    {u"zapto.xyz", dynamicDns, caution},

    // FreeDNS (freedns.afraid.org): the most used of its shared domains, from its domain registry.
    {u"mooo.com", dynamicDns, caution}, {u"us.to", dynamicDns, caution},
    {u"chickenkiller.com", dynamicDns, caution}, {u"crabdance.com", dynamicDns, caution},
    {u"ignorelist.com", dynamicDns, caution}, {u"jumpingcrab.com", dynamicDns, caution},
    {u"strangled.net", dynamicDns, caution}, {u"twilightparadox.com", dynamicDns, caution},

    // freemyip.com, deSEC (dedyn.io), GoIP, nsupdate.info and ddnss.de: the public suffix list,
    // private section (each under its own name).
    {u"freemyip.com", dynamicDns, caution}, {u"dedyn.io", dynamicDns, caution},
    {u"goip.de", dynamicDns, caution}, {u"nsupdate.info", dynamicDns, caution},
    {u"nerdpol.ovh", dynamicDns, caution}, {u"ddnss.de", dynamicDns, caution},
    {u"ddnss.org", dynamicDns, caution}, {u"dyndns1.de", dynamicDns, caution},
    {u"dyn-ip24.de", dynamicDns, caution}, {u"home-webserver.de", dynamicDns, caution},
    {u"myhome-server.de", dynamicDns, caution},

    // ClouDNS free zones: the public suffix list, private section ("Cloud DNS Ltd").
    {u"cloudns.asia", dynamicDns, caution}, {u"cloudns.biz", dynamicDns, caution},
    {u"cloudns.club", dynamicDns, caution}, {u"cloudns.cc", dynamicDns, caution},
    {u"cloudns.eu", dynamicDns, caution}, {u"cloudns.in", dynamicDns, caution},
    {u"cloudns.info", dynamicDns, caution}, {u"cloudns.org", dynamicDns, caution},
    {u"cloudns.pro", dynamicDns, caution}, {u"cloudns.pw", dynamicDns, caution},
    {u"cloudns.us", dynamicDns, caution},

    // Dynamic DO!.jp, a free dynamic-DNS service in Japan: its own published domain.
    {u"ddo.jp", dynamicDns, caution},

    // PublicVM, free names under its domain for anyone's server: its own domain.
    {u"publicvm.com", dynamicDns, block},

    // DigitalPlat FreeDomain, free names for anyone since 2024, later than the development
    // lists: its published namespaces.
    {u"dpdns.org", dynamicDns, caution}, {u"us.kg", dynamicDns, caution},
    {u"qzz.io", dynamicDns, caution},

    // Free hosting.

    // Cloudflare Workers and Pages: the public suffix list, private section ("Cloudflare, Inc.").
    {u"workers.dev", freeHosting, block}, {u"pages.dev", freeHosting, block},

    // Cloudflare R2 public buckets and quick tunnels, the same free sign-up: the public suffix
    // list, private section ("Cloudflare, Inc.").
    {u"r2.dev", freeHosting, caution}, {u"trycloudflare.com", freeHosting, caution},

    // Replit: the public suffix list, private section ("Repl.it"), and the replit.app and
    // replit.dev hosts of Replit's documentation that replaced repl.co.
    {u"repl.co", freeHosting, caution}, {u"replit.app", freeHosting, caution},
    {u"replit.dev", freeHosting, caution},

    // Firebase Hosting: the public suffix list, private section ("Google, Inc.", "Firebase, Inc.").
    {u"web.app", freeHosting, caution}, {u"firebaseapp.com", freeHosting, caution},

    // Netlify, Vercel and fly.io free tiers: the public suffix list, private section (each under
    // its own name).
    {u"netlify.app", freeHosting, caution}, {u"vercel.app", freeHosting, caution},
    {u"fly.dev", freeHosting, caution},
};
// clang-format on

const QHash<DomainKey, const Entry *> &index()
{
    static const QHash<DomainKey, const Entry *> bySuffix = [] {
        QHash<DomainKey, const Entry *> hash;
        hash.reserve(qsizetype(std::size(entries)));
        for (const Entry &entry : entries)
            hash.insert(entry.suffix, &entry);
        return hash;
    }();
    return bySuffix;
}

} // namespace

AbusedHosting::Match AbusedHosting::match(QStringView host)
{
    const auto &bySuffix = index();
    // Longest listed suffix first; the label just below it must not be empty,
    // and the suffix itself (the provider's own site) is no match.
    for (qsizetype dot = host.indexOf(u'.'); dot > 0; dot = host.indexOf(u'.', dot + 1)) {
        if (host.at(dot - 1) == u'.')
            continue;
        const auto found = bySuffix.constFind(host.sliced(dot + 1));
        if (found != bySuffix.cend())
            return {found.value()->kind, found.value()->block, found.value()->suffix};
    }
    return {};
}

#include "address/LoadTarget.h"
#include "address/PublicSuffixList.h"
#include "address/UrlHost.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(LoadTarget::Status)
Q_DECLARE_METATYPE(UrlHost::Kind)

using S = LoadTarget::Status;

class tst_Address : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void hosts_data();
    void hosts();
    void publicSuffixes_data();
    void publicSuffixes();
    void loadTargets_data();
    void loadTargets();
};

void tst_Address::hosts_data()
{
    // Hosts the engine's own table opens (label and name lengths, empty and
    // leading labels, bad punycode, full-width and Unicode names, IPv4 out of
    // range) are judged there.
    QTest::addColumn<QString>("input");
    QTest::addColumn<UrlHost::Kind>("kind");
    QTest::addColumn<QString>("text"); // empty when invalid
    QTest::addColumn<bool>("dnsName");
    QTest::addColumn<bool>("local");

    using K = UrlHost::Kind;
    const auto add
        = [](const char *name, const QString &input, K kind, const QString &text, bool dnsName,
             bool local) { QTest::newRow(name) << input << kind << text << dnsName << local; };
    add("plain, upper case", u"Scam.TOP"_s, K::domain, u"scam.top"_s, true, false);
    add("trailing dots kept", u"scam.top.."_s, K::domain, u"scam.top.."_s, true, false);
    add("percent-decoded", u"sc%21am%2Etop"_s, K::domain, u"sc!am.top"_s, true, false);
    add("valid punycode", u"XN--R8JZ45G.jp"_s, K::domain, u"xn--r8jz45g.jp"_s, true, false);
    add("ipv4, one number", u"2130706433"_s, K::ipv4, u"127.0.0.1"_s, false, true);
    add("ipv4, octal", u"0300.0250.01.01"_s, K::ipv4, u"192.168.1.1"_s, false, true);
    add("ipv4, public, trailing dot", u"8.8.8.8."_s, K::ipv4, u"8.8.8.8"_s, false, false);
    add("ipv6", u"[2001:DB8:0:0:0:0:0:1]"_s, K::ipv6, u"2001:db8::1"_s, false, false);
    add("ipv6 loopback", u"[::1]"_s, K::ipv6, u"::1"_s, false, true);
    add("ipv6 link-local", u"[fe80::1]"_s, K::ipv6, u"fe80::1"_s, false, true);
    add("ipv6, mapped private ipv4", u"[::ffff:192.168.0.1]"_s, K::ipv6, u"::ffff:c0a8:1"_s, false,
        true);
    add("carrier-grade nat", u"100.64.0.1"_s, K::ipv4, u"100.64.0.1"_s, false, true);
    add("public next to private", u"172.32.0.1"_s, K::ipv4, u"172.32.0.1"_s, false, false);
    // A space, a percent sign once decoded, a control character, punycode of
    // plain ASCII, IPv4 of five parts, a name ending in a number, a bad
    // octal, IPvFuture, IPv6 with two compressions.
    for (const QString &input :
         {u"a b.top"_s, u"a%2525.top"_s, u"a%01.top"_s, u"xn--abc.top"_s, u"1.2.3.4.5"_s,
          u"example.123"_s, u"09.1.1.1"_s, u"[v1.x]"_s, u"[1::2::3]"_s})
        QTest::addRow("invalid: %s", qPrintable(input))
            << input << K::invalid << QString() << false << false;
}

void tst_Address::hosts()
{
    QFETCH(QString, input);
    QFETCH(UrlHost::Kind, kind);
    QFETCH(QString, text);
    QFETCH(bool, dnsName);
    QFETCH(bool, local);

    const UrlHost host = UrlHost::parse(input);
    QCOMPARE(host.kind(), kind);
    QCOMPARE(host.text(), text);
    QCOMPARE(host.isDnsName(), dnsName);
    QCOMPARE(host.isLocalAddress(), local);
    if (kind == UrlHost::Kind::domain)
        QVERIFY(!host.withoutTrailingDots().endsWith(u'.'));
}

void tst_Address::publicSuffixes_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<QString>("suffix");
    QTest::addColumn<QString>("registrable");
    QTest::addColumn<bool>("privateSuffix");
    const auto add = [](const char *name, const QString &host, const QString &suffix,
                        const QString &registrable, bool privateSuffix = false) {
        QTest::newRow(name) << host << suffix << registrable << privateSuffix;
    };

    add("dynamic dns", u"abc.duckdns.org"_s, u"duckdns.org"_s, u"abc.duckdns.org"_s, true);
    // The suffix index answers these itself, so its wildcard and exception
    // rules are this class's code, not libpsl's.
    add("wildcard rule", u"shop.x.kawasaki.jp"_s, u"x.kawasaki.jp"_s, u"shop.x.kawasaki.jp"_s);
    add("exception rule", u"www.city.kawasaki.jp"_s, u"kawasaki.jp"_s, u"city.kawasaki.jp"_s);
    add("suffix itself", u"gov.br"_s, u"gov.br"_s, QString());
    add("unknown tld", u"shop.example.zzunknown"_s, u"zzunknown"_s, u"example.zzunknown"_s);
    add("upper case", u"Shop.Example.CO.JP"_s, u"co.jp"_s, u"example.co.jp"_s);
}

void tst_Address::publicSuffixes()
{
    QFETCH(QString, host);
    QFETCH(QString, suffix);
    QFETCH(QString, registrable);
    QFETCH(bool, privateSuffix);

    const PublicSuffixList &list = PublicSuffixList::system();
    QCOMPARE(list.publicSuffix(host), suffix);
    QCOMPARE(list.registrableDomain(host), registrable);
    QCOMPARE(list.isPublicSuffix(suffix), true);
    QCOMPARE(list.isPublicSuffix(host), registrable.isEmpty());
    QCOMPARE(list.isPrivateSuffix(suffix), privateSuffix);
}

void tst_Address::loadTargets_data()
{
    QTest::addColumn<bool>("typed"); // false: a QUrl as the engine hands it over
    QTest::addColumn<QString>("text");
    QTest::addColumn<LoadTarget::Status>("status");
    QTest::addColumn<QString>("host"); // the host text, when there is one
    QTest::addColumn<QString>("refused"); // the engine's text QUrl refused, as recovered
    const auto add = [](const char *name, const QString &text, S status, const QString &host = {}) {
        QTest::newRow(name) << true << text << status << host << QString();
    };
    const auto url = [](const char *name, const QString &text, S status, const QString &host,
                        const QString &refused) {
        QTest::newRow(name) << false << text << status << host << refused;
    };

    // User and port, no slashes, three, backslashes, tabs and newlines, the
    // last @ starting the host, a blob, nested wrappers, an unknown scheme.
    for (const QString &text :
         {u"https://User@Scam.TOP:8443/x"_s, u"http:scam.top"_s, u"http:///scam.top/"_s,
          u"http:\\\\scam.top\\path"_s, u" \tht\ntp://sc\tam.top/ \n"_s,
          u"http://www.amazon.co.jp@x@scam.top/"_s, u"blob:https://scam.top/9f1c"_s,
          u"view-source:filesystem:http://scam.top/temporary/a"_s, u"foo://Scam.top/"_s})
        add(qPrintable(u"host: "_s + text.simplified()), text, S::host, u"scam.top"_s);
    add("blob of an opaque origin", u"blob:null/9f1c"_s, S::hostless);
    add("blank", u"about:blank"_s, S::hostless);
    add("data", u"data:text/html,<p>x"_s, S::hostless);
    add("no scheme", u"www.example.com"_s, S::notAnAddress);
    add("empty", QString(), S::notAnAddress);
    // A wrapper of nothing, credentials without a host, a bad port, a bad
    // IPv4, an empty inner label, an empty authority, http without a host.
    for (const QString &text :
         {u"view-source:nope"_s, u"http://user:pass@/"_s, u"http://scam.top:99999/"_s,
          u"http://256.256.256.256/"_s, u"http://scam..top/"_s, u"foo:///x"_s, u"http:"_s})
        add(qPrintable(u"unsound: "_s + text), text, S::unsound);

    // Those the engine's own table opens (trailing and leading dots, encoded
    // and std3 characters, bad punycode, no slashes, wrappers) are judged there.
    url("url: quote, QUrl quotes only the host", u"http://a\"b.top/"_s, S::host, u"a\"b.top"_s,
        u"a%22b.top"_s);
    url("url: space", u"http://a b.top/"_s, S::unsound, {}, u"http://a b.top/"_s);
    url("url: nothing readable", u"//a b/"_s, S::unsound, {}, u"//a b/"_s);
    url("url: ipvfuture", u"http://[v1.x]/"_s, S::unsound, {}, {});
    url("url: ipv6", u"http://[2001:db8::1]/"_s, S::host, u"2001:db8::1"_s, {});
    // The engine's text comes back whole for a refused host; the quote ends
    // QUrl's quotation only where its component list follows.
    for (const QString &text : {u"http://scam.top../order"_s, u"http://scam.top../a\";b"_s})
        url(qPrintable(u"url: "_s + text), text, S::host, u"scam.top"_s, text);
}

void tst_Address::loadTargets()
{
    QFETCH(bool, typed);
    QFETCH(QString, text);
    QFETCH(LoadTarget::Status, status);
    QFETCH(QString, host);
    QFETCH(QString, refused);
    const LoadTarget target = typed ? LoadTarget::fromText(text) : LoadTarget::fromUrl(QUrl(text));
    QCOMPARE(target.status(), status);
    QCOMPARE(target.host().withoutTrailingDots().toString(), host);
    if (!typed)
        QCOMPARE(LoadTarget::refusedText(QUrl(text)), refused);
}

QTEST_APPLESS_MAIN(tst_Address)
#include "tst_address.moc"

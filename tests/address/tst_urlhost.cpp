#include "address/UrlHost.h"

#include <QTest>

using namespace Qt::StringLiterals;

Q_DECLARE_METATYPE(UrlHost::Kind)

class tst_UrlHost : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
};

void tst_UrlHost::parse_data()
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
    const auto invalid = [add](const char *name, const QString &input) {
        add(name, input, K::invalid, QString(), false, false);
    };
    add("plain, upper case", u"Scam.TOP"_s, K::domain, u"scam.top"_s, true, false);
    add("trailing dots kept", u"scam.top.."_s, K::domain, u"scam.top.."_s, true, false);
    add("percent-decoded", u"sc%21am%2Etop"_s, K::domain, u"sc!am.top"_s, true, false);
    invalid("forbidden space", u"a b.top"_s);
    invalid("forbidden percent after decoding", u"a%2525.top"_s);
    invalid("control character", u"a%01.top"_s);
    invalid("punycode of plain ascii", u"xn--abc.top"_s);
    add("valid punycode", u"XN--R8JZ45G.jp"_s, K::domain, u"xn--r8jz45g.jp"_s, true, false);
    add("ipv4, one number", u"2130706433"_s, K::ipv4, u"127.0.0.1"_s, false, true);
    add("ipv4, octal", u"0300.0250.01.01"_s, K::ipv4, u"192.168.1.1"_s, false, true);
    add("ipv4, public, trailing dot", u"8.8.8.8."_s, K::ipv4, u"8.8.8.8"_s, false, false);
    invalid("ipv4, five parts", u"1.2.3.4.5"_s);
    invalid("name ending in a number", u"example.123"_s);
    invalid("bad octal", u"09.1.1.1"_s);
    add("ipv6", u"[2001:DB8:0:0:0:0:0:1]"_s, K::ipv6, u"2001:db8::1"_s, false, false);
    add("ipv6 loopback", u"[::1]"_s, K::ipv6, u"::1"_s, false, true);
    add("ipv6 link-local", u"[fe80::1]"_s, K::ipv6, u"fe80::1"_s, false, true);
    add("ipv6, mapped private ipv4", u"[::ffff:192.168.0.1]"_s, K::ipv6, u"::ffff:c0a8:1"_s, false,
        true);
    invalid("ipvfuture", u"[v1.x]"_s);
    invalid("ipv6, two compressions", u"[1::2::3]"_s);
    add("carrier-grade nat", u"100.64.0.1"_s, K::ipv4, u"100.64.0.1"_s, false, true);
    add("public next to private", u"172.32.0.1"_s, K::ipv4, u"172.32.0.1"_s, false, false);
}

void tst_UrlHost::parse()
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

QTEST_APPLESS_MAIN(tst_UrlHost)
#include "tst_urlhost.moc"

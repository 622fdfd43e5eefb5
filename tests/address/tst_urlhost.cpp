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
    const QString long64 = QString(64, u'a');
    add("plain, upper case", u"Scam.TOP"_s, K::domain, u"scam.top"_s, true, false);
    add("trailing dots kept", u"scam.top.."_s, K::domain, u"scam.top.."_s, true, false);
    add("leading dot", u".scam.top"_s, K::domain, u".scam.top"_s, false, false);
    add("empty label", u"scam..top"_s, K::domain, u"scam..top"_s, false, false);
    add("std3 characters are names", u"sale(shop).sc!am.top"_s, K::domain,
        u"sale(shop).sc!am.top"_s, true, false);
    add("percent-decoded", u"sc%21am%2Etop"_s, K::domain, u"sc!am.top"_s, true, false);
    add("full-width mapped", u"ｓｃａｍ．ＴＯＰ"_s, K::domain, u"scam.top"_s, true, false);
    add("unicode to punycode", u"ショップa.jp"_s, K::domain, u"xn--a-lfuqb2esd.jp"_s, true, false);
    add("label of 64", long64 + u".top"_s, K::domain, long64 + u".top"_s, false, false);
    add("name of 300", QString(150, u'a') + u'.' + QString(149, u'b'), K::domain,
        QString(150, u'a') + u'.' + QString(149, u'b'), false, false);
    invalid("forbidden space", u"a b.top"_s);
    invalid("forbidden percent after decoding", u"a%2525.top"_s);
    invalid("control character", u"a%01.top"_s);
    invalid("bad punycode, trailing hyphen", u"xn--abc-.top"_s);
    invalid("punycode of plain ascii", u"xn--abc.top"_s);
    add("valid punycode", u"XN--R8JZ45G.jp"_s, K::domain, u"xn--r8jz45g.jp"_s, true, false);
    add("ipv4, hex short form", u"0x7f.1"_s, K::ipv4, u"127.0.0.1"_s, false, true);
    add("ipv4, one number", u"2130706433"_s, K::ipv4, u"127.0.0.1"_s, false, true);
    add("ipv4, octal", u"0300.0250.01.01"_s, K::ipv4, u"192.168.1.1"_s, false, true);
    add("ipv4, public, trailing dot", u"8.8.8.8."_s, K::ipv4, u"8.8.8.8"_s, false, false);
    invalid("ipv4 out of range", u"256.256.256.256"_s);
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

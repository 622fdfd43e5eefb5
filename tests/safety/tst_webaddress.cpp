#include "safety/WebAddress.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_WebAddress : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
};

void tst_WebAddress::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected"); // empty: no address

    QTest::newRow("https") << u"https://www.amazon.co.jp/s?k=x"_s
                           << u"https://www.amazon.co.jp/s?k=x"_s;
    QTest::newRow("upper-case scheme and host")
        << u"HTTPS://WWW.Example.COM/Path"_s << u"https://www.example.com/Path"_s;
    QTest::newRow("port and user")
        << u"http://user:pw@example.com:8080/a"_s << u"http://user:pw@example.com:8080/a"_s;
    QTest::newRow("ipv6") << u"http://[::1]:8080/"_s << u"http://[::1]:8080/"_s;
    QTest::newRow("unicode host") << u"https://例え.jp/ノート"_s
                                  << u"https://xn--r8jz45g.jp/%E3%83%8E%E3%83%BC%E3%83%88"_s;
    QTest::newRow("encoded query kept")
        << u"https://e.com/?q=M%26A%20b&x=1"_s << u"https://e.com/?q=M%26A%20b&x=1"_s;
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("blank") << u"   "_s << QString();
    QTest::newRow("javascript") << u"javascript:alert(1)"_s << QString();
    QTest::newRow("file") << u"file:///etc/passwd"_s << QString();
    QTest::newRow("ftp") << u"ftp://example.com/"_s << QString();
    QTest::newRow("relative") << u"/search?q=x"_s << QString();
    QTest::newRow("bare domain") << u"example.com"_s << QString();
    QTest::newRow("no host") << u"https:///path"_s << QString();
    QTest::newRow("bad host") << u"http://exa mple.com/"_s << QString();
}

void tst_WebAddress::parse()
{
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const std::optional<QUrl> url = WebAddress::parse(text);
    if (expected.isEmpty()) {
        QCOMPARE(url, std::nullopt);
        return;
    }
    QVERIFY(url);
    QCOMPARE(WebAddress::text(*url), expected);
    QVERIFY(WebAddress::parse(WebAddress::text(*url)) == url);
}

QTEST_APPLESS_MAIN(tst_WebAddress)
#include "tst_webaddress.moc"

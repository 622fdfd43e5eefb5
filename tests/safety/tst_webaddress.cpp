#include "safety/WebAddress.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_WebAddress : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void parse_data();
    void parse();
    void fromTyped_data();
    void fromTyped();
};

void tst_WebAddress::parse_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected"); // empty: no address

    QTest::newRow("https") << u"https://www.amazon.co.jp/s?k=x"_s
                           << u"https://www.amazon.co.jp/s?k=x"_s;
    QTest::newRow("unicode host") << u"https://例え.jp/ノート"_s
                                  << u"https://xn--r8jz45g.jp/%E3%83%8E%E3%83%BC%E3%83%88"_s;
    QTest::newRow("encoded query kept")
        << u"https://e.com/?q=M%26A%20b&x=1"_s << u"https://e.com/?q=M%26A%20b&x=1"_s;
    QTest::newRow("blank") << u"   "_s << QString();
    QTest::newRow("javascript") << u"javascript:alert(1)"_s << QString();
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

void tst_WebAddress::fromTyped_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("expected"); // empty: searched for

    QTest::newRow("bare host") << u"yodobashi.com"_s << u"https://yodobashi.com"_s;
    QTest::newRow("host and path")
        << u" www.amazon.co.jp/dp/B0C?th=1 "_s << u"https://www.amazon.co.jp/dp/B0C?th=1"_s;
    QTest::newRow("http kept") << u"http://shop.example.jp/"_s << u"http://shop.example.jp/"_s;
    QTest::newRow("words") << u"MacBook Air"_s << QString();
    QTest::newRow("model number") << u"WH-1000XM5"_s << QString();
    QTest::newRow("version") << u"1.5"_s << QString();
    QTest::newRow("unknown suffix") << u"notes.txt"_s << QString();
    QTest::newRow("suffix only") << u"co.jp"_s << QString();
    QTest::newRow("user part") << u"amazon.co.jp@evil.example.com"_s << QString();
    QTest::newRow("script") << u"javascript:alert(1)"_s << QString();
    QTest::newRow("empty") << u""_s << QString();
}

void tst_WebAddress::fromTyped()
{
    QFETCH(QString, typed);
    QFETCH(QString, expected);
    const std::optional<QUrl> url = WebAddress::fromTyped(typed);
    QCOMPARE(url ? WebAddress::text(*url) : QString(), expected);
}

QTEST_APPLESS_MAIN(tst_WebAddress)
#include "tst_webaddress.moc"

#include "safety/ShopNameModel.h"

#include "address/PublicSuffixList.h"

#include <QTest>

using namespace Qt::StringLiterals;

class tst_ShopNameModel : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void assess_data();
    void assess();
    void inconsistentInput();
};

using Finding = ShopNameModel::Finding;

void tst_ShopNameModel::assess_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<Finding>("finding");

    const Finding none = Finding::none;
    const Finding madeUp = Finding::madeUpShopName;
    const Finding generated = Finding::machineGeneratedHost;
    QTest::newRow("made-up shop name") << u"qoyuumall.com"_s << madeUp;
    QTest::newRow("made-up name below www") << u"www.kiiwaayy.com"_s << madeUp;
    QTest::newRow("ordinary words") << u"sunrisebakery.com"_s << none;
    QTest::newRow("romanised Japanese") << u"kyotoryokan.com"_s << none;
    QTest::newRow("second-level suffix") << u"qoyuumall.co.jp"_s << none;
    QTest::newRow(".jp") << u"qoyuumall.jp"_s << none;
    QTest::newRow("shop platform") << u"qoyuumall.base.shop"_s << none;
    QTest::newRow("punycode name") << u"xn--zckzah.com"_s << none;
    QTest::newRow("ip address") << u"203.0.113.7"_s << none;

    QTest::newRow("hex digest label") << u"a3f9c2e87b10d4f6.sunrisebakery.com"_s << generated;
    QTest::newRow("15 hex digits") << u"a3f9c2e87b10d4f.sunrisebakery.com"_s << none;
    QTest::newRow("hex word, few digits") << u"deadbeefcafebabe1.sunrisebakery.com"_s << none;
    QTest::newRow("japanese suffix inside") << u"amazom.co.jp.sunrisebakery.com"_s << generated;
    QTest::newRow("look-alike suffix inside") << u"rakuten.co.ip.sunrisebakery.xyz"_s << generated;
    QTest::newRow("cdn host named after a domain")
        << u"www.sunrisebakery.co.jp.edgekey.net"_s << none;
    QTest::newRow("id over a random name") << u"0k7.zqvrt.com"_s << generated;
    QTest::newRow("numbered server") << u"img1.zqvrt.com"_s << none;
    QTest::newRow("id over a word") << u"0k7.kasumi.com"_s << none;
    QTest::newRow("any id over a name without vowels") << u"2.gmwzt.com"_s << generated;
    QTest::newRow("www over a name without vowels") << u"www.gmwzt.com"_s << none;
    QTest::newRow("short acronym without vowels") << u"news.nhk.com"_s << none;
    QTest::newRow("content delivery host") << u"static.fbcdn.net"_s << none;
}

void tst_ShopNameModel::assess()
{
    QFETCH(QString, host);
    QFETCH(Finding, finding);
    const PublicSuffixList &list = PublicSuffixList::system();
    QCOMPARE(ShopNameModel::assess(host, list.registrableDomain(host), list.publicSuffix(host)),
             finding);
}

void tst_ShopNameModel::inconsistentInput()
{
    // Parts that do not belong together are not judged, never read out of range.
    QCOMPARE(ShopNameModel::assess(u"qoyuumall.com", u"", u"com"), Finding::none);
    QCOMPARE(ShopNameModel::assess(u"qoyuumall.com", u"qoyuumall.com", u"net"), Finding::none);
    QCOMPARE(ShopNameModel::assess(u"xqoyuumall.com", u"qoyuumall.com", u"com"), Finding::none);
    QCOMPARE(ShopNameModel::assess(u"a.org", u"qoyuumall.com", u"com"), Finding::none);
    QCOMPARE(ShopNameModel::assess(u"com", u"com", u"com"), Finding::none);
    QCOMPARE(ShopNameModel::assess(u"", u"", u""), Finding::none);
}

QTEST_APPLESS_MAIN(tst_ShopNameModel)
#include "tst_shopnamemodel.moc"

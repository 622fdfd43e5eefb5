#include "rules/DefaultRules.h"

#include <QSet>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;

class tst_DefaultRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tablesHoldEnabledBuiltInRows();
    void shopTable();
    void patternTable();
    void callersGetIndependentCopies();
};

void tst_DefaultRules::tablesHoldEnabledBuiltInRows()
{
    const QList<TrustedShop> shops = defaultTrustedShops();
    const QList<ExcludedPattern> patterns = defaultExcludedPatterns();
    QCOMPARE(shops.size(), 25);
    QCOMPARE(patterns.size(), 20);
    QSet<QUuid> ids;
    for (const TrustedShop &shop : shops) {
        QVERIFY(shop.isEnabled && !shop.isCustom && !shop.id.isNull());
        ids.insert(shop.id);
    }
    for (const ExcludedPattern &pattern : patterns) {
        QVERIFY(pattern.isEnabled && !pattern.isCustom && !pattern.id.isNull());
        ids.insert(pattern.id);
    }
    QCOMPARE(ids.size(), 45);
}

void tst_DefaultRules::shopTable()
{
    // The domains decide what is trusted, so all of them, in order.
    const QList<TrustedShop> shops = defaultTrustedShops();
    QStringList domains;
    for (const TrustedShop &shop : shops)
        domains.append(shop.domain);
    QCOMPARE(domains.join(u' '),
             u"amazon.co.jp rakuten.co.jp shopping.yahoo.co.jp yodobashi.com biccamera.com "
             "sofmap.com kojima.net yamada-denkiweb.com joshinweb.jp online.nojima.co.jp "
             "dospara.co.jp pc-koubou.jp tsukumo.co.jp amiami.jp animate-onlineshop.jp "
             "suruga-ya.jp dmm.com gamers.co.jp zozo.jp uniqlo.com nitori-net.jp muji.com "
             "kinokuniya.co.jp honto.jp apple.com"_s);
    QCOMPARE(shops[0].name, u"Amazon.co.jp"_s);
    QCOMPARE(shops[4].name, u"ビックカメラ.com"_s);
    QCOMPARE(shops[16].name, u"DMM.com"_s);
    QCOMPARE(shops[24].name, u"Apple Store"_s);
    QCOMPARE(shops[0].category, u"総合"_s);
    QCOMPARE(shops[24].category, u"公式ストア"_s);
    QCOMPARE(shops[1].searchUrlTemplate, u"https://search.rakuten.co.jp/search/mall/{query}/"_s);
    QCOMPARE(shops[24].searchUrlTemplate,
             u"https://www.apple.com/jp/search/{query}?src=globalnav"_s);

    // Every template is https on the shop's own host: the bare domain for
    // rows 3, 9, 10, 19, 24; "search." for row 2; "shop." for row 13;
    // "www." for the rest.
    const QHash<int, QString> labels {{2, u"search."_s}, {3, QString()},   {9, QString()},
                                      {10, QString()},   {13, u"shop."_s}, {19, QString()},
                                      {24, QString()}};
    for (qsizetype i = 0; i < shops.size(); ++i) {
        const QString &tmpl = shops[i].searchUrlTemplate;
        QCOMPARE(tmpl.count(u"{query}"_s), 1);
        const QUrl url(tmpl);
        QVERIFY2(url.isValid(), qPrintable(tmpl));
        QCOMPARE(url.scheme(), u"https"_s);
        QCOMPARE(url.host(), labels.value(int(i) + 1, u"www."_s) + shops[i].domain);
        QVERIFY(tmpl.startsWith(u"https://"_s + url.host() + u'/'));
    }
}

void tst_DefaultRules::patternTable()
{
    const QList<ExcludedPattern> patterns = defaultExcludedPatterns();
    QStringList texts;
    for (const ExcludedPattern &pattern : patterns)
        texts.append(pattern.pattern);
    QCOMPARE(texts.join(u' '),
             u"*.top *.xyz *.icu *.buzz *.monster *.cam *.hair *.beauty *.skin *.rest *.fit "
             "*.club *.vip *.work *.live *.gq *.cf *.tk *.ml *.ga"_s);
    QCOMPARE(patterns[0].reason, u"悪質詐欺通販サイトで多発するTLD"_s);
    QCOMPARE(patterns[14].reason, u"不審な転送サイト・詐欺通販で利用されるTLD"_s);
    for (qsizetype i = 15; i < 20; ++i)
        QCOMPARE(patterns[i].reason, u"無料ドメイン悪用詐欺サイト"_s);
}

void tst_DefaultRules::callersGetIndependentCopies()
{
    QList<TrustedShop> shops = defaultTrustedShops();
    shops[0].isEnabled = false;
    shops.removeLast();
    QList<ExcludedPattern> patterns = defaultExcludedPatterns();
    patterns[0].pattern = u"*.changed"_s;
    // Built once: the same rows, ids included, on every call.
    QCOMPARE(defaultTrustedShops().size(), 25);
    QCOMPARE(defaultTrustedShops(), defaultTrustedShops());
    QVERIFY(defaultTrustedShops().first().isEnabled);
    QCOMPARE(defaultExcludedPatterns().first().pattern, u"*.top"_s);
}

QTEST_APPLESS_MAIN(tst_DefaultRules)
#include "tst_defaultrules.moc"

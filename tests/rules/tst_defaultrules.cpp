#include "rules/DefaultRules.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSet>
#include <QTest>
#include <QUrl>

#include <cstdio>
#include <cstring>

using namespace Qt::StringLiterals;

namespace {

constexpr auto printIdsArgument = "--print-default-ids";

QByteArray idsOfThisRun()
{
    QByteArray ids;
    for (const TrustedShop &shop : defaultTrustedShops())
        ids += shop.id.toByteArray() + '\n';
    for (const ExcludedPattern &pattern : defaultExcludedPatterns())
        ids += pattern.id.toByteArray() + '\n';
    return ids;
}

} // namespace

class tst_DefaultRules : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void tablesHoldEnabledBuiltInRows();
    void shopTable();
    void templatesAreHttpsOnTheShopsHost();
    void patternTable();
    void idsAreStableWithinARun();
    void idsDifferBetweenRuns();
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
        QVERIFY(shop.isEnabled);
        QVERIFY(!shop.isCustom);
        QVERIFY(!shop.id.isNull());
        ids.insert(shop.id);
    }
    for (const ExcludedPattern &pattern : patterns) {
        QVERIFY(pattern.isEnabled);
        QVERIFY(!pattern.isCustom);
        QVERIFY(!pattern.id.isNull());
        ids.insert(pattern.id);
    }
    QCOMPARE(ids.size(), 45);
}

void tst_DefaultRules::shopTable()
{
    const QList<TrustedShop> shops = defaultTrustedShops();
    const QStringList domains {
        u"amazon.co.jp"_s,
        u"rakuten.co.jp"_s,
        u"shopping.yahoo.co.jp"_s,
        u"yodobashi.com"_s,
        u"biccamera.com"_s,
        u"sofmap.com"_s,
        u"kojima.net"_s,
        u"yamada-denkiweb.com"_s,
        u"joshinweb.jp"_s,
        u"online.nojima.co.jp"_s,
        u"dospara.co.jp"_s,
        u"pc-koubou.jp"_s,
        u"tsukumo.co.jp"_s,
        u"amiami.jp"_s,
        u"animate-onlineshop.jp"_s,
        u"suruga-ya.jp"_s,
        u"dmm.com"_s,
        u"gamers.co.jp"_s,
        u"zozo.jp"_s,
        u"uniqlo.com"_s,
        u"nitori-net.jp"_s,
        u"muji.com"_s,
        u"kinokuniya.co.jp"_s,
        u"honto.jp"_s,
        u"apple.com"_s,
    };
    const QStringList names {
        u"Amazon.co.jp"_s,
        u"楽天市場"_s,
        u"Yahoo!ショッピング"_s,
        u"ヨドバシ・ドット・コム"_s,
        u"ビックカメラ.com"_s,
        u"ソフマップ・ドットコム"_s,
        u"コジマネット"_s,
        u"ヤマダウェブコム"_s,
        u"Joshin webショップ"_s,
        u"ノジマオンライン"_s,
        u"ドスパラ"_s,
        u"パソコン工房"_s,
        u"ツクモ (TSUKUMO)"_s,
        u"あみあみ (AmiAmi)"_s,
        u"アニメイト通販"_s,
        u"駿河屋"_s,
        u"DMM.com"_s,
        u"ゲーマーズ"_s,
        u"ZOZOTOWN"_s,
        u"ユニクロ"_s,
        u"ニトリネット"_s,
        u"無印良品"_s,
        u"紀伊國屋書店"_s,
        u"honto"_s,
        u"Apple Store"_s,
    };
    const QStringList categories {
        u"総合"_s,
        u"総合"_s,
        u"総合"_s,
        u"家電・PC"_s,
        u"家電・PC"_s,
        u"家電・PC"_s,
        u"家電"_s,
        u"家電"_s,
        u"家電・模型"_s,
        u"家電"_s,
        u"BTO・PCパーツ"_s,
        u"BTO・PCパーツ"_s,
        u"PCパーツ"_s,
        u"ホビー・フィギュア"_s,
        u"アニメ・グッズ"_s,
        u"ホビー・中古"_s,
        u"ホビー・通販"_s,
        u"アニメ・グッズ"_s,
        u"ファッション"_s,
        u"ファッション"_s,
        u"インテリア・家具"_s,
        u"生活雑貨"_s,
        u"書籍"_s,
        u"書籍"_s,
        u"公式ストア"_s,
    };
    for (qsizetype i = 0; i < shops.size(); ++i) {
        QCOMPARE(shops[i].domain, domains[i]);
        QCOMPARE(shops[i].name, names[i]);
        QCOMPARE(shops[i].category, categories[i]);
    }
    QCOMPARE(shops[0].searchUrlTemplate, u"https://www.amazon.co.jp/s?k={query}"_s);
    QCOMPARE(shops[1].searchUrlTemplate, u"https://search.rakuten.co.jp/search/mall/{query}/"_s);
    QCOMPARE(shops[2].searchUrlTemplate, u"https://shopping.yahoo.co.jp/search?p={query}"_s);
    QCOMPARE(shops[5].searchUrlTemplate,
             u"https://www.sofmap.com/search_result.aspx?gid=002010&keyword={query}"_s);
    QCOMPARE(
        shops[9].searchUrlTemplate,
        u"https://online.nojima.co.jp/app/catalog/list/init?searchCategoryCode=0&searchWord={query}"_s);
    QCOMPARE(shops[12].searchUrlTemplate, u"https://shop.tsukumo.co.jp/search?q={query}"_s);
    QCOMPARE(shops[16].searchUrlTemplate, u"https://www.dmm.com/search/=/searchstr={query}/"_s);
    QCOMPARE(shops[24].searchUrlTemplate,
             u"https://www.apple.com/jp/search/{query}?src=globalnav"_s);
}

void tst_DefaultRules::templatesAreHttpsOnTheShopsHost()
{
    // Hosts per shop: bare domain for rows 3, 9, 10, 19, 24; "search." for
    // row 2; "shop." for row 13; "www." for the rest.
    const QHash<int, QString> labels {{2, u"search."_s}, {3, QString()},   {9, QString()},
                                      {10, QString()},   {13, u"shop."_s}, {19, QString()},
                                      {24, QString()}};
    const QList<TrustedShop> shops = defaultTrustedShops();
    for (qsizetype i = 0; i < shops.size(); ++i) {
        const int row = int(i) + 1;
        const QString &tmpl = shops[i].searchUrlTemplate;
        QCOMPARE(tmpl.count(u"{query}"_s), 1);
        const QUrl url(tmpl);
        QVERIFY2(url.isValid(), qPrintable(tmpl));
        QCOMPARE(url.scheme(), u"https"_s);
        QCOMPARE(url.host(), labels.value(row, u"www."_s) + shops[i].domain);
        QVERIFY(tmpl.startsWith(u"https://"_s + url.host() + u'/'));
    }
}

void tst_DefaultRules::patternTable()
{
    const QList<ExcludedPattern> patterns = defaultExcludedPatterns();
    const QStringList expected {
        u"*.top"_s, u"*.xyz"_s,  u"*.icu"_s,    u"*.buzz"_s, u"*.monster"_s,
        u"*.cam"_s, u"*.hair"_s, u"*.beauty"_s, u"*.skin"_s, u"*.rest"_s,
        u"*.fit"_s, u"*.club"_s, u"*.vip"_s,    u"*.work"_s, u"*.live"_s,
        u"*.gq"_s,  u"*.cf"_s,   u"*.tk"_s,     u"*.ml"_s,   u"*.ga"_s,
    };
    for (qsizetype i = 0; i < patterns.size(); ++i)
        QCOMPARE(patterns[i].pattern, expected[i]);
    QCOMPARE(patterns[0].reason, u"悪質詐欺通販サイトで多発するTLD"_s);
    QCOMPARE(patterns[1].reason, u"フィッシング・詐欺ショップで悪用されるTLD"_s);
    QCOMPARE(patterns[6].reason, u"格安ブランド偽装通販で多用されるTLD"_s);
    QCOMPARE(patterns[14].reason, u"不審な転送サイト・詐欺通販で利用されるTLD"_s);
    for (qsizetype i = 15; i < 20; ++i)
        QCOMPARE(patterns[i].reason, u"無料ドメイン悪用詐欺サイト"_s);
}

void tst_DefaultRules::idsAreStableWithinARun()
{
    QCOMPARE(defaultTrustedShops(), defaultTrustedShops());
    QCOMPARE(defaultExcludedPatterns(), defaultExcludedPatterns());
}

void tst_DefaultRules::idsDifferBetweenRuns()
{
    // A new run draws new ids: ask two fresh copies of this program.
    auto childIds = [] {
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(printIdsArgument)});
        if (!child.waitForFinished(60000) || child.exitCode() != 0)
            return QByteArray();
        return child.readAllStandardOutput();
    };
    const QByteArray first = childIds();
    const QByteArray second = childIds();
    QCOMPARE(first.count('\n'), 45);
    QCOMPARE(second.count('\n'), 45);
    const QList<QByteArray> firstIds = first.split('\n');
    const QList<QByteArray> secondIds = second.split('\n');
    const QByteArray mine = idsOfThisRun();
    for (qsizetype i = 0; i < 45; ++i) {
        QVERIFY(firstIds[i] != secondIds[i]);
        QVERIFY(!mine.contains(firstIds[i]));
    }
}

void tst_DefaultRules::callersGetIndependentCopies()
{
    QList<TrustedShop> shops = defaultTrustedShops();
    shops[0].isEnabled = false;
    shops.removeLast();
    QList<ExcludedPattern> patterns = defaultExcludedPatterns();
    patterns[0].pattern = u"*.changed"_s;
    QCOMPARE(defaultTrustedShops().size(), 25);
    QVERIFY(defaultTrustedShops().first().isEnabled);
    QCOMPARE(defaultExcludedPatterns().first().pattern, u"*.top"_s);
}

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc == 2 && std::strcmp(argv[1], printIdsArgument) == 0) {
        const QByteArray ids = idsOfThisRun();
        std::fwrite(ids.constData(), 1, size_t(ids.size()), stdout);
        return 0;
    }
    tst_DefaultRules test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "tst_defaultrules.moc"

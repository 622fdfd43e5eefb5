#include "rules/DefaultRules.h"

namespace {

struct ShopRow
{
    const char16_t *name;
    const char16_t *category;
    // Label put before the domain in the search template's host; empty for
    // the bare domain.
    const char16_t *hostLabel;
    const char16_t *domain;
    const char16_t *pathAndQuery;
};

constexpr ShopRow shopRows[] = {
    {u"Amazon.co.jp", u"総合", u"www", u"amazon.co.jp", u"/s?k={query}"},
    {u"楽天市場", u"総合", u"search", u"rakuten.co.jp", u"/search/mall/{query}/"},
    {u"Yahoo!ショッピング", u"総合", u"", u"shopping.yahoo.co.jp", u"/search?p={query}"},
    {u"ヨドバシ・ドット・コム", u"家電・PC", u"www", u"yodobashi.com", u"/?word={query}"},
    {u"ビックカメラ.com", u"家電・PC", u"www", u"biccamera.com", u"/bc/category/?q={query}"},
    {u"ソフマップ・ドットコム", u"家電・PC", u"www", u"sofmap.com",
     u"/search_result.aspx?gid=002010&keyword={query}"},
    {u"コジマネット", u"家電", u"www", u"kojima.net", u"/ec/prod_list.html?keyword={query}"},
    {u"ヤマダウェブコム", u"家電", u"www", u"yamada-denkiweb.com", u"/search/{query}/"},
    {u"Joshin webショップ", u"家電・模型", u"", u"joshinweb.jp", u"/srh.html?QS={query}"},
    {u"ノジマオンライン", u"家電", u"", u"online.nojima.co.jp",
     u"/app/catalog/list/init?searchCategoryCode=0&searchWord={query}"},
    {u"ドスパラ", u"BTO・PCパーツ", u"www", u"dospara.co.jp",
     u"/5shopping/search.php?tg=4&kw={query}"},
    {u"パソコン工房", u"BTO・PCパーツ", u"www", u"pc-koubou.jp",
     u"/products/list.php?name={query}"},
    {u"ツクモ (TSUKUMO)", u"PCパーツ", u"shop", u"tsukumo.co.jp", u"/search?q={query}"},
    {u"あみあみ (AmiAmi)", u"ホビー・フィギュア", u"www", u"amiami.jp",
     u"/top/detail/list?s_keywords={query}"},
    {u"アニメイト通販", u"アニメ・グッズ", u"www", u"animate-onlineshop.jp",
     u"/products/list.php?smt={query}"},
    {u"駿河屋", u"ホビー・中古", u"www", u"suruga-ya.jp", u"/search?category=&search_word={query}"},
    {u"DMM.com", u"ホビー・通販", u"www", u"dmm.com", u"/search/=/searchstr={query}/"},
    {u"ゲーマーズ", u"アニメ・グッズ", u"www", u"gamers.co.jp", u"/products/list.php?smt={query}"},
    {u"ZOZOTOWN", u"ファッション", u"", u"zozo.jp", u"/search/?p_keyv={query}"},
    {u"ユニクロ", u"ファッション", u"www", u"uniqlo.com", u"/jp/ja/search?q={query}"},
    {u"ニトリネット", u"インテリア・家具", u"www", u"nitori-net.jp", u"/ec/search/?q={query}"},
    {u"無印良品", u"生活雑貨", u"www", u"muji.com", u"/jp/ja/store/search/cmdty/{query}"},
    {u"紀伊國屋書店", u"書籍", u"www", u"kinokuniya.co.jp",
     u"/disp/CSfDispListPage_001.jsp?q={query}"},
    {u"honto", u"書籍", u"", u"honto.jp", u"/netstore/search.html?k={query}"},
    {u"Apple Store", u"公式ストア", u"www", u"apple.com", u"/jp/search/{query}?src=globalnav"},
};

struct PatternRow
{
    const char16_t *pattern;
    const char16_t *reason;
};

constexpr PatternRow patternRows[] = {
    {u"*.top", u"悪質詐欺通販サイトで多発するTLD"},
    {u"*.xyz", u"フィッシング・詐欺ショップで悪用されるTLD"},
    {u"*.icu", u"スパム・不正通販で頻出のTLD"},
    {u"*.buzz", u"不正サイト・偽ECで多用されるTLD"},
    {u"*.monster", u"危険な格安詐欺通販で多発するTLD"},
    {u"*.cam", u"不審なコピー品通販で利用されるTLD"},
    {u"*.hair", u"格安ブランド偽装通販で多用されるTLD"},
    {u"*.beauty", u"コスメ・ブランド偽通販で多発するTLD"},
    {u"*.skin", u"不正ショップで多発するTLD"},
    {u"*.rest", u"不審な通販サイトで悪用されるTLD"},
    {u"*.fit", u"不正ショッピングサイトで悪用されるTLD"},
    {u"*.club", u"スパム通販で多用されるTLD"},
    {u"*.vip", u"偽ブランド・不正通販で多用されるTLD"},
    {u"*.work", u"スパム・不審通販で悪用されるTLD"},
    {u"*.live", u"不審な転送サイト・詐欺通販で利用されるTLD"},
    {u"*.gq", u"無料ドメイン悪用詐欺サイト"},
    {u"*.cf", u"無料ドメイン悪用詐欺サイト"},
    {u"*.tk", u"無料ドメイン悪用詐欺サイト"},
    {u"*.ml", u"無料ドメイン悪用詐欺サイト"},
    {u"*.ga", u"無料ドメイン悪用詐欺サイト"},
};

QList<TrustedShop> buildTrustedShops()
{
    QList<TrustedShop> shops;
    shops.reserve(std::size(shopRows));
    for (const ShopRow &row : shopRows) {
        const QString domain = QString::fromUtf16(row.domain);
        const QString label = QString::fromUtf16(row.hostLabel);
        const QString host = label.isEmpty() ? domain : label + u'.' + domain;
        const QString searchUrlTemplate
            = QStringLiteral("https://") + host + QString::fromUtf16(row.pathAndQuery);
        shops.append(TrustedShop::create(QString::fromUtf16(row.name), domain,
                                         QString::fromUtf16(row.category), searchUrlTemplate, true,
                                         false));
    }
    return shops;
}

QList<ExcludedPattern> buildExcludedPatterns()
{
    QList<ExcludedPattern> patterns;
    patterns.reserve(std::size(patternRows));
    for (const PatternRow &row : patternRows) {
        patterns.append(ExcludedPattern::create(QString::fromUtf16(row.pattern),
                                                QString::fromUtf16(row.reason), true, false));
    }
    return patterns;
}

} // namespace

QList<TrustedShop> defaultTrustedShops()
{
    // A function-local static is initialised exactly once even under
    // concurrent first use, so every use in this run sees the same ids.
    static const QList<TrustedShop> shops = buildTrustedShops();
    return shops;
}

QList<ExcludedPattern> defaultExcludedPatterns()
{
    static const QList<ExcludedPattern> patterns = buildExcludedPatterns();
    return patterns;
}

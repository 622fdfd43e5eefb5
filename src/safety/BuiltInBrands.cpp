#include "safety/BuiltInBrands.h"

using namespace Qt::StringLiterals;

namespace {

struct Row
{
    const char16_t *name;
    const char16_t *domain;
    // Space-separated lists.
    const char16_t *keys;
    const char16_t *localNames;
    const char16_t *officialDomains;
    const char16_t *otherNames;
};

// Official domains: the brands' own shops, accounts, payment services and the
// asset hosts their pages load from.
constexpr Row rows[] = {
    {u"Amazon", u"amazon.co.jp", u"amazon amzn", u"アマゾン",
     u"amazon.co.jp amazon.jp amazon.com amazon.ca amazon.cn amazon.co.uk amazon.de amazon.fr "
     u"amazon.es amazon.it amazon.in amazon.nl amazon.se amazon.pl amazon.sg amazon.ae amazon.sa "
     u"amazon.eg amazon.com.au amazon.com.br amazon.com.mx amazon.com.tr amazon.com.be "
     u"amazonaws.com media-amazon.com ssl-images-amazon.com images-amazon.com "
     u"amazon-adsystem.com aboutamazon.com aboutamazon.jp amazon.dev amazontrust.com "
     u"amazonpay.com amzn.to amzn.asia a2z.com primevideo.com",
     u""},
    {u"楽天市場", u"rakuten.co.jp", u"rakuten", u"楽天 楽天市場",
     u"rakuten.co.jp rakuten.com rakuten.ne.jp rakuten.jp rakuten-card.co.jp rakuten-bank.co.jp "
     u"rakuten-sec.co.jp r10s.jp rakuten.tv rakuten.fr rakuten.de rakuten.it rakuten.es "
     u"rakuten.tw rakuten.ca rakuten.co.uk",
     // 楽園 (paradise) is an everyday word, one letter from the brand.
     u"rakuen"},
    {u"メルカリ", u"jp.mercari.com", u"mercari merpay", u"メルカリ",
     u"mercari.com mercari.jp merpay.com mercari-shops.com mercdn.net", u""},
    {u"Yahoo! JAPAN", u"yahoo.co.jp", u"yahoo", u"ヤフー",
     u"yahoo.co.jp yahoo.jp yahoo.com yahooapis.jp yimg.jp yahoo.net", u""},
    {u"PayPay", u"paypay.ne.jp", u"paypay", u"ペイペイ",
     u"paypay.ne.jp paypay.co.jp paypay-bank.co.jp paypay-card.co.jp paypay-sec.co.jp", u"paypal"},
    {u"Apple", u"apple.com", u"apple appleid icloud", u"アップル",
     u"apple.com apple.co.jp apple.com.cn icloud.com icloud.com.cn me.com mzstatic.com "
     u"cdn-apple.com apple.co apple.news",
     u""},
    {u"ヨドバシ・ドット・コム", u"yodobashi.com", u"yodobashi", u"ヨドバシ",
     u"yodobashi.com yodobashi.co.jp", u""},
    {u"ビックカメラ", u"biccamera.com", u"biccamera", u"ビックカメラ",
     u"biccamera.com biccamera.co.jp", u""},
    {u"ZOZOTOWN", u"zozo.jp", u"zozotown zozo", u"ゾゾタウン", u"zozo.jp zozo.com", u""},
    {u"ユニクロ", u"uniqlo.com", u"uniqlo", u"ユニクロ", u"uniqlo.com uniqlo.jp fastretailing.com",
     u""},
    {u"ニトリ", u"nitori-net.jp", u"nitori", u"ニトリ",
     u"nitori-net.jp nitori.co.jp nitorihd.co.jp", u""},
    {u"au PAY", u"au.com", u"aupay", u"auペイ", u"au.com auone.jp kddi.com", u""},
    {u"d払い", u"docomo.ne.jp", u"dbarai docomo", u"d払い ドコモ",
     u"docomo.ne.jp docomo.co.jp nttdocomo.co.jp nttdocomo.com", u""},
};

QStringList words(const char16_t *text)
{
    return QString::fromUtf16(text).split(u' ', Qt::SkipEmptyParts);
}

BrandIndex build()
{
    QList<BrandIndex::Brand> brands;
    for (const Row &row : rows) {
        BrandIndex::Brand brand;
        brand.name = QString::fromUtf16(row.name);
        brand.domain = QString::fromUtf16(row.domain);
        brand.keys = words(row.keys);
        brand.localNames = words(row.localNames);
        brand.officialDomains = words(row.officialDomains);
        brand.otherNames = words(row.otherNames);
        brands.append(brand);
    }
    return BrandIndex(brands);
}

} // namespace

const BrandIndex &BuiltInBrands::index()
{
    static const BrandIndex brands = build();
    return brands;
}

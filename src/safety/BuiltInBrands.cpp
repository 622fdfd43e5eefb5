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
     u"amazonpay.com amzn.to amzn.asia a2z.com primevideo.com amazonvideo.com "
     u"amazonlogistics.com amazonlogistics.jp amazonservices.com amazonmusic.com amazon.jobs"},
    {u"楽天市場", u"rakuten.co.jp", u"rakuten", u"楽天 楽天市場",
     u"rakuten.co.jp rakuten.com rakuten.ne.jp rakuten.jp rakuten-card.co.jp rakuten-bank.co.jp "
     u"rakuten-sec.co.jp rakuten-sec.net r10s.jp rakuten.tv rakuten.fr rakuten.de rakuten.it "
     u"rakuten.es rakuten.tw rakuten.ca rakuten.co.uk"},
    {u"メルカリ", u"jp.mercari.com", u"mercari merpay", u"メルカリ",
     u"mercari.com mercari.jp merpay.com mercari-shops.com mercdn.net"},
    {u"Yahoo! JAPAN", u"yahoo.co.jp", u"yahoo", u"ヤフー",
     u"yahoo.co.jp yahoo.jp yahoo.com yahooapis.jp yimg.jp yahoo.net yahoo-net.jp yahoo-help.jp "
     u"yahoo-mbga.jp"},
    {u"PayPay", u"paypay.ne.jp", u"paypay", u"ペイペイ",
     u"paypay.ne.jp paypay.co.jp paypay-bank.co.jp paypay-card.co.jp paypay-sec.co.jp"},
    {u"Apple", u"apple.com", u"apple appleid icloud", u"アップル",
     u"apple.com apple.co.jp apple.com.cn icloud.com icloud.com.cn me.com mzstatic.com "
     u"cdn-apple.com apple.co apple.news icloud-content.com apple-cloudkit.com apple-dns.net "
     u"apple-mapkit.com"},
    {u"ヨドバシ・ドット・コム", u"yodobashi.com", u"yodobashi", u"ヨドバシ",
     u"yodobashi.com yodobashi.co.jp"},
    {u"ビックカメラ", u"biccamera.com", u"biccamera", u"ビックカメラ",
     u"biccamera.com biccamera.co.jp"},
    {u"ZOZOTOWN", u"zozo.jp", u"zozotown zozo", u"ゾゾタウン", u"zozo.jp zozo.com"},
    {u"ユニクロ", u"uniqlo.com", u"uniqlo", u"ユニクロ", u"uniqlo.com uniqlo.jp fastretailing.com"},
    {u"ニトリ", u"nitori-net.jp", u"nitori", u"ニトリ",
     u"nitori-net.jp nitori.co.jp nitorihd.co.jp"},
    {u"au PAY", u"au.com", u"aupay", u"auペイ", u"au.com auone.jp kddi.com"},
    {u"d払い", u"docomo.ne.jp", u"dbarai docomo", u"d払い ドコモ",
     u"docomo.ne.jp docomo.co.jp nttdocomo.co.jp nttdocomo.com docomo.biz docomo-cycle.jp"},
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
        // "nitori" ends "monitoring"'s first half; the other names start or
        // end no everyday word.
        brand.keysInWords = brand.domain != u"nitori-net.jp";
        brand.scrambles = true;
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

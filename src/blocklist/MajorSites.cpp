#include "blocklist/MajorSites.h"

#include "address/DomainKey.h"
#include "address/PublicSuffixList.h"

#include <QSet>
#include <QString>

namespace {

// Registrable domains, written by hand, separated by spaces. Sources:
// public top-site rankings (the global top sites and the top .jp sites), the
// well-known Japanese brands, makers and retailers, and the domains that
// banks, card companies, mobile carriers and parcel services name as their
// own on their sites. Six of them (nikkei.com, twitter.com,
// mercari-shops.com, wantedly.com, rikunabi.com, ipros.jp) are named by
// mistake in the community fake-shop list that ships with the browser.
constexpr const char16_t *sites[] = {
    // Search, portals, reference
    u"google.com google.co.jp youtube.com yahoo.co.jp yahoo.com bing.com msn.com goo.ne.jp "
    u"livedoor.com excite.co.jp infoseek.co.jp duckduckgo.com wikipedia.org wikimedia.org "
    u"wiktionary.org weblio.jp kotobank.jp",
    // Social networks, video, music, messaging
    u"twitter.com x.com facebook.com instagram.com threads.net tiktok.com linkedin.com "
    u"pinterest.com reddit.com line.me note.com pixiv.net nicovideo.jp abema.tv tver.jp "
    u"netflix.com hulu.jp u-next.jp spotify.com twitch.tv discord.com zoom.us whatsapp.com mixi.jp "
    u"radiko.jp dazn.com",
    // News, magazines, weather
    u"nikkei.com asahi.com yomiuri.co.jp mainichi.jp sankei.com nhk.or.jp jiji.com kyodonews.jp "
    u"tokyo-np.co.jp chunichi.co.jp nishinippon.co.jp hokkaido-np.co.jp itmedia.co.jp "
    u"impress.co.jp toyokeizai.net diamond.jp president.jp bunshun.jp newspicks.com "
    u"nikkansports.com sponichi.co.jp sanspo.com hochi.news oricon.co.jp natalie.mu gizmodo.jp "
    u"huffingtonpost.jp afpbb.com cnet.com zdnet.com bbc.com bbc.co.uk cnn.com nytimes.com "
    u"reuters.com bloomberg.com bloomberg.co.jp wsj.com theguardian.com washingtonpost.com "
    u"apnews.com weathernews.jp tenki.jp weather.com",
    // Marketplaces, price comparison, second-hand
    u"amazon.co.jp amazon.com rakuten.co.jp rakuten.com mercari.com mercari-shops.com fril.jp "
    u"zozo.jp wear.jp qoo10.jp wowma.jp dmm.com buyma.com minne.com creema.jp kakaku.com ebay.com "
    u"aliexpress.com alibaba.com walmart.com target.com bestbuy.com etsy.com 2ndstreet.jp "
    u"bookoff.co.jp bookoffonline.co.jp",
    // Retailers: electronics, clothing, home, books, drugstores, convenience stores
    u"yodobashi.com biccamera.com sofmap.com joshin.co.jp edion.com ksdenki.com kojima.net "
    u"nojima.co.jp yamada-denkiweb.com uniqlo.com gu-global.com muji.com muji.net shimamura.gr.jp "
    u"workman.co.jp abc-mart.net beams.co.jp united-arrows.co.jp onward.co.jp zara.com hm.com "
    u"nitori-net.jp nitori.co.jp ikea.com costco.co.jp aeon.com aeon.co.jp aeonnetshop.com "
    u"itoyokado.co.jp omni7.jp seiyu.co.jp donki.com lohaco.jp askul.co.jp monotaro.com cainz.com "
    u"hands.net loft.co.jp daiso-sangyo.co.jp tsutaya.co.jp tower.jp hmv.co.jp kinokuniya.co.jp "
    u"honto.jp matsukiyococokara-online.com lawson.co.jp family.co.jp sej.co.jp",
    // Makers and brands
    u"apple.com sony.jp sony.co.jp sony.com panasonic.jp panasonic.com sharp.co.jp jp.sharp "
    u"toshiba.co.jp hitachi.co.jp mitsubishielectric.co.jp fujitsu.com nec.com canon.jp "
    u"canon.co.jp nikon.co.jp nikon-image.com fujifilm.com omsystem.com epson.jp epson.co.jp "
    u"brother.co.jp ricoh.co.jp kyocera.co.jp casio.jp casio.com citizen.jp citizen.co.jp "
    u"seiko.co.jp seikowatches.com nintendo.com nintendo.co.jp playstation.com sega.jp "
    u"bandai.co.jp square-enix.com capcom.co.jp konami.com microsoft.com dell.com lenovo.com "
    u"hp.com samsung.com lg.com asus.com dyson.co.jp daikin.co.jp makita.co.jp zojirushi.co.jp "
    u"tiger-corporation.com irisohyama.co.jp balmuda.com toyota.jp toyota.co.jp lexus.jp "
    u"honda.co.jp nissan.co.jp mazda.co.jp subaru.jp suzuki.co.jp daihatsu.co.jp yamaha.com "
    u"yamaha-motor.co.jp bridgestone.co.jp shiseido.co.jp kao.co.jp kao.com kose.co.jp pola.co.jp "
    u"fancl.co.jp dhc.co.jp lion.co.jp unicharm.co.jp ajinomoto.co.jp kirin.co.jp asahibeer.co.jp "
    u"suntory.co.jp sapporobeer.jp meiji.co.jp morinaga.co.jp glico.com nissin.com kikkoman.co.jp "
    u"calbee.co.jp itoen.co.jp asics.com mizuno.jp descente.co.jp goldwin.co.jp montbell.jp "
    u"snowpeak.co.jp yonex.co.jp wacoal.jp nike.com adidas.com adidas.jp",
    // Banks, securities, cards, payments
    u"paypay.ne.jp paypay-bank.co.jp mufg.jp smbc.co.jp mizuhobank.co.jp mizuho-fg.co.jp "
    u"resonabank.co.jp japanpost.jp rakuten-bank.co.jp rakuten-card.co.jp rakuten-sec.co.jp "
    u"sbisec.co.jp netbk.co.jp aeonbank.co.jp sonybank.net jibunbank.co.jp auone.jp smbc-card.com "
    u"jcb.co.jp jcb.jp saisoncard.co.jp orico.co.jp americanexpress.com visa.co.jp visa.com "
    u"mastercard.co.jp mastercard.com paypal.com stripe.com",
    // Carriers, utilities, parcels, travel
    u"docomo.ne.jp nttdocomo.co.jp au.com kddi.com softbank.jp softbank.co.jp ymobile.jp "
    u"uqwimax.jp ntt.com ntt.co.jp ntt-east.co.jp ntt-west.co.jp tepco.co.jp kuronekoyamato.co.jp "
    u"sagawa-exp.co.jp jreast.co.jp jr-central.co.jp jr-odekake.net jrkyushu.co.jp eki-net.com "
    u"jal.co.jp ana.co.jp navitime.co.jp jorudan.co.jp jalan.net ikyu.com booking.com "
    u"expedia.co.jp expedia.com tripadvisor.jp tripadvisor.com agoda.com airbnb.com airbnb.jp "
    u"hotels.com",
    // Food, jobs, housing, business
    u"cookpad.com tabelog.com hotpepper.jp gnavi.co.jp retty.me rikunabi.com mynavi.jp "
    u"wantedly.com indeed.com doda.jp en-japan.com recruit.co.jp townwork.net baitoru.com ipros.jp "
    u"suumo.jp homes.co.jp athome.co.jp",
    // China's largest portals, news and shopping sites of the global rankings: the
    // .cn TLD blocks, as phishing took it over, and would block these with it.
    u"360.cn sina.com.cn people.com.cn china.com.cn chinadaily.com.cn cntv.cn cnr.cn ce.cn "
    u"youth.cn gmw.cn tianya.cn mama.cn 6.cn v1.cn google.cn weather.com.cn 12306.cn 10086.cn "
    u"189.cn icbc.com.cn boc.cn autohome.com.cn xcar.com.cn pconline.com.cn pcauto.com.cn "
    u"pcbaby.com.cn pcgames.com.cn pclady.com.cn zol.com.cn enet.com.cn caijing.com.cn "
    u"jrj.com.cn xgo.com.cn",
    // Software and services
    (u"github.com gitlab.com stackoverflow.com mozilla.org adobe.com office.com live.com "
     u"outlook.com icloud.com openai.com cloudflare.com qiita.com zenn.dev"),
};

// Only government bodies may register a name under these.
constexpr const char16_t *governmentSuffixes[] = {u"go.jp", u"lg.jp", u"gov", u"gov.cn"};

const QSet<DomainKey> &siteSet()
{
    // Keys view the static texts above.
    static const QSet<DomainKey> set = [] {
        QSet<DomainKey> names;
        for (const char16_t *group : sites) {
            for (const QStringView name : QStringView(group).tokenize(u' ', Qt::SkipEmptyParts))
                names.insert(name);
        }
        return names;
    }();
    return set;
}

} // namespace

bool MajorSites::contains(QStringView asciiHost)
{
    const QString domain = PublicSuffixList::system().registrableDomain(asciiHost);
    // A registrable domain is one label over its public suffix.
    return containsRegistrable(domain, QStringView(domain).sliced(domain.indexOf(u'.') + 1));
}

bool MajorSites::containsRegistrable(QStringView registrable, QStringView suffix)
{
    if (registrable.isEmpty())
        return false;
    if (siteSet().contains(registrable))
        return true;
    for (const char16_t *government : governmentSuffixes) {
        if (suffix == QStringView(government))
            return true;
    }
    return false;
}

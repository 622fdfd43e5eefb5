#include "safety/SafeBrowsingEngine.h"

#include "address/PublicSuffixList.h"
#include "safety/AbusedHosting.h"
#include "safety/SafetyReasons.h"
#include "safety/ShopNameModel.h"
#include "safety/WebAddress.h"
#include "support/CoreFixtures.h"

#include <QRandomGenerator>
#include <QTest>

#include <functional>
#include <optional>

using namespace Qt::StringLiterals;

using SL = SafetyLevel;
using Kind = AbusedHosting::Kind;
using Finding = ShopNameModel::Finding;
using Findings = ShopNameModel::Findings;
using RuleEdit = std::function<void(QList<TrustedShop> &, QList<ExcludedPattern> &)>;
Q_DECLARE_METATYPE(RuleEdit)

namespace {

const QString topReason = u"悪質詐欺通販サイトで多発するTLD"_s;
const QString hyphenReason = u"不審なハイフン連続使用ドメイン (詐欺サイト特有の命名パターン)"_s;

ExcludedPattern customPattern(const QString &pattern, const QString &reason = QString(),
                              bool enabled = true)
{
    return ExcludedPattern::create(pattern, reason, enabled, true);
}

TrustedShop customShop(const QString &name, const QString &domain, const QString &tmpl = {},
                       bool enabled = true)
{
    return TrustedShop::create(name, domain, u"c"_s, tmpl, enabled, true);
}

RuleEdit prepend(const QList<TrustedShop> &shops, const QList<ExcludedPattern> &patterns)
{
    return [=](QList<TrustedShop> &s, QList<ExcludedPattern> &p) {
        s = shops + s;
        p = patterns + p;
    };
}

RuleEdit replace(const QList<TrustedShop> &shops, const QList<ExcludedPattern> &patterns)
{
    return [=](QList<TrustedShop> &s, QList<ExcludedPattern> &p) {
        s = shops;
        p = patterns;
    };
}

} // namespace

class tst_SafeBrowsingEngine : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void init() { m_store = &m_rules.emplace().store; }
    void evaluate_data();
    void evaluate();
    void arbitraryAddressesGiveSoundVerdicts();
    void googleSearchAddresses_data();
    void googleSearchAddresses();
    void webAddresses_data();
    void webAddresses();
    void abusedHosting_data();
    void abusedHosting();
    void shopNames_data();
    void shopNames();
    void shopNamesFromInconsistentParts();

private:
    void applyEdit(const RuleEdit &edit);

    std::optional<CoreRules> m_rules;
    SecurityRuleStore *m_store = nullptr;
    const SafeBrowsingEngine m_engine;
};

void tst_SafeBrowsingEngine::applyEdit(const RuleEdit &edit)
{
    QList<TrustedShop> shops = m_store->trustedShops();
    QList<ExcludedPattern> patterns = m_store->excludedPatterns();
    if (edit)
        edit(shops, patterns);
    m_store->setTrustedShops(shops);
    m_store->setExcludedPatterns(patterns);
}

void tst_SafeBrowsingEngine::evaluate_data()
{
    QTest::addColumn<RuleEdit>("edit");
    QTest::addColumn<QString>("address");
    QTest::addColumn<SafetyLevel>("expected");
    QTest::addColumn<QStringList>("lists"); // subscribed, named "A", "B", ... in this order
    const auto add = [](const char *name, const QString &address, const SafetyLevel &expected,
                        const RuleEdit &edit = {}, const QStringList &lists = {}) {
        QTest::newRow(name) << edit << address << expected << lists;
    };

    const SL hyphens = SL::suspicious({hyphenReason});
    const SL top = SL::suspicious({topReason});
    add("hyphens of the registrable name", u"https://www.brand-outlet-sale-jp.com/"_s, hyphens);
    add("single label hyphens", u"http://brand-outlet-sale-jp/"_s,
        SL::neutral(u"brand-outlet-sale-jp"_s));
    add("hyphenated shop", u"https://a-b-c-d.yamada-denkiweb.com/"_s,
        SL::trusted(u"ヤマダウェブコム"_s));
    add("blank page", u"about:blank"_s, SL::neutral(u"不明"_s));
    add("ipv6", u"http://[2001:DB8::1]/"_s, SL::suspicious({SafetyReasons::ipAddress()}));
    add("shop as user info", u"http://www.amazon.co.jp@scam.top/"_s, top);
    // Punycode adds hyphens of its own; they do not count.
    add("idn mixed with latin", u"https://ショップa.jp/"_s, SL::neutral(u"xn--a-lfuqb2esd.jp"_s));
    add("idn hyphens", u"https://激安-ブランド-セール-店.jp/"_s, hyphens);
    add("dash look-alikes count", u"https://激安\u2010ブランド\u2212セール\u2013店.jp/"_s, hyphens);
    add("long vowel mark is no dash", u"https://スーパーマーケット-a-b.jp/"_s,
        SL::neutral(QString::fromLatin1(QUrl::toAce(u"スーパーマーケット-a-b.jp"_s))));
    add("full-width host", u"http://ｓｃａｍ.ＴＯＰ/"_s, top);

    // Edited rules.
    add("shop disabled", u"https://www.Amazon.co.jp/"_s, SL::neutral(u"www.amazon.co.jp"_s),
        RuleEdit([](QList<TrustedShop> &s, QList<ExcludedPattern> &) { s[0].isEnabled = false; }));
    const RuleEdit coJp = prepend({}, {customPattern(u"*.co.jp"_s)});
    const QString coJpReason = u"危険なTLD/ドメインパターン (*.co.jp) に一致"_s;
    add("co.jp safe", u"https://www.google.co.jp/"_s, SL::neutral(u"www.google.co.jp"_s), coJp);
    add("co.jp disabled shop", u"https://www.rakuten.co.jp/"_s, SL::suspicious({coJpReason}),
        replace({customShop(u"楽天"_s, u"rakuten.co.jp"_s, {}, false)},
                {customPattern(u"*.co.jp"_s)}));
    add("pattern as stored in reason", u"https://brand.shop/"_s,
        SL::suspicious({u"危険なTLD/ドメインパターン ( *.SHOP\n) に一致"_s}),
        prepend({}, {customPattern(u" *.SHOP\n"_s)}));
    add("every match in rule order, hyphen rule last", u"https://a-b-c-d.top/"_s,
        SL::suspicious(
            {u"first"_s, u"危険なTLD/ドメインパターン (*.top) に一致"_s, topReason, hyphenReason}),
        prepend({}, {customPattern(u"a-b-c-d.top"_s, u"first"_s), customPattern(u"*.top"_s)}));
    add("pattern disabled", u"https://cheap-brand.top/"_s, SL::neutral(u"cheap-brand.top"_s),
        RuleEdit([](QList<TrustedShop> &, QList<ExcludedPattern> &p) { p[0].isEnabled = false; }));
    add("hyphen rule has no switch", u"https://a-b-c-d.top/"_s, hyphens, replace({}, {}));
    add("shop on a suffix many sites share", u"https://evil.co.jp/"_s, SL::neutral(u"evil.co.jp"_s),
        prepend({customShop(u"CoJp"_s, u"co.jp"_s)}, {}));
    add("first enabled shop wins", u"https://www.amazon.co.jp/"_s, SL::trusted(u"Second"_s),
        prepend({customShop(u"Disabled"_s, u"amazon.co.jp"_s, {}, false),
                 customShop(u"Second"_s, u"amazon.co.jp"_s)},
                {}));
    add("shop beats pattern", u"https://www.good-shop.top/"_s, SL::trusted(u"Mine"_s),
        prepend({customShop(u"Mine"_s, u"Good-Shop.TOP "_s)}, {}));
    add("empty and blank rules trust nothing", u"https://cheap-brand.top/"_s, top,
        prepend({customShop(u"Empty"_s, QString()), customShop(u"Blank"_s, u" \n"_s),
                 customShop(u"Dot"_s, u"*."_s)},
                {customPattern(QString(), u"empty"_s), customPattern(u"*."_s, u"dot"_s)}));
    add("empty rules and trailing dot", u"https://example.com./"_s, SL::neutral(u"example.com"_s),
        prepend({customShop(u"Empty"_s, QString())}, {customPattern(u"*."_s, u"dot"_s)}));

    // Either spelling of an international host meets either spelling of a
    // rule; the verdict names the host in ASCII, so a look-alike cannot pose
    // as a familiar name in the badge.
    const SL idnShop = SL::trusted(u"例えショップ"_s);
    const SL idnPattern = SL::suspicious({u"idn"_s});
    add("idn host, unicode shop rule", u"https://www.xn--r8jz45g.jp/"_s, idnShop,
        prepend({customShop(u"例えショップ"_s, u"例え.jp"_s)}, {}));
    add("idn host, punycode shop rule", u"https://www.例え.jp/"_s, idnShop,
        prepend({customShop(u"例えショップ"_s, u"xn--r8jz45g.jp"_s)}, {}));
    add("idn host, other name", u"https://www.例.jp/"_s,
        SL::neutral(QString::fromLatin1(QUrl::toAce(u"www.例.jp"_s))),
        prepend({customShop(u"例えショップ"_s, u"例え.jp"_s)}, {}));
    add("idn host, unicode wildcard pattern", u"https://www.xn--r8jz45g.jp/"_s, idnPattern,
        prepend({}, {customPattern(u"*.例え.JP"_s, u"idn"_s)}));
    add("idn host, punycode pattern", u"https://www.例え.jp/"_s, idnPattern,
        prepend({}, {customPattern(u"xn--r8jz45g.jp"_s, u"idn"_s)}));
    add("full-width wildcard is text", u"https://www.例え.jp/"_s,
        SL::neutral(u"www.xn--r8jz45g.jp"_s),
        prepend({customShop(u"例えショップ"_s, u" ＊．例え．ｊｐ "_s)},
                {customPattern(u" ＊．例え．ｊｐ "_s, u"idn"_s)}));

    // Each one reached the page unjudged, or as "不明", before.
    const SL unparsable = SL::suspicious({SafetyReasons::unparsableAddress()});
    add("trailing dots", u"http://scam.top../"_s, top);
    add("trailing dot, shop", u"https://www.amazon.co.jp./"_s, SL::trusted(u"Amazon.co.jp"_s));
    add("std3 characters", u"http://sale(shop).scam.top/"_s, top);
    add("leading dot", u"http://.scam.top/"_s, unparsable);
    add("label of 64", u"http://"_s + QString(64, u'a') + u".com/"_s, unparsable);
    add("host of 300", u"http://"_s + QString(150, u'a') + u'.' + QString(149, u'b') + u"/"_s,
        unparsable);
    add("bad punycode", u"http://xn--abc-.top/"_s, unparsable);
    add("no ipv4", u"http://256.256.256.256/"_s, unparsable);
    add("no slashes", u"http:example.com/"_s, SL::neutral(u"example.com"_s));
    add("blob", u"blob:http://a-b-c-d.com/1"_s, hyphens);

    const SL::Suggestion rakuten {u"楽天市場"_s, u"rakuten.co.jp"_s};
    const SL::Suggestion amazon {u"Amazon.co.jp"_s, u"amazon.co.jp"_s};
    const SL::Suggestion apple {u"Apple Store"_s, u"apple.com"_s};
    const QString cn = SafetyReasons::riskyTld(u"cn"_s);
    const auto impersonates = [](const SL::Suggestion &brand) {
        return SL::suspicious({SafetyReasons::impersonation(brand.name)}, brand);
    };
    const auto prefixed = [](const SL::Suggestion &brand) {
        return SafetyReasons::certifiedPrefix(brand.name, brand.domain);
    };
    const auto homograph = [](const SL::Suggestion &brand) {
        return SL::suspicious({SafetyReasons::homograph(brand.name, brand.domain)}, brand);
    };

    // Each signal's hits and near misses, on the host alone.
    const auto onHost = [add](const char *name, const QString &host, const SL &expected) {
        add(name, u"https://"_s + host + u'/', expected);
    };
    // Brand impersonation: certified shops first, then the built-in brands.
    onHost("certified name", u"rakuten-login.example"_s, impersonates(rakuten));
    onHost("digit look-alike", u"amaz0n-co-jp.com"_s, impersonates(amazon));
    onHost("rn for m", u"secure.arnazon.example"_s, impersonates(amazon));
    onHost("one typo", u"paypey-id.example"_s, impersonates({u"PayPay"_s, u"paypay.ne.jp"_s}));
    onHost("name over pieces", u"au-pay.example"_s, impersonates({u"au PAY"_s, u"au.com"_s}));
    onHost("name starts a word", u"rakutenget.com"_s, impersonates(rakuten));
    onHost("name ends a word", u"login.myarnazon.net"_s, impersonates(amazon));
    onHost("scrambled name", u"www.anazom.userinfo.example"_s, impersonates(amazon));
    onHost("scrambled name, letters added", u"mcereari-jp.example"_s,
           impersonates({u"メルカリ"_s, u"jp.mercari.com"_s}));
    onHost("scrambled name starts a word", u"www.arnozansignin.example"_s, impersonates(amazon));
    onHost("name on a brand's hosting", u"paypay-login.s3.amazonaws.com"_s,
           impersonates({u"PayPay"_s, u"paypay.ne.jp"_s}));
    // アマゾン: the built-in brand, named as the certified shop.
    onHost("brand name in japanese", u"xn--cckwcxetd.example"_s, impersonates(amazon));
    onHost("certified domain as a prefix", u"rakuten.co.jp.evil.example"_s,
           SL::suspicious({prefixed(rakuten)}, rakuten));
    onHost("prefix with a hyphen", u"amazon.co.jp-secure.example"_s,
           SL::suspicious({prefixed(amazon)}, amazon));
    onHost("homograph, cyrillic а", u"xn--rkuten-3nf.co.jp"_s, homograph(rakuten));
    onHost("homograph, whole cyrillic", u"xn--80ak6aa92e.com"_s /* аррӏе */, homograph(apple));
    onHost("homograph, accent", u"xn--amazn-3ta.com"_s /* amazón */, homograph(amazon));
    onHost("homograph, armenian", u"xn--amazn-okg.com"_s /* amazօn */, homograph(amazon));
    onHost("name left of a company's own", u"paypay.app-vb.ne.jp"_s,
           impersonates({u"PayPay"_s, u"paypay.ne.jp"_s}));
    onHost("several signals", u"rakuten.co.jp.x.cn"_s,
           SL::suspicious({prefixed(rakuten), cn}, rakuten));
    onHost("public ipv4", u"203.0.113.7"_s, SL::suspicious({SafetyReasons::ipAddress()}));
    onHost("tld", u"www.fjjhwxq.cn"_s, SL::suspicious({cn}));
    onHost("certified name elsewhere: caution", u"www.amiami.com"_s,
           SL::caution({SafetyReasons::resemblesCertifiedShop(u"あみあみ (AmiAmi)"_s)}));
    onHost("tld caution", u"handmade.shop"_s, SL::caution({SafetyReasons::cautionTld(u"shop"_s)}));
    onHost("registry's second level", u"kuroneko.sa.com"_s,
           SL::caution({SafetyReasons::cautionTld(u"sa.com"_s)}));
    onHost("counterfeit word", u"www.superkopi.example"_s,
           SL::caution({SafetyReasons::counterfeitName()}));
    onHost("word pair on a cheap TLD", u"www.kitchenlamp.shop"_s,
           SL::suspicious({SafetyReasons::cautionsTogether(), SafetyReasons::cautionTld(u"shop"_s),
                           SafetyReasons::wordPairName()}));
    onHost("word pair on a country code", u"kitchenlamp.cc"_s,
           SL::caution({SafetyReasons::cautionTld(u"cc"_s)}));
    onHost("random letters", u"zxqwvb.net"_s, SL::caution({SafetyReasons::randomLetters()}));
    onHost("random letters under a sign-in word", u"auth6717-help.zxqwvb.net"_s,
           SL::suspicious({SafetyReasons::cautionsTogether(), SafetyReasons::randomLetters(),
                           SafetyReasons::accountWords()}));
    onHost("sign-in word alone", u"login.kitchen-goods.com"_s,
           SL::neutral(u"login.kitchen-goods.com"_s));
    onHost("two cautions together", u"qoyuumall.shop"_s,
           SL::suspicious({SafetyReasons::cautionsTogether(), SafetyReasons::cautionTld(u"shop"_s),
                           SafetyReasons::madeUpShopName()}));

    // Near misses: a private address (192.168.1.1), a suffix alone (com),
    // ショップ (xn--gckr3f0f.jp), a word however its letters score (light).
    const QStringList nearMisses
        = u"www.paypal.com amazon.com amazon.cn rakuten-travel-agent.co.jp rakuen-resort.jp "
          u"rakuteneagles.jp amazonas.example monitoring.example amazonvideo.com "
          u"cvws.icloud-content.com pineapple.example applied.example appliedmaterials.example "
          u"mybucket.s3.amazonaws.com xn--gckr3f0f.jp shop.base.shop 192.168.1.1 com "
          u"copy-center.co.jp support.yahoo-net.jp news.sina.com.cn www.light.com "
          u"xn--caf-dma.jp"_s.split(u' ');
    for (const QString &host : nearMisses)
        QTest::addRow("passes: %s", qPrintable(host))
            << RuleEdit() << u"https://"_s + host + u'/' << SL::neutral(host) << QStringList();

    // Subscribed lists block after the user's own patterns, before the
    // signals, and lift only one another's blocks.
    const auto listed = [add](const char *name, const QStringList &lists, const QString &address,
                              const SafetyLevel &expected, const QString &ownPattern = {}) {
        add(name, address, expected,
            prepend({},
                    ownPattern.isEmpty() ? QList<ExcludedPattern>()
                                         : QList {customPattern(ownPattern, u"own"_s)}),
            lists);
    };
    const QString fake = u"*://*.fake-shop.example/* # whole site"_s;
    const QString listA = SafetyReasons::subscribedList(u"A"_s);
    const QString ip = SafetyReasons::ipAddress();
    listed("list: host spelled oddly", {fake}, u"https://WWW.Fake-Shop.Example./x"_s,
           SL::suspicious({listA}));
    listed("list: expression over the whole address",
           {uR"(/^https?:\/\/(www\.)?news\.example\/.*(R(URL|EDIRECT)|LINK)=/i)"_s},
           u"https://news.example/out?Redirect=https://x.example/"_s, SL::suspicious({listA}));
    // A rule that names no site would stop every shop's sign-in page.
    const SL anySite = SL::caution({SafetyReasons::subscribedListAnySite(u"A"_s)});
    listed("list: expression for any site", {uR"(/^https?:\/\/[^/]+\/.*REDIRECT=.*\//i)"_s},
           u"https://news.example/login?redirect=/my/"_s, anySite);
    listed("list: pattern for any host", {u"*://*/login*"_s}, u"https://news.example/login"_s,
           anySite);
    listed("list: every list that blocks, in order",
           {fake, u"# Title: x\n*://fake-shop.example/*"_s}, u"https://fake-shop.example/"_s,
           SL::suspicious({listA, SafetyReasons::subscribedList(u"B"_s)}));
    listed("list: another list's exception lifts the block",
           {fake, u"@*://www.fake-shop.example/*"_s}, u"https://www.fake-shop.example/"_s,
           SL::caution({SafetyReasons::madeUpShopName()}));
    listed("list: an exception never lifts the user's pattern", {u"@*://*.fake-shop.example/*"_s},
           u"https://fake-shop.example/"_s, SL::suspicious({u"own"_s}), u"fake-shop.example"_s);
    listed("list: an exception never lifts a signal", {u"@*://203.0.113.9/*"_s},
           u"http://203.0.113.9/"_s, SL::suspicious({ip}));
    listed("list: address blocked", {u"*://203.0.113.9/*"_s}, u"http://203.0.113.9/a"_s,
           SL::suspicious({listA, ip}));
    listed("list: the user's pattern and the list both count", {fake},
           u"https://fake-shop.example/"_s, SL::suspicious({u"own"_s, listA}), u"*.example"_s);
    // Only the user's own patterns block these.
    listed("list: never a certified shop", {u"*://*.amazon.co.jp/*"_s},
           u"https://www.amazon.co.jp/"_s, SL::trusted(u"Amazon.co.jp"_s));
    listed("list: never a brand's own domain", {u"*://*.mercdn.net/*"_s},
           u"https://static.mercdn.net/"_s, SL::neutral(u"static.mercdn.net"_s));
    listed("list: never a major site", {u"*://*.weblio.jp/*"_s}, u"https://ejje.weblio.jp/"_s,
           SL::neutral(u"ejje.weblio.jp"_s));
    listed("list: the user's pattern blocks a major site", {}, u"https://weblio.jp/"_s,
           SL::suspicious({u"own"_s}), u"weblio.jp"_s);
    listed("list: no host", {u"*://*/*"_s}, u"about:blank"_s, SL::neutral(u"不明"_s));
}

void tst_SafeBrowsingEngine::evaluate()
{
    QFETCH(RuleEdit, edit);
    QFETCH(QString, address);
    QFETCH(SafetyLevel, expected);
    QFETCH(QStringList, lists);
    applyEdit(edit);
    QList<SubscribedList> subscribed;
    for (const QString &text : lists) {
        subscribed.append({QUuid::createUuid(), QString(QChar(char16_t(u'A' + subscribed.size()))),
                           BlockList::parse(text.toUtf8())});
    }
    m_store->setSubscribedLists(subscribed);
    const SafetyLevel verdict = m_engine.evaluateSafety(QUrl(address), *m_store);
    QCOMPARE(verdict.reasons(), expected.reasons());
    QCOMPARE(verdict, expected);
    // The lists stay when the user's own rules change.
    m_store->setTrustedShops(m_store->trustedShops());
    QCOMPARE(m_engine.evaluateSafety(QUrl(address), *m_store), verdict);
}

void tst_SafeBrowsingEngine::arbitraryAddressesGiveSoundVerdicts()
{
    // Odd hosts built from the characters that matter to the rules.
    const QStringList pieces {u"-"_s,  u"."_s,   u"top"_s,  u"*"_s,      u"例"_s, u"xn--"_s,
                              u"A"_s,  u"%2e"_s, u"@"_s,    u":80"_s,    u"["_s,  u"]"_s,
                              u"::"_s, u"1"_s,   u"ｊｐ"_s, u"\u3000"_s, u" "_s,  u"co.jp"_s};
    applyEdit(prepend({customShop(u"u"_s, u"例.jp"_s), customShop(u"e"_s, QString())},
                      {customPattern(u"*."_s), customPattern(u" *.ＴＯＰ "_s)}));
    QRandomGenerator random(20261206);
    for (int i = 0; i < 3000; ++i) {
        QString host;
        for (int p = random.bounded(1, 9); p > 0; --p)
            host += pieces.at(random.bounded(pieces.size()));
        const QUrl url(u"http://"_s + host + u"/path"_s);
        const SafetyLevel verdict = m_engine.evaluateSafety(url, *m_store);
        if (verdict.isSuspicious() || verdict.isCaution())
            QVERIFY(!verdict.reasons().isEmpty());
        else if (verdict.isNeutral())
            QVERIFY2(!verdict.domain().isEmpty(), qPrintable(host));
        else
            QVERIFY(!verdict.shopName().isEmpty());
        QCOMPARE(m_engine.evaluateSafety(url, *m_store), verdict);
    }
}

void tst_SafeBrowsingEngine::googleSearchAddresses_data()
{
    QTest::addColumn<QString>("query");
    QTest::addColumn<SearchFilterMode>("mode");
    QTest::addColumn<RuleEdit>("edit");
    QTest::addColumn<QString>("expected"); // empty: no address
    QTest::addColumn<SearchTargetEngine>("engine");
    QTest::addColumn<QString>("shopTemplate"); // empty: no shop picked
    const auto add
        = [](const char *name, const QString &query, SearchFilterMode mode, const RuleEdit &edit,
             const QString &expected, SearchTargetEngine engine = SearchTargetEngine::googleWeb,
             const QString &shopTemplate = {}) {
              QTest::newRow(name) << query << mode << edit << expected << engine << shopTemplate;
          };
    using M = SearchFilterMode;

    const QString base = u"https://www.google.co.jp/search?q="_s;
    const QString webTail = u"&hl=ja&gl=jp"_s;
    const RuleEdit threeShops
        = replace({customShop(u"1"_s, u"d1.example"_s), customShop(u"2"_s, u"D2.example"_s),
                   customShop(u"3"_s, u"d3.example"_s)},
                  {});
    const RuleEdit noShops = [](QList<TrustedShop> &shops, QList<ExcludedPattern> &) {
        for (TrustedShop &shop : shops)
            shop.isEnabled = false;
    };
    const RuleEdit oddPatterns = replace({},
                                         {customPattern(u"*.*.shop"_s), customPattern(u"shop"_s),
                                          customPattern(u"*.off"_s, {}, false)});

    add("blank query, direct", u" \n\t "_s, M::directShopSearch, {},
        u"https://www.google.co.jp/shopping"_s);
    add("trusted, three shops", u"  ノート PC \n"_s, M::trustedOnly, threeShops,
        base + u"%E3%83%8E%E3%83%BC%E3%83%88%20PC"_s
            + u"%20(site:d1.example%20OR%20site:D2.example%20OR%20site:d3.example)"_s
            + u"&hl=ja&gl=jp&tbm=shop&udm=28"_s,
        SearchTargetEngine::googleShopping);
    add("exclude, odd patterns", u"x"_s, M::excludeSuspicious, oddPatterns,
        base + u"x%20-site:*.*.shop%20-site:*.shop"_s + webTail);
    add("query characters",
        u"M&A C++ #1 100% \"a\" [b] {c} |d `e ^f <g> \\h a=b/c?d:e@f!$'()*,;~"_s,
        M::directShopSearch, {},
        base
            + u"M%26A%20C++%20%231%20100%25%20%22a%22%20%5Bb%5D%20%7Bc%7D%20%7Cd%20%60e%20%5Ef"
              u"%20%3Cg%3E%20%5Ch%20a=b/c?d:e@f!$'()*,;~"_s
            + webTail);

    // Twenty enabled rules after three disabled ones: the first fifteen count.
    QList<TrustedShop> shops;
    QList<ExcludedPattern> patterns;
    QStringList siteTerms, excludeTerms;
    for (int i = -2; i <= 20; ++i) {
        shops.append(customShop(u"s"_s, u"s%1.example"_s.arg(i), {}, i > 0));
        patterns.append(customPattern(u"*.p%1"_s.arg(i), {}, i > 0));
        if (i > 0 && i <= 15) {
            siteTerms.append(u"site:s%1.example"_s.arg(i));
            excludeTerms.append(u"-site:*.p%1"_s.arg(i));
        }
    }
    add("trusted, capped", u"q"_s, M::trustedOnly, replace(shops, patterns),
        base + u"q%20("_s + siteTerms.join(u"%20OR%20"_s) + u")"_s + webTail);
    add("exclude, capped", u"q"_s, M::excludeSuspicious, replace(shops, patterns),
        base + u"q%20"_s + excludeTerms.join(u"%20"_s) + webTail);

    // The picked shop's own search, whatever the engine, in its own mode only.
    const auto direct = [add](const char *name, const QString &query, const QString &shopTemplate,
                              const QString &expected) {
        add(name, query, M::directShopSearch, {}, expected, SearchTargetEngine::googleShopping,
            shopTemplate);
    };
    direct("shop, japanese, plus and slash", u" ノート C++ a/b?c=d "_s,
           u"https://example.com/s/{query}/"_s,
           u"https://example.com/s/%E3%83%8E%E3%83%BC%E3%83%88%20C%2B%2B%20a%2Fb%3Fc%3Dd/"_s);
    direct("shop, twice", u"x y"_s, u"https://example.com/{query}?k={query}"_s,
           u"https://example.com/x%20y?k=x%20y"_s);
    direct("shop, placeholder is case-sensitive", u"x"_s, u"https://e.com/?q={QUERY}"_s,
           u"https://e.com/?q=%7BQUERY%7D"_s);
    direct("shop, script", u"x"_s, u"javascript:alert(1)"_s, QString());
    add("shop in another mode, none enabled", u"x"_s, M::trustedOnly, noShops,
        base + u"x"_s + webTail, SearchTargetEngine::googleWeb, u"https://e.com/?q={query}"_s);
}

void tst_SafeBrowsingEngine::googleSearchAddresses()
{
    QFETCH(QString, query);
    QFETCH(SearchFilterMode, mode);
    QFETCH(RuleEdit, edit);
    QFETCH(QString, expected);
    QFETCH(SearchTargetEngine, engine);
    QFETCH(QString, shopTemplate);
    applyEdit(edit);
    const auto shop = shopTemplate.isEmpty()
        ? std::nullopt
        : std::optional(customShop(u"shop"_s, u"example.com"_s, shopTemplate));
    const std::optional<QUrl> url = m_engine.buildSearchURL(query, mode, engine, *m_store, shop);
    QCOMPARE(url ? WebAddress::text(*url) : QString(), expected);
    // The text survives a trip through the parser unchanged.
    if (url)
        QCOMPARE(WebAddress::text(*WebAddress::parse(expected)), expected);
}

void tst_SafeBrowsingEngine::webAddresses_data()
{
    QTest::addColumn<bool>("typed"); // as the search box was given it
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("expected"); // empty: no address, or typed: searched for

    QTest::newRow("unicode host") << false << u"https://例え.jp/ノート"_s
                                  << u"https://xn--r8jz45g.jp/%E3%83%8E%E3%83%BC%E3%83%88"_s;
    // Another scheme, no host, a bad host.
    for (const QString &text :
         {u"ftp://example.com/"_s, u"https:///path"_s, u"http://exa mple.com/"_s})
        QTest::addRow("none: %s", qPrintable(text)) << false << text << QString();

    QTest::newRow("typed bare host") << true << u"yodobashi.com"_s << u"https://yodobashi.com"_s;
    QTest::newRow("typed host and path")
        << true << u" www.amazon.co.jp/dp/B0C?th=1 "_s << u"https://www.amazon.co.jp/dp/B0C?th=1"_s;
    QTest::newRow("typed http kept")
        << true << u"http://shop.example.jp/"_s << u"http://shop.example.jp/"_s;
    // Words, a model number, a version, an unknown suffix, a suffix only, a
    // user part, a script, nothing.
    for (const QString &typed :
         {u"MacBook Air"_s, u"WH-1000XM5"_s, u"1.5"_s, u"notes.txt"_s, u"co.jp"_s,
          u"amazon.co.jp@evil.example.com"_s, u"javascript:alert(1)"_s, u""_s})
        QTest::addRow("searched: %s", qPrintable(typed)) << true << typed << QString();
}

void tst_SafeBrowsingEngine::webAddresses()
{
    QFETCH(bool, typed);
    QFETCH(QString, text);
    QFETCH(QString, expected);
    const std::optional<QUrl> url = typed ? WebAddress::fromTyped(text) : WebAddress::parse(text);
    QCOMPARE(url ? WebAddress::text(*url) : QString(), expected);
    if (url)
        QCOMPARE(WebAddress::parse(expected), url);
}

void tst_SafeBrowsingEngine::abusedHosting_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<Kind>("kind");
    QTest::addColumn<bool>("block");
    QTest::addColumn<QString>("suffix");
    const auto add
        = [](const char *name, const QString &host, Kind kind, bool block, const QString &suffix) {
              QTest::newRow(name) << host << kind << block << suffix;
          };

    add("dynamic dns", u"kgczwu.duckdns.org"_s, Kind::dynamicDns, true, u"duckdns.org"_s);
    add("free hosting", u"x-1.y2.workers.dev"_s, Kind::freeHosting, true, u"workers.dev"_s);
    add("caution only", u"shop-app.web.app"_s, Kind::freeHosting, false, u"web.app"_s);
    // Near misses: the provider's own site, a name glued to the suffix, the
    // suffix as a prefix, an empty label below it, a leading dot, nothing.
    for (const QString &host : {u"duckdns.org"_s, u"myduckdns.org"_s, u"duckdns.org.example.com"_s,
                                u"a..duckdns.org"_s, u".duckdns.org"_s, QString()})
        QTest::addRow("none: %s", qPrintable(host)) << host << Kind::none << false << QString();
}

void tst_SafeBrowsingEngine::abusedHosting()
{
    QFETCH(QString, host);
    QFETCH(Kind, kind);
    QFETCH(bool, block);
    QFETCH(QString, suffix);
    const AbusedHosting::Match found = AbusedHosting::match(host);
    QCOMPARE(found.kind, kind);
    QCOMPARE(found.block, block);
    QCOMPARE(found.suffix.toString(), suffix);
}

void tst_SafeBrowsingEngine::shopNames_data()
{
    QTest::addColumn<QString>("host");
    QTest::addColumn<Findings>("findings");
    const auto add = [](const char *name, const QString &host, Findings findings) {
        QTest::newRow(name) << host << findings;
    };

    const Finding madeUp = Finding::madeUpShopName;
    const Finding generated = Finding::machineGeneratedHost;
    const Finding random = Finding::randomLetters;
    add("made-up shop name", u"qoyuumall.com"_s, madeUp);
    add("random letters", u"zxqwvb.net"_s, random);
    add("random letters, shop-like too", u"trewqhjkbvc.com"_s, madeUp | random);
    add("made-up name below www", u"www.kiiwaayy.com"_s, madeUp);
    add("hex digest label", u"a3f9c2e87b10d4f6.sunrisebakery.com"_s, generated);
    add("japanese suffix inside", u"amazom.co.jp.sunrisebakery.com"_s, generated);
    add("look-alike suffix inside", u"rakuten.co.ip.sunrisebakery.xyz"_s, generated);
    add("id over a random name", u"0k7.zqvrt.com"_s, generated);
    add("numbered server: the name's letters alone", u"img1.zqvrt.com"_s, random);
    add("any id over a name without vowels", u"2.gmwzt.com"_s, generated);

    // Ordinary words, romanised Japanese, a made-up name under a second-level
    // suffix, .jp or a shop platform, punycode, an IP address; 15 hex digits,
    // a hex word with few digits, a CDN host named after a domain, an id over
    // a word, www over a name without vowels, a short acronym, a CDN's name.
    for (const QString &host :
         {u"sunrisebakery.com"_s, u"kyotoryokan.com"_s, u"qoyuumall.co.jp"_s, u"qoyuumall.jp"_s,
          u"qoyuumall.base.shop"_s, u"xn--zckzah.com"_s, u"203.0.113.7"_s,
          u"a3f9c2e87b10d4f.sunrisebakery.com"_s, u"deadbeefcafebabe1.sunrisebakery.com"_s,
          u"www.sunrisebakery.co.jp.edgekey.net"_s, u"0k7.kasumi.com"_s, u"www.gmwzt.com"_s,
          u"news.nhk.com"_s, u"static.fbcdn.net"_s})
        QTest::addRow("nothing: %s", qPrintable(host)) << host << Findings();
}

void tst_SafeBrowsingEngine::shopNames()
{
    QFETCH(QString, host);
    QFETCH(Findings, findings);
    const PublicSuffixList &list = PublicSuffixList::system();
    QCOMPARE(ShopNameModel::assess(host, list.registrableDomain(host), list.publicSuffix(host)),
             findings);
}

void tst_SafeBrowsingEngine::shopNamesFromInconsistentParts()
{
    // Parts that do not belong together are not judged, never read out of range.
    QVERIFY(!ShopNameModel::assess(u"qoyuumall.com", u"", u"com"));
    QVERIFY(!ShopNameModel::assess(u"qoyuumall.com", u"qoyuumall.com", u"net"));
    QVERIFY(!ShopNameModel::assess(u"xqoyuumall.com", u"qoyuumall.com", u"com"));
    QVERIFY(!ShopNameModel::assess(u"a.org", u"qoyuumall.com", u"com"));
    QVERIFY(!ShopNameModel::assess(u"com", u"com", u"com"));
    QVERIFY(!ShopNameModel::assess(u"", u"", u""));
}

QTEST_GUILESS_MAIN(tst_SafeBrowsingEngine)
#include "tst_safebrowsingengine.moc"

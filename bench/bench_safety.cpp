// Verdict and search-address timings of the safety engine, also with
// subscribed block lists: the bundled community list (with and without its
// one regular expression) and 100,000 generated rules beside 10,000 own shops
// and 10,000 own patterns, each against the same rules without lists.
// Build in a release configuration (the default RelWithDebInfo will do).
#include "BenchTiming.h"
#include "blocklist/BlockList.h"
#include "prefs/SettingsPreferencesStore.h"
#include "rules/SecurityRuleStore.h"
#include "safety/SafeBrowsingEngine.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Keeps results observable so the optimiser cannot drop the work.
volatile qsizetype g_sink = 0;

void consume(const SafetyLevel &level)
{
    g_sink = g_sink + int(level.kind()) + level.reasons().size() + level.domain().size()
        + level.shopName().size();
}

struct HostMix
{
    const char *label;
    QList<QUrl> urls;
};

QList<QUrl> urls(std::initializer_list<QString> texts)
{
    QList<QUrl> list;
    for (const QString &text : texts)
        list.append(QUrl(text));
    return list;
}

// Quick runs (--quick) time the mix alone, with fewer samples: enough to
// compare two builds while working on the engine.
bool g_quick = false;

void benchVerdicts(QTextStream &out, const SafeBrowsingEngine &engine, const RuleSet &store,
                   int samples, int calls)
{
    if (g_quick)
        samples = std::min(samples, 51);
    const QList<HostMix> mixes {
        {"trusted",
         urls({u"https://www.amazon.co.jp/dp/B0"_s, u"https://www.yodobashi.com/product/1"_s,
               u"https://store.shopping.yahoo.co.jp/x/"_s, u"https://www.apple.com/jp/"_s})},
        {"safe",
         urls({u"https://www.google.co.jp/search?q=x"_s, u"https://news.yahoo.co.jp/"_s,
               u"https://www.bing.com/"_s, u"https://duckduckgo.com/"_s})},
        {"suspicious",
         urls({u"http://cheap-brand.top/"_s, u"http://cheap-brand-sale-x.xyz/"_s,
               u"http://free-gift.ga/"_s, u"https://brand-outlet-sale-jp.com/"_s})},
        {"neutral",
         urls({u"https://example.com/"_s, u"https://www.wikipedia.org/wiki/x"_s,
               u"https://github.com/qt/qtbase"_s, u"https://news.example.co.uk/a"_s})},
        {"signals",
         urls({u"https://rakuten.co.jp.evil.example/"_s, u"https://amaz0n-co-jp.example/"_s,
               u"http://203.0.113.7/login"_s, u"https://www.fjjhwxq.cn/"_s})},
        // Names on the TLDs fake shops favour are read word by word.
        {"cheap TLD names",
         urls({u"https://handmade.shop/"_s, u"https://www.kitchenlamp.shop/"_s,
               u"https://zakka-hanako.shop/"_s, u"https://dealinggap.online/"_s})},
        {"unicode and unparsable",
         urls({u"https://xn--rkuten-3nf.co.jp/"_s, u"https://ショップ.jp/"_s,
               u"http://scam.top../"_s, u"http:scam.top"_s})},
        // Paths and queries are what list expressions read.
        {"long addresses",
         urls({u"https://www.example.com/search?q=abc&page=2&sort=price"_s,
               u"https://shop.example.net/item/12345?ref=mail&utm_source=news"_s,
               u"https://blog.example.org/2024/05/01/a-post-title-here/"_s,
               u"https://login.example.jp/auth?redirect_uri=https://app.example.jp/cb"_s})},
    };
    QList<QUrl> all;
    for (const HostMix &mix : mixes)
        all += mix.urls;
    // Interleave so that consecutive verdicts are of different kinds.
    QList<QUrl> mixed;
    for (int i = 0; i < 4; ++i) {
        for (const HostMix &mix : mixes)
            mixed.append(mix.urls.at(i));
    }

    // The floor every verdict stands on: reading the host out of the address.
    out << "  baseline, QUrl::host() alone: "
        << medianNanosecondsPerCall(
               samples, calls,
               [&](int i) { g_sink = g_sink + mixed.at(i % mixed.size()).host().size(); })
        << " ns/address\n";
    out << "  mix of all kinds: " << medianNanosecondsPerCall(samples, calls, [&](int i) {
        consume(engine.evaluateSafety(mixed.at(i % mixed.size()), store));
    }) << " ns/verdict\n";
    if (g_quick)
        return;
    for (const HostMix &mix : mixes) {
        out << "  " << mix.label << ": " << medianNanosecondsPerCall(samples, calls, [&](int i) {
            consume(engine.evaluateSafety(mix.urls.at(i % mix.urls.size()), store));
        }) << " ns/verdict\n";
    }
}

SubscribedList subscribed(const QString &name, const QByteArray &text)
{
    return {QUuid::createUuid(), name, BlockList::parse(text)};
}

QByteArray bundledListText()
{
    QFile file(QStringLiteral(VELMORA_BUNDLED_LIST));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void benchSubscribedLists(QTextStream &out, const SafeBrowsingEngine &engine,
                          const QList<TrustedShop> &shops, const QList<ExcludedPattern> &patterns)
{
    const QByteArray community = bundledListText();
    QByteArray withoutExpression;
    for (const QByteArray &line : community.split('\n')) {
        if (!line.startsWith('/'))
            withoutExpression += line + '\n';
    }
    const SubscribedList bundled = subscribed(u"community"_s, community);
    const SubscribedList hostsOnly = subscribed(u"community, no expression"_s, withoutExpression);
    const SubscribedList generated = subscribed(u"generated"_s, generatedBlockList(100000));

    const RuleSet own(shops, patterns);
    out << "\nsubscribed lists beside " << own.enabledShopCount() << " own shops and "
        << own.enabledPatternCount() << " own patterns; target: verdict <= 2 µs median\n";
    out << "  lists: community " << bundled.list->ruleCount() << " rules, generated "
        << generated.list->ruleCount() << " rules\n";
    const struct
    {
        const char *label;
        QList<SubscribedList> lists;
    } cases[] = {
        {"baseline, no lists", {}},
        {"community list without its expression", {hostsOnly}},
        {"community list (the bundled one)", {bundled}},
        {"community list + 100,000 generated rules", {bundled, generated}},
    };
    for (const auto &c : cases) {
        out << c.label << ", median of 301 samples of 2,000 verdicts:\n";
        benchVerdicts(out, engine, own.withSubscribedLists(c.lists), 301, 2000);
    }
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    g_quick = application.arguments().contains(u"--quick"_s);
    QTextStream out(stdout);
    out.setRealNumberNotation(QTextStream::FixedNotation);
    out.setRealNumberPrecision(1);

    QTemporaryDir dir;
    SettingsPreferencesStore preferences(dir.filePath(u"bench.ini"_s));
    SecurityRuleStore store(preferences);
    const SafeBrowsingEngine engine;

    out << "evaluateSafety, default rules (25 shops, 6 safe domains, 20 patterns) and every "
           "signal, median of 501 samples of 2,000 verdicts:\n";
    benchVerdicts(out, engine, *store.ruleSet(), 501, 2000);
    out << "evaluateSafety as shipped, default rules and the bundled list, median of 501 samples "
           "of 2,000 verdicts:\n";
    benchVerdicts(
        out, engine,
        store.ruleSet()->withSubscribedLists({subscribed(u"community"_s, bundledListText())}), 501,
        2000);

    QList<TrustedShop> manyShops = store.trustedShops();
    QList<ExcludedPattern> manyPatterns = store.excludedPatterns();
    for (int i = manyShops.size(); i < 1000; ++i) {
        manyShops.append(TrustedShop::create(u"店%1"_s.arg(i), u"shop%1.example.jp"_s.arg(i),
                                             u"c"_s, u"https://shop%1.example.jp/?q={query}"_s,
                                             true, true));
    }
    for (int i = manyPatterns.size(); i < 100000; ++i) {
        manyPatterns.append(ExcludedPattern::create(
            i % 2 ? u"*.bad%1"_s.arg(i) : u"shop%1.example.com"_s.arg(i), QString(), true, true));
    }
    const auto built = std::chrono::steady_clock::now();
    const RuleSet large(manyShops, manyPatterns);
    out << "RuleSet of 1,000 shops and 100,000 patterns built in "
        << double(std::chrono::duration_cast<std::chrono::milliseconds>(
                      std::chrono::steady_clock::now() - built)
                      .count())
        << " ms\n";
    out << "evaluateSafety, 1,000 shops and 100,000 patterns and every signal, median of 501 "
           "samples of 2,000 verdicts:\n";
    benchVerdicts(out, engine, large, 501, 2000);

    QList<TrustedShop> ownShops = store.trustedShops();
    QList<ExcludedPattern> ownPatterns = store.excludedPatterns();
    for (int i = 0; i < 10000; ++i) {
        ownShops.append(TrustedShop::create(u"店%1"_s.arg(i), u"own%1.example.jp"_s.arg(i), u"c"_s,
                                            u"https://own%1.example.jp/?q={query}"_s.arg(i), true,
                                            true));
        ownPatterns.append(ExcludedPattern::create(
            i % 2 ? u"*.own%1"_s.arg(i) : u"own%1.example.com"_s.arg(i), QString(), true, true));
    }
    benchSubscribedLists(out, engine, ownShops, ownPatterns);
    if (g_quick)
        return g_sink == 42 ? 1 : 0;

    out << "buildSearchURL, default rules, query \"ノート PC 16GB\", median of 501 samples of "
           "1,000 calls:\n";
    const QString query = u"ノート PC 16GB"_s;
    const TrustedShop shop = store.trustedShops().first();
    struct Case
    {
        const char *label;
        SearchFilterMode mode;
        std::optional<TrustedShop> shop;
    };
    const Case cases[] = {
        {"trustedOnly", SearchFilterMode::trustedOnly, std::nullopt},
        {"excludeSuspicious", SearchFilterMode::excludeSuspicious, std::nullopt},
        {"directShopSearch with a shop", SearchFilterMode::directShopSearch, shop},
        {"directShopSearch without a shop", SearchFilterMode::directShopSearch, std::nullopt},
    };
    for (const Case &c : cases) {
        for (const SearchTargetEngine target : allSearchTargetEngines()) {
            const double ns = medianNanosecondsPerCall(501, 1000, [&](int) {
                const std::optional<QUrl> url
                    = engine.buildSearchURL(query, c.mode, target, store, c.shop);
                g_sink = g_sink + (url ? url->port() : 0);
            });
            out << "  " << c.label << ", " << rawValue(target) << ": " << ns / 1000.0
                << " µs/address\n";
        }
    }
    return g_sink == 42 ? 1 : 0;
}

// How long the navigation policy takes to answer the engine, with the
// built-in rules: the time screening adds to every navigation decision.
// Run by hand: ./bench_navigation_policy

#include "browser/BrowserViewModel.h"
#include "prefs/SettingsPreferencesStore.h"
#include "rules/SecurityRuleStore.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>
#include <QUrl>

#include <algorithm>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int callsPerSample = 1000;
constexpr int samples = 101;

double medianNanosecondsPerCall(BrowserViewModel &viewModel, const QList<QUrl> &urls)
{
    std::vector<double> perCall;
    perCall.reserve(samples);
    volatile bool sink = false;
    for (int sample = 0; sample < samples; ++sample) {
        QElapsedTimer timer;
        timer.start();
        for (int call = 0; call < callsPerSample; ++call)
            sink = viewModel.decidePolicy(urls.at(call % urls.size()),
                                          QWebEnginePage::NavigationTypeLinkClicked, true);
        perCall.push_back(double(timer.nsecsElapsed()) / callsPerSample);
        // Blocks are recorded on the next turn of the loop; keep that work
        // out of the timed part but don't let it pile up.
        QCoreApplication::processEvents();
    }
    Q_UNUSED(sink);
    std::nth_element(perCall.begin(), perCall.begin() + samples / 2, perCall.end());
    return perCall[samples / 2];
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    SettingsPreferencesStore preferences(dir.filePath(u"prefs.ini"_s));
    SecurityRuleStore store(preferences);
    // No page: the policy itself never touches one.
    BrowserViewModel viewModel(store);

    struct Case
    {
        const char *name;
        QList<QUrl> urls;
    };
    const QList<Case> cases = {
        {"trusted, first shop", {QUrl(u"https://www.amazon.co.jp/dp/B0000001"_s)}},
        {"trusted, last shop", {QUrl(u"https://www.apple.com/jp/shop/bag"_s)}},
        {"neutral, safe domain",
         {QUrl(u"https://www.google.co.jp/search?q=%E3%83%90%E3%83%83%E3%82%B0"_s)}},
        {"neutral, no rule", {QUrl(u"https://news.example.jp/article/1"_s)}},
        {"suspicious, *.top", {QUrl(u"http://scam-shop.top/item"_s)}},
        {"suspicious, hyphens", {QUrl(u"http://cheap-brand-sale-outlet.com/"_s)}},
        {"suspicious, both", {QUrl(u"http://super-cheap-brand-sale.top/"_s)}},
        // Addresses QUrl refuses, and wrapped ones.
        {"QUrl refused", {QUrl(u"http://scam.top../order"_s)}},
        {"blob wrapper", {QUrl(u"blob:https://www.amazon.co.jp/0b1c"_s)}},
    };

    QTextStream out(stdout);
    out << "navigation policy, default rules (" << store.trustedShops().size() << " shops, "
        << store.excludedPatterns().size() << " patterns), median of " << samples << " x "
        << callsPerSample << " calls\n";
    QList<QUrl> mixed;
    for (const Case &c : cases) {
        mixed += c.urls;
        out << QString::fromLatin1(c.name).leftJustified(24) << " "
            << QString::number(medianNanosecondsPerCall(viewModel, c.urls) / 1000.0, 'f', 2)
            << " us/decision\n";
    }
    out << QStringLiteral("mixed").leftJustified(24) << " "
        << QString::number(medianNanosecondsPerCall(viewModel, mixed) / 1000.0, 'f', 2)
        << " us/decision\n";
    return 0;
}

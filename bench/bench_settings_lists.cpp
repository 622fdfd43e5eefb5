// The settings lists with 10,000 own shops, 10,000 own patterns and a
// subscribed list of 100,000 rules, against the same lists with the built-in
// rules only, measured in the same run: how long the settings section takes
// to open and paint each list tab, a scroll step through the long lists, and
// the memory the open section holds.
//   QT_QPA_PLATFORM=offscreen build/bench/bench_settings_lists
#include "BenchTiming.h"
#include "prefs/SettingsPreferencesStore.h"
#include "rules/SecurityRuleStore.h"
#include "subscriptions/SubscriptionStore.h"
#include "theme/ThemeManager.h"
#include "views/common/RuleListView.h"
#include "views/settings/SettingsView.h"

#include <QApplication>
#include <QFile>
#include <QScrollBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTextStream>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int ownRules = 10000;
constexpr int subscribedRules = 100000;
constexpr int listTabs[] = {1, 2, 3};

// Resident memory of this process, in MiB.
double residentMiB()
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').constFirst().toDouble() / 1024.0;
    }
    return 0;
}

struct Stores
{
    explicit Stores(bool large)
    {
        SubscriptionStore::Options options;
        options.directory = dir.filePath(u"lists"_s);
        subscriptions = std::make_unique<SubscriptionStore>(preferences, options);
        if (!large)
            return;
        QList<TrustedShop> shops;
        QList<ExcludedPattern> patterns;
        for (int i = 0; i < ownRules; ++i) {
            shops.append(TrustedShop::create(u"ショップ %1"_s.arg(i),
                                             u"shop%1.example.co.jp"_s.arg(i), u"家電・PC"_s,
                                             QString(), i % 5 != 0, true));
            patterns.append(ExcludedPattern::create(
                u"*.bad%1"_s.arg(i), u"不審な通販サイト %1"_s.arg(i), i % 7 != 0, true));
        }
        ruleStore.setTrustedShops(shops);
        ruleStore.setExcludedPatterns(patterns);
        QFile list(dir.filePath(u"large.txt"_s));
        if (list.open(QIODevice::WriteOnly)) {
            list.write("# Title: 大きなリスト\n");
            for (int i = 0; i < subscribedRules; ++i)
                list.write(u"*://*.scam-shop%1.example/*\n"_s.arg(i).toLatin1());
            list.close();
            subscriptions->importFile(list.fileName());
        }
    }

    QTemporaryDir dir;
    SettingsPreferencesStore preferences {dir.filePath(u"settings.ini"_s)};
    ThemeManager themeManager {preferences};
    SecurityRuleStore ruleStore {preferences};
    std::unique_ptr<SubscriptionStore> subscriptions;
};

// Opens the section as a window does and paints each list tab once.
std::unique_ptr<SettingsView> open(Stores &stores)
{
    auto view = std::make_unique<SettingsView>(stores.themeManager, stores.ruleStore,
                                               *stores.subscriptions);
    view->resize(900, 620);
    view->show();
    for (const int tab : listTabs) {
        view->tabs()->setCurrentIndex(tab);
        // Lays the list out as the event loop would, then paints it.
        QCoreApplication::processEvents();
        view->grab();
    }
    return view;
}

// One step of a scroll through the whole list: move by a page and paint.
double scrollStep(SettingsView &view, int tab)
{
    view.tabs()->setCurrentIndex(tab);
    auto *list = view.tabs()->currentWidget()->findChild<RuleListView *>();
    QScrollBar *bar = list->verticalScrollBar();
    bar->setValue(0);
    const int step = std::max(1, bar->maximum() / 200);
    const double median = medianMilliseconds(201, [&] {
        bar->setValue(bar->value() + step > bar->maximum() ? 0 : bar->value() + step);
        QCoreApplication::processEvents();
        list->viewport()->grab();
    });
    return bar->maximum() > 0 ? median : -1;
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    QTextStream out(stdout);
    out.setRealNumberNotation(QTextStream::FixedNotation);
    out.setRealNumberPrecision(2);
    constexpr int runs = 9;

    {
        // Fonts, icons and styles load once per process; not in either figure.
        Stores warmUp(false);
        open(warmUp);
    }
    for (const bool large : {false, true}) {
        const double before = residentMiB();
        Stores stores(large);
        out << (large ? "long lists" : "built-in rules only") << ": "
            << stores.ruleStore.trustedShops().size() << " shops, "
            << stores.ruleStore.excludedPatterns().size() << " patterns, "
            << stores.subscriptions->subscriptions().constLast().ruleCount
            << " rules in the last subscribed list\n";
        const double stored = residentMiB();
        // Closed after the timing: the time is the opening alone.
        std::vector<std::unique_ptr<SettingsView>> opened;
        out << "  open the section and paint the three list tabs: "
            << medianMilliseconds(runs, [&] { opened.push_back(open(stores)); })
            << " ms (median of " << runs << ")\n";
        opened.clear();
        const std::unique_ptr<SettingsView> view = open(stores);
        for (const int tab : {1, 2}) {
            out << "  scroll step with paint, tab " << tab << ": " << scrollStep(*view, tab)
                << " ms\n";
        }
        out << "  memory: stores " << stored - before << " MiB, open section after scrolling "
            << residentMiB() - stored << " MiB\n";
        out.flush();
    }
    return 0;
}

// Subscribed lists at start: what the store spends reading and parsing
// 100,000 subscribed rules before the first navigation, next to baselines
// measured in the same run (the file read alone, the parse alone, a store
// with the bundled list only). Then the bundled community list as the store
// reports it, and which hosts of a list of legitimate sites it would block
// without and with the allow list of major sites.
// Usage: bench_subscriptions [legit-hosts.tsv]
#include "BenchTiming.h"
#include "blocklist/MajorSites.h"
#include "prefs/SettingsPreferencesStore.h"
#include "subscriptions/SubscriptionStore.h"

#include <QCoreApplication>
#include <QFile>
#include <QRandomGenerator>
#include <QStringList>
#include <QTemporaryDir>
#include <QTextStream>

#include <algorithm>
#include <ctime>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

constexpr int listRules = 100000;
constexpr int runs = 11;

struct Timing
{
    double wall = 0;
    double cpu = 0; // this thread only: steadier on a shared machine
};

double nowMilliseconds(clockid_t clock)
{
    timespec now {};
    clock_gettime(clock, &now);
    return double(now.tv_sec) * 1.0e3 + double(now.tv_nsec) / 1.0e6;
}

// Medians of wall and CPU time over runs calls of work.
template<typename Work> Timing timed(Work work)
{
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < runs; ++i) {
        const double wallStart = nowMilliseconds(CLOCK_MONOTONIC);
        const double cpuStart = nowMilliseconds(CLOCK_THREAD_CPUTIME_ID);
        work();
        wall.push_back(nowMilliseconds(CLOCK_MONOTONIC) - wallStart);
        cpu.push_back(nowMilliseconds(CLOCK_THREAD_CPUTIME_ID) - cpuStart);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

QTextStream &operator<<(QTextStream &out, const Timing &timing)
{
    return out << timing.wall << " ms (CPU " << timing.cpu << " ms)";
}

SubscriptionStore::Options optionsIn(const QString &directory)
{
    SubscriptionStore::Options options;
    options.directory = directory;
    return options;
}

void benchStart(QTextStream &out)
{
    QTemporaryDir dir;
    const QByteArray text = generatedBlockList(listRules);
    const QString source = dir.filePath(u"generated.txt"_s);
    QFile file(source);
    if (!file.open(QIODevice::WriteOnly) || file.write(text) != text.size())
        return;
    file.close();

    SettingsPreferencesStore bundledOnly(dir.filePath(u"bundled.ini"_s));
    SettingsPreferencesStore subscribed(dir.filePath(u"subscribed.ini"_s));
    const QString lists = dir.filePath(u"lists"_s);
    const QUuid id = SubscriptionStore(subscribed, optionsIn(lists)).importFile(source).id;
    const QString stored = SubscriptionStore(subscribed, optionsIn(lists)).filePath(id);

    const Timing read = timed([&] {
        QFile copy(stored);
        if (copy.open(QIODevice::ReadOnly))
            copy.readAll();
    });
    std::shared_ptr<const BlockList> list;
    const Timing parse = timed([&] { list = BlockList::parse(text); });
    const Timing bundled = timed([&] { SubscriptionStore store(bundledOnly, optionsIn(lists)); });
    int rules = 0;
    const Timing start = timed([&] {
        SubscriptionStore store(subscribed, optionsIn(lists));
        rules = store.subscription(id)->ruleCount;
    });

    out << "start with " << listRules << " subscribed rules (" << text.size() / 1024
        << " KiB file), median of " << runs << "; target: parse <= 300 ms\n";
    out << "  baseline, reading the file only:        " << read << "\n";
    out << "  baseline, BlockList::parse in memory:   " << parse << "\n";
    out << "  baseline, store with the bundled list:  " << bundled << "\n";
    out << "  store with the bundled list + 100,000:  " << start << "\n";
    out << "  the 100,000 rules cost at start:        " << start.wall - bundled.wall << " ms (CPU "
        << start.cpu - bundled.cpu << " ms), " << rules << " rules\n";
}

void benchBundledList(QTextStream &out, const QString &legitHosts)
{
    QTemporaryDir dir;
    SettingsPreferencesStore preferences(dir.filePath(u"prefs.ini"_s));
    const SubscriptionStore store(preferences, optionsIn(dir.filePath(u"lists"_s)));
    const Subscription record = *store.subscription(SubscriptionStore::builtInId);
    QFile snapshot(QString::fromLatin1(SubscriptionStore::builtInSnapshot));
    if (!snapshot.open(QIODevice::ReadOnly))
        return;
    const QByteArray text = snapshot.readAll();
    const Timing parse = timed([&] { BlockList::parse(text); });

    out << "\nbundled list \"" << record.name << "\" as the store reports it\n";
    out << "  rules " << record.ruleCount << ", skipped lines " << record.skippedLineCount
        << ", public-suffix entries skipped:";
    for (const BlockList::PublicSuffixEntry &entry : record.publicSuffixEntries)
        out << " " << entry.host << " (line " << entry.line << ")";
    out << "\n  parse: " << parse << ", median of " << runs << "\n";

    QFile tsv(legitHosts);
    if (!tsv.open(QIODevice::ReadOnly)) {
        out << "\nlegitimate hosts: cannot read " << legitHosts << "\n";
        return;
    }
    const std::shared_ptr<const BlockList> list = store.list(SubscriptionStore::builtInId);
    int hosts = 0;
    QStringList blocked;
    QStringList stillBlocked;
    while (!tsv.atEnd()) {
        const QString host = QString::fromUtf8(tsv.readLine()).section(u'\t', 0, 0).trimmed();
        if (host.isEmpty())
            continue;
        ++hosts;
        if (list->match(QUrl(u"https://"_s + host + u'/'), host).verdict
            != BlockList::Verdict::Blocked)
            continue;
        blocked.append(host);
        if (!MajorSites::contains(host))
            stillBlocked.append(host);
    }
    out << "\nlegitimate hosts (" << legitHosts << "): " << hosts << "\n";
    out << "  blocked by the bundled list alone:    " << blocked.size() << " "
        << blocked.join(u", "_s) << "\n";
    out << "  blocked once major sites are spared:  " << stillBlocked.size() << " "
        << stillBlocked.join(u", "_s) << "\n";
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication application(argc, argv);
    QTextStream out(stdout);
    out.setRealNumberNotation(QTextStream::FixedNotation);
    out.setRealNumberPrecision(2);

    // The public suffix list loads on first use; keep it out of the figures.
    BlockList::parse("*://*.example.com/*");

    benchStart(out);
    benchBundledList(
        out, argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(VELMORA_LEGIT_HOSTS));
    return 0;
}

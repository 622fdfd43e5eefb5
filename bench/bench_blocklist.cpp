// Block lists of any size: parse time, memory of the index and lookup cost
// for a generated 100,000-line list, each next to a baseline measured in the
// same run, then the real community list.
// Usage: bench_blocklist [community-list-file]
#include "BenchTiming.h"
#include "blocklist/BlockList.h"

#include <QCoreApplication>
#include <QFile>
#include <QHash>
#include <QRandomGenerator>
#include <QSet>
#include <QStringList>
#include <QTextStream>
#include <QUrl>

#include <algorithm>
#include <chrono>
#include <ctime>
#include <malloc.h>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

volatile qsizetype g_sink = 0;

constexpr int listLines = 100000;

// Bytes the allocator hands out (small blocks and mmap'd large ones).
qint64 heapBytes()
{
    const struct mallinfo2 info = mallinfo2();
    return qint64(info.uordblks) + qint64(info.hblkhd);
}

qint64 residentBytes()
{
    QFile statm(u"/proc/self/statm"_s);
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toLongLong() * sysconf(_SC_PAGESIZE) : 0;
}

double megabytes(qint64 bytes)
{
    return double(bytes) / (1024.0 * 1024.0);
}

// Median wall time and median CPU time of this thread, in milliseconds. On
// a shared machine the CPU time is the steadier of the two: it leaves out
// the moments other processes had the core.
struct Timing
{
    double wall = 0;
    double cpu = 0;
};

double threadCpuMilliseconds()
{
    timespec now {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) * 1.0e3 + double(now.tv_nsec) / 1.0e6;
}

template<typename Work> Timing timed(int runs, Work work)
{
    std::vector<double> wall;
    std::vector<double> cpu;
    for (int i = 0; i < runs; ++i) {
        const double cpuStart = threadCpuMilliseconds();
        wall.push_back(medianMilliseconds(1, work));
        cpu.push_back(threadCpuMilliseconds() - cpuStart);
    }
    std::sort(wall.begin(), wall.end());
    std::sort(cpu.begin(), cpu.end());
    return {wall[wall.size() / 2], cpu[cpu.size() / 2]};
}

QTextStream &operator<<(QTextStream &out, const Timing &timing)
{
    return out << timing.wall << " ms (CPU " << timing.cpu << " ms)";
}

// Per call of work(0) ... work(calls - 1), in nanoseconds.
template<typename Work> Timing perCall(int samples, int calls, Work work)
{
    const Timing pass = timed(samples, [&] {
        for (int i = 0; i < calls; ++i)
            work(i);
    });
    return {pass.wall * 1.0e6 / calls, pass.cpu * 1.0e6 / calls};
}

QString nanoseconds(const Timing &timing)
{
    return u"%1 ns (CPU %2 ns)"_s.arg(timing.wall, 0, 'f', 0).arg(timing.cpu, 0, 'f', 0);
}

class Generator
{
public:
    QByteArray name(int minLength, int maxLength)
    {
        static constexpr char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
        const int length = int(m_random.bounded(minLength, maxLength + 1));
        QByteArray text;
        for (int i = 0; i < length; ++i)
            text += letters[m_random.bounded(int(sizeof letters - 1))];
        if (length > 6 && m_random.bounded(4) == 0)
            text.insert(length / 2, "-shop-");
        return text;
    }
    QByteArray tld()
    {
        static constexpr const char *tlds[] = {"com", "top",    "xyz",   "shop", "jp",   "co.jp",
                                               "net", "online", "store", "site", "cyou", "buzz"};
        return tlds[m_random.bounded(int(std::size(tlds)))];
    }
    int percent() { return int(m_random.bounded(100)); }
    int bounded(int limit) { return int(m_random.bounded(limit)); }

private:
    QRandomGenerator m_random {20230927};
};

struct GeneratedList
{
    QByteArray text;
    QList<QByteArray> blockedNames; // registrable names under "*." rules
};

// What community lists hold: mostly "*://*.name.tld/*", some exact hosts,
// home pages only, paths, a few unblocks, regular expressions and comments.
GeneratedList generateList(int lines, int expressions)
{
    Generator gen;
    GeneratedList list;
    list.text.reserve(lines * 32);
    list.text += "# Title: Generated fake shops\n";
    for (int line = 1; line < lines; ++line) {
        const int kind = gen.percent();
        const QByteArray host = gen.name(6, 16) + '.' + gen.tld();
        if (line % (lines / std::max(expressions, 1)) == 0 && expressions > 0) {
            list.text
                += "/^https?:\\/\\/([^/]+\\.)?" + gen.name(5, 9) + "[0-9]*\\.(com|top|xyz)\\//i\n";
        } else if (kind < 1) {
            list.text += "# reported " + gen.name(4, 8) + '\n';
        } else if (kind < 87) {
            list.text += "*://*." + host + "/*\n";
            list.blockedNames.append(host);
        } else if (kind < 92) {
            list.text += "*://www." + host + "/*\n";
        } else if (kind < 96) {
            list.text += "*://*." + host + "/\n";
        } else if (kind < 99) {
            list.text += "*://" + host + '/' + gen.name(3, 8) + "/*\n";
        } else if (gen.bounded(3) == 0) {
            list.text += "@*://" + host + "/*\n";
        } else {
            list.text += "https://*" + host + "/\n"; // ignored, as by the extension
        }
    }
    return list;
}

struct Navigation
{
    QUrl url;
    QString host;
};

// One in ten addresses is on a listed site; the rest are ordinary shopping
// pages with paths and queries.
std::vector<Navigation> navigations(const QList<QByteArray> &blocked, int count)
{
    static constexpr const char *ordinary[]
        = {"www.amazon.co.jp/dp/B0C1234567?ref=sr_1_1",  "item.rakuten.co.jp/shop/item-1/",
           "shopping.yahoo.co.jp/search?p=camera",       "www.yodobashi.com/product/100000001/",
           "www.google.com/search?q=%E9%9B%BB%E5%AD%90", "jp.mercari.com/item/m123456789",
           "www.uniqlo.com/jp/ja/products/E450251-000",  "news.yahoo.co.jp/articles/abc"};
    Generator gen;
    std::vector<Navigation> list;
    for (int i = 0; i < count; ++i) {
        QString address;
        if (i % 10 == 0 && !blocked.isEmpty()) {
            address = u"https://www."_s
                + QString::fromLatin1(blocked[gen.bounded(int(blocked.size()))])
                + u"/products/item-"_s + QString::number(i);
        } else if (i % 10 < 5) {
            address = u"https://"_s
                + QString::fromLatin1(ordinary[gen.bounded(int(std::size(ordinary)))]);
        } else {
            address = u"https://shop."_s + QString::fromLatin1(gen.name(6, 14) + '.' + gen.tld())
                + u"/category/"_s + QString::number(i) + u"?sort=price"_s;
        }
        const QUrl url(address);
        list.push_back({url, url.host()});
    }
    return list;
}

QString lookupTime(const BlockList &list, const std::vector<Navigation> &samples)
{
    return nanoseconds(perCall(11, int(samples.size()), [&](int i) {
        const Navigation &navigation = samples[size_t(i)];
        g_sink = g_sink + int(list.match(navigation.url, navigation.host).verdict);
    }));
}

QString lineNumbers(const QList<int> &lines)
{
    QStringList texts;
    for (const int line : lines)
        texts.append(QString::number(line));
    return texts.join(u", "_s);
}

void benchCommunityList(QTextStream &out, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        out << "\ncommunity list: cannot read " << path << "\n";
        return;
    }
    const QByteArray text = file.readAll();
    std::shared_ptr<const BlockList> list;
    const Timing parse = timed(21, [&] { list = BlockList::parse(text); });
    out << "\ncommunity list " << path << "\n";
    out << "  lines " << list->lineCount() << ", rules " << list->ruleCount() << ", title \""
        << list->title() << "\"\n";
    out << "  parse: " << parse << ", median of 21\n";
    QList<int> skipped;
    for (const BlockList::SkippedLine &line : list->skippedLines())
        skipped.append(line.line);
    out << "  skipped bad lines: " << list->skippedLineCount() << " [" << lineNumbers(skipped)
        << "]\n";
    out << "  skipped public-suffix entries: " << list->publicSuffixEntries().size() << " [";
    QStringList entries;
    for (const BlockList::PublicSuffixEntry &entry : list->publicSuffixEntries())
        entries.append(u"line %1: %2"_s.arg(entry.line).arg(entry.host));
    out << entries.join(u", "_s) << "]\n";

    QList<QByteArray> names;
    for (const QByteArray &line : text.split('\n')) {
        if (line.startsWith("*://*.") && line.endsWith("/*"))
            names.append(line.sliced(6, line.size() - 8));
    }
    const auto samples = navigations(names, 100000);
    out << "  lookup: " << lookupTime(*list, samples) << ", one regular expression in the list\n";
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

    const GeneratedList generated = generateList(listLines, 50);
    const GeneratedList hostsOnly = generateList(listLines, 0);
    out << "generated list: " << listLines << " lines, " << generated.text.size() / 1024
        << " KiB, 50 regular expressions\n";

    // Baseline: the least any reader does, splitting into lines and decoding
    // each to a QString.
    const Timing splitOnly = timed(11, [&] {
        QStringList lines;
        for (const QByteArray &line : generated.text.split('\n'))
            lines.append(QString::fromUtf8(line));
        g_sink = g_sink + lines.size();
    });
    std::shared_ptr<const BlockList> list;
    const Timing parse = timed(11, [&] { list = BlockList::parse(generated.text); });
    const Timing parseHosts = timed(11, [&] { list = BlockList::parse(hostsOnly.text); });
    const Timing parseUnguarded = timed(
        11, [&] { list = BlockList::parse(generated.text, BlockList::PublicSuffixEntries::Keep); });
    out << "\nparse, median of 11 (target <= 300 ms)\n";
    out << "  baseline, split + decode lines only: " << splitOnly << "\n";
    out << "  BlockList::parse, with expressions:   " << parse << ", " << parse.cpu / splitOnly.cpu
        << "x baseline CPU\n";
    out << "  BlockList::parse, patterns only:      " << parseHosts << "\n";
    out << "  same list, no public suffix check:    " << parseUnguarded << "\n";
    list.reset();

    // Memory: what one parsed list keeps, against the raw lines kept as a
    // QStringList (what a naive reader would hold).
    malloc_trim(0);
    const qint64 heapBefore = heapBytes();
    const qint64 residentBefore = residentBytes();
    list = BlockList::parse(generated.text);
    const qint64 heapIndex = heapBytes() - heapBefore;
    const qint64 residentIndex = residentBytes() - residentBefore;
    QStringList rawLines;
    const qint64 heapBeforeLines = heapBytes();
    for (const QByteArray &line : generated.text.split('\n'))
        rawLines.append(QString::fromUtf8(line));
    const qint64 heapLines = heapBytes() - heapBeforeLines;
    out << "\nmemory of one parsed list (target <= 40 MB)\n";
    out << "  baseline, the lines as a QStringList: " << megabytes(heapLines) << " MB heap\n";
    out << "  BlockList:                            " << megabytes(heapIndex) << " MB heap, "
        << megabytes(residentIndex) << " MB resident\n";
    out << "  rules " << list->ruleCount() << ", skipped lines " << list->skippedLineCount()
        << "\n";
    rawLines.clear();

    const auto samples = navigations(generated.blockedNames, 100000);
    QSet<QString> hostSet;
    for (const QByteArray &name : generated.blockedNames)
        hostSet.insert(QString::fromLatin1(name));
    const Timing oneProbe = perCall(11, int(samples.size()), [&](int i) {
        g_sink = g_sink + hostSet.contains(samples[size_t(i)].host);
    });
    int blocked = 0;
    for (const Navigation &navigation : samples)
        blocked
            += list->match(navigation.url, navigation.host).verdict == BlockList::Verdict::Blocked;
    const auto hostsOnlyList = BlockList::parse(hostsOnly.text);
    // With the community list's one expression, for redirect addresses.
    const auto oneExpressionList = BlockList::parse(
        hostsOnly.text
        + R"(/^https?:\/\/[^/]+\/.*(R(URL|EDIRECT)|FILE(?:NAME)?|UR[LI]|DEST(?:INATION)?|LINK)=.*\//i)");
    out << "\nlookup per address, 100,000 addresses, " << blocked
        << " blocked (median of 11; target well under 1 us)\n";
    out << "  baseline, one QSet<QString>::contains: " << nanoseconds(oneProbe) << "\n";
    out << "  match, patterns only:                 " << lookupTime(*hostsOnlyList, samples)
        << "\n";
    out << "  match, with 1 expression:             " << lookupTime(*oneExpressionList, samples)
        << "\n";
    out << "  match, with 50 expressions:           " << lookupTime(*list, samples) << "\n";

    const auto runaway = BlockList::parse("/(a+)+$/");
    const QUrl hostile(u"https://x.example/"_s + QString(40, u'a') + u'!');
    out << "  match, runaway expression (a+)+$ on a hostile address: "
        << nanoseconds(perCall(
               5, 3,
               [&](int) { g_sink = g_sink + int(runaway->match(hostile, u"x.example").verdict); }))
        << ", bounded by the backtracking limit\n";

    const QString community
        = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(VELMORA_COMMUNITY_LIST);
    benchCommunityList(out, community);
    return 0;
}

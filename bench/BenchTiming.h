#pragma once

#include <QByteArray>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <chrono>
#include <functional>
#include <iterator>
#include <vector>

// Median wall time of `runs` calls of `work`, in milliseconds: the median
// shrugs off the odd run slowed by another process on a small machine.
inline double medianMilliseconds(int runs, const std::function<void()> &work)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        work();
        times.push_back(double(timer.nsecsElapsed()) / 1.0e6);
    }
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

// Median wall time of one call of `work(i)`, in nanoseconds, over `samples`
// runs of `callsPerSample` calls each: one call is too short to time alone.
template<typename Work> double medianNanosecondsPerCall(int samples, int callsPerSample, Work work)
{
    std::vector<double> perCall;
    perCall.reserve(size_t(samples));
    for (int s = 0; s < samples; ++s) {
        const auto start = std::chrono::steady_clock::now();
        for (int i = 0; i < callsPerSample; ++i)
            work(i);
        const auto elapsed = std::chrono::steady_clock::now() - start;
        perCall.push_back(
            double(std::chrono::duration_cast<std::chrono::nanoseconds>(elapsed).count())
            / callsPerSample);
    }
    std::sort(perCall.begin(), perCall.end());
    return perCall[perCall.size() / 2];
}

// A block list shaped like the community ones: mostly whole registrable
// names, some exact hosts and paths, a few unblocks and comments. The same
// seed gives the same list in every run.
inline QByteArray generatedBlockList(int rules)
{
    static constexpr const char *tlds[]
        = {"com", "top", "xyz", "shop", "jp", "co.jp", "net", "online"};
    QRandomGenerator random(20230927);
    const auto name = [&random] {
        QByteArray text;
        const int length = int(random.bounded(6, 17));
        for (int i = 0; i < length; ++i)
            text += "abcdefghijklmnopqrstuvwxyz0123456789"[random.bounded(36)];
        return text + '.' + tlds[random.bounded(int(std::size(tlds)))];
    };
    QByteArray text = "# Title: Generated fake shops\n";
    for (int rule = 0; rule < rules; ++rule) {
        const int kind = int(random.bounded(100));
        if (kind < 90)
            text += "*://*." + name() + "/*\n";
        else if (kind < 96)
            text += "*://www." + name() + "/*\n";
        else if (kind < 99)
            text += "*://" + name() + "/item/*\n";
        else
            text += "@*://" + name() + "/*\n";
        if (rule % 500 == 0)
            text += "# reported\n";
    }
    return text;
}

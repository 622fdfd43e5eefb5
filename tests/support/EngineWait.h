#pragma once

#include <QDeadlineTimer>
#include <QTest>
#include <QWebEnginePage>

#include <memory>
#include <optional>

// Waits until predicate holds, letting the web engine run meanwhile. The
// engine's browser side runs on this thread, and a page load takes dozens of
// hops through its event loop: QTest::qWaitFor sleeps 10 ms after each single
// pass of the loop, which makes a load of 20 ms take two seconds. QTest::qWait
// keeps processing while events keep coming, as the real program does.
template<typename Predicate> bool waitForEngine(Predicate predicate, int timeoutMs = 30000)
{
    const QDeadlineTimer deadline(timeoutMs);
    while (!predicate()) {
        if (deadline.hasExpired())
            return false;
        QTest::qWait(10);
    }
    return true;
}

// What a script in the page's own world gives back, or an invalid value if the
// engine has not answered in time. The answer may come after a time-out: it
// lands in shared storage, never in a returned frame.
inline QVariant runScript(QWebEnginePage *page, const QString &script, int timeoutMs = 30000)
{
    const auto result = std::make_shared<std::optional<QVariant>>();
    page->runJavaScript(script, [result](const QVariant &value) { *result = value; });
    waitForEngine([&result] { return result->has_value(); }, timeoutMs);
    return result->value_or(QVariant());
}

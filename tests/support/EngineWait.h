#pragma once

#include <QDeadlineTimer>
#include <QTest>
#include <QWebEnginePage>

#include <memory>
#include <optional>

// How long a page of the test proxy may take to load on a busy machine.
constexpr int engineTimeout = 30000;

// QTRY_VERIFY and QTRY_COMPARE that wait as long as a page load may take.
#define QTRY_VERIFY_ENGINE(expr) QTRY_VERIFY_WITH_TIMEOUT(expr, engineTimeout)
#define QTRY_COMPARE_ENGINE(expr, expected) QTRY_COMPARE_WITH_TIMEOUT(expr, expected, engineTimeout)

// Waits until predicate holds, letting the web engine run meanwhile. The
// engine's browser side runs on this thread, and a page load takes dozens of
// hops through its event loop: QTest::qWaitFor sleeps 10 ms after each single
// pass of the loop, which makes a load of 20 ms take two seconds. QTest::qWait
// keeps processing while events keep coming, as the real program does.
template<typename Predicate> bool waitForEngine(Predicate predicate, int timeoutMs = engineTimeout)
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
inline QVariant runScript(QWebEnginePage *page, const QString &script,
                          int timeoutMs = engineTimeout)
{
    const auto result = std::make_shared<std::optional<QVariant>>();
    page->runJavaScript(script, [result](const QVariant &value) { *result = value; });
    waitForEngine([&result] { return result->has_value(); }, timeoutMs);
    return result->value_or(QVariant());
}

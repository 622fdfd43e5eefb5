#pragma once

#include <QDeadlineTimer>
#include <QTest>

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

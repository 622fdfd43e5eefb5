#pragma once

#include <QObject>
#include <QTimer>

#include <chrono>

// Fires when a load has shown no sign of progress for a while. The owner
// feeds it the page's progress and stops the load when it fires.
class IdleLoadWatchdog final : public QObject
{
    Q_OBJECT

public:
    explicit IdleLoadWatchdog(QObject *parent = nullptr);

    void start(std::chrono::milliseconds idleLimit);
    // Progress was made: the idle time counts from now.
    void touch();
    void stop();
    bool isActive() const { return m_timer.isActive(); }

Q_SIGNALS:
    void timedOut();

private:
    QTimer m_timer;
};

#include "IdleLoadWatchdog.h"

IdleLoadWatchdog::IdleLoadWatchdog(QObject *parent)
    : QObject(parent)
{
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &IdleLoadWatchdog::timedOut);
}

void IdleLoadWatchdog::start(std::chrono::milliseconds idleLimit)
{
    m_timer.start(idleLimit);
}

void IdleLoadWatchdog::touch()
{
    if (m_timer.isActive())
        m_timer.start();
}

void IdleLoadWatchdog::stop()
{
    m_timer.stop();
}

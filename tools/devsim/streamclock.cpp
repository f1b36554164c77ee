#include "streamclock.h"

void StreamClock::start(int rate)
{
    m_rate = rate > 0 ? rate : 1;
    m_timer.start();
    m_baseNs = 0;
    m_taken = 0;
    m_running = true;
    if (m_paused)
        m_pausedAtNs = 0;
}

void StreamClock::setPaused(bool paused)
{
    if (paused == m_paused)
        return;
    m_paused = paused;
    if (!m_timer.isValid())
        return;
    if (paused)
        m_pausedAtNs = m_timer.nsecsElapsed();
    else
        m_baseNs += m_timer.nsecsElapsed() - m_pausedAtNs;
}

qint64 StreamClock::takeDue()
{
    if (!m_running || m_paused)
        return 0;
    const qint64 ns = m_timer.nsecsElapsed() - m_baseNs;
    // Frame k is due at k / rate seconds; frame 0 at once.
    const quint64 due = quint64((__int128(ns) * m_rate) / 1000000000) + 1;
    if (due <= m_taken)
        return 0;
    const qint64 n = qint64(due - m_taken);
    m_taken = due;
    return n;
}

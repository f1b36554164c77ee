#pragma once

#include <QElapsedTimer>

// Paces a stream in real time: tells how many frames are due since the last call.
// A pause freezes the stream; after it the stream continues without a catch-up burst.
class StreamClock
{
public:
    void start(int rate);
    void stop() { m_running = false; }
    bool isRunning() const { return m_running; }
    void setPaused(bool paused);
    bool isPaused() const { return m_paused; }

    // Frames due now that have not been taken yet; counts them as taken.
    qint64 takeDue();
    quint64 framesTaken() const { return m_taken; }

private:
    QElapsedTimer m_timer;
    qint64 m_baseNs = 0;       // time of frame 0, shifted by pauses
    qint64 m_pausedAtNs = 0;
    quint64 m_taken = 0;
    int m_rate = 1;
    bool m_running = false;
    bool m_paused = false;
};

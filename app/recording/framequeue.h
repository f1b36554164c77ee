#pragma once

#include <QByteArray>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

// The hand-over from the GUI thread to the trace writer's thread: frames, gaps and
// markers in the order they were given. The frames it holds are bounded in bytes; a
// block that does not fit is refused whole, never cut or dropped unseen.
class FrameQueue
{
public:
    struct Item
    {
        enum Kind { Frames, Gap, Marker };
        Kind kind = Frames;
        QByteArray bytes;          // frames, or the marker's text
        int count = 0;             // frames in bytes
        quint64 frameIndex = 0;    // gap or marker position
        quint64 lostFrames = 0;
        bool exact = false;
        double seconds = 0.0;
    };
    using Clock = std::chrono::steady_clock;

    explicit FrameQueue(qint64 capacityBytes) : m_capacity(capacityBytes) {}

    // Producer side (any one thread).
    bool pushFrames(const uint8_t *frames, int count, int frameSize);
    void pushGap(quint64 frameIndex, quint64 lostFrames, bool exact);
    void pushMarker(quint64 frameIndex, double seconds, const QByteArray &text);
    // No more items: the consumer takes what is left, then sees the end.
    void close();
    // Drops everything not taken yet and closes.
    void abort();

    // Consumer side: waits until there are items, the queue is closed or the deadline
    // passes, then moves items holding up to about maxBytes of frames into `out`.
    // False once the queue is closed and empty.
    bool take(std::deque<Item> &out, Clock::time_point deadline, qint64 maxBytes);

    qint64 bytes() const { return m_bytes; }   // frames waiting, readable from any thread
    qint64 capacity() const { return m_capacity; }

private:
    void push(Item &&item);

    const qint64 m_capacity;
    std::atomic<qint64> m_bytes{0};
    std::mutex m_mutex;
    std::condition_variable m_ready;
    std::deque<Item> m_items;
    bool m_closed = false;
};

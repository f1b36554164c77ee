#include "framequeue.h"

bool FrameQueue::pushFrames(const uint8_t *frames, int count, int frameSize)
{
    const qint64 size = qint64(count) * frameSize;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_closed || m_bytes + size > m_capacity)
            return false;
        Item item;
        item.kind = Item::Frames;
        item.bytes = QByteArray(reinterpret_cast<const char *>(frames), int(size));
        item.count = count;
        m_items.push_back(std::move(item));
        m_bytes += size;
    }
    m_ready.notify_one();
    return true;
}

void FrameQueue::pushGap(quint64 frameIndex, quint64 lostFrames, bool exact)
{
    push({Item::Gap, QByteArray(), 0, frameIndex, lostFrames, exact, 0.0});
}

void FrameQueue::pushMarker(quint64 frameIndex, double seconds, const QByteArray &text)
{
    push({Item::Marker, text, 0, frameIndex, 0, false, seconds});
}

// Gaps and markers are a few bytes each and always fit.
void FrameQueue::push(Item &&item)
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_closed)
            return;
        m_items.push_back(std::move(item));
    }
    m_ready.notify_one();
}

void FrameQueue::close()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closed = true;
    }
    m_ready.notify_all();
}

void FrameQueue::abort()
{
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_closed = true;
        m_items.clear();
        m_bytes = 0;
    }
    m_ready.notify_all();
}

bool FrameQueue::take(std::deque<Item> &out, Clock::time_point deadline, qint64 maxBytes)
{
    std::unique_lock<std::mutex> lock(m_mutex);
    m_ready.wait_until(lock, deadline, [this] { return m_closed || !m_items.empty(); });
    qint64 taken = 0;
    while (!m_items.empty() && taken < maxBytes) {
        Item &item = m_items.front();
        if (item.kind == Item::Frames) {
            taken += item.bytes.size();
            m_bytes -= item.bytes.size();
        }
        out.push_back(std::move(item));
        m_items.pop_front();
    }
    return !(m_closed && m_items.empty() && out.empty());
}

#include "streamlossbook.h"

void StreamLossBook::reset()
{
    m_untaken.clear();
    m_ahead.clear();
    m_moved = 0;
}

void StreamLossBook::book(const StreamLoss &loss)
{
    m_untaken.append(loss);
    // Several losses at one position are one boundary for reading.
    if (loss.position >= m_moved && (m_ahead.empty() || m_ahead.back() != loss.position))
        m_ahead.push_back(loss.position);
}

QVector<StreamLoss> StreamLossBook::take()
{
    QVector<StreamLoss> losses;
    losses.swap(m_untaken);
    return losses;
}

qint64 StreamLossBook::bytesToNextLoss() const
{
    return m_ahead.empty() ? -1 : qint64(m_ahead.front() - m_moved);
}

void StreamLossBook::moved(quint64 bytes)
{
    m_moved += bytes;
    while (!m_ahead.empty() && m_ahead.front() <= m_moved)
        m_ahead.pop_front();
}

#include "streamlossbook.h"

#include <QDebug>

void StreamLossBook::reset()
{
    m_untaken.clear();
    m_ahead.clear();
    m_moved = 0;
}

void StreamLossBook::book(const StreamLoss &loss)
{
    m_untaken.append(loss);
    // Several losses at one position are one cut.
    if (loss.position >= m_moved && (m_ahead.empty() || m_ahead.back() != loss.position))
        m_ahead.push_back(loss.position);
}

QVector<StreamLoss> StreamLossBook::take()
{
    QVector<StreamLoss> losses;
    losses.swap(m_untaken);
    return losses;
}

quint32 StreamLossBook::cut(QByteArray &queue, qint64 available, quint32 blockSize, QByteArray &out)
{
    out.clear();
    qint64 at = 0;
    quint32 count = 0;
    if (blockSize == 0) {
        at = available;
        count = quint32(available);
        out = queue.left(int(available));
    } else {
        // Closed segments: everything up to a loss within reach.
        while (!m_ahead.empty() && qint64(m_ahead.front() - m_moved) <= available) {
            const qint64 end = qint64(m_ahead.front() - m_moved);
            const qint64 frames = (end - at) / blockSize;
            out.append(queue.constData() + at, int(frames * blockSize));
            count += quint32(frames);
            if (end - at > frames * blockSize)
                qDebug() << "stream: incomplete frame of" << (end - at - frames * blockSize)
                         << "bytes before a loss dropped";
            at = end;
            m_ahead.pop_front();
        }
        // The open segment: whole frames only, the rest waits for its completion.
        const qint64 frames = (available - at) / blockSize;
        out.append(queue.constData() + at, int(frames * blockSize));
        count += quint32(frames);
        at += frames * blockSize;
    }
    if (at == queue.size())
        queue.clear();
    else
        queue.remove(0, int(at));
    m_moved += quint64(at);
    return count;
}

#include "runlosses.h"

#include <QDebug>

void RunLosses::reset(quint32 frameSize)
{
    m_frameSize = frameSize;
    m_index = LossFrameIndex(frameSize);
    m_pending.clear();
    m_lost = 0;
}

void RunLosses::book(const QVector<StreamLoss> &losses)
{
    for (const StreamLoss &loss : losses) {
        const LostFrames lost = lostFrames(loss, m_frameSize);
        Gap gap;
        gap.frame = m_index.indexOf(loss);
        gap.lost = lost.frames;
        gap.exact = lost.exact;
        qDebug() << "frames lost:" << gap.lost << (gap.exact ? "(counted)" : "(estimated)") << "before frame"
                 << gap.frame;
        m_lost += gap.lost;
        m_pending.push_back(gap);
    }
}

QVector<RunLosses::Gap> RunLosses::takeBefore(quint64 frame)
{
    QVector<Gap> gaps;
    while (!m_pending.empty() && m_pending.front().frame < frame) {
        gaps.append(m_pending.front());
        m_pending.pop_front();
    }
    return gaps;
}

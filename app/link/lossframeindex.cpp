#include "lossframeindex.h"

quint64 LossFrameIndex::indexOf(const StreamLoss &loss)
{
    if (m_frameSize > 0 && loss.position > m_lastPosition)
        m_frames += (loss.position - m_lastPosition) / m_frameSize;
    if (loss.position > m_lastPosition)
        m_lastPosition = loss.position;
    return m_frames;
}

void LossFrameIndex::reset()
{
    m_lastPosition = 0;
    m_frames = 0;
}

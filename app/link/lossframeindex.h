#pragma once

#include "streamloss.h"

// The frame index of each loss in one stream: the number of frames readBlocks hands out
// before it (the row of the first frame stored after the loss). readBlocks hands out the
// whole frames between two losses and drops an incomplete rest, so the index follows from
// the positions alone. Feed the losses of one stream in the order they were booked.
class LossFrameIndex
{
public:
    explicit LossFrameIndex(quint32 frameSize) : m_frameSize(frameSize) {}

    quint64 indexOf(const StreamLoss &loss);
    // A new stream.
    void reset();

private:
    quint32 m_frameSize;
    quint64 m_lastPosition = 0;
    quint64 m_frames = 0;
};

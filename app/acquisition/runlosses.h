#pragma once

#include "link/lossframeindex.h"
#include "link/streamloss.h"

#include <QVector>

#include <deque>

// The losses of one stream as the acquisition sees them: the frames lost so far, and
// each loss as a gap at its stream frame index (the index of the first frame read after
// it). A link may book a loss before readBlocks has handed out the frames in front of
// it, so a gap is held back until a frame behind it has been read; only then is its
// place among the frames certain.
class RunLosses
{
public:
    struct Gap
    {
        quint64 frame = 0;    // stream frame index of the first frame after the loss
        quint64 lost = 0;
        bool exact = false;
    };

    // A new stream of frames of `frameSize` bytes.
    void reset(quint32 frameSize);
    // The link's losses, in the order it booked them.
    void book(const QVector<StreamLoss> &losses);
    // The gaps in front of stream frame `frame` (so with at least one frame read behind
    // them), oldest first; they leave the queue.
    QVector<Gap> takeBefore(quint64 frame);

    quint64 framesLost() const { return m_lost; }

private:
    quint32 m_frameSize = 0;
    LossFrameIndex m_index{0};
    std::deque<Gap> m_pending;
    quint64 m_lost = 0;
};

#pragma once

#include "streamloss.h"

#include <QVector>

#include <deque>

// A link's record of the losses in its current stream: the ones the consumer has not
// taken yet, and the positions that readBlocks must not read across in one call.
class StreamLossBook
{
public:
    // A new stream: nothing booked, nothing read.
    void reset();

    void book(const StreamLoss &loss);
    QVector<StreamLoss> take();

    // Bytes readBlocks may still move before it reaches the next loss position;
    // -1 when no loss lies ahead.
    qint64 bytesToNextLoss() const;
    // readBlocks moved `bytes`; a loss position reached is passed.
    void moved(quint64 bytes);
    quint64 bytesMoved() const { return m_moved; }

private:
    QVector<StreamLoss> m_untaken;
    std::deque<quint64> m_ahead;   // loss positions not yet reached by readBlocks, ascending
    quint64 m_moved = 0;
};

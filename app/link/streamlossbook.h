#pragma once

#include "streamloss.h"

#include <QByteArray>
#include <QVector>

#include <deque>

// A link's record of the losses in its current stream: the ones the consumer has not
// taken yet, and the positions readBlocks cuts the stream at, so that no frame is ever
// put together from bytes on both sides of a loss.
class StreamLossBook
{
public:
    // A new stream: nothing booked, nothing read.
    void reset();

    void book(const StreamLoss &loss);
    QVector<StreamLoss> take();

    // readBlocks for a queue holding the stream from bytesMoved() on, of which the first
    // `available` bytes may be handed out. Moves whole frames of blockSize bytes into out
    // and returns their number. The bytes of an incomplete frame just before a loss can
    // never be completed: they are dropped. An incomplete frame at the end waits. With
    // blockSize 0 every available byte is moved and their number returned.
    quint32 cut(QByteArray &queue, qint64 available, quint32 blockSize, QByteArray &out);

    // Stream bytes moved or dropped by cut() so far.
    quint64 bytesMoved() const { return m_moved; }

private:
    QVector<StreamLoss> m_untaken;
    std::deque<quint64> m_ahead;   // loss positions not yet reached by cut(), ascending
    quint64 m_moved = 0;
};

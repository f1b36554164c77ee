#pragma once

#include "streamloss.h"

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

// Separates the payload of definite-length blocks ("#", digit count N, N length digits,
// payload, CR or LF) from the framing around it, one stream byte at a time. Also holds
// the trimming rules for text answers and commands of the serial link.
//
// A block's payload counts as delivered only once its terminator has been seen: a block
// with a bad terminator takes its payload back. After a bad header or terminator the
// decoder looks for the next valid block (a header, its payload and a good terminator),
// books what it skipped as a StreamLoss and goes on. Only when no valid block turns up
// within a bounded stretch does it give up (Failed) until the next reset.
class scpiDecoder
{
public:
    enum State : qint32 {
        WaitHash = 0,
        Header = 1,
        Payload = 2,
        Terminator = 3,
        BadHeader = 4,
        BadTerminator = 5,
        Failed = 6,
        Resync = 7      // looking for the next valid block after damage
    };

    // Longest block payload accepted in a stream; a longer announcement is a bad header.
    static constexpr quint32 MaxBlockLength = 1u << 20;
    // Damage is unrecoverable when no valid block follows within this many bytes (or 16
    // of the longest blocks seen, if that is more).
    static constexpr quint32 ResyncLimit = 1u << 16;

    // Feeds one byte; true exactly when the byte is block payload. Payload of a block
    // that then proves damaged is taken back: see takeRejected().
    bool feed(char byte);
    // Feeds a whole chunk and appends its payload bytes to queue, removing rejected
    // payload from its end again. Same result as feed() byte by byte.
    void feed(const char *data, qint64 size, QByteArray &queue);

    void reset();
    // The stream has ended: damage that no valid block followed any more is booked now.
    void endOfStream();

    qint32 state() const { return decoderState; }
    bool failed() const { return decoderFatal; }
    bool busy() const { return decoderState != WaitHash; }
    quint32 count() const { return decoderCount; }
    quint32 length() const { return blockLength; }

    // Payload bytes returned by feed() whose block turned out damaged since the last call;
    // the byte-by-byte caller removes that many from the end of its payload.
    quint32 takeRejected();
    // Payload bytes at the end of the queue whose block terminator has not come yet.
    quint32 unconfirmed() const { return m_unconfirmed; }
    // Payload bytes confirmed since the last reset.
    quint64 deliveredBytes() const { return m_delivered; }
    quint64 deliveredBlocks() const { return m_blocks; }
    // Losses booked since the last call.
    QVector<StreamLoss> takeLosses();

    // Up to two trailing CR or LF bytes removed, one at a time.
    static QByteArray trimCommand(const QByteArray &command);
    // As trimCommand, except that an answer starting with '#' is a block and stays whole.
    static QByteArray trimAnswer(const QByteArray &answer);

private:
    bool feedHeader(char byte);
    void finishHeader();
    void terminator(char byte);
    void confirmBlock();
    void damage(bool lengthKnown);
    void startResync(char byte);
    void scan(char byte);
    void rejectCandidate(bool rescanLast, char last);
    void acceptCandidate();
    void fail();
    void bookOpenDamage();
    quint64 resyncLimit() const;
    quint64 estimatedBlocks(quint64 wireBytes) const;
    void fillStatistics(StreamLoss &loss) const;

    qint32 decoderState = WaitHash;
    quint32 decoderCount = 0;
    quint32 blockLength = 0;
    char headerDigits[10] = {};
    bool decoderFatal = false;

    quint32 m_unconfirmed = 0;   // payload of the current block, not yet confirmed
    quint32 m_rejected = 0;      // payload taken back, not yet removed by the caller
    // The stream so far: confirmed blocks with payload.
    quint64 m_delivered = 0;
    quint64 m_blocks = 0;
    quint64 m_wireBytes = 0;
    quint64 m_longestWire = 0;
    quint32 m_unitBytes = 0;
    bool m_uniform = true;
    // Recovery.
    bool m_resyncing = false;
    bool m_damageLengthKnown = false;
    quint64 m_damageBytes = 0;   // payload of a damaged block whose header was read
    quint64 m_damageWire = 0;    // wire bytes of the damaged block
    quint64 m_skipped = 0;       // stream bytes skipped after the damaged block
    quint64 m_candidate = 0;     // bytes of the candidate block read so far, from its '#'
    QVector<StreamLoss> m_losses;
};

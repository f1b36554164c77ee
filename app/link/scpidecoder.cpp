#include "scpidecoder.h"

#include <QDebug>

#include <cstring>

static bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

void scpiDecoder::reset()
{
    *this = scpiDecoder();
}

bool scpiDecoder::feed(char byte)
{
    switch (decoderState) {
    case WaitHash:
        ++decoderCount;
        if (byte != '#')
            return false;
        if (decoderCount > 1)
            qDebug() << "scpiDecoder() warning in state 1: cnt =" << decoderCount;
        decoderState = Header;
        decoderCount = 0;
        return false;
    case Header:
        return feedHeader(byte);
    case Payload:
        ++m_unconfirmed;
        if (m_resyncing)
            ++m_candidate;
        if (++decoderCount == blockLength)
            decoderState = Terminator;
        return true;
    case Terminator:
        terminator(byte);
        return false;
    case BadHeader:
    case BadTerminator:
        startResync(byte);
        return false;
    case Resync:
        scan(byte);
        return false;
    default:
        return false;
    }
}

bool scpiDecoder::feedHeader(char byte)
{
    headerDigits[decoderCount++] = byte;
    if (m_resyncing)
        ++m_candidate;
    // Ten header characters would be needed for N = 9; the array holds exactly that many,
    // and the count check below stops there.
    if (!isDigit(headerDigits[0]) || decoderCount > 9) {
        if (m_resyncing) {
            rejectCandidate(true, byte);
        } else {
            decoderState = BadHeader;
            damage(false);
        }
        return false;
    }
    if (decoderCount < quint32(headerDigits[0] - '0') + 1)
        return false;
    finishHeader();
    return false;
}

void scpiDecoder::finishHeader()
{
    blockLength = 0;
    decoderState = Terminator;
    if (headerDigits[0] != '0' && isDigit(headerDigits[1])) {
        quint32 length = 0;
        for (quint32 i = 1; i < decoderCount && isDigit(headerDigits[i]); ++i)
            length = length * 10 + quint32(headerDigits[i] - '0');
        if (length != 0) {
            blockLength = length;
            decoderState = Payload;
        }
    }
    if (m_resyncing) {
        // Only a block that carries data is evidence enough of being back in step.
        if (blockLength == 0 || blockLength > resyncLimit())
            rejectCandidate(false, 0);
        else
            decoderCount = 0;
        return;
    }
    if (blockLength > MaxBlockLength) {
        decoderState = BadHeader;
        damage(false);
        return;
    }
    decoderCount = 0;
}

void scpiDecoder::terminator(char byte)
{
    if (m_resyncing)
        ++m_candidate;
    if (byte == '\r' || byte == '\n') {
        if (m_resyncing)
            acceptCandidate();
        else
            confirmBlock();
        decoderState = WaitHash;
        decoderCount = 0;
        return;
    }
    if (m_resyncing) {
        rejectCandidate(true, byte);
        return;
    }
    // The payload cannot be trusted: a byte lost on the line shifts everything after it.
    m_rejected += m_unconfirmed;
    m_unconfirmed = 0;
    decoderState = BadTerminator;
    damage(true);
}

void scpiDecoder::confirmBlock()
{
    m_unconfirmed = 0;
    if (blockLength == 0)
        return;
    const quint64 wire = 2 + quint64(headerDigits[0] - '0') + 1 + blockLength;
    if (m_blocks == 0)
        m_unitBytes = blockLength;
    else if (blockLength != m_unitBytes)
        m_uniform = false;
    ++m_blocks;
    m_delivered += blockLength;
    m_wireBytes += wire;
    m_longestWire = qMax(m_longestWire, wire);
}

void scpiDecoder::damage(bool lengthKnown)
{
    m_resyncing = true;
    m_damageLengthKnown = lengthKnown;
    m_damageBytes = lengthKnown ? blockLength : 0;
    // Wire bytes of the damaged block consumed so far: "#" and the header, and for a bad
    // terminator also the payload and the terminator byte.
    m_damageWire = lengthKnown ? 2 + quint64(headerDigits[0] - '0') + 1 + blockLength : 1 + decoderCount;
    m_skipped = 0;
    m_candidate = 0;
}

void scpiDecoder::startResync(char byte)
{
    qDebug() << "scpiDecoder() resynchronising after state" << decoderState;
    decoderState = Resync;
    decoderCount = 0;
    scan(byte);
}

void scpiDecoder::scan(char byte)
{
    if (byte == '#') {
        decoderState = Header;
        decoderCount = 0;
        m_candidate = 1;
        return;
    }
    ++m_skipped;
    if (m_skipped > resyncLimit())
        fail();
}

void scpiDecoder::rejectCandidate(bool rescanLast, char last)
{
    m_rejected += m_unconfirmed;
    m_unconfirmed = 0;
    m_skipped += m_candidate - (rescanLast ? 1 : 0);
    m_candidate = 0;
    decoderState = Resync;
    decoderCount = 0;
    if (m_skipped > resyncLimit())
        fail();
    else if (rescanLast)
        scan(last);
}

void scpiDecoder::acceptCandidate()
{
    StreamLoss loss;
    loss.position = m_delivered;
    confirmBlock();
    if (m_damageLengthKnown && m_skipped == 0) {
        // The next block follows the damaged one directly: exactly its payload is lost.
        loss.lostUnits = 1;
        loss.lostBytes = m_damageBytes;
        loss.lostBytesKnown = true;
    } else {
        loss.lostUnits = estimatedBlocks(m_damageWire + m_skipped);
        loss.lostUnitsCounted = false;
    }
    fillStatistics(loss);
    qDebug() << "scpiDecoder() resynchronised after" << m_damageWire + m_skipped << "bytes, blocks lost:"
             << loss.lostUnits << (loss.lostBytesKnown ? "" : "(estimate)");
    m_losses.append(loss);
    m_resyncing = false;
    m_damageWire = 0;
    m_skipped = 0;
    m_candidate = 0;
}

void scpiDecoder::endOfStream()
{
    if (!m_resyncing || decoderState == Failed)
        return;
    bookOpenDamage();
    decoderState = WaitHash;
    decoderCount = 0;
}

void scpiDecoder::fail()
{
    qDebug() << "scpiDecoder() fatal error at state" << decoderState;
    if (m_resyncing)
        bookOpenDamage();
    m_rejected += m_unconfirmed;
    m_unconfirmed = 0;
    decoderState = Failed;
    decoderFatal = true;
}

// Damage that no valid block followed: everything from the damaged block on, the
// candidate block read so far included, is lost, its number of blocks estimated.
void scpiDecoder::bookOpenDamage()
{
    StreamLoss loss;
    loss.position = m_delivered;
    loss.lostUnits = estimatedBlocks(m_damageWire + m_skipped + m_candidate);
    loss.lostUnitsCounted = false;
    fillStatistics(loss);
    m_losses.append(loss);
    m_resyncing = false;
    m_rejected += m_unconfirmed;
    m_unconfirmed = 0;
    m_damageWire = 0;
    m_skipped = 0;
    m_candidate = 0;
}

void scpiDecoder::fillStatistics(StreamLoss &loss) const
{
    loss.units = m_blocks;
    loss.payloadBytes = m_delivered;
    loss.uniform = m_blocks > 0 && m_uniform;
    loss.unitBytes = loss.uniform ? m_unitBytes : 0;
}

quint64 scpiDecoder::resyncLimit() const
{
    return qMax<quint64>(ResyncLimit, 16 * m_longestWire);
}

// Whole blocks that fit in the lost stretch of the wire, by the mean block length so far;
// at least one.
quint64 scpiDecoder::estimatedBlocks(quint64 wireBytes) const
{
    if (m_blocks == 0 || m_wireBytes == 0)
        return 1;
    const quint64 blocks = (2 * wireBytes * m_blocks + m_wireBytes) / (2 * m_wireBytes);
    return qMax<quint64>(1, blocks);
}

quint32 scpiDecoder::takeRejected()
{
    const quint32 rejected = m_rejected;
    m_rejected = 0;
    return rejected;
}

QVector<StreamLoss> scpiDecoder::takeLosses()
{
    QVector<StreamLoss> losses;
    losses.swap(m_losses);
    return losses;
}

void scpiDecoder::feed(const char *data, qint64 size, QByteArray &queue)
{
    qint64 i = 0;
    while (i < size && decoderState != Failed) {
        if (decoderState == Payload) {
            // Copy the rest of the block (or of the chunk) in one piece.
            const qint64 run = qMin<qint64>(size - i, qint64(blockLength - decoderCount));
            queue.append(data + i, int(run));
            decoderCount += quint32(run);
            m_unconfirmed += quint32(run);
            if (m_resyncing)
                m_candidate += quint64(run);
            if (decoderCount == blockLength)
                decoderState = Terminator;
            i += run;
        } else {
            if (feed(data[i]))
                queue.append(data[i]);
            ++i;
        }
        if (m_rejected) {
            queue.chop(int(m_rejected));
            m_rejected = 0;
        }
    }
}

static QByteArray chopLineEnds(QByteArray text)
{
    for (int i = 0; i < 2 && !text.isEmpty(); ++i) {
        const char last = text.at(text.size() - 1);
        if (last != '\r' && last != '\n')
            break;
        text.chop(1);
    }
    return text;
}

QByteArray scpiDecoder::trimCommand(const QByteArray &command)
{
    return chopLineEnds(command);
}

QByteArray scpiDecoder::trimAnswer(const QByteArray &answer)
{
    if (answer.startsWith('#'))
        return answer;
    return chopLineEnds(answer);
}

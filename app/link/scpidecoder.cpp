#include "scpidecoder.h"

#include <QDebug>

#include <cstring>

static bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

void scpiDecoder::reset()
{
    decoderState = WaitHash;
    decoderCount = 0;
    blockLength = 0;
    std::memset(headerDigits, 0, sizeof headerDigits);
    decoderFatal = false;
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
        if (++decoderCount == blockLength)
            decoderState = Terminator;
        return true;
    case Terminator:
        if (byte == '\r' || byte == '\n') {
            decoderState = WaitHash;
            decoderCount = 0;
        } else {
            decoderState = BadTerminator;
        }
        return false;
    case BadHeader:
    case BadTerminator:
        fail();
        return false;
    default:
        return false;
    }
}

bool scpiDecoder::feedHeader(char byte)
{
    headerDigits[decoderCount++] = byte;
    // Ten header characters would be needed for N = 9; the array holds exactly that many,
    // and the count check below stops there.
    if (!isDigit(headerDigits[0]) || decoderCount > 9) {
        decoderState = BadHeader;
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
    decoderCount = 0;
}

void scpiDecoder::fail()
{
    qDebug() << "scpiDecoder() fatal error at state" << decoderState;
    decoderState = Failed;
    decoderFatal = true;
}

void scpiDecoder::feed(const char *data, qint64 size, QByteArray &queue)
{
    qint64 i = 0;
    while (i < size) {
        if (decoderState == Payload) {
            // Copy the rest of the block (or of the chunk) in one piece.
            const qint64 run = qMin<qint64>(size - i, qint64(blockLength - decoderCount));
            queue.append(data + i, int(run));
            decoderCount += quint32(run);
            if (decoderCount == blockLength)
                decoderState = Terminator;
            i += run;
        } else if (decoderState == Failed) {
            return;
        } else {
            if (feed(data[i]))
                queue.append(data[i]);
            ++i;
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

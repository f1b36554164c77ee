#pragma once

#include <QByteArray>
#include <QtGlobal>

// Separates the payload of definite-length blocks ("#", digit count N, N length digits,
// payload, CR or LF) from the framing around it, one stream byte at a time. Also holds
// the trimming rules for text answers and commands of the serial link.
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
        Failed = 6
    };

    // Feeds one byte; true exactly when the byte is block payload.
    bool feed(char byte);
    // Feeds a whole chunk and appends its payload bytes to queue. Same result as feed()
    // byte by byte, but copies payload runs in one piece.
    void feed(const char *data, qint64 size, QByteArray &queue);

    void reset();

    qint32 state() const { return decoderState; }
    bool failed() const { return decoderFatal; }
    bool busy() const { return decoderState != WaitHash; }
    quint32 count() const { return decoderCount; }
    quint32 length() const { return blockLength; }

    // Up to two trailing CR or LF bytes removed, one at a time.
    static QByteArray trimCommand(const QByteArray &command);
    // As trimCommand, except that an answer starting with '#' is a block and stays whole.
    static QByteArray trimAnswer(const QByteArray &answer);

private:
    bool feedHeader(char byte);
    void finishHeader();
    void fail();

    qint32 decoderState = WaitHash;
    quint32 decoderCount = 0;
    quint32 blockLength = 0;
    char headerDigits[10] = {};
    bool decoderFatal = false;
};

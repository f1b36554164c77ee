#pragma once

#include <QByteArray>

// The 12-byte little-endian header every datagram between host and device starts with.
struct Datagram
{
    enum Type : quint16 { Command = 1, Data = 2, Ack = 3, KeepAlive = 4 };
    static constexpr int headerSize = 12;

    quint16 txId = 0;
    quint16 type = 0;
    quint16 payloadLength = 0;
    quint32 blockIndex = 0;
    QByteArray payload;

    QByteArray encode() const;
    // False for datagrams shorter than a header.
    static bool decode(const QByteArray &bytes, Datagram &out);
};

#pragma once

#include <QByteArray>
#include <QVector>
#include <QtGlobal>

// Builds the datagrams the host sends to the device and reads the fixed header of the
// datagrams it receives. Every datagram is a 12-byte little-endian header and a payload.
class UdpPacketCodec
{
public:
    enum PacketType : quint16 {
        Command = 1,        // to device: command; from device: (part of) an answer
        Data = 2,           // from device: numbered stream bytes
        Acknowledge = 3,    // to device: txIds of the data packets received last
        KeepAlive = 4,      // both ways: "ping\n" and its answer
    };

    struct Header
    {
        quint16 txId = 0;
        quint16 packetType = 0;
        quint16 payloadLength = 0;
        quint32 blockIndex = 0;
    };

    static constexpr int HeaderSize = 12;

    QByteArray buildCommand(const QByteArray &command);
    QByteArray buildKeepAlive();
    QByteArray buildAcknowledge(const QVector<quint16> &txIds);

    // False when the datagram is too short to hold a header.
    static bool parseHeader(const QByteArray &datagram, Header &header);

    quint16 packetCounter() const { return m_packetCounter; }

private:
    QByteArray build(quint16 type, const QByteArray &payload);

    quint16 m_packetCounter = 0;    // txId of the next packet; wraps at 65536
};

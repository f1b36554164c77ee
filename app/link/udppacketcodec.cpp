#include "udppacketcodec.h"

namespace {

void putLe16(char *at, quint16 value)
{
    at[0] = char(value & 0xff);
    at[1] = char(value >> 8);
}

quint16 le16(const char *at)
{
    return quint16(quint8(at[0]) | (quint8(at[1]) << 8));
}

quint32 le32(const char *at)
{
    return quint32(le16(at)) | (quint32(le16(at + 2)) << 16);
}

} // namespace

QByteArray UdpPacketCodec::build(quint16 type, const QByteArray &payload)
{
    QByteArray datagram(HeaderSize, '\0');
    char *header = datagram.data();
    putLe16(header, m_packetCounter++);
    putLe16(header + 2, type);
    putLe16(header + 4, quint16(payload.size()));
    datagram.append(payload);
    return datagram;
}

QByteArray UdpPacketCodec::buildCommand(const QByteArray &command)
{
    return build(Command, command + '\n');
}

QByteArray UdpPacketCodec::buildKeepAlive()
{
    return build(KeepAlive, QByteArrayLiteral("ping\n"));
}

QByteArray UdpPacketCodec::buildAcknowledge(const QVector<quint16> &txIds)
{
    QByteArray payload(txIds.size() * 2, '\0');
    for (int i = 0; i < txIds.size(); ++i)
        putLe16(payload.data() + 2 * i, txIds.at(i));
    return build(Acknowledge, payload);
}

bool UdpPacketCodec::parseHeader(const QByteArray &datagram, Header &header)
{
    if (datagram.size() < HeaderSize)
        return false;
    const char *at = datagram.constData();
    header.txId = le16(at);
    header.packetType = le16(at + 2);
    header.payloadLength = le16(at + 4);
    header.blockIndex = le32(at + 8);
    return true;
}

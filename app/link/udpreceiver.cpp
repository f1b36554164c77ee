#include "udpreceiver.h"

#include "udppacketcodec.h"

#include <QDebug>

UdpReceiver::Result UdpReceiver::parse(const QByteArray &datagram, bool streaming)
{
    Result result;
    UdpPacketCodec::Header header;
    if (!UdpPacketCodec::parseHeader(datagram, header)) {
        qDebug() << "header zu kurz";
        return result;
    }
    // The header's length field is not trusted: the datagram's own size counts. The
    // payload is a view into the datagram; whatever keeps it copies it.
    const QByteArray payload = QByteArray::fromRawData(datagram.constData() + UdpPacketCodec::HeaderSize,
                                                       datagram.size() - UdpPacketCodec::HeaderSize);
    switch (header.packetType) {
    case UdpPacketCodec::KeepAlive:
        result.kind = Kind::KeepAlive;
        keepAliveAnswer(payload);
        break;
    case UdpPacketCodec::Command:
        result.kind = Kind::Answer;
        m_udpRxCmdBytes.append(payload);
        break;
    case UdpPacketCodec::Data:
        result.kind = Kind::Data;
        result.ackDue = dataPacket(header.txId, header.blockIndex, payload, streaming);
        break;
    default:
        result.kind = Kind::Other;
        break;
    }
    return result;
}

void UdpReceiver::keepAliveAnswer(const QByteArray &payload)
{
    if (payload.startsWith("available")) {
        m_available = true;
        const int nul = payload.indexOf('\0');
        const QString text = QString::fromLatin1(nul < 0 ? payload : payload.left(nul));
        const QStringList parts = text.split(QLatin1Char(','), Qt::KeepEmptyParts);
        if (parts.size() == 2 && !parts.at(1).isEmpty())
            m_deviceId = parts.at(1);
    } else {
        m_available = false;
    }
    m_pingAnswered = true;
    m_missedPings = 0;
}

bool UdpReceiver::dataPacket(quint16 txId, quint32 blockIndex, const QByteArray &payload,
                             bool streaming)
{
    m_recentTxIds.append(txId);
    if (m_recentTxIds.size() > MaxRecentTxIds)
        m_recentTxIds.removeFirst();
    m_reorder.add(blockIndex, payload, streaming);
    if (m_ackCounter >= AckEvery - 1) {
        m_ackCounter = 0;
        return true;
    }
    ++m_ackCounter;
    return false;
}

void UdpReceiver::resetIncoming()
{
    m_reorder.resetIncoming();
    m_ackCounter = 0;
}

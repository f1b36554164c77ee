#include "datagram.h"

#include <QtEndian>

QByteArray Datagram::encode() const
{
    QByteArray bytes(headerSize, '\0');
    char *p = bytes.data();
    qToLittleEndian<quint16>(txId, p);
    qToLittleEndian<quint16>(type, p + 2);
    qToLittleEndian<quint16>(quint16(payload.size()), p + 4);
    qToLittleEndian<quint32>(blockIndex, p + 8);
    return bytes + payload;
}

bool Datagram::decode(const QByteArray &bytes, Datagram &out)
{
    if (bytes.size() < headerSize)
        return false;
    const char *p = bytes.constData();
    out.txId = qFromLittleEndian<quint16>(p);
    out.type = qFromLittleEndian<quint16>(p + 2);
    out.payloadLength = qFromLittleEndian<quint16>(p + 4);
    out.blockIndex = qFromLittleEndian<quint32>(p + 8);
    out.payload = bytes.mid(headerSize);
    return true;
}

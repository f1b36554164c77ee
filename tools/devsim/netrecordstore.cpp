#include "netrecordstore.h"

#include <QFile>
#include <QSaveFile>
#include <QtEndian>
#include <cstdio>

namespace {

void putText(QByteArray &r, int offset, const char *text)
{
    const QByteArray t(text);
    r.replace(offset, t.size(), t);
}

} // namespace

NetRecordStore::NetRecordStore(const QString &fileName) : m_fileName(fileName), m_record(defaultRecord())
{
    if (m_fileName.isEmpty())
        return;
    QFile f(m_fileName);
    if (f.open(QIODevice::ReadOnly)) {
        const QByteArray stored = f.read(recordSize);
        if (stored.size() == recordSize)
            m_record = stored;
    } else {
        save();
    }
}

QByteArray NetRecordStore::defaultRecord()
{
    QByteArray r(recordSize, '\0');
    char *p = r.data();
    qToLittleEndian<quint32>(0x12345678u, p + 0);
    qToLittleEndian<qint32>(1, p + 4);      // access point
    qToLittleEndian<qint32>(11, p + 8);     // channel
    qToLittleEndian<qint32>(0, p + 12);     // DHCP
    putText(r, 16, "192.168.178.2");
    putText(r, 62, "192.168.178.1");
    putText(r, 108, "255.255.255.0");
    putText(r, 154, "lumetrix");
    putText(r, 186, "networkName");
    putText(r, 218, "qzk");
    putText(r, 282, "lumetrix");
    putText(r, 314, "tarnequil");
    putText(r, 378, "192.168.4.1");
    return r;
}

QByteArray NetRecordStore::readMemory(int length) const
{
    QByteArray out = m_record.left(length);
    if (out.size() < length)
        out.append(QByteArray(length - out.size(), char(0xff)));
    return out;
}

bool NetRecordStore::store(const QByteArray &bytes)
{
    if (bytes.size() < recordSize) {
        std::fprintf(stderr, "devsim: network record of %d bytes ignored (need %d)\n",
                     int(bytes.size()), recordSize);
        return false;
    }
    m_record = bytes.left(recordSize);
    std::fprintf(stderr, "devsim: network record stored\n");
    return save();
}

bool NetRecordStore::save() const
{
    if (m_fileName.isEmpty())
        return true;
    QSaveFile f(m_fileName);
    if (!f.open(QIODevice::WriteOnly) || f.write(m_record) != m_record.size() || !f.commit()) {
        std::fprintf(stderr, "devsim: cannot write %s\n", qPrintable(m_fileName));
        return false;
    }
    return true;
}

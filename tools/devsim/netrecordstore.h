#pragma once

#include <QByteArray>
#include <QString>

// The device's non-volatile network record (425 bytes), kept in a file when one is given
// so that it survives restarts and tests can inspect what the host wrote.
class NetRecordStore
{
public:
    static constexpr int recordSize = 425;

    explicit NetRecordStore(const QString &fileName);

    QByteArray record() const { return m_record; }
    // Memory read of `length` bytes: the record, then erased memory (0xff).
    QByteArray readMemory(int length) const;
    // Stores the first 425 bytes; shorter input is refused.
    bool store(const QByteArray &bytes);

    static QByteArray defaultRecord();

private:
    bool save() const;

    QString m_fileName;
    QByteArray m_record;
};

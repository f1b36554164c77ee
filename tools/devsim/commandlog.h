#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

// Writes every command line the device receives to a file, so that a test can check
// what exactly reached the device. One line per command line:
//   serial<TAB><line>            or   udp<TAB><txId><TAB><line>
// UDP copies of a repeated datagram are logged each time (they run once).
class CommandLog
{
public:
    explicit CommandLog(const QString &fileName);

    void serial(const QByteArray &line);
    void udp(quint16 txId, const QByteArray &line);

private:
    void write(const QByteArray &entry);

    QFile m_file;
};

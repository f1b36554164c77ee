#include "commandlog.h"

#include <cstdio>

CommandLog::CommandLog(const QString &fileName) : m_file(fileName)
{
    if (!fileName.isEmpty() && !m_file.open(QIODevice::WriteOnly | QIODevice::Append | QIODevice::Unbuffered))
        std::fprintf(stderr, "devsim: cannot write command log %s\n", qPrintable(fileName));
}

void CommandLog::serial(const QByteArray &line)
{
    write("serial\t" + line + '\n');
}

void CommandLog::udp(quint16 txId, const QByteArray &line)
{
    write("udp\t" + QByteArray::number(txId) + '\t' + line + '\n');
}

void CommandLog::write(const QByteArray &entry)
{
    if (m_file.isOpen())
        m_file.write(entry);
}

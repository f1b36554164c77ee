#include "datalog.h"

#include <cstdio>

DataLog::DataLog(const QString &fileName) : m_file(fileName)
{
    if (!fileName.isEmpty() && !m_file.open(QIODevice::WriteOnly | QIODevice::Append))
        std::fprintf(stderr, "devsim: cannot write data log %s\n", qPrintable(fileName));
}

void DataLog::streamStarted(const char *side, int frameSize)
{
    if (!m_file.isOpen())
        return;
    m_file.write(QByteArray(side) + "\tstream\tframe-size\t" + QByteArray::number(frameSize) + '\n');
    m_file.flush();
}

void DataLog::unit(const char *side, quint64 unit, quint64 first, quint64 count, const char *fate)
{
    if (!m_file.isOpen())
        return;
    m_file.write(QByteArray(side) + '\t' + QByteArray::number(unit) + '\t' + QByteArray::number(first) + '\t'
                 + QByteArray::number(count) + '\t' + fate + '\n');
    // Whole lines only, for a reader that looks while devsim runs; the stream's pace is
    // a few hundred lines a second at most.
    m_file.flush();
}

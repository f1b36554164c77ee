#include "stripblock.h"

#include <QDebug>

QByteArray stripBlock(const QByteArray &block)
{
    const int n = block.size();
    if (n < 6) {
        qDebug() << "################ Block too short";
        return QByteArray();
    }
    if (block[0] != '#' || block[1] < '1' || block[1] > '9')
        return QByteArray();
    const int digits = block[1] - '0';
    if (digits + 2 > n)
        return QByteArray();
    // Nine digits at most, so the count fits into 64 bits with room for the sum below.
    qint64 count = 0;
    for (int i = 2; i < digits + 2; ++i) {
        const char c = block[i];
        if (c < '0' || c > '9')
            return QByteArray();
        count = count * 10 + (c - '0');
    }
    qDebug() << "strip: Cnt = " << count;
    const int start = digits + 2;
    if (start + count > n)
        return QByteArray();
    if (start + count < n && block[int(start + count)] == '\n')
        qDebug() << "found Linefeed";
    return block.mid(start, int(count));
}

QByteArray definiteLengthBlock(const QByteArray &payload)
{
    const QByteArray length = QByteArray::number(payload.size());
    return "#" + QByteArray::number(length.size()) + length + payload + "\n";
}

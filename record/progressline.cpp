#include "progressline.h"

QString ProgressLine::next(double elapsedSeconds, quint64 frames, quint64 lost, qint64 fileBytes)
{
    const double span = elapsedSeconds - lastSeconds;
    const double rate = span > 0 && frames >= lastFrames ? double(frames - lastFrames) / span : 0.0;
    lastSeconds = elapsedSeconds;
    lastFrames = frames;
    return QStringLiteral("%1 s %2 frames %3 frames/s %4 lost %5")
        .arg(elapsedSeconds, 6, 'f', 1)
        .arg(frames, 8)
        .arg(qRound64(rate), 7)
        .arg(lost, 8)
        .arg(size(fileBytes), 9);
}

QString ProgressLine::summary(const QString &file, quint64 frames, quint64 lost)
{
    return QStringLiteral("%1: %2 frames, %3 lost").arg(file).arg(frames).arg(lost);
}

QString ProgressLine::size(qint64 bytes)
{
    if (bytes < 1000)
        return QStringLiteral("%1 B").arg(qMax<qint64>(bytes, 0));
    const char *units[] = {"kB", "MB", "GB", "TB"};
    double value = double(bytes) / 1000.0;
    int unit = 0;
    while (value >= 999.95 && unit < 3) {
        value /= 1000.0;
        ++unit;
    }
    return QStringLiteral("%1 %2").arg(value, 0, 'f', 1).arg(units[unit]);
}

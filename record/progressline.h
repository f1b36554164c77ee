#pragma once

#include <QString>

// The progress lines of kestrova-record: one per second while recording, and the final
// summary. The frame rate is the one since the previous line.
class ProgressLine
{
public:
    // E.g. "   3.0 s     3000 frames    1000 frames/s        0 lost    96.4 kB".
    QString next(double elapsedSeconds, quint64 frames, quint64 lost, qint64 fileBytes);

    // E.g. "/data/trace_2024.03.05_14-07-09.h5: 5000 frames, 0 lost".
    static QString summary(const QString &file, quint64 frames, quint64 lost);
    // Bytes in B, kB, MB or GB (powers of 1000), one decimal above bytes.
    static QString size(qint64 bytes);

private:
    double lastSeconds = 0;
    quint64 lastFrames = 0;
};

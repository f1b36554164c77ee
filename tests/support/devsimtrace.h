#pragma once

#include "h5reader.h"

// A trace recorded from devsim with DeviceRig::devsimChannels and DeviceRig::configText(4, 1, 2).
struct DevsimTrace
{
    QString problem;            // empty when every row holds what devsim sent for its frame
    bool sameRows = true;       // a kill inside a commit may leave some datasets a commit behind
    QVector<quint64> frames;    // the stream frame of each row (rows all datasets hold)
    QVector<quint64> gaps;      // three numbers a row
    QList<TraceMarker> markers;
};
DevsimTrace readDevsimTrace(const QString &file);

// What is wrong with such a file (empty: nothing): `rows` expected (-1: any); without
// `contiguous` frames may be missing between rows, which only go forward.
QString checkDevsimTrace(const QString &file, int rows, bool contiguous = true);
int devsimTraceRows(const QString &file);   // -1 when the file cannot be read
// Every jump between the frames of two rows is a loss booked in gaps at the row after it,
// and nothing else is booked; a counted loss matches the jump. `counted`: the losses are
// counted (1), estimates (0) or either (2). With `fromStreamStart` the recording began
// at frame 0. `lost` gets the frames booked.
QString checkGaps(const DevsimTrace &t, int counted, quint64 *lost, bool fromStreamStart = true);

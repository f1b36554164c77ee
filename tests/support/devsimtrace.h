#pragma once

#include "h5reader.h"

#include <QList>
#include <QString>
#include <QVector>

// A trace recorded from devsim with DeviceRig::devsimChannels and DeviceRig::configText(4, 1, 2):
// the stream frame each row holds (from its AUX counter, continued past 65535), gaps and markers.
struct DevsimTrace
{
    QString problem;            // empty when every row holds what devsim sent for its frame
    // A kill inside a commit may leave some datasets a commit behind: only common rows are read.
    bool sameRows = true;
    QVector<quint64> frames;    // per row
    QVector<quint64> gaps;      // three numbers a row
    QList<TraceMarker> markers;
};
DevsimTrace readDevsimTrace(const QString &file);

// What is wrong with such a file (empty: nothing). `rows` expected (-1: any); without
// `contiguous` frames may be missing between rows, which only go forward.
QString checkDevsimTrace(const QString &file, int rows, bool contiguous = true);
// Rows of the trace's AUX dataset, -1 when it cannot be read.
int devsimTraceRows(const QString &file);
// Every jump between the frames of two rows is a loss booked in gaps at the row after it,
// and nothing else is booked; a counted loss matches the jump exactly. `counted`: the
// losses must be counted (1), estimates (0) or either (2). Before the first row the
// recording counts as starting at frame 0 when `fromStreamStart`. Sums the lost frames.
QString checkGaps(const DevsimTrace &t, int counted, quint64 *lost, bool fromStreamStart = true);

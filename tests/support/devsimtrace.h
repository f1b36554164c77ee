#pragma once

#include "h5reader.h"

#include <QList>
#include <QString>
#include <QVector>

// A trace file recorded from devsim with DeviceRig::devsimChannels and the configuration
// DeviceRig::configText(4, 1, 2): the stream frame each row holds (from its AUX counter,
// counted on past 65535), and the gaps and markers.
struct DevsimTrace
{
    QString problem;            // empty when every row holds the values devsim sent for its frame
    // Every values dataset has the same rows. A kill in the middle of a commit may leave
    // some a commit behind the others; only the rows all of them hold are read.
    bool sameRows = true;
    QVector<quint64> frames;    // per row
    QVector<quint64> gaps;      // three numbers a row
    QList<TraceMarker> markers;
};
DevsimTrace readDevsimTrace(const QString &file);

// Checks such a file: `rows` is the number of rows expected (-1: any); without
// `contiguous`, frames may be missing between rows but rows only go forward. Returns
// what is wrong, or an empty text.
QString checkDevsimTrace(const QString &file, int rows, bool contiguous = true);
// Rows of the trace's AUX dataset, -1 when it cannot be read.
int devsimTraceRows(const QString &file);

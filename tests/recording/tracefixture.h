#pragma once

#include "config/daqconfig.h"
#include "h5reader.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVector>

#include <cstdint>

// Frames for the trace writer tests, and what a trace file must hold for them.

daqConfig traceTestConfig(int n16, int n24, int nImu, int auxWords, int sampleRate);

// `count` frames numbered from `first`: slow sines plus noise, a pure function of the
// frame number, so that any stretch can be made again to check a file.
QByteArray traceTestFrames(const daqConfig &conf, quint64 first, int count);

// A trace file as HDF5's default driver reads it.
struct TraceContents
{
    bool opened = false;
    quint64 frames = 0;          // the fewest frames any "values" dataset holds
    quint64 mostFrames = 0;      // the most
    QString problem;             // empty when every stored row holds its frame's values
    QVector<quint64> gaps;       // three numbers a row
    QList<TraceMarker> markers;
};
TraceContents readTrace(const QString &fileName, const daqConfig &conf);

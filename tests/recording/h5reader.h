#pragma once

#include <QByteArray>
#include <QList>
#include <QVector>

#include <hdf5.h>

// Read-back helpers for trace files, straight on the HDF5 C API.

struct DatasetInfo
{
    bool exists = false;
    QVector<hsize_t> dims;      // empty for a scalar
};

// One row of a trace file's "markers" dataset.
struct TraceMarker
{
    quint64 frame = 0;
    double seconds = 0.0;
    QByteArray text;
};

DatasetInfo datasetInfo(hid_t file, const char *path);
// The root "gaps" dataset, three numbers a row (empty when absent).
QVector<quint64> readGaps(hid_t file);
QList<TraceMarker> readMarkers(hid_t file);
QVector<float> readFloats(hid_t file, const char *path);
QVector<qint16> readInt16s(hid_t file, const char *path);

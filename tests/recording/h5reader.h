#pragma once

#include <QByteArray>
#include <QList>
#include <QVector>

#include <hdf5.h>

// Read-back helpers for the writer tests, straight on the HDF5 C API.

struct StringAttr
{
    bool exists = false;
    bool scalar = false;
    hsize_t count = 0;          // entries (1 for a scalar)
    size_t size = 0;            // fixed length of one entry
    H5T_str_t pad = H5T_STR_ERROR;
    H5T_cset_t cset = H5T_CSET_ERROR;
    bool variable = false;
    QByteArray raw;             // count * size bytes as stored

    // The entry texts, cut at the first NUL.
    QList<QByteArray> entries() const;
};

struct DatasetInfo
{
    bool exists = false;
    H5T_class_t typeClass = H5T_NO_CLASS;
    size_t typeSize = 0;
    H5T_order_t order = H5T_ORDER_ERROR;
    bool isSigned = false;
    QVector<hsize_t> dims;      // empty for a scalar
    QVector<hsize_t> maxDims;
    QVector<hsize_t> chunk;     // empty when not chunked
    int deflateLevel = -1;      // -1: no deflate filter
    int filterCount = 0;
};

// One row of a trace file's "markers" dataset.
struct TraceMarker
{
    quint64 frame = 0;
    double seconds = 0.0;
    QByteArray text;
};

bool objectExists(hid_t file, const char *path);
// The root "gaps" dataset, three numbers a row (empty when absent).
QVector<quint64> readGaps(hid_t file);
QList<TraceMarker> readMarkers(hid_t file);
StringAttr readStringAttr(hid_t object, const char *name);
DatasetInfo datasetInfo(hid_t file, const char *path);
QVector<double> readDoubles(hid_t file, const char *path);
QVector<float> readFloats(hid_t file, const char *path);
QVector<qint16> readInt16s(hid_t file, const char *path);
// Reads a numeric attribute as doubles, with its shape.
QVector<double> readDoubleAttr(hid_t object, const char *name, QVector<hsize_t> *dims, bool *isNativeDouble);
bool readIntAttr(hid_t object, const char *name, int *value, bool *scalar);

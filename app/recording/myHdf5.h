#pragma once

#include <QByteArray>
#include <QList>
#include <QVector>

#include <hdf5.h>

// One extendible "values" dataset in its own group, as created by myHdf.
// The caller keeps the record returned by createDataset and hands it to
// appendRows, which advances rowsWritten in that copy.
struct hdfDataset
{
    static const int maxRank = 5;

    hsize_t chunkDims[maxRank] = {};
    hsize_t currentDims[maxRank] = {};
    hsize_t maxDims[maxRank] = {};   // every entry H5S_UNLIMITED
    hsize_t rowsWritten = 0;
    int ndims = 0;                    // 1 + number of trailing dimensions
    hid_t memSpace = H5I_INVALID_HID;
    hid_t fileSpace = H5I_INVALID_HID;
    QByteArray groupPath;             // "/" + name
    hid_t dataset = H5I_INVALID_HID;  // "values" inside the group
    hid_t group = H5I_INVALID_HID;
    hid_t createProps = H5I_INVALID_HID;
    int status = 0;                   // non-zero when an HDF5 call failed
    bool isInt16 = false;             // element type int16, else float32
};

// Writes one trace file at a time through the HDF5 C library. Every operation
// reports failure through its result and never throws; a failed operation
// leaves what was already written in the file.
class myHdf
{
public:
    myHdf(const QByteArray &creator, bool debug);
    ~myHdf();
    myHdf(const myHdf &) = delete;
    myHdf &operator=(const myHdf &) = delete;

    // Creates (truncates) the file and writes the root attributes. An empty
    // timestamp is left out. `fileAccess` selects the file driver.
    bool createFile(const QByteArray &fileName, const QByteArray &timestamp, bool compress,
                    hid_t fileAccess = H5P_DEFAULT);

    // Creates group "/name" with an extendible dataset "values" whose rows have
    // the given trailing dimensions (at most four). The record's status tells
    // whether it worked.
    hdfDataset createDataset(const QByteArray &name, const QByteArray &description,
                             const QVector<hsize_t> &trailingDims, bool isInt16);

    // Appends `rows` rows (float32, or int16 for an int16 record), row-major.
    bool appendRows(hdfDataset &record, const void *data, hsize_t rows);

    // Fixed-length strings padded with NUL to the longest entry; one entry is
    // stored as a scalar. Nothing is written when every entry is empty.
    bool writeStringListAttribute(const hdfDataset &record, const char *name,
                                  const QList<QByteArray> &list);
    bool writeIntAttribute(const hdfDataset &record, const char *name, int value);
    // Shape n when m is 1, else n x m.
    bool writeDoubleArrayAttribute(const hdfDataset &record, const char *name,
                                   const double *values, hsize_t n, hsize_t m);

    bool writeScalarDataset(const QByteArray &path, double value);
    bool write1dDataset(const QByteArray &path, hsize_t n, const double *values);
    bool write2dDataset(const QByteArray &path, hsize_t rows, hsize_t columns, const double *values);

    // Closes every dataset of the file, then the file.
    bool closeFile();

    bool isOpened() const { return m_isOpened; }
    hid_t fileId() const { return file; }
    const QList<hdfDataset> &datasets() const { return m_datasets; }

    // A scalar fixed-length string attribute sized to the text, on any object.
    bool writeStringAttribute(hid_t object, const char *name, const QByteArray &text);

private:
    bool writeDoubleDataset(const QByteArray &path, int rank, const hsize_t *dims, const double *values);
    void reportFailure(int line) const;

    hid_t file = H5I_INVALID_HID;
    QList<hdfDataset> m_datasets;
    bool debug = false;
    QByteArray creator;
    bool m_isOpened = false;
    bool compress = false;
};

#include "myHdf5.h"

#include <QDebug>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// HDF5 reports failure by a negative handle or status; the writer ORs one bit
// per call so that a single test tells whether a whole operation worked.
template <typename T>
int failed(T result)
{
    return result < 0 ? 1 : 0;
}

// Closes a handle the record owns and forgets it; an unset handle is no failure.
int closeSpace(hid_t &space)
{
    if (space < 0)
        return 0;
    const int result = failed(H5Sclose(space));
    space = H5I_INVALID_HID;
    return result;
}

// Creates the attribute `name` of `object`, writes `data` into it and closes it and the
// space (which it takes over). Returns the failure bits of every call.
int writeAttribute(hid_t object, const char *name, hid_t type, hid_t space, const void *data)
{
    int status = failed(space);
    const hid_t attribute = H5Acreate2(object, name, type, space, H5P_DEFAULT, H5P_DEFAULT);
    status |= failed(attribute);
    if (attribute >= 0) {
        status |= failed(H5Awrite(attribute, type, data));
        status |= failed(H5Aclose(attribute));
    }
    if (space >= 0)
        status |= failed(H5Sclose(space));
    return status;
}


// Chunk rows so that a chunk holds a little over 1000 elements.
hsize_t chunkRows(hsize_t elementsPerRow, bool hasTrailingDims)
{
    if (!hasTrailingDims)
        return 1001;
    if (elementsPerRow >= 1 && elementsPerRow <= 999)
        return 1000 / elementsPerRow + 1;
    return 1;
}

} // namespace

#define REPORT_FAILURE() reportFailure(__LINE__)

myHdf::myHdf(const QByteArray &creatorText, bool debugOn)
    : debug(debugOn), creator(creatorText)
{
    if (debug)
        qDebug() << "myHdf(): constructor, start Debug";
}

myHdf::~myHdf()
{
    if (debug)
        qDebug() << "myHdf(): deconstructor, isOpened =" << (m_isOpened ? 1 : 0);
    if (m_isOpened)
        closeFile();
}

void myHdf::reportFailure(int line) const
{
    if (!debug)
        return;
    std::printf("myHdf(): Error in %s: line %d\n", __FILE__, line);
    std::fflush(stdout);
}

bool myHdf::createFile(const QByteArray &fileName, const QByteArray &timestamp, bool compressOn,
                       hid_t fileAccess)
{
    // A writer holds one file at a time; never leak the handles of the last one.
    if (m_isOpened)
        closeFile();

    compress = compressOn;
    int status = failed(H5open());
    // Against the headers this program was compiled with; a mismatch aborts.
    status |= failed(H5check_version(H5_VERS_MAJOR, H5_VERS_MINOR, H5_VERS_RELEASE));
    file = H5Fcreate(fileName.constData(), H5F_ACC_TRUNC, H5P_DEFAULT, fileAccess);
    if (file < 0) {
        REPORT_FAILURE();
        return false;
    }

    status |= writeStringAttribute(file, "description", "lumetrix data file") ? 0 : 1;
    status |= writeStringAttribute(file, "creator", creator) ? 0 : 1;
    if (!timestamp.isEmpty())
        status |= writeStringAttribute(file, "timestamp", timestamp) ? 0 : 1;

    if (status != 0) {
        // Keep what was written, but do not leave a half-made file open.
        REPORT_FAILURE();
        H5Fclose(file);
        file = H5I_INVALID_HID;
        return false;
    }
    m_isOpened = true;
    return true;
}

bool myHdf::writeStringAttribute(hid_t object, const char *name, const QByteArray &text)
{
    const hid_t type = H5Tcopy(H5T_C_S1);
    int status = failed(type);
    status |= failed(H5Tset_size(type, size_t(text.size())));
    status |= writeAttribute(object, name, type, H5Screate(H5S_SCALAR), text.constData());
    if (type >= 0)
        status |= failed(H5Tclose(type));
    if (status != 0)
        REPORT_FAILURE();
    return status == 0;
}

hdfDataset myHdf::createDataset(const QByteArray &name, const QByteArray &description,
                                const QVector<hsize_t> &trailingDims, bool isInt16)
{
    hdfDataset record;
    record.isInt16 = isInt16;
    record.groupPath = "/" + name;
    if (!m_isOpened || trailingDims.size() >= hdfDataset::maxRank) {
        record.status = 1;
        REPORT_FAILURE();
        return record;
    }

    record.ndims = trailingDims.size() + 1;
    hsize_t elementsPerRow = 1;
    for (int i = 0; i < trailingDims.size(); ++i)
        elementsPerRow *= trailingDims[i];
    record.currentDims[0] = 1;
    record.chunkDims[0] = chunkRows(elementsPerRow, !trailingDims.isEmpty());
    record.maxDims[0] = H5S_UNLIMITED;
    for (int i = 0; i < trailingDims.size(); ++i) {
        record.currentDims[i + 1] = trailingDims[i];
        record.chunkDims[i + 1] = trailingDims[i];
        record.maxDims[i + 1] = H5S_UNLIMITED;
    }

    int status = 0;
    record.memSpace = H5Screate_simple(record.ndims, record.currentDims, record.maxDims);
    status |= failed(record.memSpace);
    record.createProps = H5Pcreate(H5P_DATASET_CREATE);
    status |= failed(record.createProps);
    status |= failed(H5Pset_chunk(record.createProps, record.ndims, record.chunkDims));
    if (compress)
        status |= failed(H5Pset_deflate(record.createProps, 6));

    record.group = H5Gcreate2(file, record.groupPath.constData(), H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
    status |= failed(record.group);
    const QByteArray valuesPath = record.groupPath + "/values";
    record.dataset = H5Dcreate2(file, valuesPath.constData(),
                                isInt16 ? H5T_STD_I16LE : H5T_IEEE_F32LE, record.memSpace,
                                H5P_DEFAULT, record.createProps, H5P_DEFAULT);
    status |= failed(record.dataset);
    if (record.dataset >= 0) {
        record.fileSpace = H5Dget_space(record.dataset);
        status |= failed(record.fileSpace);
        status |= writeStringAttribute(record.dataset, "description", description) ? 0 : 1;
    }

    record.rowsWritten = 0;
    record.status = status;
    if (status != 0)
        REPORT_FAILURE();
    m_datasets.append(record);
    return record;
}

bool myHdf::appendRows(hdfDataset &record, const void *data, hsize_t rows)
{
    if (record.dataset < 0 || record.ndims < 1) {
        REPORT_FAILURE();
        return false;
    }
    // Nothing to add; extending to the current row count would drop the
    // initial row of a dataset that was never written.
    if (rows == 0)
        return true;

    hsize_t offset[hdfDataset::maxRank] = {};
    hsize_t count[hdfDataset::maxRank] = {};
    hsize_t newSize[hdfDataset::maxRank] = {};
    offset[0] = record.rowsWritten;
    count[0] = rows;
    newSize[0] = record.rowsWritten + rows;
    for (int i = 1; i < record.ndims; ++i) {
        count[i] = record.currentDims[i];
        newSize[i] = record.currentDims[i];
    }

    int status = failed(H5Dset_extent(record.dataset, newSize));
    if (status != 0) {
        REPORT_FAILURE();
        return false;
    }
    record.rowsWritten += rows;

    record.fileSpace = H5Dget_space(record.dataset);
    int writeStatus = failed(record.fileSpace);
    writeStatus |= failed(H5Sselect_hyperslab(record.fileSpace, H5S_SELECT_SET, offset,
                                              nullptr, count, nullptr));
    record.memSpace = H5Screate_simple(record.ndims, count, nullptr);
    writeStatus |= failed(record.memSpace);
    if (writeStatus == 0)
        writeStatus |= failed(H5Dwrite(record.dataset,
                                       record.isInt16 ? H5T_NATIVE_INT16 : H5T_IEEE_F32LE,
                                       record.memSpace, record.fileSpace, H5P_DEFAULT, data));
    // The spaces of this write are released here; the ones made at creation
    // stay with the writer's own copy of the record until closeFile.
    status |= closeSpace(record.fileSpace);
    status |= closeSpace(record.memSpace);
    if (writeStatus != 0 || status != 0) {
        REPORT_FAILURE();
        return false;
    }
    return true;
}

bool myHdf::writeStringListAttribute(const hdfDataset &record, const char *name,
                                     const QList<QByteArray> &list)
{
    int longest = 0;
    for (const QByteArray &entry : list)
        longest = std::max(longest, int(entry.size()));
    if (list.isEmpty() || longest == 0)
        return false;

    // Every entry in a slot of the longest length, NUL-filled behind the text.
    QByteArray buffer(list.size() * longest, '\0');
    for (int i = 0; i < list.size(); ++i)
        std::memcpy(buffer.data() + i * longest, list[i].constData(), size_t(list[i].size()));

    const hid_t type = H5Tcopy(H5T_C_S1);
    int status = failed(type);
    status |= failed(H5Tset_size(type, size_t(longest)));
    const hsize_t count = hsize_t(list.size());
    const hid_t space = list.size() == 1 ? H5Screate(H5S_SCALAR) : H5Screate_simple(1, &count, nullptr);
    status |= writeAttribute(record.dataset, name, type, space, buffer.constData());
    if (type >= 0)
        status |= failed(H5Tclose(type));
    if (status != 0)
        REPORT_FAILURE();
    return status == 0;
}

bool myHdf::writeIntAttribute(const hdfDataset &record, const char *name, int value)
{
    const int status = writeAttribute(record.dataset, name, H5T_NATIVE_INT, H5Screate(H5S_SCALAR), &value);
    if (status != 0)
        REPORT_FAILURE();
    return status == 0;
}

bool myHdf::writeDoubleArrayAttribute(const hdfDataset &record, const char *name,
                                      const double *values, hsize_t n, hsize_t m)
{
    const hsize_t dims[2] = {n, m};
    const hid_t space = H5Screate_simple(m == 1 ? 1 : 2, dims, nullptr);
    const int status = writeAttribute(record.dataset, name, H5T_NATIVE_DOUBLE, space, values);
    if (status != 0)
        REPORT_FAILURE();
    return status == 0;
}

bool myHdf::writeScalarDataset(const QByteArray &path, double value)
{
    return writeDoubleDataset(path, 0, nullptr, &value);
}

bool myHdf::write1dDataset(const QByteArray &path, hsize_t n, const double *values)
{
    const hsize_t dims[1] = {n};
    return writeDoubleDataset(path, 1, dims, values);
}

bool myHdf::write2dDataset(const QByteArray &path, hsize_t rows, hsize_t columns, const double *values)
{
    const hsize_t dims[2] = {rows, columns};
    return writeDoubleDataset(path, 2, dims, values);
}

// A small contiguous float64 dataset; rank 0 is a scalar.
bool myHdf::writeDoubleDataset(const QByteArray &path, int rank, const hsize_t *dims, const double *values)
{
    const hid_t space = rank == 0 ? H5Screate(H5S_SCALAR) : H5Screate_simple(rank, dims, nullptr);
    int status = failed(space);
    const hid_t dataset = H5Dcreate2(file, path.constData(), H5T_IEEE_F64LE, space,
                                     H5P_DEFAULT, H5P_DEFAULT, H5P_DEFAULT);
    status |= failed(dataset);
    if (dataset >= 0) {
        status |= failed(H5Dwrite(dataset, H5T_NATIVE_DOUBLE, H5S_ALL, H5S_ALL, H5P_DEFAULT, values));
        status |= failed(H5Dclose(dataset));
    }
    if (space >= 0)
        status |= failed(H5Sclose(space));
    if (status != 0)
        REPORT_FAILURE();
    return status == 0;
}

bool myHdf::closeFile()
{
    if (!m_isOpened)
        return false;

    int status = 0;
    for (hdfDataset &record : m_datasets) {
        if (record.dataset >= 0)
            status |= failed(H5Dclose(record.dataset));
        status |= closeSpace(record.memSpace);
        status |= closeSpace(record.fileSpace);
        if (record.createProps >= 0)
            status |= failed(H5Pclose(record.createProps));
        if (record.group >= 0)
            status |= failed(H5Gclose(record.group));
    }
    status |= failed(H5Fclose(file));
    file = H5I_INVALID_HID;
    m_datasets.clear();
    m_isOpened = false;
    if (status != 0)
        REPORT_FAILURE();
    return status == 0;
}

#include "traceannotations.h"

#include "myHdf5.h"

#include <cstddef>
#include <cstring>

namespace {

const hsize_t gapChunkRows = 64;
const hsize_t markerChunkRows = 64;

hid_t textType()
{
    const hid_t type = H5Tcopy(H5T_C_S1);
    H5Tset_size(type, TraceAnnotations::markerTextBytes);
    H5Tset_cset(type, H5T_CSET_UTF8);
    // A text of the full 64 bytes keeps every byte; shorter ones end in NULs.
    H5Tset_strpad(type, H5T_STR_NULLPAD);
    return type;
}

// The file and the memory type have the same layout; they differ in byte order only
// on a big-endian machine.
hid_t markerType(bool inFile)
{
    const hid_t text = textType();
    const hid_t type = H5Tcreate(H5T_COMPOUND, 16 + TraceAnnotations::markerTextBytes);
    H5Tinsert(type, "frame", 0, inFile ? H5T_STD_U64LE : H5T_NATIVE_UINT64);
    H5Tinsert(type, "seconds", 8, inFile ? H5T_IEEE_F64LE : H5T_NATIVE_DOUBLE);
    H5Tinsert(type, "text", 16, text);
    H5Tclose(text);
    return type;
}

// An empty, extendible, chunked dataset at the root.
hid_t createTable(myHdf &hdf, const char *name, hid_t type, int rank, hsize_t columns,
                  hsize_t chunkRows, const QByteArray &description)
{
    const hsize_t dims[2] = {0, columns};
    const hsize_t maxDims[2] = {H5S_UNLIMITED, columns};
    const hsize_t chunk[2] = {chunkRows, columns};
    const hid_t space = H5Screate_simple(rank, dims, maxDims);
    const hid_t props = H5Pcreate(H5P_DATASET_CREATE);
    H5Pset_chunk(props, rank, chunk);
    const hid_t dataset = H5Dcreate2(hdf.fileId(), name, type, space, H5P_DEFAULT, props, H5P_DEFAULT);
    H5Pclose(props);
    H5Sclose(space);
    if (dataset >= 0 && !hdf.writeStringAttribute(dataset, "description", description)) {
        H5Dclose(dataset);
        return H5I_INVALID_HID;
    }
    return dataset;
}

} // namespace

TraceAnnotations::~TraceAnnotations()
{
    close();
}

bool TraceAnnotations::create(myHdf &hdf)
{
    static_assert(offsetof(Marker, seconds) == 8 && offsetof(Marker, text) == 16
                      && sizeof(Marker) == 16 + markerTextBytes,
                  "the memory type of a marker assumes this layout");
    m_markerFileType = markerType(true);
    m_markerMemoryType = markerType(false);
    m_gaps = createTable(hdf, "/gaps", H5T_STD_U64LE, 2, 3, gapChunkRows,
                         "frames lost before they reached the computer: [first frame stored after "
                         "the loss, frames lost, 1 = counted exactly / 0 = estimated]");
    m_markers = createTable(hdf, "/markers", m_markerFileType, 1, 1, markerChunkRows,
                            "events marked during the recording: frame index, seconds since the "
                            "first frame, text (UTF-8)");
    return m_gaps >= 0 && m_markers >= 0 && m_markerFileType >= 0 && m_markerMemoryType >= 0;
}

void TraceAnnotations::addGap(quint64 frameIndex, quint64 lostFrames, bool exact)
{
    m_gapRows << frameIndex << lostFrames << (exact ? 1 : 0);
}

QByteArray TraceAnnotations::fitMarkerText(const QByteArray &utf8Text)
{
    if (utf8Text.size() <= markerTextBytes)
        return utf8Text;
    int cut = markerTextBytes;
    // Never end inside a multi-byte character: back off over continuation bytes.
    while (cut > 0 && (static_cast<unsigned char>(utf8Text.at(cut)) & 0xC0) == 0x80)
        --cut;
    return utf8Text.left(cut);
}

void TraceAnnotations::addMarker(quint64 frameIndex, double seconds, const QByteArray &utf8Text)
{
    Marker marker;
    marker.frame = frameIndex;
    marker.seconds = seconds;
    std::memset(marker.text, 0, sizeof marker.text);
    const QByteArray text = fitMarkerText(utf8Text);
    std::memcpy(marker.text, text.constData(), size_t(text.size()));
    m_markerRows.append(marker);
}

bool TraceAnnotations::write()
{
    bool ok = true;
    const int gaps = m_gapRows.size() / 3;
    if (gaps > m_gapsWritten) {
        ok = appendRows(m_gaps, H5T_NATIVE_UINT64, hsize_t(m_gapsWritten), hsize_t(gaps - m_gapsWritten), 3,
                        m_gapRows.constData() + 3 * m_gapsWritten);
        m_gapsWritten = gaps;
    }
    const int markers = m_markerRows.size();
    if (markers > m_markersWritten) {
        ok = appendRows(m_markers, m_markerMemoryType, hsize_t(m_markersWritten),
                        hsize_t(markers - m_markersWritten), 0, m_markerRows.constData() + m_markersWritten)
             && ok;
        m_markersWritten = markers;
    }
    return ok;
}

// Appends `count` rows after the first `before`; columns 0 means a one-dimensional table.
bool TraceAnnotations::appendRows(hid_t dataset, hid_t memoryType, hsize_t before, hsize_t count,
                                  hsize_t columns, const void *rows)
{
    const int rank = columns == 0 ? 1 : 2;
    const hsize_t size[2] = {before + count, columns};
    const hsize_t offset[2] = {before, 0};
    const hsize_t block[2] = {count, columns};
    if (H5Dset_extent(dataset, size) < 0)
        return false;
    const hid_t fileSpace = H5Dget_space(dataset);
    const hid_t memorySpace = H5Screate_simple(rank, block, nullptr);
    bool ok = fileSpace >= 0 && memorySpace >= 0
              && H5Sselect_hyperslab(fileSpace, H5S_SELECT_SET, offset, nullptr, block, nullptr) >= 0
              && H5Dwrite(dataset, memoryType, memorySpace, fileSpace, H5P_DEFAULT, rows) >= 0;
    if (memorySpace >= 0)
        H5Sclose(memorySpace);
    if (fileSpace >= 0)
        H5Sclose(fileSpace);
    return ok;
}

bool TraceAnnotations::close()
{
    bool ok = true;
    for (hid_t *id : {&m_gaps, &m_markers}) {
        if (*id >= 0)
            ok = H5Dclose(*id) >= 0 && ok;
        *id = H5I_INVALID_HID;
    }
    for (hid_t *id : {&m_markerFileType, &m_markerMemoryType}) {
        if (*id >= 0)
            ok = H5Tclose(*id) >= 0 && ok;
        *id = H5I_INVALID_HID;
    }
    return ok;
}

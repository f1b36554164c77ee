#pragma once

#include <QByteArray>
#include <QVector>

#include <hdf5.h>

class myHdf;

// The two additive root datasets of a trace file, created with the file and extended at
// every commit:
//   "gaps"    uint64 (n, 3): frame index of the first frame stored after a loss, frames
//             lost, 1 when that number was counted exactly or 0 when it is an estimate;
//   "markers" (n) compound {frame uint64, seconds float64, text 64-byte UTF-8 string}.
// Both are chunked and unfiltered, so a chunk keeps its place in the file when later
// rows are added to it.
class TraceAnnotations
{
public:
    static constexpr int markerTextBytes = 64;

    TraceAnnotations() = default;
    ~TraceAnnotations();
    TraceAnnotations(const TraceAnnotations &) = delete;
    TraceAnnotations &operator=(const TraceAnnotations &) = delete;

    bool create(myHdf &hdf);
    void addGap(quint64 frameIndex, quint64 lostFrames, bool exact);
    // Text longer than 64 bytes is cut at the last whole UTF-8 character that fits.
    void addMarker(quint64 frameIndex, double seconds, const QByteArray &utf8Text);
    // Writes the rows added since the last call.
    bool write();
    bool close();
    bool hasPending() const
    {
        return m_gapRows.size() / 3 > m_gapsWritten || m_markerRows.size() > m_markersWritten;
    }

    static QByteArray fitMarkerText(const QByteArray &utf8Text);

private:
    struct Marker
    {
        quint64 frame;
        double seconds;
        char text[markerTextBytes];
    };

    bool appendRows(hid_t dataset, hid_t memoryType, hsize_t before, hsize_t count,
                    hsize_t columns, const void *rows);

    hid_t m_gaps = H5I_INVALID_HID;
    hid_t m_markers = H5I_INVALID_HID;
    hid_t m_markerFileType = H5I_INVALID_HID;
    hid_t m_markerMemoryType = H5I_INVALID_HID;
    QVector<quint64> m_gapRows;        // 3 values a row, all rows so far
    QVector<Marker> m_markerRows;
    int m_gapsWritten = 0;
    int m_markersWritten = 0;
};

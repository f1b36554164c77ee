#pragma once

#include "acquisition/frameconverter.h"
#include "chunkcompressionpool.h"
#include "chunkseries.h"
#include "myHdf5.h"
#include "traceannotations.h"

#include <QDateTime>
#include <QString>

#include <cstdint>
#include <vector>

class TraceFileState;
class daqConfig;

// One recording into one trace file, on the calling thread: stream frames in, physical
// values out in whole deflate-compressed chunks, written with HDF5's direct chunk write
// through the crash-safe file driver. Nothing reaches the file's visible state before
// commit(); every commit leaves a file that any HDF5 reader opens, holding every frame
// appended before it.
//
// The layout is the one createTraceFile makes (same groups, datasets, chunk shapes,
// deflate level 6, attributes) plus the root datasets "gaps" and "markers".
//
// After the first failed write the file stays as the last good commit left it; every
// later call does nothing and reports failure. TraceWriter runs this on its own thread.
class TraceRecording
{
public:
    TraceRecording();
    ~TraceRecording();
    TraceRecording(const TraceRecording &) = delete;
    TraceRecording &operator=(const TraceRecording &) = delete;

    // Creates the file and commits its layout; it is built under a hidden name beside
    // `fileName` and takes that name, never replacing a file, once it is readable. On
    // failure the reason is in *error in plain words and no file is left behind.
    bool create(const daqConfig &conf, const QString &fileName, const QDateTime &start, QString *error);

    // Converts n whole frames to physical values; full chunks wait for writeChunks().
    void appendFrames(const uint8_t *frames, int n);
    void addGap(quint64 frameIndex, quint64 lostFrames, bool exact);
    void addMarker(quint64 frameIndex, double seconds, const QByteArray &utf8Text);

    // Compresses the full chunks, both cores working when `parallel`, and writes them.
    bool writeChunks(bool parallel);
    size_t pendingChunks() const { return m_complete.size(); }

    // Makes everything appended so far durable and visible to readers.
    bool commit();
    // A last commit, unless a failure froze the file, then closes every handle.
    bool close();
    // Freezes the file at its last commit: nothing more is written, close() included.
    void abandon();

    bool isOpen() const { return m_hdf.isOpened(); }
    bool hasFailed() const { return m_failed; }
    bool hasUncommitted() const
    {
        return m_framesAppended != m_framesCommitted || m_annotations.hasPending();
    }
    bool diskFull() const;
    QString failureCause() const;   // plain words, empty while sound
    quint64 framesAppended() const { return m_framesAppended; }
    quint64 framesCommitted() const { return m_framesCommitted; }
    qint64 committedBytes() const;   // the file's size at the last commit
    const TraceFileState *fileState() const { return m_state; }

private:
    struct Series
    {
        hid_t dataset;
        ChunkSeries rows;
        hsize_t dims[hdfDataset::maxRank];   // the dataspace as the file shows it
    };
    struct PendingChunk
    {
        int series;
        ChunkSeries::Chunk chunk;
    };

    bool createSeries(const QList<hdfDataset> &records);
    bool updateExtent(Series &series);
    bool writeChunk(Series &series, const ChunkSeries::Chunk &chunk, const QByteArray &data, bool filtered);
    bool fail();

    myHdf m_hdf;
    TraceFileState *m_state = nullptr;   // owned by the open file
    FrameConverter m_converter;
    TraceAnnotations m_annotations;
    std::vector<Series> m_series;        // in the order 16-bit, 24-bit, IMU, AUX
    std::vector<PendingChunk> m_complete;
    ChunkCompressionPool m_pool;
    quint64 m_framesAppended = 0;
    quint64 m_framesCommitted = 0;
    qint64 m_committedBytes = 0;
    bool m_failed = false;
    int m_error = 0;   // errno of the failure, 0 when HDF5 itself failed
};

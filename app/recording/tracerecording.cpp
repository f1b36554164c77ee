#include "tracerecording.h"

#include "config/daqconfig.h"
#include "tracefiledriver.h"
#include "tracefilestate.h"
#include "tracelayout.h"

#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Bit 0 of a chunk's filter mask: the deflate filter was not applied.
const uint32_t skipDeflate = 1;

QString errnoText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

// A trace file is built under this hidden name beside its own and takes its name only
// once its layout is committed: a kill during the first commit leaves no unreadable trace.
QString partialName(const QString &fileName)
{
    const QFileInfo info(fileName);
    return info.dir().filePath("." + info.fileName() + ".part");
}

// Gives the finished file its name, never replacing a file of that name, and makes the
// new name durable. errno on failure, else 0.
int publish(const QString &partial, const QString &fileName)
{
    const QByteArray from = QFile::encodeName(partial);
    const QByteArray to = QFile::encodeName(fileName);
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) != 0) {
        if (errno != EINVAL && errno != ENOSYS)
            return errno;
        // A file system without that kind of rename: the name is checked first instead.
        if (QFileInfo::exists(fileName))
            return EEXIST;
        if (::rename(from.constData(), to.constData()) != 0)
            return errno;
    }
    const int folder = ::open(QFile::encodeName(QFileInfo(fileName).absolutePath()).constData(), O_RDONLY | O_DIRECTORY);
    if (folder >= 0) {
        ::fsync(folder);
        ::close(folder);
    }
    return 0;
}

} // namespace

TraceRecording::TraceRecording()
    : m_hdf(traceCreatorText(), false)
{
}

TraceRecording::~TraceRecording()
{
    close();
}

bool TraceRecording::create(const daqConfig &conf, const QString &fileName, const QDateTime &start,
                            QString *error)
{
    m_converter.configure(conf);
    const QString partial = partialName(fileName);
    const hid_t fileAccess = TraceFileDriver::createAccessList();
    QList<hdfDataset> records;
    if (fileAccess >= 0) {
        writeTraceLayout(m_hdf, conf, partial, start, records, fileAccess);
        H5Pclose(fileAccess);
    }
    if (!m_hdf.isOpened()) {
        const int reason = TraceFileDriver::lastOpenError();
        *error = QObject::tr("The trace file %1 cannot be created: %2.")
                     .arg(fileName, reason ? errnoText(reason) : QObject::tr("the HDF5 library refused it"));
        if (reason == 0)   // opened, then refused: leave no half-made file behind
            QFile::remove(partial);
        return false;
    }
    m_state = TraceFileDriver::state(m_hdf.fileId());
    if (m_state && createSeries(records) && m_annotations.create(m_hdf) && commit()) {
        const int refused = publish(partial, fileName);
        if (refused == 0) {
            m_state->setPath(fileName);
            return true;
        }
        *error = QObject::tr("The trace file %1 cannot be created: %2.").arg(fileName, errnoText(refused));
        fail();
        close();
        QFile::remove(partial);
        return false;
    }
    QString cause = m_failed ? failureCause() : QObject::tr("the HDF5 library refused its layout");
    if (records.isEmpty())
        cause = QObject::tr("the configuration has no channels to record");
    *error = QObject::tr("The trace file %1 cannot be written: %2.").arg(fileName, cause);
    fail();
    close();
    QFile::remove(partial);
    return false;
}

bool TraceRecording::createSeries(const QList<hdfDataset> &records)
{
    for (const hdfDataset &record : records) {
        if (record.status != 0)
            return false;
        // Rows are float32, or int16 for AUX, row-major over the trailing dimensions.
        int rowBytes = record.isInt16 ? 2 : 4;
        for (int i = 1; i < record.ndims; ++i)
            rowBytes *= int(record.currentDims[i]);
        Series series{record.dataset, ChunkSeries(record.chunkDims[0], rowBytes), {}};
        // Created with one row that reads as zeros; it stays until the first frame comes.
        std::copy(record.currentDims, record.currentDims + hdfDataset::maxRank, series.dims);
        m_series.push_back(series);
    }
    return !m_series.empty();
}

void TraceRecording::appendFrames(const uint8_t *frames, int n)
{
    if (m_failed || n <= 0)
        return;
    size_t next = 0;
    m_converter.forEachDataset(frames, n, [&](const void *rows, int count) {
        if (next < m_series.size()) {
            std::vector<ChunkSeries::Chunk> complete;
            m_series[next].rows.append(rows, quint64(count), complete);
            for (ChunkSeries::Chunk &chunk : complete)
                m_complete.push_back({int(next), std::move(chunk)});
        }
        ++next;
    });
    m_framesAppended += quint64(n);
}

void TraceRecording::addGap(quint64 frameIndex, quint64 lostFrames, bool exact)
{
    if (!m_failed)
        m_annotations.addGap(frameIndex, lostFrames, exact);
}

void TraceRecording::addMarker(quint64 frameIndex, double seconds, const QByteArray &utf8Text)
{
    if (!m_failed)
        m_annotations.addMarker(frameIndex, seconds, utf8Text);
}

bool TraceRecording::writeChunks(bool parallel)
{
    if (m_failed)
        return false;
    // Chunks once written unfiltered keep their size; they are not compressed.
    std::vector<ChunkCompressionPool::Job> jobs;
    for (const PendingChunk &pending : m_complete)
        if (!pending.chunk.keepUnfiltered)
            jobs.push_back({&pending.chunk.bytes, QByteArray(), false});
    m_pool.compress(jobs, parallel);

    // HDF5 takes a chunk only inside the dataspace. Until the next commit the larger
    // dataspace stays in memory, so readers never see rows without their chunk.
    for (Series &series : m_series)
        if (!updateExtent(series))
            return fail();
    size_t next = 0;
    for (const PendingChunk &pending : m_complete) {
        const ChunkCompressionPool::Job *job = pending.chunk.keepUnfiltered ? nullptr : &jobs[next++];
        const bool filtered = job && job->filtered;
        if (!writeChunk(m_series[size_t(pending.series)], pending.chunk,
                        filtered ? job->compressed : pending.chunk.bytes, filtered))
            return fail();
    }
    m_complete.clear();
    return true;
}

bool TraceRecording::writeChunk(Series &series, const ChunkSeries::Chunk &chunk, const QByteArray &data,
                                bool filtered)
{
    hsize_t offset[hdfDataset::maxRank] = {};
    offset[0] = chunk.index * series.rows.chunkRows();
    return H5Dwrite_chunk(series.dataset, H5P_DEFAULT, filtered ? 0 : skipDeflate, offset,
                          size_t(data.size()), data.constData())
           >= 0;
}

// The dataspace grows to the rows appended; the row of zeros a dataset is created with
// stays until the first frame arrives.
bool TraceRecording::updateExtent(Series &series)
{
    const quint64 rows = series.rows.rows();
    if (rows == 0 || rows == series.dims[0])
        return true;
    series.dims[0] = rows;
    return H5Dset_extent(series.dataset, series.dims) >= 0;
}

bool TraceRecording::commit()
{
    if (m_failed || !writeChunks(false))
        return false;
    for (Series &series : m_series) {
        ChunkSeries::Chunk tail;
        if (series.rows.takeTail(tail) && !writeChunk(series, tail, tail.bytes, false))
            return fail();
        if (!updateExtent(series))
            return fail();
    }
    if (!m_annotations.write())
        return fail();
    // HDF5 hands every dirty object to the driver; the commit then waits for the disk
    // without holding the library's lock.
    if (H5Fflush(m_hdf.fileId(), H5F_SCOPE_LOCAL) < 0 || !m_state->commit())
        return fail();
    m_framesCommitted = m_framesAppended;
    m_committedBytes = qint64(m_state->committedEnd());
    return true;
}

bool TraceRecording::close()
{
    if (!m_hdf.isOpened())
        return !m_failed;
    if (!m_failed)
        commit();
    // After a failure the frozen driver drops what closing writes, so the file stays as
    // the last good commit left it and nothing is left open for the library's exit.
    const bool annotationsClosed = m_annotations.close();
    const bool closed = m_hdf.closeFile() && annotationsClosed;
    m_state = nullptr;   // gone with the file
    if (!closed && !m_failed) {
        // The last commit stands; only what closing wrote after it is lost.
        m_failed = true;
        m_error = EIO;
    }
    m_series.clear();
    m_complete.clear();
    return !m_failed;
}

void TraceRecording::abandon()
{
    if (m_failed)
        return;
    m_failed = true;
    m_error = ECANCELED;
    if (m_state)
        m_state->abandon(ECANCELED);
}

bool TraceRecording::fail()
{
    if (m_failed)
        return false;
    m_failed = true;
    if (m_state) {
        m_state->abandon(EIO);   // a driver failure froze it already, with its own reason
        m_error = m_state->error();
    }
    qWarning() << "trace file write failed:" << failureCause();
    return false;
}

bool TraceRecording::diskFull() const
{
    return m_error == ENOSPC || m_error == EDQUOT;
}

QString TraceRecording::failureCause() const
{
    if (!m_failed)
        return QString();
    if (diskFull())
        return QObject::tr("the disk is full");
    return m_error ? errnoText(m_error) : QObject::tr("the HDF5 library reported an error");
}

qint64 TraceRecording::committedBytes() const
{
    return m_committedBytes;
}

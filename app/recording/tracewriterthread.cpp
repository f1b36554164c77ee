#include "tracewriterthread.h"

#include "config/daqconfig.h"

#include <QObject>

#include <algorithm>

namespace {

using Clock = FrameQueue::Clock;

// The writer takes at most this much data between two looks at the clock.
const double batchSeconds = 0.25;

} // namespace

TraceWriterThread::TraceWriterThread(const TraceWriter::Options &options)
    : m_options(options)
{
}

TraceWriterThread::~TraceWriterThread()
{
    // Owners join before letting go, or detach; a thread that still runs holds a reference.
    if (m_thread.joinable())
        m_thread.join();
}

bool TraceWriterThread::start(const daqConfig &conf, const QString &fileName, const QDateTime &start,
                              const Reports &reports, QString *error)
{
    m_reports = reports;
    m_frameSize = conf.expectedSampleSize();
    m_sampleRate = std::max(1, int(conf.sampleRate));
    const double bytesPerSecond = double(m_sampleRate) * m_frameSize;
    m_queue = std::make_unique<FrameQueue>(qint64(m_options.queueSeconds * bytesPerSecond));

    // The thread keeps the promise alive: start() may return while set_value finishes.
    auto created = std::make_shared<std::promise<QString>>();
    std::future<QString> result = created->get_future();
    auto self = shared_from_this();
    m_thread = std::thread([self, conf, fileName, start, created] {
        self->run(conf, fileName, start, *created);
    });
    *error = result.get();
    if (error->isEmpty())
        return true;
    m_thread.join();
    return false;
}

void TraceWriterThread::run(const daqConfig &conf, const QString &fileName, const QDateTime &start,
                            std::promise<QString> &created)
{
    // Failures are reported in plain words; HDF5's own error stack would only add noise.
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
    QString error;
    if (!m_recording.create(conf, fileName, start, &error)) {
        markDone();
        created.set_value(error.isEmpty() ? QObject::tr("The trace file cannot be created.") : error);
        return;
    }
    created.set_value(QString());
    loop();
    markDone();
}

void TraceWriterThread::loop()
{
    const std::chrono::milliseconds interval(std::max(1, m_options.commitIntervalMs));
    const qint64 batchBytes = std::max<qint64>(m_frameSize, qint64(batchSeconds * m_sampleRate * m_frameSize));
    Clock::time_point lastCommit = Clock::now();
    std::deque<FrameQueue::Item> items;
    for (;;) {
        const Clock::time_point deadline = lastCommit + interval;
        items.clear();
        const bool open = m_queue->take(items, deadline, batchBytes);
        if (!m_recording.hasFailed() && !m_aborted) {
            apply(items);
            // A batch still waiting behind this one: compress on both cores.
            m_recording.writeChunks(m_options.parallelCompression && m_queue->bytes() >= batchBytes);
        }
        if (Clock::now() >= deadline) {
            lastCommit = Clock::now();
            commit();
        }
        reportRecordingFailure();
        if (!open)
            break;
    }
    if (m_aborted)
        m_recording.abandon();
    commit();   // the tail, reported like every other commit
    m_recording.close();
    reportRecordingFailure();
    m_committed = m_recording.framesCommitted();
    const bool ok = !m_failed && !m_aborted;
    const quint64 frames = m_recording.framesCommitted();
    report([ok, frames](const Reports &r) { r.finished(ok, frames); });
}

// A failed write freezes the file at its last good commit; it is closed at once.
void TraceWriterThread::reportRecordingFailure()
{
    if (!m_recording.hasFailed() || m_aborted || m_recordingFailureReported)
        return;
    m_recordingFailureReported = true;
    reportFailure(m_recording.diskFull() ? TraceWriter::DiskFull : TraceWriter::WriteError,
                  m_recording.failureCause(), m_recording.framesCommitted());
    m_recording.close();
}

void TraceWriterThread::apply(std::deque<FrameQueue::Item> &items)
{
    for (const FrameQueue::Item &item : items) {
        switch (item.kind) {
        case FrameQueue::Item::Frames:
            m_recording.appendFrames(reinterpret_cast<const uint8_t *>(item.bytes.constData()), item.count);
            if (m_options.commitEveryFrames > 0
                && m_recording.framesAppended() - m_recording.framesCommitted() >= m_options.commitEveryFrames) {
                m_recording.writeChunks(false);
                commit();
            }
            break;
        case FrameQueue::Item::Gap:
            m_recording.addGap(item.frameIndex, item.lostFrames, item.exact);
            break;
        case FrameQueue::Item::Marker:
            m_recording.addMarker(item.frameIndex, item.seconds, item.bytes);
            break;
        }
    }
}

void TraceWriterThread::commit()
{
    if (m_aborted || !m_recording.hasUncommitted() || !m_recording.commit())
        return;
    m_committed = m_recording.framesCommitted();
    const quint64 frames = m_recording.framesCommitted();
    const qint64 bytes = m_recording.committedBytes();
    report([frames, bytes](const Reports &r) { r.committed(frames, bytes); });
}

bool TraceWriterThread::appendFrames(const uint8_t *frames, int n)
{
    if (m_failed || !m_queue)
        return false;
    if (n <= 0)
        return true;
    if (!m_queue->pushFrames(frames, n, m_frameSize)) {
        reportFailure(TraceWriter::QueueFull,
                      QObject::tr("the disk does not keep up with the data: more than %1 s of frames were "
                                  "waiting to be written")
                          .arg(m_options.queueSeconds),
                      m_committed);
        return false;
    }
    m_handedOver += quint64(n);
    return true;
}

bool TraceWriterThread::addGap(quint64 frameIndex, quint64 lostFrames, bool exact)
{
    if (m_failed || !m_queue)
        return false;
    m_queue->pushGap(frameIndex, lostFrames, exact);
    return true;
}

bool TraceWriterThread::addMarker(quint64 frameIndex, double seconds, const QByteArray &utf8Text)
{
    if (m_failed || !m_queue)
        return false;
    m_queue->pushMarker(frameIndex, seconds, utf8Text);
    return true;
}

void TraceWriterThread::finish()
{
    if (m_queue)
        m_queue->close();
}

void TraceWriterThread::abort()
{
    m_aborted = true;
    if (m_queue)
        m_queue->abort();
}

double TraceWriterThread::queueFill() const
{
    if (!m_queue || m_queue->capacity() <= 0)
        return 0.0;
    return double(m_queue->bytes()) / double(m_queue->capacity());
}

bool TraceWriterThread::waitUntilDone(int msecs)
{
    {
        std::unique_lock<std::mutex> lock(m_doneMutex);
        if (!m_doneChanged.wait_for(lock, std::chrono::milliseconds(std::max(0, msecs)),
                                    [this] { return bool(m_done); }))
            return false;
    }
    if (m_thread.joinable())
        m_thread.join();
    return true;
}

void TraceWriterThread::detach()
{
    {
        std::lock_guard<std::mutex> lock(m_reportMutex);
        m_reports = Reports();
    }
    if (m_thread.joinable())
        m_thread.detach();
}

// Only the first failure is reported; it also closes the queue to further frames.
bool TraceWriterThread::reportFailure(TraceWriter::Failure kind, const QString &cause, quint64 framesSafe)
{
    if (m_failed.exchange(true))
        return false;
    report([kind, cause, framesSafe](const Reports &r) { r.failed(kind, cause, framesSafe); });
    return true;
}

void TraceWriterThread::report(const std::function<void(const Reports &)> &call)
{
    std::lock_guard<std::mutex> lock(m_reportMutex);
    if (m_reports.finished)
        call(m_reports);
}

void TraceWriterThread::markDone()
{
    {
        std::lock_guard<std::mutex> lock(m_doneMutex);
        m_done = true;
    }
    m_doneChanged.notify_all();
}

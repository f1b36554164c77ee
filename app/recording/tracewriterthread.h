#pragma once

#include "framequeue.h"
#include "tracerecording.h"
#include "tracewriter.h"

#include <QDateTime>
#include <QString>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <future>
#include <memory>
#include <mutex>
#include <thread>

class daqConfig;

// The engine behind TraceWriter: a FrameQueue fed by the GUI thread and one thread that
// runs a TraceRecording, committing on time. It reports through plain callbacks, called
// on whichever thread found the news; TraceWriter turns them into queued signals.
//
// The object outlives its thread: the thread holds a reference until it ends, so an
// owner that cannot wait any longer may drop it after detach().
class TraceWriterThread : public std::enable_shared_from_this<TraceWriterThread>
{
public:
    struct Reports
    {
        std::function<void(TraceWriter::Failure, const QString &cause, quint64 framesSafe)> failed;
        std::function<void(quint64 frames, qint64 fileBytes)> committed;
        std::function<void(bool ok, quint64 frames)> finished;
    };

    explicit TraceWriterThread(const TraceWriter::Options &options);
    ~TraceWriterThread();
    TraceWriterThread(const TraceWriterThread &) = delete;
    TraceWriterThread &operator=(const TraceWriterThread &) = delete;

    // Creates the file on the new thread and returns once it is committed.
    bool start(const daqConfig &conf, const QString &fileName, const QDateTime &start,
               const Reports &reports, QString *error);

    // Producer side.
    bool appendFrames(const uint8_t *frames, int n);
    bool addGap(quint64 frameIndex, quint64 lostFrames, bool exact);
    bool addMarker(quint64 frameIndex, double seconds, const QByteArray &utf8Text);
    void finish();
    // Stops writing: what is queued is dropped, the file stays as its last commit left it.
    void abort();

    // Waits until the thread has ended, then joins it. True when it has.
    bool waitUntilDone(int msecs);
    bool isDone() const { return m_done; }
    // No more reports, and the thread finishes on its own.
    void detach();

    quint64 framesHandedOver() const { return m_handedOver; }
    quint64 framesCommitted() const { return m_committed; }
    double queueFill() const;

private:
    void run(const daqConfig &conf, const QString &fileName, const QDateTime &start,
             std::promise<QString> &created);
    void loop();
    void apply(std::deque<FrameQueue::Item> &items);
    void commit();
    void reportRecordingFailure();
    bool reportFailure(TraceWriter::Failure kind, const QString &cause, quint64 framesSafe);
    void report(const std::function<void(const Reports &)> &call);
    void markDone();

    const TraceWriter::Options m_options;
    Reports m_reports;
    std::mutex m_reportMutex;
    std::unique_ptr<FrameQueue> m_queue;
    int m_frameSize = 0;
    int m_sampleRate = 0;
    TraceRecording m_recording;   // used on the writer thread only
    std::thread m_thread;
    std::atomic<bool> m_failed{false};             // a failure was reported, appends are refused
    bool m_recordingFailureReported = false;
    std::atomic<bool> m_aborted{false};
    std::atomic<quint64> m_handedOver{0};
    std::atomic<quint64> m_committed{0};
    std::atomic<bool> m_done{false};
    std::mutex m_doneMutex;
    std::condition_variable m_doneChanged;
};

#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QObject>
#include <QString>

#include <cstdint>
#include <memory>

class CallMailbox;
class TraceWriterThread;
class daqConfig;

// Records one trace file at a time on a thread of its own.
//
// The GUI thread only hands over: appendFrames copies the raw stream frames of an
// acquisition step into a bounded queue (at most 5 s of data) and returns at once;
// gaps and markers go through the same queue, in order with the frames. The writer
// thread converts the frames to physical values, compresses whole chunks (on both
// cores when it has fallen behind) and writes them, and commits at least once a
// second so that a kill or a power cut loses at most about the last second: the file
// left behind opens in h5py and h5dump and holds every committed frame.
//
// The file is the layout createTraceFile makes plus two root datasets created with it:
//   gaps    uint64 (n, 3): frame index of the first frame stored after a loss, frames
//           lost, 1 = counted exactly / 0 = estimated;
//   markers (n) {frame uint64, seconds float64, text 64-byte UTF-8 string}.
//
// Nothing is ever dropped unseen: a full queue or a failed write is reported once by
// failed(); from then on appends are refused, and the file keeps everything up to its
// last good commit. A single block larger than the whole queue is refused too.
// Signals arrive on the thread that owns the writer, through its event loop. While a
// recording runs, HDF5 is busy on the writer thread; the library is built thread-safe,
// so other HDF5 calls wait their turn (commits wait for the disk outside the library).
//
// A file opened by a reader while it is being recorded shows the state of the last
// commit; a reader that stays open across commits may see its view go stale (HDF5
// readers cache what they read), so read a live file by opening it again.
//
// Typical use:
//   const RecordSpace space = checkRecordSpace(folder, conf);   // refuse or warn first
//   TraceWriter writer;
//   connect(&writer, &TraceWriter::failed, ...);   // stop recording, tell the user
//   if (!writer.start(conf, traceFileName(folder, now), now, &reason)) ...;
//   writer.appendFrames(frames, n);                 // every acquisition step
//   writer.addGap(writer.framesHandedOver(), lost, exact);
//   writer.finish();                                // then finished(ok, frames)
//   writer.finishAndWait(10000);                    // instead, when the program ends
class TraceWriter : public QObject
{
    Q_OBJECT

public:
    enum Failure {
        DiskFull,     // the disk or the user's quota is full
        WriteError,   // any other failed write, sync or HDF5 call
        QueueFull     // the writer fell more than the queue's length behind
    };
    Q_ENUM(Failure)

    struct Options
    {
        int commitIntervalMs = 800;     // commit at least this often, with data to commit
        quint64 commitEveryFrames = 0;  // also after this many frames (0: by time only)
        double queueSeconds = 5.0;      // queue length in seconds of data at the sample rate
        bool parallelCompression = true;
    };

    explicit TraceWriter(QObject *parent = nullptr);
    ~TraceWriter() override;   // finishes a running recording, waiting at most 10 s

    void setOptions(const Options &options) { m_options = options; }   // for the next start

    // Creates the trace file `fileName` for `conf` (its layout, attributes and the empty
    // gaps and markers) and starts the writer thread. The file is committed, i.e.
    // readable, when this returns true; false with the reason in plain words in *error.
    // A recording still finishing is waited for first; its finished() still arrives.
    bool start(const daqConfig &conf, const QString &fileName, const QDateTime &start, QString *error);

    // Copies n whole frames of the configured frame size into the queue. False when the
    // queue cannot take them (then failed(QueueFull) follows) or after any failure.
    bool appendFrames(const uint8_t *frames, int n);
    // A loss before frame `frameIndex` (the index of the first frame stored after it).
    bool addGap(quint64 frameIndex, quint64 lostFrames, bool exact);
    // `seconds` is usually frameIndex / sampleRate; the text is cut to 64 bytes.
    bool addMarker(quint64 frameIndex, double seconds, const QByteArray &utf8Text);

    // Writes what is queued, commits and closes the file; finished() follows. Frames
    // handed over afterwards are refused.
    void finish();
    // The same, waiting at most `msecs` (for program exit). If the writer is not done by
    // then it stops writing, keeps the file as its last commit left it and gets another
    // two seconds. True when the writer thread has ended.
    bool finishAndWait(int msecs);

    bool isRecording() const;            // started and not finished
    QString fileName() const { return m_fileName; }
    // Counters, readable from any thread.
    quint64 framesHandedOver() const;    // accepted by appendFrames
    quint64 framesCommitted() const;     // in the file as of its last commit
    double queueFill() const;            // 0 ... 1

signals:
    // Once per recording, at the first problem; cause is in plain words ("the disk is
    // full"). framesSafe: the frames the file holds as of its last good commit, which
    // after DiskFull and WriteError is what it keeps. After QueueFull the writer still
    // writes the frames it had accepted; finished() tells how many the file holds.
    void failed(TraceWriter::Failure kind, const QString &fileName, const QString &cause,
                quint64 framesSafe);
    void committed(quint64 frames, qint64 fileBytes);
    // ok: every frame handed over is in the closed file, `frames` of them.
    void finished(bool ok, quint64 frames);

private:
    CallMailbox *m_mailbox;   // the writer thread's reports, on their way to this thread
    Options m_options;
    QString m_fileName;
    std::shared_ptr<TraceWriterThread> m_thread;
};

Q_DECLARE_METATYPE(TraceWriter::Failure)

#pragma once

#include "acquisition/acquisitionstatus.h"
#include "acquisition/runlosses.h"
#include "recording/tracewriter.h"

#include <QDateTime>
#include <QObject>
#include <QString>
#include <QVector>

#include <cstdint>
#include <memory>

class daqConfig;

// One recording of the running stream into a trace file. The frames only pass through
// here on their way to the trace writer's queue; conversion, compression and every
// write happen on the writer's thread. It maps the stream onto the file: the
// recording's first frame is row 0, a loss inside the recording becomes a gap row at
// the row of the first frame stored after it, a marker gets the row of the next frame.
//
// A failed write is reported at once by writeFailed(); whoever drives the recording
// then ends it with finish(). finished() follows once the file is closed, with what
// it holds; after a write failure it carries the message for the user.
class StreamRecorder : public QObject
{
    Q_OBJECT

public:
    enum class End { Stop, Limit, WriteFailure, StreamDamaged, StreamStopped, DeviceLost, Shutdown };
    enum class Start { Started, NoSpace, Failed };

    explicit StreamRecorder(QObject *parent = nullptr);
    ~StreamRecorder() override;

    // Checks the folder's free space and creates the file for a recording that begins
    // with stream frame `firstFrame` and holds at most `frameLimit` frames. A loss just
    // before `firstFrame` belongs to the recording only when it begins with the stream
    // (`withStream`). Otherwise the reason is in *error in plain words; an existing file
    // is never overwritten.
    Start start(const daqConfig &conf, const QString &fileName, const QDateTime &when, quint64 firstFrame,
               bool withStream, quint64 frameLimit, QString *error);
    // Hands over the next n frames of the stream, up to the limit; returns how many were taken.
    quint64 append(const uint8_t *frames, quint64 n);
    // Losses of the stream (stream frame indices, oldest first); those inside the
    // recording become gap rows.
    void addGaps(const QVector<RunLosses::Gap> &gaps);
    // Stores a marker at the next frame; false when not recording. The stored text is
    // cut to what the file holds (64 bytes of UTF-8, at a character boundary).
    bool addMarker(const QString &text, quint64 *frame, double *seconds, QString *stored);

    // No more frames; the file is closed on the writer's thread, finished() follows.
    void finish(End why);
    // For the program's end: the same, waiting at most `msecs` for the file to be closed.
    // finished() has been emitted when this returns.
    void finishAndWait(int msecs);

    bool isRecording() const { return m_active; }   // started, not finished
    bool isClosing() const { return m_closing; }    // finished, the file not closed yet
    bool limitReached() const { return m_active && m_frames >= m_limit; }
    // Less than a minute of recording fitted into the folder at the start.
    bool shortOfSpace() const { return m_shortOfSpace; }
    quint64 frames() const { return m_frames; }
    quint64 framesLost() const { return m_lost; }
    double seconds() const;
    QString fileName() const { return m_fileName; }
    qint64 fileBytes() const { return m_fileBytes; }

signals:
    void writeFailed();
    void finished(const AcquisitionStatus::Summary &summary, const QString &problem);

private:
    void onFailed(TraceWriter::Failure kind, const QString &file, const QString &cause, quint64 framesSafe);
    void onFinished(bool ok, quint64 frames);
    AcquisitionStatus::Summary summary(quint64 frames) const;
    QString failureMessage(quint64 frames) const;

    // A writer per recording: reports still on their way from an earlier one die with it.
    std::unique_ptr<TraceWriter> m_writer;
    QString m_fileName;
    int m_sampleRate = 1;
    quint64 m_firstFrame = 0;      // stream index of row 0
    bool m_withStream = false;
    quint64 m_limit = 0;
    quint64 m_frames = 0;
    quint64 m_lost = 0;
    qint64 m_fileBytes = 0;
    bool m_active = false;
    bool m_closing = false;
    bool m_shortOfSpace = false;
    End m_end = End::Stop;
    bool m_failed = false;
    TraceWriter::Failure m_failure = TraceWriter::WriteError;
    QString m_cause;
};

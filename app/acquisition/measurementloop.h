#pragma once

#include "acquisition/acquisitionevent.h"
#include "acquisition/acquisitionstatus.h"
#include "acquisition/framepipeline.h"
#include "acquisition/ratemeter.h"
#include "acquisition/runlosses.h"
#include "acquisition/streamrecorder.h"
#include "config/daqconfig.h"

#include <QByteArray>
#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QPair>
#include <QString>

class ActionSet;
class ConnectionMachine;
class DisplaySink;

// The acquisition loop of a connected device, one step per tick (measurement states
// 0 idle, 1 configure, 2 configured, 3 ready, 4 streaming, 5 stopping), and the Start,
// Stop and Record requests that move it. While streaming it reads every whole frame,
// books the link's losses, hands the frames to the recording when one runs and shows
// them when there is a display.
//
// Record from ready starts the stream and the recording together; one Stop, the
// recording limit or a failure ends both. Record during a live view starts only the
// recording, at the next frame; its Stop, its limit or a failure ends only the
// recording, and a second Stop ends the live view.
class MeasurementLoop : public QObject
{
    Q_OBJECT

public:
    static constexpr quint64 NoLimit = ~quint64(0);

    MeasurementLoop(ConnectionMachine &connection, ActionSet &actions, QObject *parent = nullptr);

    void setDisplay(DisplaySink *sink) { display = sink; }
    // The next recording goes to this file (it must not exist); empty: a new trace name
    // in the traces folder.
    void setTraceFileName(const QString &path) { requestedTraceName = path; }
    // Recordings end after this many seconds at the latest (0: only the configuration's limit).
    void setRecordingLimit(double seconds);

    int state() const { return measurementState; }
    bool isSampling() const { return sampling; }
    bool isRecording() const { return recorder.isRecording(); }
    // A recording has ended and its file is being closed.
    bool isClosingTrace() const { return recorder.isClosing(); }
    bool isConfiguring() const { return measurementState == 1 || measurementState == 2; }
    quint64 recordedFrames() const { return recorder.frames(); }
    quint64 lostFrames() const { return losses.framesLost(); }
    quint64 frameLimit() const;
    double framesPerSecond() const;
    const StreamRecorder &recording() const { return recorder; }
    const AcquisitionStatus::Summary &lastRecording() const { return lastSummary; }
    // The open trace file; empty when none is being recorded.
    QString traceFileName() const { return recorder.fileName(); }
    qint64 traceFileSize() const { return recorder.fileBytes(); }
    int windowSamples() const { return windowFrames; }

    // A configuration made valid: the display is prepared for it and the device gets it
    // on the next step.
    void configure(const daqConfig &conf);
    void step(bool configValid, bool countPollEnabled);
    void start();
    void stop();
    void record();
    bool addMarker(const QString &text);
    // The device answered a configuration line with an error.
    void noteRefusal(const QByteArray &answer);
    // The device is gone: everything stops, a running recording ends.
    void deviceLost();
    // Tells `text` once the trace file that is being closed is complete (with what it
    // holds), at once when none is.
    void reportAfterTrace(Acquisition::Event event, const QString &text);
    // For the program's end: a running recording ends, waiting at most `msecs` for its file.
    void closeTraceFile(int msecs = 10000);

signals:
    void message(Acquisition::Event event, const QString &text);
    void statusMessage(const QString &text);
    void stateChanged(int state);
    void recordingClosed(const QString &fileName, quint64 frames, quint64 lost);
    void markerAdded(quint64 frame, double seconds, const QString &text);
    // The device refused the configuration; it is no longer valid.
    void configurationRefused();

private:
    void setState(int state);
    void pollChannelCounts(bool countPollEnabled);
    void stepConfigured(bool configValid);
    void stepReady(bool configValid, bool countPollEnabled);
    bool stepStreaming();
    bool stepStopping();
    void refuseConfiguration();
    void sendConfiguration();
    void rebuildDisplay();
    void prepareSampling();
    void recordFromReady();
    void recordWithinView();
    bool startRecording(quint64 firstFrame, bool withStream);
    void recordFrames(const uint8_t *frames, quint64 n);
    void endRecording(StreamRecorder::End why);
    void stopStream();
    void sendAbort();
    void limitReached();
    void showRecordingStatus();
    void unexpectedStop();
    void streamDamaged();
    void blinkRecord();
    void onWriteFailed();
    void onRecordingFinished(const AcquisitionStatus::Summary &summary, const QString &problem);

    ConnectionMachine &connection;
    ActionSet &actions;
    DisplaySink *display = nullptr;

    daqConfig conf;
    int measurementState = 0;
    int pollCountdown = 0;
    bool sampling = false;
    bool recordingInView = false;       // the running recording began during a live view
    quint64 configLimit = NoLimit;      // from the configuration's maximum duration
    double limitSeconds = 0;            // from whoever drives the loop; 0 = none
    int windowFrames = 8000;
    bool recordBlink = false;
    int recordBlinkTicks = 0;
    QByteArray refusal;                 // the device's answer to a refused configuration line
    bool abortPending = false;          // the stop request has not been taken by the link yet
    bool damageReported = false;

    FramePipeline pipeline;
    QByteArray received;                // bytes of a frame that is not complete yet wait here
    quint64 streamFrames = 0;           // whole frames read in this stream
    RunLosses losses;
    RateMeter rate;
    QElapsedTimer clock;
    StreamRecorder recorder;
    QString requestedTraceName;
    AcquisitionStatus::Summary lastSummary;
    QList<QPair<Acquisition::Event, QString>> afterTrace;   // told once the trace is complete
};

#pragma once

#include "acquisition/acquisitionevent.h"
#include "acquisition/framepipeline.h"
#include "acquisition/tracerecorder.h"
#include "config/daqconfig.h"

#include <QByteArray>
#include <QObject>
#include <QString>

class ActionSet;
class ConnectionMachine;
class DisplaySink;

// The acquisition loop of a connected device, one step per tick (measurement states
// 0 idle, 1 configure, 2 configured, 3 ready, 4 streaming, 5 stopping, 6 error), and
// the Start, Stop and Record requests that move it. While streaming it reads every
// whole frame, records it when a trace file is open and shows it when there is a
// display.
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
    bool isRecording() const { return recording; }
    quint64 recordedFrames() const { return samplesRecorded; }
    quint64 lostFrames() const { return framesLostInRun; }
    quint64 frameLimit() const;
    QString traceFileName() const { return recorder.fileName(); }
    qint64 traceFileSize() const { return recorder.fileSize(); }
    int windowSamples() const { return windowFrames; }

    // A configuration made valid: the display is prepared for it and the device gets it
    // on the next step.
    void configure(const daqConfig &conf);
    void step(bool configValid, bool countPollEnabled);
    void start();
    void stop();
    void record();
    // The device is gone: everything stops, an open trace file is closed.
    void deviceLost();
    void closeTraceFile();
    // Frames the link lost in this run.
    void framesLost(quint64 frames, bool exact);

signals:
    void message(Acquisition::Event event, const QString &text);
    void statusMessage(const QString &text);
    void stateChanged(int state);
    void recordingClosed(const QString &fileName, quint64 frames, quint64 lost);

private:
    void setState(int state);
    void pollChannelCounts(bool countPollEnabled);
    void stepConfigured(bool configValid);
    void stepReady(bool configValid, bool countPollEnabled);
    bool stepStreaming();
    bool stepStopping();
    void stepError();
    void sendConfiguration();
    void rebuildDisplay();
    void prepareSampling();
    bool startTraceFile();
    bool writeFrames(const uint8_t *frames, int n);
    void showRecordingStatus();
    void unexpectedStop();
    void blinkRecord();
    void pollLinkLosses();

    ConnectionMachine &connection;
    ActionSet &actions;
    DisplaySink *display = nullptr;

    daqConfig conf;
    int measurementState = 0;
    int pollCountdown = 0;
    bool sampling = false, recording = false;
    quint64 samplesRecorded = 0;
    quint64 configLimit = NoLimit;      // from the configuration's maximum duration
    double limitSeconds = 0;            // from whoever drives the loop; 0 = none
    int windowFrames = 8000;
    bool recordBlink = false;
    int recordBlinkTicks = 0;
    bool errorReported = false;

    FramePipeline pipeline;
    QByteArray received;                // bytes of a frame that is not complete yet wait here
    TraceRecorder recorder;
    QString requestedTraceName;
    bool writeFailureReported = false;

    quint64 framesLostInRun = 0;
    quint64 framesRead = 0;             // in this run, for the loss estimate
    double framesPerPacket = 0;         // estimated, for losses the link counts in packets
    int lossPollTicks = 0;
};

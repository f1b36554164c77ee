#pragma once

#include "acquisition/acquisitionevent.h"
#include "link/deviceinfo.h"
#include "link/wifinetwork.h"
#include "progressline.h"
#include "recordexit.h"
#include "recordoptions.h"

#include <QElapsedTimer>
#include <QList>
#include <QObject>
#include <QTimer>

class AcquisitionController;

// One run of kestrova-record: drives the controller to record one trace and answers its
// questions by fixed rules. A busy device is retried until the duration ends; anything
// else that stands in the way ends the run with its exit code. Progress goes to
// standard error once a second, the summary to standard output.
class RecordSession : public QObject
{
    Q_OBJECT

public:
    // How long a device may take to be found and to take the configuration.
    static constexpr int ConnectSeconds = 10;
    // How long the device may take to stop streaming.
    static constexpr int StopSeconds = 15;

    RecordSession(const RecordOptions &options, AcquisitionController &controller, QObject *parent = nullptr);

    // Checks the files and begins; the run ends with finished().
    void start(const QString &configFolder, const QString &traceFolder);
    // What the session does with each thing the controller reports: Success = go on.
    static RecordExit::Code exitCodeFor(Acquisition::Event event);

public slots:
    // SIGINT or SIGTERM: the recording stops and its file is closed; a second request
    // closes it at once.
    void requestStop();

signals:
    void finished(int exitCode);

private:
    bool prepareFiles(const QString &configFolder, const QString &traceFolder);
    void connectController();
    void onMessage(Acquisition::Event event, const QString &text);
    void onMeasurementState(int state);
    void onRecordingClosed(const QString &file, quint64 frames, quint64 lost);
    void onBusy();
    void onDeviceChoice(const QList<DeviceInfo> &candidates);
    void onSecond();
    void checkDeadlines();
    void say(const QString &line) const;
    void fail(RecordExit::Code code, const QString &detail);
    void finish(RecordExit::Code code);

    const RecordOptions options;
    AcquisitionController &controller;
    QTimer ticker;
    QElapsedTimer sinceStart;
    QElapsedTimer sinceRecording;
    QElapsedTimer sinceStopping;
    ProgressLine progress;

    bool recordRequested = false;
    bool recording = false;
    bool stopRequested = false;
    bool busySeen = false;
    bool configLoaded = false;
    bool done = false;
    QString traceFile;
    quint64 framesWritten = 0;
    quint64 framesLost = 0;
};

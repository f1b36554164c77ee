#pragma once

#include <QMetaType>
#include <QString>
#include <QtGlobal>

// What the acquisition is doing right now, for a status line that is always true.
// AcquisitionController::status() fills it; statusChanged() says when to read it again.
struct AcquisitionStatus
{
    // What the last recording left in its file; kept until the next recording starts.
    struct Summary
    {
        bool valid = false;
        QString traceFile;          // full path
        quint64 frames = 0;         // rows in the file
        double seconds = 0.0;       // frames / sample rate
        quint64 framesLost = 0;     // booked as gaps in the file
        bool atLimit = false;       // ended at the maximum duration
        bool failed = false;        // ended by a failure (disk full, write error, stream damage)

        bool operator==(const Summary &o) const;
        bool operator!=(const Summary &o) const { return !(*this == o); }
    };

    // The connected device; both empty when none is connected.
    QString device;                 // its identification answer
    QString link;                   // "USB" or "WiFi"

    bool sampling = false;          // frames are streaming (live view or recording)
    double framesPerSecond = 0.0;   // received over the last second
    quint64 framesLost = 0;         // lost by the link since the stream started

    bool recording = false;
    // While recording:
    double elapsedSeconds = 0.0;    // frames recorded / sample rate
    quint64 recordedFrames = 0;
    quint64 recordingFramesLost = 0;   // lost since the recording started
    QString traceFile;              // full path
    qint64 traceBytes = 0;          // size of the file as of its last commit
    qint64 freeBytes = -1;          // left in the trace folder; -1 when unknown
    bool shortOfSpace = false;      // less than a minute of recording fitted when it started

    Summary lastRecording;

    bool operator==(const AcquisitionStatus &o) const;
    bool operator!=(const AcquisitionStatus &o) const { return !(*this == o); }
};

Q_DECLARE_METATYPE(AcquisitionStatus::Summary)
Q_DECLARE_METATYPE(AcquisitionStatus)

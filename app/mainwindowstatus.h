#pragma once

#include "acquisition/acquisitionstatus.h"

#include <QCoreApplication>
#include <QString>

// What the main window's permanent status fields say, worked out from the acquisition's
// status alone: the connection, the frame rate received, the frames lost in this run,
// and the recording (time, file, size, free space) or, after it, what it wrote.
class MainWindowStatus
{
    Q_DECLARE_TR_FUNCTIONS(MainWindowStatus)

public:
    struct Fields
    {
        QString connection;
        QString rate;         // empty while nothing streams
        QString lost;         // empty while nothing streams and nothing was lost
        // The running recording, else what the last one wrote (until the next recording
        // starts), else empty.
        QString recording;
        bool lossWarning = false;   // frames were lost: the field stands out
        bool recordingNow = false;
        QString traceFile;    // full path of the file the recording field names (tool tip)
    };

    static Fields describe(const AcquisitionStatus &status);

    // 12.3 s below a minute, then 1:02:03.
    static QString elapsed(double seconds);
    // 3.000 s, with 1:02:03 beside it from a minute on.
    static QString exactSeconds(double seconds);
    static QString bytes(qint64 bytes);

private:
    static QString recordingText(const AcquisitionStatus &status);
    static QString summaryText(const AcquisitionStatus::Summary &summary);
    static QString timeLeft(const AcquisitionStatus &status);
};

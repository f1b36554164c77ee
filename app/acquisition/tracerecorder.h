#pragma once

#include "acquisition/frameconverter.h"
#include "recording/myHdf5.h"

#include <QDateTime>
#include <QString>
#include <QVector>

#include <cstdint>
#include <memory>

class daqConfig;

// The trace file of one recording: created with its layout for a configuration, fed
// whole frames, closed. Every frame that reaches the file goes through append().
class TraceRecorder
{
public:
    TraceRecorder();
    ~TraceRecorder();

    // Creates `fileName` for `conf`. Refuses (false) a file that exists already, so a
    // recording never overwrites another; false too when the file could not be created.
    bool open(const daqConfig &conf, const QString &fileName, const QDateTime &start);
    // Converts n whole frames to physical values and appends them, one append per channel
    // kind. False when a write failed.
    bool append(const uint8_t *frames, int n);
    void close();

    bool isOpen() const;
    QString fileName() const { return name; }
    quint64 frames() const { return framesWritten; }
    bool writeFailed() const { return failed; }
    qint64 fileSize() const;

private:
    std::unique_ptr<myHdf> hdf;
    QVector<hdfDataset> datasets;   // 16-bit, 24-bit, IMU, AUX for the kinds present
    FrameConverter converter;
    QString name;
    quint64 framesWritten = 0;
    bool failed = false;
};

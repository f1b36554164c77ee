#pragma once

#include <QString>
#include <QtGlobal>

class daqConfig;

// Whether a folder can take a recording, judged before Record starts. The data rate is
// taken uncompressed (what noise-like signals come close to), so the estimate errs on the
// safe side.
struct RecordSpace
{
    bool canStart = false;          // room for the file's header and one second of data
    bool lessThanAMinute = false;   // it starts, but the disk is full within a minute
    double secondsThatFit = 0.0;    // recording time the free space holds
    qint64 bytesAvailable = 0;
    qint64 headerBytes = 0;
    qint64 bytesPerSecond = 0;
};

RecordSpace assessRecordSpace(qint64 bytesAvailable, const daqConfig &conf);
// The same for the free space of the file system holding `folder`; a folder that cannot
// be looked at counts as full.
RecordSpace checkRecordSpace(const QString &folder, const daqConfig &conf);

#pragma once

#include <QString>

// The exit codes of kestrova-record, one per way a recording can fail, and the plain
// words each is told with.
namespace RecordExit {

enum Code {
    Success = 0,          // recorded; the trace file is closed and complete
    UsageError = 1,       // the command line is wrong
    ConfigInvalid = 2,    // the configuration file is missing or invalid
    NoDevice = 3,         // no device found
    SeveralDevices = 4,   // several devices found and --serial chose none
    DeviceBusy = 5,       // the device stayed busy (in use by another program)
    ConfigRefused = 6,    // the device cannot take the configuration
    OutputRefused = 7,    // the trace file exists already or cannot be created
    DiskFull = 8,         // writing the trace file failed: the disk is full
    DeviceLost = 9,       // the device was lost or stopped streaming while recording
    Interrupted = 10,     // SIGINT or SIGTERM before the recording began
};

// What went wrong, in a few plain words.
QString describe(Code code);
// Every failure code with its meaning, one line each, for --help.
QString table();

} // namespace RecordExit

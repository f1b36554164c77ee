#include "recordexit.h"

namespace RecordExit {

QString describe(Code code)
{
    switch (code) {
    case Success: return QStringLiteral("recorded");
    case UsageError: return QStringLiteral("the command line is wrong");
    case ConfigInvalid: return QStringLiteral("the configuration file is missing or invalid");
    case NoDevice: return QStringLiteral("no device found");
    case SeveralDevices: return QStringLiteral("several devices found; choose one with --serial");
    case DeviceBusy: return QStringLiteral("the device is busy (in use by another program)");
    case ConfigRefused: return QStringLiteral("the device cannot take the configuration");
    case OutputRefused: return QStringLiteral("the trace file exists already or cannot be created");
    case DiskFull: return QStringLiteral("the trace file could not be written (disk full)");
    case DeviceLost: return QStringLiteral("the device was lost while recording");
    case Interrupted: return QStringLiteral("interrupted before the recording began");
    }
    return QString();
}

QString table()
{
    QString text;
    for (int c = UsageError; c <= Interrupted; ++c)
        text += QStringLiteral("  %1  %2\n").arg(c, 2).arg(describe(Code(c)));
    return text;
}

} // namespace RecordExit

#pragma once

#include <QObject>

// What the acquisition reports to whoever drives it. The controller only says what
// happened; the window turns an event into a message box, the recording program into
// an exit code.
namespace Acquisition {
Q_NAMESPACE

enum class Event {
    CommandFailed,          // a device query failed
    ChannelCountChanged,    // the device now reports another IMU or AUX count
    NoDevice,               // configuring needs a device that has answered
    NoChannels,             // the device has no channels to configure
    ConfigurationInvalid,   // the configuration file could not be loaded
    ConfigurationMismatch,  // the configuration needs channels the device lacks
    ConfigurationTooLarge,  // more display channels than the plot can show
    ConfigurationEmpty,     // the configuration enables no channel: frames of 0 bytes
    ConfigurationRefused,   // the device refused a configuration line; none is valid now
    ChannelCountsInvalid,   // the device reported channel counts that cannot be used
    NotReady,               // Record while the device is not ready
    TraceFileFailed,        // the trace file could not be created
    TraceFolderFull,        // the trace folder cannot hold one second of recording
    TraceWriteFailed,       // writing the trace file failed: the recording ended, the file
                            // holds what was committed before (the text says how much)
    StreamStopped,          // the stream ended without a stop request
    StreamDamaged,          // the serial stream could not be decoded any more; it was stopped
    DeviceDisconnected,     // the device is gone; an open trace file was closed first
    WifiReadFailed,         // the device's network record could not be read
};
Q_ENUM_NS(Event)

} // namespace Acquisition

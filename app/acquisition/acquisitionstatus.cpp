#include "acquisitionstatus.h"

bool AcquisitionStatus::Summary::operator==(const Summary &o) const
{
    return valid == o.valid && traceFile == o.traceFile && frames == o.frames && seconds == o.seconds
           && framesLost == o.framesLost && atLimit == o.atLimit && failed == o.failed;
}

bool AcquisitionStatus::operator==(const AcquisitionStatus &o) const
{
    return device == o.device && link == o.link && sampling == o.sampling && framesPerSecond == o.framesPerSecond
           && framesLost == o.framesLost && recording == o.recording && elapsedSeconds == o.elapsedSeconds
           && recordedFrames == o.recordedFrames && recordingFramesLost == o.recordingFramesLost
           && traceFile == o.traceFile && traceBytes == o.traceBytes && freeBytes == o.freeBytes
           && shortOfSpace == o.shortOfSpace
           && lastRecording == o.lastRecording;
}

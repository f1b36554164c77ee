#pragma once

#include <QtGlobal>

// One loss in a device stream, as a link books it. Positions and counts refer to the
// stream started by the last streaming command.
//
// Frame alignment: the device starts every data datagram and every stream block at a
// frame boundary, so the stream resumes with a whole frame at `position`. Bytes of an
// incomplete frame just before `position` belong to no frame and are to be dropped.
struct StreamLoss
{
    // Payload bytes delivered to the link's byte queue before the loss (exact).
    quint64 position = 0;
    // Datagrams (UDP) or blocks (serial) lost; counted (UDP: by the missing indices) or,
    // when lostUnitsCounted is false, estimated from the stretch of stream skipped.
    quint64 lostUnits = 0;
    bool lostUnitsCounted = true;
    // Payload bytes lost, when the link knows them (a damaged serial block whose header was read).
    quint64 lostBytes = 0;
    bool lostBytesKnown = false;

    // The stream so far, lost units excluded: datagrams or blocks received, their payload
    // bytes, and whether every one of them carried the same payload size (unitBytes).
    quint64 units = 0;
    quint64 payloadBytes = 0;
    bool uniform = false;
    quint32 unitBytes = 0;
};

struct LostFrames
{
    quint64 frames = 0;
    bool exact = false;
};

// Frames lost at one loss, for frames of frameSize bytes. Exact when the lost byte count
// is known and whole frames, or when the lost units were counted and every unit of the
// stream so far carried the same whole number of frames; otherwise the lost units times the mean frames per unit of the
// stream so far, rounded, and marked as an estimate.
LostFrames lostFrames(const StreamLoss &loss, quint32 frameSize);

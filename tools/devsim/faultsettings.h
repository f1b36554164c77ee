#pragma once

// Faults switched on from the command line or the control channel, shared by both sides.
struct FaultSettings
{
    bool silent = false;          // power off: no answers, no stream
    bool busy = false;            // keep-alive answers "busy"
    bool stall = false;           // the stream pauses
    bool confError = false;       // configuration lines are answered with an error
    bool retransmit = true;       // resend data packets the host did not acknowledge
    double drop = 0.0;            // UDP data packet rates, 0..1
    double dup = 0.0;
    double reorder = 0.0;
    int badHeaders = 0;           // serial blocks still to send with a bad header
    int badTerminators = 0;       // serial blocks still to send with a bad terminator
};

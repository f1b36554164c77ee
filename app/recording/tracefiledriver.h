#pragma once

#include <hdf5.h>

class TraceFileState;

// The HDF5 virtual file driver of trace files: POSIX reads and writes through a
// TraceFileState, which holds metadata back until a commit and commits in an order that
// leaves a readable file after a kill or power loss at any moment. The files it writes
// are plain HDF5 files (no driver information is stored), read by the default driver,
// h5py and h5dump. It takes no file lock, so readers may open a trace while it is
// being recorded.
class TraceFileDriver
{
public:
    // Registers the driver once per library session; negative on failure.
    static hid_t id();
    // A new file access property list selecting the driver; the caller closes it.
    static hid_t createAccessList();
    // The driver's state of an open file, or null when it uses another driver.
    static TraceFileState *state(hid_t file);
    // errno of the last failed open on this thread (HDF5 keeps no reason of its own).
    static int lastOpenError();
};

#pragma once

#include "metadataoverlay.h"

#include <QString>

#include <hdf5.h>

#include <sys/types.h>

#include <functional>
#include <map>
#include <memory>

// One trace file as the crash-safe file driver sees it: the descriptor, the pending
// metadata and the commit that makes a new state durable without ever tearing the
// last one.
//
// Raw data (chunks) goes straight to the file: it lands in fresh space, or rewrites an
// unfiltered tail chunk at its old place without changing the rows already committed.
// Metadata waits in a MetadataOverlay until the writer commits: after H5Fflush has
// handed every dirty object to the driver, and outside the library, so that HDF5's
// global lock is free while the commit waits for the disk. Closing commits what is
// still pending. After the first failed write or sync the state freezes: later writes
// are kept in memory only, so HDF5 can still close its handles, and the file stays as
// the last good commit left it.
class TraceFileState
{
public:
    // Hooks for tests, taken over by every file opened after they are set.
    struct TestHooks
    {
        // Called after every physical write and resize (synced false) and after every sync
        // that ends a group of a commit (synced true), with the file's path.
        std::function<void(const QString &path, bool synced)> afterWrite;
        qint64 sizeLimit = -1;   // writes reaching beyond this size fail as on a full disk
        bool audit = false;      // count overwrites of committed space that change its extent
    };
    static void setTestHooks(const TestHooks &hooks);

    // Opens with HDF5's access flags; null with errno in *error on failure.
    static std::unique_ptr<TraceFileState> open(const char *name, unsigned flags, int *error);
    ~TraceFileState();
    TraceFileState(const TraceFileState &) = delete;
    TraceFileState &operator=(const TraceFileState &) = delete;

    // The driver's callbacks.
    bool read(H5FD_mem_t type, haddr_t address, size_t size, void *buffer);
    bool write(H5FD_mem_t type, haddr_t address, size_t size, const void *data);
    bool close();   // a last commit of what is still pending, unless frozen
    // Space at the end of the file. A metadata object small enough for one page of the
    // page cache does not cross a page boundary, so that rewriting it in place is one
    // page write, which the disk does whole even when the power fails.
    haddr_t allocate(H5FD_mem_t type, hsize_t size);
    haddr_t eoa() const { return m_eoa; }
    void setEoa(haddr_t address) { m_eoa = address; }
    haddr_t eof() const { return m_eof; }
    bool sameFile(const TraceFileState &other) const;

    // The writer's side. Makes everything written so far durable, in the safe order;
    // false once frozen.
    bool commit();
    // Freezes the file at its last commit, e.g. after HDF5 itself reported an error.
    void abandon(int error);
    int error() const { return m_error; }   // errno of the first failure; 0 while sound
    bool isFrozen() const { return m_error != 0; }
    haddr_t committedEnd() const { return m_committedEnd; }
    quint64 commitCount() const { return m_commits; }
    quint64 auditViolations() const { return m_violations; }
    const QString &path() const { return m_path; }
    // The file was given another name (it stays the same open file).
    void setPath(const QString &path) { m_path = path; }

private:
    TraceFileState(int fd, const QString &path, bool writable);
    bool writeGroup(const std::vector<const MetadataOverlay::Extent *> &group);
    bool physicalWrite(haddr_t address, const void *data, size_t size);
    bool extendTo(haddr_t size);
    bool barrier();
    void written(bool synced);
    void fail(int error);
    void audit(haddr_t address, size_t size, bool raw);

    int m_fd = -1;
    QString m_path;
    bool m_writable = false;
    haddr_t m_eoa = 0;
    haddr_t m_eof = 0;            // logical end: the file or what is pending, whichever is longer
    haddr_t m_physicalSize = 0;
    haddr_t m_committedEnd = 0;   // end of allocation recorded by the last commit
    dev_t m_device = 0;
    ino_t m_inode = 0;
    MetadataOverlay m_overlay;
    int m_error = 0;
    quint64 m_commits = 0;
    unsigned m_commitDelayUs = 0;  // sleeps between the writes of a commit (kill tests)
    TestHooks m_hooks;
    std::map<haddr_t, std::pair<haddr_t, bool>> m_written;   // audit: address -> (size, raw)
    quint64 m_violations = 0;
};

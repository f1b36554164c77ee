#include "tracefilestate.h"

#include <QMutex>
#include <QMutexLocker>
#include <QtGlobal>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QMutex hooksMutex;
TraceFileState::TestHooks &sharedHooks()
{
    static TraceFileState::TestHooks hooks;
    return hooks;
}

int openFlags(unsigned hdfFlags)
{
    int flags = (hdfFlags & H5F_ACC_RDWR) ? O_RDWR : O_RDONLY;
    if (hdfFlags & H5F_ACC_TRUNC)
        flags |= O_TRUNC;
    if (hdfFlags & H5F_ACC_CREAT)
        flags |= O_CREAT;
    if (hdfFlags & H5F_ACC_EXCL)
        flags |= O_EXCL;
    return flags | O_CLOEXEC;
}

} // namespace

void TraceFileState::setTestHooks(const TestHooks &hooks)
{
    QMutexLocker lock(&hooksMutex);
    sharedHooks() = hooks;
}

std::unique_ptr<TraceFileState> TraceFileState::open(const char *name, unsigned flags, int *error)
{
    const int fd = ::open(name, openFlags(flags), 0666);
    struct stat info;
    if (fd < 0 || ::fstat(fd, &info) != 0) {
        *error = errno;
        if (fd >= 0)
            ::close(fd);
        return nullptr;
    }
    std::unique_ptr<TraceFileState> state(
        new TraceFileState(fd, QString::fromLocal8Bit(name), (flags & H5F_ACC_RDWR) != 0));
    state->m_physicalSize = haddr_t(info.st_size);
    state->m_eof = state->m_physicalSize;
    state->m_committedEnd = state->m_physicalSize;   // what is there counts as committed
    state->m_device = info.st_dev;
    state->m_inode = info.st_ino;
    return state;
}

TraceFileState::TraceFileState(int fd, const QString &path, bool writable)
    : m_fd(fd), m_path(path), m_writable(writable)
{
    m_commitDelayUs = unsigned(qMax(0, qEnvironmentVariableIntValue("KESTROVA_COMMIT_DELAY_US")));
    QMutexLocker lock(&hooksMutex);
    m_hooks = sharedHooks();
}

TraceFileState::~TraceFileState()
{
    if (m_fd >= 0)
        ::close(m_fd);
}

haddr_t TraceFileState::allocate(H5FD_mem_t type, hsize_t size)
{
    const haddr_t page = 4096;
    haddr_t address = m_eoa;
    if (type != H5FD_MEM_DRAW && size <= page && address % page + size > page)
        address += page - address % page;
    m_eoa = address + size;
    return address;
}

bool TraceFileState::sameFile(const TraceFileState &other) const
{
    return m_device == other.m_device && m_inode == other.m_inode;
}

bool TraceFileState::read(H5FD_mem_t, haddr_t address, size_t size, void *buffer)
{
    if (address + size > m_eoa)
        return false;
    char *out = static_cast<char *>(buffer);
    size_t done = 0;
    while (done < size && address + done < m_physicalSize) {
        const ssize_t n = ::pread(m_fd, out + done, size - done, off_t(address + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += size_t(n);
    }
    // Past the end of the file HDF5 expects zeros, as with any other driver.
    std::memset(out + done, 0, size - done);
    m_overlay.patch(address, buffer, size);
    return true;
}

bool TraceFileState::write(H5FD_mem_t type, haddr_t address, size_t size, const void *data)
{
    if (!m_writable || address + size > m_eoa)
        return false;
    m_eof = std::max(m_eof, address + size);
    if (isFrozen() || type != H5FD_MEM_DRAW) {
        m_overlay.write(address, type, data, size);
        return true;
    }
    // Raw data: fresh space, or a tail chunk whose committed rows stay as they are.
    m_overlay.erase(address, size);
    if (m_hooks.audit)
        audit(address, size, true);
    if (!physicalWrite(address, data, size)) {
        m_overlay.write(address, type, data, size);   // reads stay consistent
        return false;
    }
    return true;
}

bool TraceFileState::close()
{
    bool ok = true;
    if (m_writable && !isFrozen() && (!m_overlay.isEmpty() || m_eoa > m_committedEnd))
        ok = commit();
    if (m_fd >= 0 && ::close(m_fd) != 0) {
        fail(errno);
        ok = false;
    }
    m_fd = -1;
    return ok;
}

void TraceFileState::abandon(int error)
{
    fail(error);
}

bool TraceFileState::commit()
{
    if (isFrozen())
        return false;
    const MetadataOverlay::CommitPlan plan = m_overlay.commitPlan(m_committedEnd);
    if (m_hooks.audit) {
        for (const auto &group : plan.inPlace)
            for (const MetadataOverlay::Extent *e : group)
                audit(e->address, size_t(e->bytes.size()), false);
        for (const MetadataOverlay::Extent *e : plan.fresh)
            audit(e->address, size_t(e->bytes.size()), false);
    }

    // HDF5 refuses a file shorter than the allocation its superblock records.
    if (!writeGroup(plan.fresh) || (m_physicalSize < m_eoa && !extendTo(m_eoa)) || !barrier())
        return false;
    for (const auto &group : plan.inPlace)
        if (!writeGroup(group) || !barrier())
            return false;

    m_committedEnd = std::max(m_committedEnd, m_eoa);
    m_overlay.clear();
    ++m_commits;
    return true;
}

bool TraceFileState::writeGroup(const std::vector<const MetadataOverlay::Extent *> &group)
{
    for (const MetadataOverlay::Extent *e : group) {
        if (m_commitDelayUs)
            ::usleep(m_commitDelayUs);
        if (!physicalWrite(e->address, e->bytes.constData(), size_t(e->bytes.size())))
            return false;
    }
    return true;
}

bool TraceFileState::physicalWrite(haddr_t address, const void *data, size_t size)
{
    if (m_hooks.sizeLimit >= 0 && address + size > haddr_t(m_hooks.sizeLimit)) {
        fail(ENOSPC);
        return false;
    }
    const char *in = static_cast<const char *>(data);
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::pwrite(m_fd, in + done, size - done, off_t(address + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            fail(n < 0 ? errno : ENOSPC);
            return false;
        }
        done += size_t(n);
    }
    m_physicalSize = std::max(m_physicalSize, address + size);
    written(false);
    return true;
}

bool TraceFileState::extendTo(haddr_t size)
{
    if (::ftruncate(m_fd, off_t(size)) != 0) {
        fail(errno);
        return false;
    }
    m_physicalSize = size;
    written(false);
    return true;
}

bool TraceFileState::barrier()
{
    if (m_commitDelayUs)
        ::usleep(m_commitDelayUs);
    if (::fdatasync(m_fd) != 0) {
        fail(errno);
        return false;
    }
    written(true);
    return true;
}

void TraceFileState::written(bool synced)
{
    if (m_hooks.afterWrite)
        m_hooks.afterWrite(m_path, synced);
}

void TraceFileState::fail(int error)
{
    if (m_error == 0)
        m_error = error != 0 ? error : EIO;
}

void TraceFileState::audit(haddr_t address, size_t size, bool raw)
{
    if (address >= m_committedEnd) {
        m_written[address] = {haddr_t(size), raw};
        return;
    }
    // Committed space may only be rewritten as the same object it already holds.
    const auto it = m_written.find(address);
    if (it == m_written.end() || it->second.first != size || it->second.second != raw)
        ++m_violations;
}

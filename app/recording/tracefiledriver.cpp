#include "tracefiledriver.h"

#include "tracefilestate.h"

#include <QMutex>
#include <QMutexLocker>

#include <cerrno>
#include <sys/types.h>

namespace {

// HDF5 owns this record between open and close; its public part must come first.
struct DriverFile
{
    H5FD_t pub;
    TraceFileState *state;
};

thread_local int openError = 0;

TraceFileState *stateOf(const H5FD_t *file)
{
    return reinterpret_cast<const DriverFile *>(file)->state;
}

void pushError(H5E_minor_t minor, const char *message)
{
    H5Epush2(H5E_DEFAULT, __FILE__, "TraceFileDriver", __LINE__, H5E_ERR_CLS, H5E_VFL, minor, "%s",
             message);
}

H5FD_t *openFile(const char *name, unsigned flags, hid_t, haddr_t maxaddr)
{
    if (!name || !*name || maxaddr == 0 || maxaddr == HADDR_UNDEF) {
        pushError(H5E_BADVALUE, "invalid file name or address space");
        return nullptr;
    }
    int error = 0;
    std::unique_ptr<TraceFileState> state = TraceFileState::open(name, flags, &error);
    if (!state) {
        openError = error;
        pushError(H5E_CANTOPENFILE, "cannot open the file");
        return nullptr;
    }
    openError = 0;
    auto *file = new DriverFile{};   // released by closeFile
    file->state = state.release();
    return &file->pub;
}

herr_t closeFile(H5FD_t *handle)
{
    auto *file = reinterpret_cast<DriverFile *>(handle);
    const bool ok = file->state->close();
    delete file->state;
    delete file;
    if (!ok)
        pushError(H5E_CANTCLOSEFILE, "the last commit or the close failed");
    return ok ? 0 : -1;
}

int compareFiles(const H5FD_t *a, const H5FD_t *b)
{
    if (stateOf(a)->sameFile(*stateOf(b)))
        return 0;
    return a < b ? -1 : 1;
}

herr_t queryFeatures(const H5FD_t *, unsigned long *flags)
{
    // No metadata accumulation or aggregation: every metadata object reaches the driver
    // as its own write at its own address, which the commit order relies on.
    *flags = 0;
    return 0;
}

haddr_t allocate(H5FD_t *file, H5FD_mem_t type, hid_t, hsize_t size)
{
    const haddr_t address = stateOf(file)->allocate(type, size);
    if (address + size > file->cls->maxaddr) {
        pushError(H5E_NOSPACE, "address space exhausted");
        return HADDR_UNDEF;
    }
    return address;
}

herr_t release(H5FD_t *, H5FD_mem_t, hid_t, haddr_t, hsize_t)
{
    // Freed space at the end is kept: the committed state may still point into it.
    return 0;
}

haddr_t getEoa(const H5FD_t *file, H5FD_mem_t)
{
    return stateOf(file)->eoa();
}

herr_t setEoa(H5FD_t *file, H5FD_mem_t, haddr_t address)
{
    stateOf(file)->setEoa(address);
    return 0;
}

haddr_t getEof(const H5FD_t *file, H5FD_mem_t)
{
    return stateOf(file)->eof();
}

herr_t getHandle(H5FD_t *file, hid_t, void **handle)
{
    *handle = stateOf(file);
    return 0;
}

herr_t readFile(H5FD_t *file, H5FD_mem_t type, hid_t, haddr_t address, size_t size, void *buffer)
{
    if (stateOf(file)->read(type, address, size, buffer))
        return 0;
    pushError(H5E_READERROR, "read outside the allocated space");
    return -1;
}

herr_t writeFile(H5FD_t *file, H5FD_mem_t type, hid_t, haddr_t address, size_t size, const void *buffer)
{
    if (stateOf(file)->write(type, address, size, buffer))
        return 0;
    pushError(H5E_WRITEERROR, "write failed");
    return -1;
}

herr_t flushFile(H5FD_t *, hid_t, hbool_t)
{
    // Commits are the writer's, made right after H5Fflush and outside the library.
    return 0;
}

herr_t truncateFile(H5FD_t *, hid_t, hbool_t)
{
    // The commit extends the file to the allocated size; it never shrinks it.
    return 0;
}

H5FD_class_t makeClass()
{
    H5FD_class_t c{};
    c.name = "kestrova_trace";
    c.maxaddr = (haddr_t(1) << (8 * sizeof(off_t) - 1)) - 1;
    c.fc_degree = H5F_CLOSE_WEAK;
    c.open = openFile;
    c.close = closeFile;
    c.cmp = compareFiles;
    c.query = queryFeatures;
    c.alloc = allocate;
    c.free = release;
    c.get_eoa = getEoa;
    c.set_eoa = setEoa;
    c.get_eof = getEof;
    c.get_handle = getHandle;
    c.read = readFile;
    c.write = writeFile;
    c.flush = flushFile;
    c.truncate = truncateFile;
    const H5FD_mem_t map[H5FD_MEM_NTYPES] = H5FD_FLMAP_DICHOTOMY;
    for (int i = 0; i < H5FD_MEM_NTYPES; ++i)
        c.fl_map[i] = map[i];
    return c;
}

QMutex registration;
hid_t registeredId = H5I_INVALID_HID;

} // namespace

hid_t TraceFileDriver::id()
{
    QMutexLocker lock(&registration);
    // The id lapses when the library is closed and opened again.
    if (registeredId >= 0 && H5Iis_valid(registeredId) > 0)
        return registeredId;
    static const H5FD_class_t driverClass = makeClass();
    registeredId = H5FDregister(&driverClass);
    return registeredId;
}

hid_t TraceFileDriver::createAccessList()
{
    const hid_t driver = id();
    if (driver < 0)
        return H5I_INVALID_HID;
    const hid_t fapl = H5Pcreate(H5P_FILE_ACCESS);
    if (fapl < 0 || H5Pset_driver(fapl, driver, nullptr) < 0) {
        if (fapl >= 0)
            H5Pclose(fapl);
        return H5I_INVALID_HID;
    }
    return fapl;
}

TraceFileState *TraceFileDriver::state(hid_t file)
{
    const hid_t fapl = H5Fget_access_plist(file);
    if (fapl < 0)
        return nullptr;
    const bool ours = H5Pget_driver(fapl) == id();
    void *handle = nullptr;
    const bool found = ours && H5Fget_vfd_handle(file, fapl, &handle) >= 0;
    H5Pclose(fapl);
    return found ? static_cast<TraceFileState *>(handle) : nullptr;
}

int TraceFileDriver::lastOpenError()
{
    return openError;
}

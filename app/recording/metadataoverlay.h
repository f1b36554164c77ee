#pragma once

#include <QByteArray>

#include <hdf5.h>

#include <map>
#include <vector>

// HDF5 metadata writes held in memory until the next commit, and the order in which
// a commit puts them on disk.
//
// HDF5 changes its metadata in place (superblock, v1 B-tree nodes, object headers), so
// writing it as the library produces it lets a crash tear the file. The overlay keeps
// every pending write instead; reads see it on top of the file. At a commit the writes
// go out in groups, each group durable before the next one starts:
//   1. everything at or beyond the end of the committed file (fresh space nobody
//      references yet), together with the raw data written since the last commit;
//   2. the superblock (its end-of-allocation address now covers the fresh space);
//   3. B-tree nodes written in place, one group per level from the root down, so that a
//      parent never points at a node that is not on disk and a half-split child still
//      holds all its old entries; the leaves go with the other metadata written in place;
//   4. object headers, whose dataspace makes new rows visible only once their chunks
//      are indexed.
// When no metadata went to fresh space (no node split, nothing moved), the in-place
// nodes only gained entries for chunks that no dataspace shows yet: then the superblock
// and all of them form one group, and only the object headers wait for it.
// Overlapping writes leave exactly what writing them one after the other would leave.
class MetadataOverlay
{
public:
    struct Extent
    {
        haddr_t address = 0;
        H5FD_mem_t type = H5FD_MEM_DEFAULT;
        QByteArray bytes;

        haddr_t end() const { return address + haddr_t(bytes.size()); }
    };

    struct CommitPlan
    {
        std::vector<const Extent *> fresh;                  // group 1
        std::vector<std::vector<const Extent *>> inPlace;   // the later groups, empty ones left out
    };

    void write(haddr_t address, H5FD_mem_t type, const void *data, size_t size);
    // Forgets what is pending in the range; a newer write went straight to the file.
    void erase(haddr_t address, size_t size);
    // Copies the pending bytes that fall into [address, address + size) over `buffer`.
    void patch(haddr_t address, void *buffer, size_t size) const;

    CommitPlan commitPlan(haddr_t committedEnd) const;
    void clear() { extents.clear(); }

    bool isEmpty() const { return extents.empty(); }
    size_t extentCount() const { return extents.size(); }
    haddr_t end() const;   // 0 when empty

    // The level of a v1 B-tree node image, or -1 when the bytes are not one.
    static int btreeLevel(const QByteArray &bytes);

private:
    std::map<haddr_t, Extent> extents;   // by address, never overlapping
};

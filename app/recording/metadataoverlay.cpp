#include "metadataoverlay.h"

#include <algorithm>
#include <cstring>

void MetadataOverlay::write(haddr_t address, H5FD_mem_t type, const void *data, size_t size)
{
    if (size == 0)
        return;
    erase(address, size);
    Extent extent;
    extent.address = address;
    extent.type = type;
    extent.bytes = QByteArray(static_cast<const char *>(data), int(size));
    extents.emplace(address, std::move(extent));
}

void MetadataOverlay::erase(haddr_t address, size_t size)
{
    const haddr_t end = address + size;
    auto it = extents.lower_bound(address);
    if (it != extents.begin() && std::prev(it)->second.end() > address)
        --it;

    std::vector<Extent> kept;   // the parts of cut extents outside the range
    while (it != extents.end() && it->first < end) {
        Extent old = std::move(it->second);
        it = extents.erase(it);
        if (old.address < address) {
            Extent left = old;
            left.bytes.truncate(int(address - old.address));
            kept.push_back(std::move(left));
        }
        if (old.end() > end) {
            Extent right;
            right.address = end;
            right.type = old.type;
            right.bytes = old.bytes.mid(int(end - old.address));
            kept.push_back(std::move(right));
        }
    }
    for (Extent &piece : kept) {
        const haddr_t at = piece.address;
        extents.emplace(at, std::move(piece));
    }
}

void MetadataOverlay::patch(haddr_t address, void *buffer, size_t size) const
{
    const haddr_t end = address + size;
    auto it = extents.lower_bound(address);
    if (it != extents.begin() && std::prev(it)->second.end() > address)
        --it;
    for (; it != extents.end() && it->first < end; ++it) {
        const Extent &e = it->second;
        const haddr_t from = std::max(address, e.address);
        const haddr_t to = std::min(end, e.end());
        if (from < to)
            std::memcpy(static_cast<char *>(buffer) + (from - address),
                        e.bytes.constData() + (from - e.address), size_t(to - from));
    }
}

haddr_t MetadataOverlay::end() const
{
    haddr_t result = 0;
    for (const auto &entry : extents)
        result = std::max(result, entry.second.end());
    return result;
}

int MetadataOverlay::btreeLevel(const QByteArray &bytes)
{
    // "TREE", node type, node level, entries used, ...
    if (bytes.size() < 8 || !bytes.startsWith("TREE"))
        return -1;
    return static_cast<unsigned char>(bytes.at(5));
}

MetadataOverlay::CommitPlan MetadataOverlay::commitPlan(haddr_t committedEnd) const
{
    CommitPlan plan;
    std::vector<const Extent *> superblock, leavesAndOthers, headers;
    std::vector<std::pair<int, const Extent *>> nodes;   // (level, node) above the leaves

    for (const auto &entry : extents) {
        const Extent &e = entry.second;
        const int level = btreeLevel(e.bytes);
        if (e.address >= committedEnd)
            plan.fresh.push_back(&e);
        else if (e.type == H5FD_MEM_SUPER)
            superblock.push_back(&e);
        else if (level > 0)
            nodes.emplace_back(level, &e);
        else if (e.type == H5FD_MEM_OHDR && level < 0)
            headers.push_back(&e);
        else
            leavesAndOthers.push_back(&e);
    }

    auto addGroup = [&plan](std::vector<const Extent *> group) {
        if (!group.empty())
            plan.inPlace.push_back(std::move(group));
    };
    // Highest level first; the sort is stable, so a level keeps address order.
    std::stable_sort(nodes.begin(), nodes.end(),
                     [](const auto &a, const auto &b) { return a.first > b.first; });
    if (plan.fresh.empty()) {
        for (const auto &node : nodes)
            superblock.push_back(node.second);
        superblock.insert(superblock.end(), leavesAndOthers.begin(), leavesAndOthers.end());
        addGroup(std::move(superblock));
        addGroup(std::move(headers));
        return plan;
    }
    addGroup(std::move(superblock));
    for (size_t i = 0; i < nodes.size();) {
        std::vector<const Extent *> level;
        const int current = nodes[i].first;
        for (; i < nodes.size() && nodes[i].first == current; ++i)
            level.push_back(nodes[i].second);
        addGroup(std::move(level));
    }
    addGroup(std::move(leavesAndOthers));
    addGroup(std::move(headers));
    return plan;
}

#pragma once

#include <QtGlobal>

#include <cstddef>
#include <memory>
#include <vector>

// Minimum and maximum of every channel over a stream of rows, kept at several
// resolutions. Level 0 holds one block per baseBlock() rows; every further level
// halves the previous one's resolution. Each level is a ring that holds the retained
// rows, so the memory depends on the number of blocks, not on the number of rows.
//
// A range of rows is answered from the fewest aligned blocks that cover it exactly;
// only its two ends are rounded out to whole level-0 blocks. So the answer holds at
// least the extremes of the rows asked for, and at most those of the blocks they touch.
class MinMaxEnvelope
{
public:
    // Retains at least `retainedRows` rows of `channels` values. The base block is the
    // smallest power of two that keeps level 0 within `levelZeroBudget` bytes.
    void configure(unsigned channels, quint64 retainedRows, std::size_t levelZeroBudget);
    void clear();
    void append(const float *row);

    unsigned channels() const { return m_channels; }
    quint64 rowCount() const { return m_rows; }
    // First row whose blocks are still held.
    quint64 oldestRow() const;
    unsigned baseBlock() const { return 1u << m_baseShift; }
    int levelCount() const { return int(m_levels.size()); }
    std::size_t memoryBytes() const;

    // Extremes of rows [first, last) per channel, written to lo and hi (channels()
    // values each). The range must lie inside [oldestRow(), rowCount()); false when empty.
    bool extremes(quint64 first, quint64 last, float *lo, float *hi) const;

private:
    struct Level
    {
        unsigned shift = 0;     // log2 of the rows per block
        quint64 capacity = 0;   // blocks in the ring
        std::unique_ptr<float[]> blocks;  // per block: minima of all channels, then maxima

        float *block(quint64 index) const { return blocks.get() + (index % capacity) * stride; }
        std::size_t stride = 0;
    };

    void completeBlock(int level, quint64 index);

    unsigned m_channels = 0;
    unsigned m_baseShift = 0;
    quint64 m_retained = 0;
    quint64 m_rows = 0;
    std::vector<Level> m_levels;
};

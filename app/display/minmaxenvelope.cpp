#include "minmaxenvelope.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace {
// Four floats at a time with the compiler's generic vectors (packed min/max on any
// target); the remainder one by one.
typedef float Pack __attribute__((vector_size(16)));
constexpr unsigned PackSize = 4;

inline Pack load(const float *p)
{
    Pack v;
    std::memcpy(&v, p, sizeof v);
    return v;
}

inline void store(float *p, Pack v)
{
    std::memcpy(p, &v, sizeof v);
}

void mergeMin(float *dst, const float *a, const float *b, unsigned n)
{
    unsigned i = 0;
    for (; i + PackSize <= n; i += PackSize) {
        const Pack x = load(a + i), y = load(b + i);
        store(dst + i, y < x ? y : x);
    }
    for (; i < n; ++i)
        dst[i] = b[i] < a[i] ? b[i] : a[i];
}

void mergeMax(float *dst, const float *a, const float *b, unsigned n)
{
    unsigned i = 0;
    for (; i + PackSize <= n; i += PackSize) {
        const Pack x = load(a + i), y = load(b + i);
        store(dst + i, y > x ? y : x);
    }
    for (; i < n; ++i)
        dst[i] = b[i] > a[i] ? b[i] : a[i];
}

void lowerInto(float *dst, const float *src, unsigned n)
{
    mergeMin(dst, dst, src, n);
}

void raiseInto(float *dst, const float *src, unsigned n)
{
    mergeMax(dst, dst, src, n);
}

quint64 blocksFor(quint64 rows, unsigned shift)
{
    return ((rows + (quint64(1) << shift) - 1) >> shift) + 2;
}
}

void MinMaxEnvelope::configure(unsigned channels, quint64 retainedRows, std::size_t levelZeroBudget)
{
    m_channels = channels;
    m_retained = std::max<quint64>(retainedRows, 1);
    m_rows = 0;
    const std::size_t blockBytes = std::size_t(2) * std::max(channels, 1u) * sizeof(float);
    m_baseShift = 0;
    while (blocksFor(m_retained, m_baseShift) * blockBytes > levelZeroBudget && m_baseShift < 40)
        ++m_baseShift;
    std::vector<Level> levels;
    for (unsigned shift = m_baseShift; levels.empty() || (quint64(1) << shift) <= m_retained; ++shift) {
        Level level;
        level.shift = shift;
        level.capacity = blocksFor(m_retained, shift);
        level.stride = std::size_t(2) * channels;
        // Left uninitialised: a block is always written before any query can reach it.
        level.blocks.reset(new float[std::max<std::size_t>(level.capacity * level.stride, 1)]);
        levels.push_back(std::move(level));
    }
    m_levels = std::move(levels);
}

void MinMaxEnvelope::clear()
{
    m_rows = 0;
}

quint64 MinMaxEnvelope::oldestRow() const
{
    return m_rows > m_retained ? m_rows - m_retained : 0;
}

std::size_t MinMaxEnvelope::memoryBytes() const
{
    std::size_t bytes = 0;
    for (const Level &level : m_levels)
        bytes += level.capacity * level.stride * sizeof(float);
    return bytes;
}

void MinMaxEnvelope::append(const float *row)
{
    if (m_levels.empty() || m_channels == 0)
        return;
    const unsigned n = m_channels;
    const quint64 mask = (quint64(1) << m_baseShift) - 1;
    const quint64 index = m_rows >> m_baseShift;
    float *block = m_levels[0].block(index);
    if ((m_rows & mask) == 0) {
        std::memcpy(block, row, n * sizeof(float));
        std::memcpy(block + n, row, n * sizeof(float));
    } else {
        lowerInto(block, row, n);
        raiseInto(block + n, row, n);
    }
    ++m_rows;
    if ((m_rows & mask) == 0)
        completeBlock(0, index);
}

// A finished odd block finishes its parent, which is the union of it and its sibling.
void MinMaxEnvelope::completeBlock(int level, quint64 index)
{
    while ((index & 1) && level + 1 < int(m_levels.size())) {
        const Level &child = m_levels[std::size_t(level)];
        const float *a = child.block(index - 1);
        const float *b = child.block(index);
        index >>= 1;
        ++level;
        float *parent = m_levels[std::size_t(level)].block(index);
        mergeMin(parent, a, b, m_channels);
        mergeMax(parent + m_channels, a + m_channels, b + m_channels, m_channels);
    }
}

bool MinMaxEnvelope::extremes(quint64 first, quint64 last, float *lo, float *hi) const
{
    first = std::max(first, oldestRow());
    last = std::min(last, m_rows);
    if (first >= last || m_levels.empty())
        return false;
    const unsigned n = m_channels;
    std::fill(lo, lo + n, std::numeric_limits<float>::infinity());
    std::fill(hi, hi + n, -std::numeric_limits<float>::infinity());
    // Level-0 block indices; only finished blocks have parents.
    quint64 k = first >> m_baseShift;
    const quint64 end = ((last - 1) >> m_baseShift) + 1;
    const quint64 finished = m_rows >> m_baseShift;
    const int top = int(m_levels.size()) - 1;
    while (k < end) {
        int level = 0;
        while (level < top) {
            const quint64 span = quint64(2) << level;
            if ((k & (span - 1)) != 0 || k + span > end || k + span > finished)
                break;
            ++level;
        }
        const float *block = m_levels[std::size_t(level)].block(k >> level);
        lowerInto(lo, block, n);
        raiseInto(hi, block + n, n);
        k += quint64(1) << level;
    }
    return true;
}

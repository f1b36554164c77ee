#include "chunkseries.h"

#include <algorithm>
#include <cstring>

ChunkSeries::ChunkSeries(quint64 chunkRows, int rowBytes)
    : m_chunkRows(chunkRows), m_rowBytes(rowBytes), m_tail(chunkBytes(), '\0')
{
}

void ChunkSeries::append(const void *rows, quint64 count, std::vector<Chunk> &complete)
{
    const char *in = static_cast<const char *>(rows);
    while (count > 0) {
        const quint64 take = std::min(count, m_chunkRows - m_tailRows);
        const size_t bytes = size_t(take) * size_t(m_rowBytes);
        std::memcpy(m_tail.data() + m_tailRows * quint64(m_rowBytes), in, bytes);
        in += bytes;
        count -= take;
        m_tailRows += take;
        m_rows += take;
        if (m_tailRows < m_chunkRows)
            break;
        Chunk chunk;
        chunk.index = m_rows / m_chunkRows - 1;
        chunk.bytes = std::move(m_tail);
        chunk.keepUnfiltered = m_tailUnfiltered;
        complete.push_back(std::move(chunk));
        m_tail = QByteArray(chunkBytes(), '\0');
        m_tailRows = 0;
        m_tailUnfiltered = false;
    }
}

bool ChunkSeries::takeTail(Chunk &tail)
{
    if (m_tailRows == 0)
        return false;
    tail.index = m_rows / m_chunkRows;
    tail.bytes = m_tail;   // shared until the next append changes the tail
    m_tailUnfiltered = true;
    return true;
}

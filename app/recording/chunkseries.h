#pragma once

#include <QByteArray>
#include <QtGlobal>

#include <vector>

// The rows of one chunked dataset, cut into whole chunks as they arrive.
//
// A chunk is written compressed once, when it is full. A commit that must make the
// partial last chunk durable takes it padded with zeros to full size, to be written
// unfiltered; from then on that chunk stays unfiltered and full size in every later
// write, so HDF5 keeps it at its place and the rows already committed never change.
class ChunkSeries
{
public:
    struct Chunk
    {
        quint64 index = 0;          // chunk number along the rows
        QByteArray bytes;           // full chunk size; rows beyond the data are zeros
        bool keepUnfiltered = false; // a committed tail: written raw, so it keeps its place
    };

    ChunkSeries(quint64 chunkRows, int rowBytes);

    // Appends `count` rows; every chunk they complete is appended to `complete`.
    void append(const void *rows, quint64 count, std::vector<Chunk> &complete);
    // The partial last chunk, when it holds rows, to be written unfiltered; the chunk
    // stays unfiltered from now on.
    bool takeTail(Chunk &tail);

    quint64 rows() const { return m_rows; }
    quint64 chunkRows() const { return m_chunkRows; }
    int rowBytes() const { return m_rowBytes; }

private:
    int chunkBytes() const { return int(m_chunkRows) * m_rowBytes; }

    quint64 m_chunkRows;
    int m_rowBytes;
    quint64 m_rows = 0;
    quint64 m_tailRows = 0;        // rows in the chunk being filled
    QByteArray m_tail;             // that chunk, full size, zero beyond its rows
    bool m_tailUnfiltered = false;
};

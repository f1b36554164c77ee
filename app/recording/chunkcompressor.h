#pragma once

#include <QByteArray>

struct libdeflate_compressor;

// Deflate level 6 in the zlib format, which HDF5's deflate filter reads. One compressor
// serves one thread at a time.
class ChunkCompressor
{
public:
    ChunkCompressor();
    ~ChunkCompressor();
    ChunkCompressor(const ChunkCompressor &) = delete;
    ChunkCompressor &operator=(const ChunkCompressor &) = delete;

    // Compresses `raw` into `out`. False when the result would not be smaller than the
    // input (noise-like data); the chunk is then better stored unfiltered.
    bool compress(const QByteArray &raw, QByteArray &out);

private:
    libdeflate_compressor *m_compressor;
};

#include "chunkcompressor.h"

#include <libdeflate.h>

ChunkCompressor::ChunkCompressor()
    : m_compressor(libdeflate_alloc_compressor(6))
{
}

ChunkCompressor::~ChunkCompressor()
{
    libdeflate_free_compressor(m_compressor);
}

bool ChunkCompressor::compress(const QByteArray &raw, QByteArray &out)
{
    if (!m_compressor || raw.isEmpty())
        return false;
    // An output buffer one byte short of the input: whatever does not fit is no gain.
    out.resize(raw.size() - 1);
    const size_t n = libdeflate_zlib_compress(m_compressor, raw.constData(), size_t(raw.size()),
                                              out.data(), size_t(out.size()));
    out.resize(int(n));
    return n > 0;
}

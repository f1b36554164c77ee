#pragma once

#include "chunkcompressor.h"

#include <QByteArray>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

// Compresses a batch of whole chunks: on the calling thread alone, or, when a backlog
// asks for it, shared with one helper thread so that both cores work on it. Every chunk
// is compressed independently; the results come back in the batch's order.
class ChunkCompressionPool
{
public:
    struct Job
    {
        const QByteArray *raw = nullptr;
        QByteArray compressed;
        bool filtered = false;   // false: store raw, compression would not gain
    };

    ChunkCompressionPool() = default;
    ~ChunkCompressionPool();
    ChunkCompressionPool(const ChunkCompressionPool &) = delete;
    ChunkCompressionPool &operator=(const ChunkCompressionPool &) = delete;

    void compress(std::vector<Job> &jobs, bool parallel);

private:
    void drain(ChunkCompressor &compressor);
    void helperLoop();

    ChunkCompressor m_own;
    ChunkCompressor m_helperCompressor;
    std::thread m_helper;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_done;
    std::vector<Job> *m_jobs = nullptr;
    std::atomic<size_t> m_next{0};
    unsigned m_generation = 0;
    bool m_helperBusy = false;
    bool m_stop = false;
};

#include "chunkcompressionpool.h"

ChunkCompressionPool::~ChunkCompressionPool()
{
    if (!m_helper.joinable())
        return;
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stop = true;
    }
    m_wake.notify_all();
    m_helper.join();
}

void ChunkCompressionPool::compress(std::vector<Job> &jobs, bool parallel)
{
    if (!parallel || jobs.size() < 2) {
        for (Job &job : jobs)
            job.filtered = m_own.compress(*job.raw, job.compressed);
        return;
    }
    if (!m_helper.joinable())
        m_helper = std::thread(&ChunkCompressionPool::helperLoop, this);
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_jobs = &jobs;
        m_next = 0;
        m_helperBusy = true;
        ++m_generation;
    }
    m_wake.notify_all();
    drain(m_own);
    std::unique_lock<std::mutex> lock(m_mutex);
    m_done.wait(lock, [this] { return !m_helperBusy; });
    m_jobs = nullptr;
}

// Both threads take the next chunk not yet taken, so neither waits on a slow share.
void ChunkCompressionPool::drain(ChunkCompressor &compressor)
{
    for (size_t i = m_next++; i < m_jobs->size(); i = m_next++) {
        Job &job = (*m_jobs)[i];
        job.filtered = compressor.compress(*job.raw, job.compressed);
    }
}

void ChunkCompressionPool::helperLoop()
{
    unsigned seen = 0;
    std::unique_lock<std::mutex> lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [&] { return m_stop || m_generation != seen; });
        if (m_stop)
            return;
        seen = m_generation;
        lock.unlock();
        drain(m_helperCompressor);
        lock.lock();
        m_helperBusy = false;
        m_done.notify_all();
    }
}

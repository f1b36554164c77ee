// Decoder throughput over a stream shaped like the device's: blocks of several frames,
// each "#" header, payload and a line feed. The link has to keep far ahead of the
// 500000-baud line (50 kB/s), since it decodes on the GUI thread.
#include "link/scpidecoder.h"

#include <benchmark/benchmark.h>

#include <QtGlobal>

static QByteArray makeStream(int blockBytes, int blocks)
{
    QByteArray payload(blockBytes, '\0');
    for (int i = 0; i < blockBytes; ++i)
        payload[i] = char(i * 37);
    const QByteArray length = QByteArray::number(blockBytes);
    const QByteArray block = '#' + QByteArray::number(length.size()) + length + payload + '\n';
    QByteArray stream;
    for (int i = 0; i < blocks; ++i)
        stream += block;
    return stream;
}

static void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}

// Chunked path, as the link feeds it: 4 KiB reads.
static void BM_decodeChunks(benchmark::State &state)
{
    qInstallMessageHandler(quiet);
    const QByteArray stream = makeStream(int(state.range(0)), 2000);
    QByteArray queue;
    queue.reserve(stream.size());
    for (auto _ : state) {
        scpiDecoder decoder;
        queue.resize(0);
        for (int at = 0; at < stream.size(); at += 4096)
            decoder.feed(stream.constData() + at, qMin(4096, stream.size() - at), queue);
        benchmark::DoNotOptimize(queue.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * stream.size());
}
BENCHMARK(BM_decodeChunks)->Arg(64)->Arg(1200)->Arg(8000);

// One byte at a time, with each payload byte appended separately.
static void BM_decodeBytes(benchmark::State &state)
{
    qInstallMessageHandler(quiet);
    const QByteArray stream = makeStream(int(state.range(0)), 2000);
    QByteArray queue;
    queue.reserve(stream.size());
    for (auto _ : state) {
        scpiDecoder decoder;
        queue.resize(0);
        for (char c : stream) {
            if (decoder.feed(c))
                queue += c;
        }
        benchmark::DoNotOptimize(queue.data());
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * stream.size());
}
BENCHMARK(BM_decodeBytes)->Arg(64)->Arg(1200);

BENCHMARK_MAIN();

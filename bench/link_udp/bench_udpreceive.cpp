// Receive-side throughput of the UDP link: datagrams parsed, reordered and queued per
// second. The device's highest packet rate is 4000 data packets per second (one frame per
// packet at 4000 frames/s); the receive side should manage over 100 times that.

#include "link/udpreceiver.h"

#include <QtEndian>
#include <benchmark/benchmark.h>

#include <vector>

namespace {

// Largest frame: 8 × 24-bit + status, 4 IMUs, 2 AUX words.
constexpr int FrameBytes = 4 + 4 * 8 + 12 * 4 + 2 * 2;

std::vector<QByteArray> makeStream(int count, int swapEvery, int dropEvery)
{
    std::vector<QByteArray> out;
    out.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
        if (dropEvery > 0 && i % dropEvery == dropEvery - 1)
            continue;
        QByteArray d(12 + FrameBytes, char(i));
        qToLittleEndian<quint16>(quint16(i), d.data());
        qToLittleEndian<quint16>(2, d.data() + 2);
        qToLittleEndian<quint16>(FrameBytes, d.data() + 4);
        qToLittleEndian<quint32>(quint32(i), d.data() + 8);
        out.push_back(d);
    }
    for (size_t i = 1; swapEvery > 0 && i < out.size(); i += size_t(swapEvery))
        std::swap(out[i - 1], out[i]);
    return out;
}

void run(benchmark::State &state, int swapEvery, int dropEvery)
{
    const std::vector<QByteArray> stream = makeStream(100000, swapEvery, dropEvery);
    for (auto _ : state) {
        UdpReceiver rx;
        for (const QByteArray &d : stream) {
            rx.parse(d, true);
            if (rx.reorder().dataQueue().size() > 1 << 20)
                rx.reorder().dataQueue().clear();   // what readBlocks does every 30 ms
        }
        benchmark::DoNotOptimize(rx.reorder().packetsReceived());
    }
    state.SetItemsProcessed(state.iterations() * int64_t(stream.size()));
    state.counters["x_device_rate"] = benchmark::Counter(
        double(state.iterations()) * double(stream.size()) / 4000.0, benchmark::Counter::kIsRate);
}

void BM_InOrder(benchmark::State &state) { run(state, 0, 0); }
void BM_Reordered(benchmark::State &state) { run(state, 7, 0); }
void BM_ReorderedWithLoss(benchmark::State &state) { run(state, 7, 20); }

} // namespace

BENCHMARK(BM_InOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reordered)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReorderedWithLoss)->Unit(benchmark::kMillisecond);
int main(int argc, char **argv)
{
    // The traces of the loss events would measure the terminal, not the receiver.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

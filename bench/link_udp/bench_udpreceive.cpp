// Receive-side throughput of the UDP link: datagrams parsed, reordered and queued per
// second. The device's highest packet rate is 4000 data packets per second (one frame per
// packet at 4000 frames/s); the receive side should manage over 100 times that. BM_Socket*
// measure what the program pays: the link's socket reads, its acknowledgements (one every
// eleven data datagrams, sent back over loopback) and readBlocks every 120 frames.

#include "link/udp_com.h"
#include "link/udpreceiver.h"
#include "link/wifiendpoint.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QUdpSocket>
#include <QtEndian>
#include <benchmark/benchmark.h>

#include <algorithm>
#include <ctime>
#include <memory>

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

// The device's side of loopback: sends the prepared datagrams to the link's socket and
// reads the link's keep-alives and acknowledgements.
struct LoopbackDevice
{
    QUdpSocket socket;
    QHostAddress linkAddress;
    quint16 linkPort = 0;
    qint64 acks = 0;

    bool bind() { return socket.bind(QHostAddress(QHostAddress::LocalHost), 0); }

    void drain()
    {
        char buffer[2048];
        while (socket.hasPendingDatagrams()) {
            const qint64 n = socket.readDatagram(buffer, sizeof buffer, &linkAddress, &linkPort);
            if (n >= 4 && qFromLittleEndian<quint16>(buffer + 2) == 3)
                ++acks;
        }
    }
};

struct ThreadClock
{
    qint64 startNs = 0;
    static qint64 now()
    {
        timespec t {};
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
        return qint64(t.tv_sec) * 1000000000 + t.tv_nsec;
    }
    void start() { startNs = now(); }
    qint64 nsecsElapsed() const { return now() - startNs; }
};

void runSocket(benchmark::State &state, int swapEvery, int dropEvery)
{
    const std::vector<QByteArray> stream = makeStream(20000, swapEvery, dropEvery);
    LoopbackDevice device;
    if (!device.bind()) {
        state.SkipWithError("cannot bind a loopback socket");
        return;
    }
    qputenv(WifiEndpoint::OverrideVariable, QByteArray("127.0.0.1:") + QByteArray::number(device.socket.localPort()));
    udp_com link(nullptr, QStringLiteral("192.168.4.1"));
    QElapsedTimer wait;
    wait.start();
    while (device.linkPort == 0 && wait.elapsed() < 5000) {   // the link's first keep-alive
        device.socket.waitForReadyRead(50);
        device.drain();
    }
    if (device.linkPort == 0) {
        state.SkipWithError("the link sent nothing");
        return;
    }
    UdpReorder &reorder = const_cast<UdpReceiver &>(link.receiveState()).reorder();
    QByteArray frames;
    constexpr size_t Batch = 64;
    for (auto _ : state) {
        // Only the program's side is timed, in CPU time of this thread (the machine is shared,
        // and waiting is not what the program pays): the device's writes (and the kernel's
        // loopback delivery done within them) and its reading of acknowledgements are not.
        ThreadClock timed;
        qint64 ns = 0;
        link.sendCommand("init", false, true, false, 0);   // a new stream, numbered from 0
        for (size_t at = 0; at < stream.size(); at += Batch) {
            const size_t end = std::min(stream.size(), at + Batch);
            for (size_t i = at; i < end; ++i)
                device.socket.writeDatagram(stream[i], device.linkAddress, device.linkPort);
            timed.start();
            QElapsedTimer progress;
            progress.start();
            // Every datagram sent is unique: delivered or waiting behind a gap.
            while (reorder.deliveredPackets() + quint32(reorder.pendingCount()) < end && progress.elapsed() < 2000)
                QCoreApplication::processEvents();
            if (at % 120 < Batch)
                link.readBlocks(frames, FrameBytes);
            ns += timed.nsecsElapsed();
            device.drain();
        }
        timed.start();
        link.readBlocks(frames, FrameBytes);
        ns += timed.nsecsElapsed();
        benchmark::DoNotOptimize(frames.data());
        state.SetIterationTime(double(ns) / 1e9);
    }
    state.SetItemsProcessed(state.iterations() * int64_t(stream.size()));
    state.counters["x_device_rate"] = benchmark::Counter(
        double(state.iterations()) * double(stream.size()) / 4000.0, benchmark::Counter::kIsRate);
    state.counters["acks"] = double(device.acks);
}

void BM_InOrder(benchmark::State &state) { run(state, 0, 0); }
void BM_SocketInOrder(benchmark::State &state) { runSocket(state, 0, 0); }
void BM_SocketReorderedWithLoss(benchmark::State &state) { runSocket(state, 7, 20); }
void BM_Reordered(benchmark::State &state) { run(state, 7, 0); }
void BM_ReorderedWithLoss(benchmark::State &state) { run(state, 7, 20); }

} // namespace

BENCHMARK(BM_InOrder)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Reordered)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReorderedWithLoss)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SocketInOrder)->Unit(benchmark::kMillisecond)->UseManualTime();
BENCHMARK(BM_SocketReorderedWithLoss)->Unit(benchmark::kMillisecond)->UseManualTime();
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    // The traces of the loss events would measure the terminal, not the receiver.
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {});
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

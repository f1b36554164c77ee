// Trace writing for a demanding recording: 4000 frames/s with eight 24-bit channels and
// four IMUs, device-like signals (slow sines plus converter noise).
//
// BM_TraceWriter   the threaded writer from hand-over to closed file, commits included,
//                  on one core or two; commits 1: one per 0.8 s of data, as in real time,
//                  2: one per 0.8 s of wall time, as when catching up, 0: none but the last
//                  (the file size without unfiltered tail chunks).
//                  "realtime" is how many times faster than the device it keeps up;
//                  "realtime_cpu" the same per second of CPU the writer used, which other
//                  load on the machine does not change; "ratio" raw floats per file byte.
// BM_HandOver      what the GUI thread pays per 30 ms acquisition step while the writer
//                  runs: copying the step's frames into the queue.
// BM_AppendRows    the window's writer (HDF5's own deflate inside H5Dwrite) for comparison.

#include <benchmark/benchmark.h>

#include "config/daqconfig.h"
#include "recording/myHdf5.h"
#include "recording/tracelayout.h"
#include "recording/tracewriter.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>
#include <QEventLoop>
#include <QTimer>
#include <QTemporaryDir>
#include <QtEndian>

#include <sched.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <random>
#include <thread>

namespace {

const int frameRate = 4000;
// When BM_TraceWriter commits: only when it closes the file; every 0.8 s of data, as
// many commits as at real time; every 0.8 s of wall time, as when catching up.
enum Commits { finalCommit, dataCommits, wallCommits };
const int framesPerStep = frameRate * 30 / 1000;
const int adcChannels = 8;
const int imus = 4;

daqConfig benchConfig(bool adc24)
{
    daqConfig conf;
    conf.sampleRate = frameRate;
    QVector<adcChannel> &adc = adc24 ? conf.adc24 : conf.adc16;
    for (int i = 0; i < adcChannels; ++i)
        adc.append(adcChannel(adc24 ? -2.4 : -6.0, adc24 ? 2.4 : 6.0, 1.0, 0.0, "ch" + QByteArray::number(i + 1)));
    for (int i = 0; i < imus; ++i)
        conf.imu6.append(imuChannel(6.0, 500.0, "imu" + QByteArray::number(i + 1)));
    conf.sampleSize = conf.expectedSampleSize();
    return conf;
}

// A converter count: a slow sine over 30 % of full scale plus a few counts of noise.
double deviceCount(std::mt19937 &random, double steps, int frame, int column)
{
    static std::normal_distribution<double> noise(0.0, 3.0);
    return std::round(0.3 * steps * std::sin(0.002 * frame + column) + noise(random));
}

// Raw stream frames of the 24-bit configuration: status word, 8 x int32 (24-bit counts
// in the upper bytes), 4 IMUs x 6 int16.
QByteArray deviceFrames(const daqConfig &conf, int frames)
{
    std::mt19937 random(1);
    QByteArray bytes(conf.sampleSize * frames, '\0');
    for (int f = 0; f < frames; ++f) {
        uchar *p = reinterpret_cast<uchar *>(bytes.data()) + conf.sampleSize * f;
        qToLittleEndian<quint32>(quint32(f), p);
        for (int c = 0; c < adcChannels; ++c)
            qToLittleEndian<qint32>(qint32(deviceCount(random, 8388608.0, f, c)) * 256, p + 4 + 4 * c);
        for (int v = 0; v < 6 * imus; ++v)
            qToLittleEndian<qint16>(qint16(deviceCount(random, 32768.0, f, 10 + v)), p + 4 + 4 * adcChannels + 2 * v);
    }
    return bytes;
}

// Pins the calling thread, and every thread it starts from now on, to the first CPU.
class OneCore
{
public:
    explicit OneCore(bool pin)
    {
        sched_getaffinity(0, sizeof m_saved, &m_saved);
        if (!pin)
            return;
        cpu_set_t one;
        CPU_ZERO(&one);
        CPU_SET(0, &one);
        sched_setaffinity(0, sizeof one, &one);
    }
    ~OneCore() { sched_setaffinity(0, sizeof m_saved, &m_saved); }

private:
    cpu_set_t m_saved;
};

double cpuSeconds(clockid_t clock)
{
    timespec t{};
    clock_gettime(clock, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

// Finishes the recording and waits for its end: true when every frame is in the file.
bool finishRecording(TraceWriter &writer)
{
    bool ok = false;
    QEventLoop loop;
    QObject::connect(&writer, &TraceWriter::finished, &loop, [&](bool allWritten) {
        ok = allWritten;
        loop.quit();
    });
    QTimer::singleShot(60000, &loop, &QEventLoop::quit);
    writer.finish();
    loop.exec();
    return ok;
}

void BM_TraceWriter(benchmark::State &state)
{
    const bool oneCore = state.range(0) == 1;
    const int commits = int(state.range(1));
    const int seconds = 20;
    const daqConfig conf = benchConfig(true);
    const QByteArray frames = deviceFrames(conf, seconds * frameRate);
    const auto *raw = reinterpret_cast<const uint8_t *>(frames.constData());
    const OneCore pin(oneCore);
    QTemporaryDir dir;
    bool ok = true;
    qint64 fileBytes = 0;
    // What the writer's threads used: the process's CPU time less this thread's.
    const double processStart = cpuSeconds(CLOCK_PROCESS_CPUTIME_ID);
    const double threadStart = cpuSeconds(CLOCK_THREAD_CPUTIME_ID);
    for (auto _ : state) {
        TraceWriter writer;
        TraceWriter::Options options;
        if (commits == dataCommits)
            options.commitEveryFrames = quint64(0.8 * frameRate);
        else if (commits == finalCommit)
            options.commitIntervalMs = 1000000;
        writer.setOptions(options);
        const QString name = dir.path() + "/bench.h5";
        QString error;
        ok = writer.start(conf, name, QDateTime::currentDateTime(), &error) && ok;
        for (int sent = 0; ok && sent < seconds * frameRate; sent += framesPerStep) {
            // Hand over as fast as the writer takes it, never filling the queue.
            while (writer.queueFill() > 0.5)
                std::this_thread::sleep_for(std::chrono::microseconds(200));
            ok = writer.appendFrames(raw + sent * conf.sampleSize, framesPerStep);
        }
        ok = finishRecording(writer) && ok;
        fileBytes = QFileInfo(name).size();
    }
    if (!ok)
        state.SkipWithError("an append or the recording failed");
    const double writerCpu = (cpuSeconds(CLOCK_PROCESS_CPUTIME_ID) - processStart)
                             - (cpuSeconds(CLOCK_THREAD_CPUTIME_ID) - threadStart);
    const double framesDone = double(state.iterations()) * seconds * frameRate;
    state.counters["realtime"] = benchmark::Counter(framesDone / frameRate, benchmark::Counter::kIsRate);
    // Independent of other load on the machine: data seconds per second of writer CPU.
    state.counters["realtime_cpu"] = framesDone / frameRate / writerCpu;
    state.counters["ratio"] = double(seconds * frameRate) * 4 * (adcChannels + 6 * imus) / double(fileBytes);
}

void BM_HandOver(benchmark::State &state)
{
    const daqConfig conf = benchConfig(true);
    const int steps = 400;
    const QByteArray frames = deviceFrames(conf, steps * framesPerStep);
    const auto *raw = reinterpret_cast<const uint8_t *>(frames.constData());
    QTemporaryDir dir;
    TraceWriter writer;
    QString error;
    bool ok = writer.start(conf, dir.path() + "/handover.h5", QDateTime::currentDateTime(), &error);
    int step = 0;
    for (auto _ : state) {
        while (writer.queueFill() > 0.5)
            std::this_thread::sleep_for(std::chrono::microseconds(200));
        const auto begin = std::chrono::steady_clock::now();
        ok = writer.appendFrames(raw + (step % steps) * framesPerStep * conf.sampleSize, framesPerStep) && ok;
        const auto end = std::chrono::steady_clock::now();
        state.SetIterationTime(std::chrono::duration<double>(end - begin).count());
        ++step;
    }
    ok = finishRecording(writer) && ok;
    if (!ok)
        state.SkipWithError("an append or the recording failed");
}

// The window's writer: HDF5 compresses inside appendRows on the calling thread.
void BM_AppendRows(benchmark::State &state)
{
    const daqConfig conf = benchConfig(true);
    std::mt19937 random(2);
    QVector<float> adc(framesPerStep * adcChannels);
    QVector<float> imu(framesPerStep * imus * 6);
    for (int r = 0; r < framesPerStep; ++r) {
        for (int c = 0; c < adcChannels; ++c)
            adc[r * adcChannels + c] = float(deviceCount(random, 8388608.0, r, c) * 2.4 / 8388608.0);
        for (int v = 0; v < 6 * imus; ++v)
            imu[r * 6 * imus + v] = float(deviceCount(random, 32768.0, r, v) * 6.0 / 32768.0);
    }
    QTemporaryDir dir;
    myHdf hdf(traceCreatorText(), false);
    QList<hdfDataset> records;
    createTraceFile(hdf, conf, dir.path(), QDateTime::currentDateTime(), records);
    bool ok = records.size() == 2;
    for (auto _ : state) {
        ok = hdf.appendRows(records[0], adc.constData(), framesPerStep) && ok;
        ok = hdf.appendRows(records[1], imu.constData(), framesPerStep) && ok;
    }
    ok = hdf.closeFile() && ok;
    if (!ok)
        state.SkipWithError("appendRows failed");
    const double framesDone = double(state.iterations()) * framesPerStep;
    state.counters["realtime"] = benchmark::Counter(framesDone / frameRate, benchmark::Counter::kIsRate);
}

} // namespace

BENCHMARK(BM_TraceWriter)
    ->ArgNames({"cores", "commits"})
    ->ArgsProduct({{1, 2}, {dataCommits, wallCommits, finalCommit}})
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_HandOver)->UseManualTime()->Iterations(2000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AppendRows)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);   // the writer's signals need an event loop
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}

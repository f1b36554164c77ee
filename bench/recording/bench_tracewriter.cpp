// appendRows throughput for a demanding recording: 4000 frames/s with eight ADC
// channels and four IMUs, written in the 30 ms blocks the acquisition loop
// produces. The "realtime" counter is how many times faster than the device
// the writer keeps up.

#include <benchmark/benchmark.h>

#include "config/daqconfig.h"
#include "recording/myHdf5.h"
#include "recording/tracelayout.h"

#include <QDateTime>
#include <QFileInfo>
#include <QTemporaryDir>

#include <algorithm>
#include <cmath>
#include <random>

namespace {

const int frameRate = 4000;
const int framesPerBlock = frameRate * 30 / 1000;
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
    return conf;
}

// Device-like rows: slow sines plus a little noise, quantised to converter
// counts and scaled back to physical values as the stream decoder does, so
// deflate sees what a recording holds.
QVector<float> signalRows(int rows, int columns, double fullScale, int bits, unsigned seed)
{
    std::mt19937 random(seed);
    std::normal_distribution<double> noise(0.0, 3.0);
    const double steps = std::ldexp(1.0, bits - 1);
    QVector<float> data(rows * columns);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const double wave = 0.3 * steps * std::sin(0.002 * r + c);
            const double count = std::round(wave + noise(random));
            data[r * columns + c] = float(count * fullScale / steps);
        }
    return data;
}

// The trace layout, or the same two datasets in a file without compression.
QList<hdfDataset> openTrace(myHdf &hdf, const QString &folder, bool adc24, bool compress,
                           QString *fileName)
{
    QList<hdfDataset> records;
    const daqConfig conf = benchConfig(adc24);
    if (compress) {
        *fileName = createTraceFile(hdf, conf, folder, QDateTime::currentDateTime(), records);
        return records;
    }
    *fileName = folder + "/plain.h5";
    hdf.createFile(fileName->toUtf8(), "0", false);
    records.append(hdf.createDataset("adc", "adc", {adcChannels}, false));
    records.append(hdf.createDataset("imu6", "imu", {imus, 6}, false));
    return records;
}

void BM_AppendRows(benchmark::State &state)
{
    const bool adc24 = state.range(0) != 0;
    const bool compress = state.range(1) != 0;
    const int rowsPerFrame = adc24 ? 1 : 2;
    QTemporaryDir dir;
    myHdf hdf("Kestrova.exe Version1.2.0.1", false);
    QString fileName;
    QList<hdfDataset> records = openTrace(hdf, dir.path(), adc24, compress, &fileName);
    if (!hdf.isOpened() || records.size() != 2) {
        state.SkipWithError("could not create the trace file");
        return;
    }

    const int adcRows = rowsPerFrame * framesPerBlock;
    const QVector<float> adc = signalRows(adcRows, adcChannels, adc24 ? 2.4 : 6.0, adc24 ? 24 : 16, 1);
    const QVector<float> imu = signalRows(framesPerBlock, imus * 6, 6.0, 16, 2);
    bool ok = true;
    for (auto _ : state) {
        ok &= hdf.appendRows(records[0], adc.constData(), hsize_t(adcRows));
        ok &= hdf.appendRows(records[1], imu.constData(), hsize_t(framesPerBlock));
    }
    ok &= hdf.closeFile();
    if (!ok)
        state.SkipWithError("appendRows failed");

    const double frames = double(state.iterations()) * framesPerBlock;
    state.SetItemsProcessed(int64_t(frames));
    state.counters["frames/s"] = benchmark::Counter(frames, benchmark::Counter::kIsRate);
    state.counters["realtime"] = benchmark::Counter(frames / frameRate, benchmark::Counter::kIsRate);
    // Raw bytes per stored byte.
    const double raw = frames * sizeof(float) * (rowsPerFrame * adcChannels + imus * 6);
    state.counters["ratio"] = raw / double(std::max<qint64>(1, QFileInfo(fileName).size()));
}

} // namespace

BENCHMARK(BM_AppendRows)->ArgNames({"adc24", "deflate"})->Args({0, 1})->Args({1, 1})->Args({0, 0})->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();

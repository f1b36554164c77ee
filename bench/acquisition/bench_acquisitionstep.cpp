// Cost of one acquisition step at 4000 frames/s (120 frames every 30 ms) with a large
// configuration: 8 24-bit and 8 16-bit channels, 4 IMUs and 2 AUX words. The step
// decodes, runs the four orientation filters per frame, feeds the display and, when
// recording, appends to the compressed trace file. The target is well under 1 ms,
// i.e. under 3 % of the tick.
#include "acquisition/framepipeline.h"
#include "acquisition/tracerecorder.h"
#include "config/daqconfig.h"
#include "display/renderarea.h"
#include "renderareasink.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QtEndian>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>

namespace {
constexpr int FramesPerStep = 120;

void quietDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        fprintf(stderr, "%s\n", qPrintable(message));
}

daqConfig largeConfig()
{
    daqConfig c;
    c.sampleRate = 4000;
    for (int k = 0; k < 8; ++k) {
        c.adc24 << adcChannel(-2.4, 2.4, 1, 0, "a24_" + QByteArray::number(k));
        c.adc16 << adcChannel(-6, 6, 1, 0, "a16_" + QByteArray::number(k));
    }
    for (int i = 0; i < 4; ++i)
        c.imu6 << imuChannel(6, 500, "imu" + QByteArray::number(i));
    c.aux << 2;
    c.sampleSize = c.expectedSampleSize();
    return c;
}

// 1 s of device-like frames, cycled through.
QByteArray makeFrames(const daqConfig &c, int count)
{
    QByteArray data(c.sampleSize * count, 0);
    for (int s = 0; s < count; ++s) {
        char *f = data.data() + c.sampleSize * s;
        for (int k = 0; k < 8; ++k)
            qToLittleEndian<qint32>(qint32(1e9 * std::sin(0.01 * s + k)), f + 4 + 4 * k);
        for (int p = 0; p < 16; ++p)
            qToLittleEndian<qint16>(qint16(16000 * std::sin(0.02 * s + p)), f + 36 + 2 * p);
        for (int v = 0; v < 24; ++v)
            qToLittleEndian<qint16>(qint16(3000 * std::cos(0.001 * s + v)), f + 68 + 2 * v);
        qToLittleEndian<qint16>(qint16(s), f + 116);
    }
    return data;
}

struct Step
{
    QTemporaryDir dir;   // outlives the trace file in it
    daqConfig conf = largeConfig();
    FramePipeline pipeline;
    std::unique_ptr<RenderArea> plot = std::make_unique<RenderArea>(nullptr, QSize(1920, 1080));
    RenderAreaSink sink{*plot};
    TraceRecorder recorder;
    QByteArray frames = makeFrames(conf, 4000);
    int next = 0;

    explicit Step(bool recording)
    {
        pipeline.configure(conf);
        pipeline.initFilters(conf);
        plot->resize(1920, 1080);
        for (int g = 0; g < 16; ++g)
            plot->addGraph(1, "adc", false, true);
        for (int i = 0; i < 4; ++i)
            plot->addGraph(6, "imu", true, true);
        plot->addGraph(2, "Aux", false, true);
        plot->setConfigValid(40000, 10, false);
        if (recording)
            recorder.open(conf, dir.path() + "/bench.h5", QDateTime::currentDateTime());
    }

    void run(bool recording)
    {
        const auto *batch = reinterpret_cast<const uint8_t *>(frames.constData()) + size_t(conf.sampleSize) * next;
        if (recording)
            recorder.append(batch, FramesPerStep);
        pipeline.display(batch, FramesPerStep, sink);
        plot->history().clearNewColumns();
        next = (next + FramesPerStep) % (4000 - FramesPerStep);
    }
};

void BM_AcquisitionStep(benchmark::State &state)
{
    const bool recording = state.range(0) != 0;
    Step step(recording);
    for (auto _ : state)
        step.run(recording);
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations()) * FramesPerStep, benchmark::Counter::kIsRate);
}
}

// Arg 0: live display only; arg 1: recording as well.
BENCHMARK(BM_AcquisitionStep)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(quietDebug);
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    return 0;
}

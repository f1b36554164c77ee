// Cost of one acquisition step at 4000 frames/s (120 frames every 30 ms) with the
// largest device configuration: 10 24-bit and 9 16-bit channels, 4 IMUs and 2 AUX
// words (24 graphs on a 1920 x 1080 chart with a 10 s window). The step decodes, runs
// the four orientation filters per frame, feeds the display, lets the chart scroll and
// paint what that exposed (as the window system asks for it) and, when recording,
// appends to the compressed trace file.
#include "acquisition/framepipeline.h"
#include "acquisition/tracerecorder.h"
#include "config/daqconfig.h"
#include "display/renderarea.h"
#include "renderareasink.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QWindow>
#include <QtEndian>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {
constexpr int FramesPerStep = 120;
constexpr int N24 = 10;
constexpr int N16 = 9;
constexpr int NImu = 4;
constexpr int NAux = 2;

void quietDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        fprintf(stderr, "%s\n", qPrintable(message));
}

daqConfig largeConfig()
{
    daqConfig c;
    c.sampleRate = 4000;
    for (int k = 0; k < N24; ++k)
        c.adc24 << adcChannel(-2.4, 2.4, 1, 0, "a24_" + QByteArray::number(k));
    for (int k = 0; k < N16; ++k)
        c.adc16 << adcChannel(-6, 6, 1, 0, "a16_" + QByteArray::number(k));
    for (int i = 0; i < NImu; ++i)
        c.imu6 << imuChannel(6, 500, "imu" + QByteArray::number(i));
    c.aux << NAux;
    c.sampleSize = c.expectedSampleSize();
    return c;
}

// 1 s of device-like frames, cycled through.
QByteArray makeFrames(const daqConfig &c, int count)
{
    std::vector<char> data(size_t(c.sampleSize) * size_t(count), 0);
    const int at16 = 4 + 4 * N24;
    const int atImu = at16 + 4 * N16;
    const int atAux = atImu + 12 * NImu;
    for (int s = 0; s < count; ++s) {
        char *f = data.data() + c.sampleSize * s;
        for (int k = 0; k < N24; ++k)
            qToLittleEndian<qint32>(qint32(1e9 * std::sin(0.01 * s + k)), f + 4 + 4 * k);
        for (int p = 0; p < 2 * N16; ++p)
            qToLittleEndian<qint16>(qint16(16000 * std::sin(0.02 * s + p)), f + at16 + 2 * p);
        for (int v = 0; v < 6 * NImu; ++v)
            qToLittleEndian<qint16>(qint16(3000 * std::cos(0.001 * s + v)), f + atImu + 2 * v);
        for (int w = 0; w < NAux; ++w)
            qToLittleEndian<qint16>(qint16(s + w), f + atAux + 2 * w);
    }
    return QByteArray(data.data(), int(data.size()));
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
        for (int g = 0; g < N24 + N16; ++g)
            plot->addGraph(1, "adc", false, true);
        for (int i = 0; i < NImu; ++i)
            plot->addGraph(6, "imu", true, true);
        plot->addGraph(NAux, "Aux", false, true);
        plot->setConfigValid(40000, 10, false);
        plot->applyScales(true);
        plot->show();
        QElapsedTimer clock;
        clock.start();
        while ((!plot->windowHandle() || !plot->windowHandle()->isExposed()) && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        // A full window, so that the step scrolls a whole picture.
        for (int i = 0; i < 40000 / FramesPerStep; ++i)
            run(false);
        if (recording)
            recorder.open(conf, dir.path() + "/bench.h5", QDateTime::currentDateTime());
    }

    void run(bool recording)
    {
        const auto *batch = reinterpret_cast<const uint8_t *>(frames.constData()) + size_t(conf.sampleSize) * next;
        if (recording)
            recorder.append(batch, FramesPerStep);
        pipeline.display(batch, FramesPerStep, sink);
        plot->applyScales(false);
        QCoreApplication::processEvents();
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

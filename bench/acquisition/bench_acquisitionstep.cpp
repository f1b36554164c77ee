// Cost of one acquisition step at 4000 frames/s (120 frames every 30 ms) with the
// largest device configuration: 10 24-bit and 9 16-bit channels, 4 IMUs and 2 AUX
// words (24 graphs on a 1920 x 1080 chart with a 10 s window). The step decodes, runs
// the four orientation filters per frame, feeds the display, lets the chart scroll and
// paint what that exposed (as the window system asks for it) and, when recording, hands
// the frames to the trace writer, which converts, compresses and writes them on its own
// thread. Recording runs at the device's pace (a step every 30 ms), as the writer is
// meant to, timed in the GUI thread's CPU time; its GUI-thread share is timed on its own
// as well.
#include "acquisition/framepipeline.h"
#include "acquisition/streamrecorder.h"
#include "config/daqconfig.h"
#include "display/renderarea.h"
#include "renderareasink.h"

#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QWindow>
#include <QtEndian>

#include <benchmark/benchmark.h>

#include <chrono>
#include <cmath>
#include <ctime>
#include <memory>
#include <thread>
#include <vector>

namespace {
constexpr int FramesPerStep = 120;
constexpr std::chrono::milliseconds StepInterval(30);
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

double threadSeconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return double(t.tv_sec) + 1e-9 * double(t.tv_nsec);
}

// A recording into a temporary folder, as the acquisition runs it: every step's frames
// go to the writer's queue. Nothing may be refused and the writer must not fail, or
// the numbers would not be a recording's.
struct Recording
{
    QTemporaryDir dir;
    StreamRecorder recorder;
    quint64 handedOver = 0, offered = 0;
    bool failed = false;

    explicit Recording(const daqConfig &conf)
    {
        QObject::connect(&recorder, &StreamRecorder::writeFailed, [this] { failed = true; });
        QString error;
        failed = recorder.start(conf, dir.path() + "/bench.h5", QDateTime::currentDateTime(), 0, true,
                                ~quint64(0), &error) != StreamRecorder::Start::Started;
    }
    void step(const uint8_t *frames)
    {
        handedOver += recorder.append(frames, FramesPerStep);
        offered += FramesPerStep;
        recorder.addGaps({});
    }
    // Empty when every frame reached the closed file.
    std::string problem()
    {
        quint64 stored = 0;
        QObject::connect(&recorder, &StreamRecorder::finished,
                         [&](const AcquisitionStatus::Summary &s, const QString &) { stored = s.frames; });
        recorder.finishAndWait(30000);
        if (failed || handedOver != offered || stored != offered)
            return "the trace writer refused or lost frames: " + std::to_string(stored) + " of "
                   + std::to_string(offered) + " stored";
        return std::string();
    }
};

// Sleeps until the next step is due at the device's pace.
void waitForNextStep(std::chrono::steady_clock::time_point &due)
{
    due += StepInterval;
    std::this_thread::sleep_until(due);
}

struct Step
{
    daqConfig conf = largeConfig();
    FramePipeline pipeline;
    std::unique_ptr<RenderArea> plot = std::make_unique<RenderArea>(nullptr, QSize(1920, 1080));
    RenderAreaSink sink{*plot};
    std::unique_ptr<Recording> recording;
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
            this->recording = std::make_unique<Recording>(conf);
    }

    const uint8_t *batch() const
    {
        return reinterpret_cast<const uint8_t *>(frames.constData()) + size_t(conf.sampleSize) * next;
    }

    void run(bool recording)
    {
        const uint8_t *batch = this->batch();
        if (recording)
            this->recording->step(batch);
        pipeline.display(batch, FramesPerStep, sink);
        plot->applyScales(false);
        QCoreApplication::processEvents();
        next = (next + FramesPerStep) % (4000 - FramesPerStep);
    }
};

// Args (recording, paced). Unpaced: live display only, steps back to back. Paced: a step
// every 30 ms as the device delivers them, timed in the GUI thread's CPU time (the
// writer's threads work beside it), with and without recording; the difference is what
// recording costs the GUI thread.
void BM_AcquisitionStep(benchmark::State &state)
{
    const bool recording = state.range(0) != 0;
    const bool paced = state.range(1) != 0;
    Step step(recording);
    auto due = std::chrono::steady_clock::now();
    double wall = 0;
    for (auto _ : state) {
        if (!paced) {
            step.run(recording);
            continue;
        }
        const auto begin = std::chrono::steady_clock::now();
        const double cpu = threadSeconds();
        step.run(recording);
        state.SetIterationTime(threadSeconds() - cpu);
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        waitForNextStep(due);
    }
    state.counters["frames/s"] =
        benchmark::Counter(double(state.iterations()) * FramesPerStep, benchmark::Counter::kIsRate);
    if (paced)
        state.counters["wall_us"] = 1e6 * wall / double(state.iterations());
    if (recording) {
        const std::string problem = step.recording->problem();
        if (!problem.empty())
            state.SkipWithError(problem.c_str());
    }
}

// What recording adds to the GUI thread in a step, in its CPU time: the step's frames
// copied into the writer's queue, the gap bookkeeping, and the writer's reports (commits)
// delivered by the event loop. The target is under 0.1 ms a step.
void BM_RecordingStepGuiThread(benchmark::State &state)
{
    const daqConfig conf = largeConfig();
    const QByteArray frames = makeFrames(conf, 4000);
    Recording recording(conf);
    int next = 0;
    auto due = std::chrono::steady_clock::now();
    double wall = 0;
    for (auto _ : state) {
        const auto *batch = reinterpret_cast<const uint8_t *>(frames.constData()) + size_t(conf.sampleSize) * next;
        const auto begin = std::chrono::steady_clock::now();
        const double cpu = threadSeconds();
        recording.step(batch);
        QCoreApplication::processEvents();
        state.SetIterationTime(threadSeconds() - cpu);
        wall += std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        next = (next + FramesPerStep) % (4000 - FramesPerStep);
        waitForNextStep(due);
    }
    state.counters["wall_us"] = 1e6 * wall / double(state.iterations());
    const std::string problem = recording.problem();
    if (!problem.empty())
        state.SkipWithError(problem.c_str());
}
}

BENCHMARK(BM_AcquisitionStep)->Args({0, 0})->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_AcquisitionStep)->Args({0, 1})->Args({1, 1})->UseManualTime()->Iterations(300)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_RecordingStepGuiThread)->UseManualTime()->Iterations(300)->Unit(benchmark::kMicrosecond);

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

// What the live display costs the GUI thread at 4000 frames/s on a 1920 x 1080 chart:
// one acquisition tick (120 rows taken in, then the scroll and the paint it triggers,
// as the window system asks for it), a resize step, Start and configuration, and the
// history's memory. Two graph sets: the largest device configuration (10 24-bit and
// 9 16-bit channels, 4 IMUs, AUX with 2 words: 24 graphs, 45 channels) and a synthetic
// one with 144 channels in 24 graphs; two signals: smooth sines and full-band noise;
// windows of 8000 and 2 400 000 rows (2 s and 600 s). The tick must not grow with the
// window, and noise may cost at most twice as much as sines.
//
// Runs offscreen by default; QT_QPA_PLATFORM=xcb under Xvfb includes the X11 backing
// store (the X server's own share is measured by bench/cpu-share).
#include "display/renderarea.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <random>
#include <vector>

namespace {
constexpr int RowsPerTick = 120;
constexpr int BlockRows = 8192;

enum GraphSet { Device = 0, Synthetic = 1 };
enum Signal { Sines = 0, Noise = 1 };

void quietDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        fprintf(stderr, "%s\n", qPrintable(message));
}

int channelsOf(GraphSet set)
{
    return set == Device ? 10 + 9 + 4 * 6 + 2 : 144;
}

// A block of rows cycled through so every tick sees fresh values. Noise covers the
// whole band in every column, the worst case for the bars.
std::vector<float> makeBlock(int channels, Signal signal)
{
    std::vector<float> rows(size_t(BlockRows) * size_t(channels));
    std::mt19937 random(42);
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    for (int r = 0; r < BlockRows; ++r)
        for (int c = 0; c < channels; ++c)
            rows[size_t(r) * size_t(channels) + size_t(c)] = signal == Noise
                ? noise(random)
                : 0.9f * std::sin(0.002f * float(r) * float(c % 7 + 1) + float(c));
    return rows;
}

void addGraphs(RenderArea &area, GraphSet set)
{
    if (set == Synthetic) {
        for (int g = 0; g < 24; ++g)
            area.addGraph(6, QStringLiteral("channel group %1").arg(g + 1), false, true);
        return;
    }
    for (int k = 0; k < 10; ++k)
        area.addGraph(1, QStringLiteral("adc24-%1").arg(k + 1), false, true);
    for (int k = 0; k < 9; ++k)
        area.addGraph(1, QStringLiteral("adc16-%1").arg(k + 1), false, true);
    for (int i = 0; i < 4; ++i)
        area.addGraph(6, QStringLiteral("imu%1").arg(i + 1), true, true);
    area.addGraph(2, QStringLiteral("Aux"), false, true);
}

struct Chart
{
    std::unique_ptr<RenderArea> area;
    std::vector<float> block;
    int channels;
    size_t next = 0;

    Chart(unsigned window, GraphSet set, Signal signal)
        : area(std::make_unique<RenderArea>(nullptr, QSize(1920, 1080)))
        , block(makeBlock(channelsOf(set), signal))
        , channels(channelsOf(set))
    {
        area->resize(1920, 1080);
        addGraphs(*area, set);
        area->setConfigValid(window, 10, false);
        area->applyScales(true);
        area->show();
        waitUntilExposed();
        // A full window of data, so every column is drawn from real bars.
        feed(window);
        area->applyScales(true);
        settle();
    }

    void waitUntilExposed()
    {
        QElapsedTimer clock;
        clock.start();
        while ((!area->windowHandle() || !area->windowHandle()->isExposed()) && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        settle();
        if (!area->testAttribute(Qt::WA_Mapped))
            fprintf(stderr, "chart was never mapped: timings would not include painting\n");
    }

    // Lets Qt deliver the pending update: the paint and the flush to the window system.
    static void settle() { QCoreApplication::processEvents(); }

    void feed(unsigned rows)
    {
        for (unsigned i = 0; i < rows; ++i) {
            area->enqSamples(&block[next * size_t(channels)], unsigned(channels), 1);
            next = (next + 1) % BlockRows;
        }
    }

    void tick()
    {
        feed(RowsPerTick);
        area->applyScales(false);
        settle();
    }
};

void setLabels(benchmark::State &state)
{
    state.SetLabel(std::string(state.range(1) == Device ? "device 45ch" : "synthetic 144ch")
                   + (state.range(2) == Noise ? ", noise" : ", sines"));
}

void BM_DisplayTick(benchmark::State &state)
{
    Chart chart(unsigned(state.range(0)), GraphSet(state.range(1)), Signal(state.range(2)));
    for (auto _ : state)
        chart.tick();
    setLabels(state);
    state.counters["historyMB"] = double(chart.area->history().memoryBytes()) / (1 << 20);
}

void BM_DisplayIntakeOnly(benchmark::State &state)
{
    Chart chart(unsigned(state.range(0)), GraphSet(state.range(1)), Signal(state.range(2)));
    for (auto _ : state)
        chart.feed(RowsPerTick);
    setLabels(state);
}

// One step of a window being dragged wider or narrower: every column drawn anew.
void BM_DisplayResizeStep(benchmark::State &state)
{
    Chart chart(unsigned(state.range(0)), GraphSet(state.range(1)), Signal(state.range(2)));
    int step = 0;
    for (auto _ : state) {
        chart.area->resize(1920 - 8 * (++step % 2), 1080);
        chart.settle();
    }
    setLabels(state);
}

// Start of sampling as the main window does it, including the paint that follows.
void BM_DisplayStart(benchmark::State &state)
{
    Chart chart(unsigned(state.range(0)), GraphSet(state.range(1)), Signal(state.range(2)));
    for (auto _ : state) {
        chart.area->history().setRingFill(0);
        chart.area->rebuildColumns();
        chart.area->applyScales(true);
        chart.settle();
    }
    setLabels(state);
}

// A configuration made valid: the history is sized for the window.
void BM_DisplayConfigure(benchmark::State &state)
{
    Chart chart(unsigned(state.range(0)), GraphSet(state.range(1)), Signal(state.range(2)));
    for (auto _ : state) {
        chart.area->setConfigValid(unsigned(state.range(0)), 10, false);
        chart.area->applyScales(true);
        chart.settle();
    }
    setLabels(state);
}

void allCases(benchmark::internal::Benchmark *b)
{
    b->ArgsProduct({{8000, 2400000}, {Device, Synthetic}, {Sines, Noise}})->Unit(benchmark::kMicrosecond);
}
}

BENCHMARK(BM_DisplayTick)->Apply(allCases);
BENCHMARK(BM_DisplayIntakeOnly)->Apply(allCases);
BENCHMARK(BM_DisplayResizeStep)->Apply(allCases);
BENCHMARK(BM_DisplayStart)->ArgsProduct({{2400000}, {Synthetic}, {Noise}})->Unit(benchmark::kMillisecond);
BENCHMARK(BM_DisplayConfigure)->ArgsProduct({{2400000}, {Synthetic}, {Noise}})->Unit(benchmark::kMillisecond);

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

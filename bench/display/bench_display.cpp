// Cost of one acquisition tick on the live display: 120 sample rows (4000 frames/s
// every 30 ms) of 144 channels in 24 graphs taken in, then one incremental paint of a
// 1920 x 1080 chart. Run with window lengths of 8000 and 2 400 000 rows: the per-tick
// cost must not grow with the window length.
#include "display/renderarea.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {
constexpr int Graphs = 24;
constexpr int ChannelsPerGraph = 6;
constexpr int Channels = Graphs * ChannelsPerGraph;
constexpr int RowsPerTick = 120;
constexpr int BlockRows = 4096;

void quietDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        fprintf(stderr, "%s\n", qPrintable(message));
}

// A block of varied rows, cycled through so every tick sees fresh values.
const std::vector<float> &sampleBlock()
{
    static std::vector<float> block = [] {
        std::vector<float> rows(size_t(BlockRows) * Channels);
        for (int r = 0; r < BlockRows; ++r)
            for (int c = 0; c < Channels; ++c)
                rows[size_t(r) * Channels + c] = 0.9f * std::sin(0.002f * float(r) * float(c % 7 + 1) + float(c));
        return rows;
    }();
    return block;
}

struct Chart
{
    std::unique_ptr<RenderArea> area;
    size_t next = 0;

    explicit Chart(unsigned window)
        : area(std::make_unique<RenderArea>(nullptr, QSize(1920, 1080)))
    {
        area->resize(1920, 1080);
        for (int g = 0; g < Graphs; ++g)
            area->addGraph(ChannelsPerGraph, QStringLiteral("channel group %1").arg(g + 1), false, true);
        area->setConfigValid(window, 10, false);
        area->applyScales(true);
        area->show();
        waitUntilPainted();
        // A full window of data, so every column is drawn from real bars.
        feed(window);
        area->repaint();
    }

    // repaint() paints only once the window system has mapped the widget.
    void waitUntilPainted()
    {
        QElapsedTimer clock;
        clock.start();
        while ((!area->windowHandle() || !area->windowHandle()->isExposed()) && clock.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QCoreApplication::processEvents();
        if (!area->testAttribute(Qt::WA_Mapped))
            fprintf(stderr, "chart was never mapped: timings would not include painting\n");
    }

    void feed(unsigned rows)
    {
        const std::vector<float> &block = sampleBlock();
        for (unsigned i = 0; i < rows; ++i) {
            area->enqSamples(&block[next * Channels], Channels, 1);
            next = (next + 1) % BlockRows;
        }
    }

    void tick()
    {
        feed(RowsPerTick);
        area->applyScales(false);
        area->repaint();
    }
};

void BM_DisplayTick(benchmark::State &state)
{
    Chart chart(unsigned(state.range(0)));
    for (auto _ : state)
        chart.tick();
    state.counters["rows/s"] = benchmark::Counter(double(state.iterations()) * RowsPerTick, benchmark::Counter::kIsRate);
}

void BM_DisplayIntakeOnly(benchmark::State &state)
{
    Chart chart(unsigned(state.range(0)));
    for (auto _ : state) {
        chart.feed(RowsPerTick);
        chart.area->history().clearNewColumns();
    }
}

void BM_DisplayFullRedraw(benchmark::State &state)
{
    Chart chart(unsigned(state.range(0)));
    for (auto _ : state) {
        chart.area->applyScales(true);
        chart.area->repaint();
    }
}
}

BENCHMARK(BM_DisplayTick)->Arg(8000)->Arg(2400000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DisplayIntakeOnly)->Arg(8000)->Arg(2400000)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_DisplayFullRedraw)->Arg(8000)->Arg(2400000)->Unit(benchmark::kMicrosecond);

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

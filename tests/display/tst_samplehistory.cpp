#include "display/minmaxenvelope.h"
#include "display/samplehistory.h"

#include <QtTest>

#include <algorithm>
#include <cmath>
#include <numeric>
#include <random>
#include <utility>
#include <vector>

namespace {
using Bar = std::pair<float, float>;

Bar bar(const SampleHistory &h, quint64 column, unsigned channel = 0)
{
    std::vector<float> lo(h.channelsPerRow()), hi(h.channelsPerRow());
    if (!h.columnExtremes(column, lo.data(), hi.data()))
        return {NAN, NAN};
    return {lo[channel], hi[channel]};
}

void feed(SampleHistory &h, const std::vector<float> &values)
{
    for (float v : values)
        h.intake(&v);
}

std::vector<float> ramp(int count)
{
    std::vector<float> values(count);
    std::iota(values.begin(), values.end(), 1.0f);
    return values;
}
}

Q_DECLARE_METATYPE(Bar)
Q_DECLARE_METATYPE(std::vector<float>)

class TestSampleHistory : public QObject
{
    Q_OBJECT

    static constexpr unsigned longWindow = 600 * 4000;
    static constexpr quint64 spike = 1234567;

private slots:
    // Each column holds its own frames and the frame before them, so bars join.
    void columnsSpanTheirFramesAndThePreviousOne_data()
    {
        QTest::addColumn<unsigned>("window");
        QTest::addColumn<unsigned>("width");
        QTest::addColumn<std::vector<float>>("values");
        QTest::addColumn<quint64>("completed");
        QTest::addColumn<quint64>("column");
        QTest::addColumn<Bar>("expected");
        // 10 frames a column: the first column holds 10 values, every later one 11.
        QTest::newRow("decimate, first") << 8000u << 800u << ramp(10) << quint64(1) << quint64(0) << Bar(1, 10);
        QTest::newRow("decimate, later") << 8000u << 800u << ramp(8000) << quint64(800) << quint64(799) << Bar(7990, 8000);
        QTest::newRow("uneven 1000/333") << 1000u << 333u << ramp(1000) << quint64(333) << quint64(1) << Bar(4, 7);
        // 8 columns a frame: a segment from the previous value, then seven points.
        QTest::newRow("interpolate, one frame") << 100u << 800u << std::vector<float>{0.5f} << quint64(8) << quint64(7) << Bar(0.5f, 0.5f);
        QTest::newRow("interpolate, segment") << 100u << 800u << std::vector<float>{0.5f, -0.25f} << quint64(16) << quint64(8) << Bar(-0.25f, 0.5f);
        QTest::newRow("interpolate, point") << 100u << 800u << std::vector<float>{0.5f, -0.25f} << quint64(16) << quint64(15) << Bar(-0.25f, -0.25f);
        QTest::newRow("one frame a column") << 50u << 50u << std::vector<float>{3, 1, 4, 1, 5} << quint64(5) << quint64(2) << Bar(1, 4);
    }

    void columnsSpanTheirFramesAndThePreviousOne()
    {
        QFETCH(unsigned, window);
        QFETCH(unsigned, width);
        QFETCH(std::vector<float>, values);
        QFETCH(quint64, completed);
        QFETCH(quint64, column);
        SampleHistory h;
        QVERIFY(h.initialise(window, 10, 1));
        h.setGraphWidth(width);
        feed(h, values);
        QCOMPARE(h.completedColumns(), completed);
        QCOMPARE(h.newColumns(), unsigned(completed));
        QTEST(bar(h, column), "expected");
    }

    void fillRestartLimitsAndTracking()
    {
        SampleHistory h;
        QVERIFY(!h.initialise(100, 10, 145));
        QCOMPARE(h.channelsPerRow(), 0u);
        QCOMPARE(h.windowLength(), 8000u);

        QVERIFY(h.initialise(100, 10, 2));
        const float row[2] = {0.1f, 0.2f};
        for (int i = 0; i < 250; ++i)
            h.intake(row);
        // Without a width there are no columns, only frames.
        QCOMPARE(h.completedColumns(), quint64(0));
        QCOMPARE(h.ringFill(), 100u);
        h.setGraphWidth(10);
        QCOMPARE(h.completedColumns(), quint64(25));
        QCOMPARE(h.newColumns(), 0u);
        QCOMPARE(bar(h, 24, 1), Bar(0.2f, 0.2f));

        // Start: frame and column counts begin again, nothing old is shown.
        h.setRingFill(0);
        QCOMPARE(h.ringFill(), 0u);
        QCOMPARE(h.completedColumns(), quint64(0));
        QVERIFY(std::isnan(bar(h, 0).first));
        const float fresh[2] = {-0.5f, 0.5f};
        h.intake(fresh);
        QCOMPARE(bar(h, 0, 0), Bar(-0.5f, -0.5f));

        QVERIFY(h.initialise(0, 10, 1));
        QCOMPARE(h.windowLength(), 1u);

        // Autoscale tracking starts with the next frame.
        QVERIFY(h.initialise(100, 10, 1));
        h.setGraphWidth(10);
        feed(h, {0.9f, -0.9f});
        h.setAutoscaleState(1);
        feed(h, {0.25f});
        QCOMPARE(h.autoscaleState(), 2);
        feed(h, {0.5f, -0.75f});
        QVERIFY(h.trackedMin(0) == -0.75f && h.trackedMax(0) == 0.5f);
    }

    // A long window at the device's highest rate with every channel: the envelope
    // must stay small, and a one-frame spike must show at any width.
    void longWindowKeepsEverySpike()
    {
        SampleHistory h;
        QVERIFY(h.initialise(longWindow, 10, SampleHistory::MaxChannels));
        QVERIFY2(h.memoryBytes() < (std::size_t(100) << 20), qPrintable(QString::number(h.memoryBytes())));
        QVERIFY(h.envelope().baseBlock() > 1);
        std::vector<float> row(SampleHistory::MaxChannels, 0.0f);
        for (quint64 f = 0; f < longWindow + 500; ++f) {
            row[77] = f == spike ? 0.9f : 0.0f;
            h.intake(row.data());
        }
        for (unsigned width : {1920u, 1000u, 333u, 7u}) {
            h.setGraphWidth(width);
            std::vector<quint64> hits;
            for (quint64 j = h.completedColumns() - width; j < h.completedColumns(); ++j) {
                const Bar b = bar(h, j, 77);
                QCOMPARE(b.first, 0.0f);
                if (b.second == 0.9f)
                    hits.push_back(j);
            }
            // Its own column, and only the blocks that touch a column can widen it.
            const quint64 own = spike * width / longWindow;
            QVERIFY2(std::find(hits.begin(), hits.end(), own) != hits.end(), qPrintable(QString::number(width)));
            QVERIFY(hits.front() + 1 >= own && hits.back() <= own + 1);
        }
    }

    // Any range is answered with at least its own extremes and at most those of the
    // level-0 blocks it touches, whatever the block size.
    void envelopeAnswersAreBounded_data()
    {
        QTest::addColumn<unsigned>("block");
        QTest::newRow("single rows") << 1u;
        QTest::newRow("blocks of 4") << 4u;
        QTest::newRow("blocks of 64") << 64u;
    }

    void envelopeAnswersAreBounded()
    {
        QFETCH(unsigned, block);
        const unsigned channels = 3;
        const quint64 retained = 5000;
        // The budget that gives the wanted base block: blocks of 2 * channels floats.
        const std::size_t budget = ((retained + block - 1) / block + 2) * 2 * channels * sizeof(float);
        MinMaxEnvelope e;
        e.configure(channels, retained, budget);
        QCOMPARE(e.baseBlock(), block);
        std::mt19937 random(99);
        std::uniform_real_distribution<float> value(-1.0f, 1.0f);
        std::vector<float> rows;
        const quint64 total = 13000;
        for (quint64 r = 0; r < total; ++r) {
            for (unsigned c = 0; c < channels; ++c)
                rows.push_back(value(random) * (r % 97 == 0 ? 10.0f : 1.0f));
            e.append(&rows[r * channels]);
        }
        QCOMPARE(e.oldestRow(), total - retained);
        std::uniform_int_distribution<quint64> pick(e.oldestRow(), total - 1);
        auto extremesOf = [&](quint64 first, quint64 last, unsigned c) {
            Bar b{INFINITY, -INFINITY};
            for (quint64 r = first; r < last; ++r)
                b = {std::min(b.first, rows[r * channels + c]), std::max(b.second, rows[r * channels + c])};
            return b;
        };
        for (int i = 0; i < 2000; ++i) {
            quint64 first = pick(random), last = pick(random) + 1;
            if (first >= last)
                std::swap(first, last);
            float lo[channels], hi[channels];
            QVERIFY(e.extremes(first, last, lo, hi) == (first < last));
            if (first >= last)
                continue;
            const quint64 outerFirst = std::max(first / block * block, e.oldestRow());
            const quint64 outerLast = std::min((last + block - 1) / block * block, total);
            for (unsigned c = 0; c < channels; ++c) {
                const Bar inner = extremesOf(first, last, c);
                const Bar outer = extremesOf(outerFirst, outerLast, c);
                QVERIFY(lo[c] <= inner.first && hi[c] >= inner.second);
                QVERIFY(lo[c] >= outer.first && hi[c] <= outer.second);
            }
        }
    }
};

QTEST_GUILESS_MAIN(TestSampleHistory)
#include "tst_samplehistory.moc"

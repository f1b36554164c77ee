#include "display/samplehistory.h"

#include <QtTest>

#include <algorithm>
#include <random>
#include <utility>
#include <vector>

namespace {
// Lower and upper end of the bar of one column, whichever buffer holds which end.
std::pair<float, float> bar(const SampleHistory &h, unsigned column, unsigned channel)
{
    const float a = h.columnMin(column, channel);
    const float b = h.columnMax(column, channel);
    return {std::min(a, b), std::max(a, b)};
}

void feed(SampleHistory &h, float value)
{
    h.intake(&value);
}
}

class TestSampleHistory : public QObject
{
    Q_OBJECT

private slots:
    void init()
    {
        QTest::ignoreMessage(QtDebugMsg, "first enqSamples: init graphics #1");
    }

    void decimatesTenRowsPerColumnWithSharedBoundary()
    {
        SampleHistory h;
        QVERIFY(h.initialise(8000, 10, 1));
        h.setGraphWidth(800);
        for (int i = 1; i <= 10; ++i)
            feed(h, float(i));
        QCOMPARE(h.newColumns(), 1u);
        QCOMPARE(h.columnPosition(), 1u);
        // The first row both opens and fills the first column: ten distinct values.
        QCOMPARE(h.columnMin(0, 0), 1.0f);
        QCOMPARE(h.columnMax(0, 0), 10.0f);
        for (int i = 11; i <= 8000; ++i)
            feed(h, float(i));
        QCOMPARE(h.newColumns(), 800u);
        QCOMPARE(h.columnPosition(), 0u);
        QCOMPARE(h.accumulator(), 0u);
        // Every later bar spans 11 rows: its boundary row also closes the previous one.
        for (unsigned c = 1; c < 800; ++c) {
            QCOMPARE(h.columnMin(c, 0), float(10 * c));
            QCOMPARE(h.columnMax(c, 0), float(10 * c + 10));
        }
    }

    void interpolatesOneSegmentThenSevenPoints()
    {
        SampleHistory h;
        QVERIFY(h.initialise(100, 10, 1));
        h.setGraphWidth(800);
        feed(h, 0.5f);
        QCOMPARE(h.newColumns(), 8u);
        for (unsigned c = 0; c < 8; ++c)
            QCOMPARE(bar(h, c, 0), std::make_pair(0.5f, 0.5f));
        feed(h, -0.25f);
        QCOMPARE(h.newColumns(), 16u);
        QCOMPARE(h.columnPosition(), 16u);
        QCOMPARE(h.accumulator(), 0u);
        QCOMPARE(bar(h, 8, 0), std::make_pair(-0.25f, 0.5f));
        for (unsigned c = 9; c < 16; ++c)
            QCOMPARE(bar(h, c, 0), std::make_pair(-0.25f, -0.25f));
        for (int i = 2; i < 100; ++i)
            feed(h, 0.0f);
        QCOMPARE(h.newColumns(), 800u);
        QCOMPARE(h.columnPosition(), 0u);
    }

    void widthEqualToWindowGivesOneColumnPerRow()
    {
        SampleHistory h;
        QVERIFY(h.initialise(50, 10, 1));
        h.setGraphWidth(50);
        const float values[] = {3, 1, 4, 1, 5};
        for (float v : values)
            feed(h, v);
        QCOMPARE(h.newColumns(), 5u);
        QCOMPARE(bar(h, 0, 0), std::make_pair(3.0f, 3.0f));
        QCOMPARE(bar(h, 1, 0), std::make_pair(1.0f, 3.0f));
        QCOMPARE(bar(h, 2, 0), std::make_pair(1.0f, 4.0f));
        QCOMPARE(bar(h, 3, 0), std::make_pair(1.0f, 4.0f));
        QCOMPARE(bar(h, 4, 0), std::make_pair(1.0f, 5.0f));
    }

    void ringFillSaturatesAndPositionWraps()
    {
        SampleHistory h;
        QVERIFY(h.initialise(5, 10, 2));
        h.setGraphWidth(20);
        for (int i = 1; i <= 4; ++i) {
            const float row[2] = {float(i), float(-i)};
            h.intake(row);
        }
        QCOMPARE(h.ringPosition(), 4u);
        QCOMPARE(h.ringFill(), 4u);
        for (int i = 5; i <= 7; ++i) {
            const float row[2] = {float(i), float(-i)};
            h.intake(row);
        }
        QCOMPARE(h.ringFill(), 5u);
        QCOMPARE(h.ringPosition(), 2u);
        QCOMPARE(h.ringRow(2)[0], 7.0f);
        QCOMPARE(h.ringRow(2)[1], -7.0f);
        QCOMPARE(h.ringRow(0)[0], 5.0f);
        QCOMPARE(h.ringRow(3)[0], 3.0f);
    }

    void firstRowAfterResetOpensTheColumn()
    {
        SampleHistory h;
        QVERIFY(h.initialise(8000, 10, 1));
        h.setGraphWidth(800);
        for (int i = 0; i < 25; ++i)
            feed(h, -0.9f);
        const unsigned column = h.columnPosition();
        h.setRingFill(0);
        QTest::ignoreMessage(QtDebugMsg, "first enqSamples: init graphics #1");
        feed(h, 0.3f);
        QCOMPARE(h.columnMin(column, 0), 0.3f);
        QCOMPARE(h.columnMax(column, 0), 0.3f);
        QCOMPARE(h.ringFill(), 1u);
        for (int i = 0; i < 10; ++i)
            feed(h, 0.3f);
        // The column closed after the reset holds none of the rows before it.
        QCOMPARE(bar(h, column, 0), std::make_pair(0.3f, 0.3f));
    }

    void noColumnWritesBeforeAWidthIsSet()
    {
        SampleHistory h;
        QVERIFY(h.initialise(100, 10, 3));
        const float row[3] = {0.1f, 0.2f, 0.3f};
        for (int i = 0; i < 250; ++i)
            h.intake(row);
        QCOMPARE(h.newColumns(), 0u);
        QCOMPARE(h.ringFill(), 100u);
        h.setGraphWidth(10);
        QCOMPARE(bar(h, 9, 2), std::make_pair(0.3f, 0.3f));
    }

    void refusesMoreThan144ChannelsAndEmptyWindow()
    {
        SampleHistory h;
        QVERIFY(!h.initialise(100, 10, 145));
        QCOMPARE(h.channelsPerRow(), 0u);
        QCOMPARE(h.windowLength(), 8000u);
        QVERIFY(h.initialise(0, 10, 1));
        h.setGraphWidth(10);
        feed(h, 1.0f);
        feed(h, 2.0f);
        QCOMPARE(h.ringFill(), 1u);
        QCOMPARE(h.ringPosition(), 0u);
    }

    void rebuildEqualsIncrementalIntake_data()
    {
        QTest::addColumn<unsigned>("window");
        QTest::addColumn<unsigned>("width");
        QTest::newRow("decimate 8000/800") << 8000u << 800u;
        QTest::newRow("decimate 1000/333") << 1000u << 333u;
        QTest::newRow("equal 640/640") << 640u << 640u;
        QTest::newRow("interpolate 100/800") << 100u << 800u;
        QTest::newRow("interpolate 70/333") << 70u << 333u;
    }

    void rebuildEqualsIncrementalIntake()
    {
        QFETCH(unsigned, window);
        QFETCH(unsigned, width);
        SampleHistory h;
        QVERIFY(h.initialise(window, 10, 3));
        h.setGraphWidth(width);
        std::mt19937 random(1234);
        std::uniform_real_distribution<float> value(-1.0f, 1.0f);
        for (unsigned i = 0; i < window; ++i) {
            const float row[3] = {value(random), value(random), value(random)};
            h.intake(row);
        }
        std::vector<std::pair<float, float>> incremental;
        for (unsigned c = 0; c < width; ++c)
            for (unsigned k = 0; k < 3; ++k)
                incremental.push_back(bar(h, c, k));
        const unsigned position = h.columnPosition();
        const unsigned accumulator = h.accumulator();
        h.rebuildColumns();
        QCOMPARE(h.columnPosition(), position);
        QCOMPARE(h.accumulator(), accumulator);
        std::vector<std::pair<float, float>> rebuilt;
        for (unsigned c = 0; c < width; ++c)
            for (unsigned k = 0; k < 3; ++k)
                rebuilt.push_back(bar(h, c, k));
        QVERIFY(rebuilt == incremental);
    }

    void rebuiltColumnsContinueSeamlessly()
    {
        SampleHistory h;
        QVERIFY(h.initialise(1000, 10, 1));
        h.setGraphWidth(100);
        for (int i = 0; i < 1500; ++i)
            feed(h, float(i));
        h.rebuildColumns();
        // Oldest rows at the left edge, the newest in the column right before the position.
        QCOMPARE(h.columnPosition(), 0u);
        QCOMPARE(bar(h, h.bufferColumn(0), 0), std::make_pair(500.0f, 509.0f));
        QCOMPARE(bar(h, h.bufferColumn(99), 0), std::make_pair(1489.0f, 1499.0f));
        feed(h, 1500.0f);
        QCOMPARE(h.newColumns(), 150u);
    }

    void autoscaleTrackingStartsAtTheNextColumn()
    {
        SampleHistory h;
        QVERIFY(h.initialise(100, 10, 1));
        h.setGraphWidth(10);
        for (int i = 0; i < 10; ++i)
            feed(h, 0.0f);
        h.setAutoscaleState(1);
        for (int i = 0; i < 9; ++i)
            feed(h, 0.25f);
        QCOMPARE(h.autoscaleState(), 1);
        feed(h, 0.5f);
        QCOMPARE(h.autoscaleState(), 2);
        QCOMPARE(h.trackedMin(0), 0.0f - 1e-14f);
        QCOMPARE(h.trackedMax(0), 0.5f + 1e-14f);
        for (int i = 0; i < 10; ++i)
            feed(h, -0.75f);
        QCOMPARE(h.trackedMin(0), -0.75f);
        QCOMPARE(h.trackedMax(0), 0.5f + 1e-14f);
    }

    void rebuildLeavesTrackingToLiveColumns()
    {
        SampleHistory h;
        QVERIFY(h.initialise(100, 10, 1));
        h.setAutoscaleState(1);
        h.setGraphWidth(10);  // rebuilds from a ring of zeros
        QCOMPARE(h.autoscaleState(), 1);
        for (int i = 0; i < 10; ++i)
            feed(h, 0.5f);
        QCOMPARE(h.autoscaleState(), 2);
        QCOMPARE(h.trackedMin(0), 0.5f);
    }
};

QTEST_GUILESS_MAIN(TestSampleHistory)
#include "tst_samplehistory.moc"

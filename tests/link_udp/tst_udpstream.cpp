#include "udptestsupport.h"
#include "link/lossframeindex.h"

#include <QElapsedTimer>
#include <QtTest>

namespace {

constexpr int Generous = 10000;
// Default device layout 8,0,2,2: status word, 8 × 24-bit, 2 IMUs, 2 AUX words.
constexpr int FrameSize = 4 + 4 * 8 + 12 * 2 + 2 * 2;
constexpr int AuxOffset = FrameSize - 4;
constexpr int ImuOffset = 4 + 4 * 8;

// Checks each frame as it comes: the status word is the frame number, the AUX words are
// the frame number and its successor, the IMU words never change, the 24-bit values stay
// within half full scale.
struct FrameChecker
{
    bool contiguous = true;     // every frame number must follow the previous one
    qint64 frames = 0;
    qint64 gaps = 0;
    quint32 last = 0;
    QByteArray imu;
    QString error;

    void feed(const QByteArray &bytes)
    {
        if (bytes.size() % FrameSize != 0 && error.isEmpty())
            error = QString("partial frame: %1 bytes").arg(bytes.size());
        for (int at = 0; at + FrameSize <= bytes.size() && error.isEmpty(); at += FrameSize)
            check(bytes.constData() + at);
    }

    void check(const char *f)
    {
        const quint32 n = qFromLittleEndian<quint32>(f);
        if (frames > 0 && n != last + 1) {
            if (contiguous || n <= last)
                error = QString("frame %1 after %2").arg(n).arg(last);
            ++gaps;
        }
        if (qFromLittleEndian<quint16>(f + AuxOffset) != quint16(n)
            || qFromLittleEndian<quint16>(f + AuxOffset + 2) != quint16(n + 1))
            error = QString("AUX words of frame %1").arg(n);
        for (int k = 0; k < 8; ++k) {
            const qint32 v = qFromLittleEndian<qint32>(f + 4 + 4 * k);
            if (v > (1 << 30) || v < -(1 << 30))
                error = QString("24-bit value %1 of frame %2").arg(v).arg(n);
        }
        const QByteArray imuNow(f + ImuOffset, 24);
        if (imu.isEmpty())
            imu = imuNow;
        else if (imu != imuNow)
            error = QString("IMU words of frame %1").arg(n);
        last = n;
        ++frames;
    }
};

void quietDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    // The link traces every reordered packet; keep the test log to what matters.
    if (type != QtDebugMsg)
        fprintf(stderr, "%s\n", qPrintable(message));
}

// Runs a stream for the given time, reading every 30 ms as the acquisition loop does, and
// stops it the way the main window does.
void runStream(udp_com &link, FrameChecker &checker, int milliseconds)
{
    link.resetIncoming();
    link.sendCommand("init", false, true, false, 0);
    QElapsedTimer clock;
    clock.start();
    QByteArray bytes;
    while (clock.elapsed() < milliseconds && checker.error.isEmpty()) {
        QTest::qWait(30);
        link.readBlocks(bytes, FrameSize);
        checker.feed(bytes);
    }
    link.sendWhileStreaming("abort\n");
    QTRY_VERIFY_WITH_TIMEOUT(link.dataTimedOut(), Generous);
    link.readBlocks(bytes, FrameSize);
    checker.feed(bytes);
}

} // namespace

class TestUdpStream : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void lossesBecomeGapRows_data();
    void lossesBecomeGapRows();
    void initClearsCountersInAnyCase();
    void lossAndReorderWithRetransmissionArrivesComplete();
};

void TestUdpStream::initTestCase()
{
    qputenv(WifiEndpoint::OverrideVariable, "127.0.0.1:9");
    qInstallMessageHandler(quietDebug);
}

void TestUdpStream::cleanupTestCase()
{
    qInstallMessageHandler(nullptr);
}

// What a consumer of the link does each step: whole frames into rows, each loss into a
// gap row (the frame index where it lies, the frames lost).
struct Rows
{
    QByteArray frames;
    QVector<quint64> gapAt;
    QVector<LostFrames> gapLost;
    LossFrameIndex index{FrameSize};

    void step(myAdw &link)
    {
        QByteArray out;
        link.readBlocks(out, FrameSize);
        frames += out;
        for (const StreamLoss &loss : link.takeStreamLosses()) {
            gapAt << index.indexOf(loss);
            gapLost << lostFrames(loss, FrameSize);
        }
    }
    quint64 rows() const { return quint64(frames.size() / FrameSize); }
    quint32 number(quint64 row) const { return qFromLittleEndian<quint32>(frames.constData() + row * FrameSize); }
};

void TestUdpStream::lossesBecomeGapRows_data()
{
    QTest::addColumn<QStringList>("shape");
    QTest::addColumn<bool>("exact");
    QTest::newRow("one frame per datagram") << QStringList{"--udp-frames", "1"} << true;
    QTest::newRow("three frames per datagram") << QStringList{"--udp-frames", "3"} << true;
    QTest::newRow("varying frames per datagram") << QStringList{"--udp-vary", "--udp-payload", "640"} << false;
}

// Without retransmission: every stored frame is the one devsim sent for its row, and the
// rows plus the frames lost add up to the frames sent, exactly when every datagram
// carried the same number of frames. (Datagrams lost at the very end of a stream leave no
// trace a receiver could see; the count runs up to the last frame received.)
void TestUdpStream::lossesBecomeGapRows()
{
    QFETCH(QStringList, shape);
    QFETCH(bool, exact);
    DevsimProcess sim;
    QVERIFY(startDevsim(sim, QStringList{"--seed", "7", "--no-retransmit", "--drop", "0.05", "--reorder", "0.05",
                                         "--data-log", sim.dataLogFile()} + shape));
    auto link = loopbackLink(sim.udpEndpoint());
    QVERIFY(link);
    QVERIFY(link->open(DeviceInfo()));

    Rows rows;
    link->sendCommand("init", false, true, false, 0);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 3000) {
        QTest::qWait(30);
        rows.step(*link);
    }
    link->sendWhileStreaming("abort\n");
    QTRY_VERIFY_WITH_TIMEOUT(link->dataTimedOut(), Generous);
    QVERIFY(sim.sync());
    QTest::qWait(100);
    rows.step(*link);

    QVERIFY(rows.rows() > 1000);
    QVERIFY(!rows.gapAt.isEmpty());
    quint64 lost = 0;
    int gap = 0;
    for (quint64 row = 0; row < rows.rows(); ++row) {
        while (gap < rows.gapAt.size() && rows.gapAt[gap] <= row) {
            QCOMPARE(rows.gapLost[gap].exact, exact);
            // The frames really lost here, by the numbers on both sides of the gap.
            const quint64 before = row == 0 ? 0 : rows.number(row - 1) + 1;
            const quint64 estimate = rows.gapLost[gap].frames;
            if (exact)
                QCOMPARE(estimate, quint64(rows.number(row)) - before);
            else
                QVERIFY(qAbs(qint64(estimate) - qint64(rows.number(row) - before)) < 10);
            lost += estimate;
            ++gap;
        }
        if (exact)
            QCOMPARE(quint64(rows.number(row)), row + lost);
    }
    FrameChecker checker;
    checker.contiguous = false;
    checker.feed(rows.frames);
    QVERIFY2(checker.error.isEmpty(), qPrintable(checker.error));
    const quint64 sentUpToLast = rows.number(rows.rows() - 1) + 1;
    qInfo("rows %llu gaps %d lost %llu sent %llu", rows.rows(), rows.gapAt.size(), lost, sentUpToLast);
    if (exact)
        QCOMPARE(rows.rows() + lost, sentUpToLast);
    // devsim's own account agrees on which frames it sent up to there.
    quint64 logged = 0;
    for (const DevsimProcess::DataUnit &u : sim.dataUnits("udp")) {
        if (u.first < sentUpToLast && !u.fate.startsWith("resent"))
            logged += u.count;
    }
    QCOMPARE(logged, sentUpToLast);
}

void TestUdpStream::initClearsCountersInAnyCase()
{
    DevsimProcess sim;
    QVERIFY(startDevsim(sim, {"--no-retransmit", "--drop", "0.2", "--udp-frames", "1"}));
    auto link = loopbackLink(sim.udpEndpoint());
    QVERIFY(link);
    QVERIFY(link->open(DeviceInfo()));
    link->sendCommand("init", false, true, false, 0);
    const UdpReorder &r = const_cast<UdpReceiver &>(link->receiveState()).reorder();
    QTRY_VERIFY_WITH_TIMEOUT(r.lostPackets() > 0, Generous);
    link->sendWhileStreaming("abort\n");
    QTRY_VERIFY_WITH_TIMEOUT(link->dataTimedOut(), Generous);
    QVERIFY(link->report().count('\n') >= 1);
    link->sendCommand("InIt", false, true, false, 0);
    QVERIFY(!link->dataTimedOut());
    QCOMPARE(r.lostPackets(), 0u);
    QCOMPARE(r.retransmits(), 0u);
    QCOMPARE(r.packetsReceived(), 0u);
    QVERIFY(link->report().isEmpty());
    QVERIFY(link->takeStreamLosses().isEmpty());
    link->sendWhileStreaming("abort\n");
}

void TestUdpStream::lossAndReorderWithRetransmissionArrivesComplete()
{
    DevsimProcess sim;
    QVERIFY(startDevsim(sim, {"--udp-payload", QString::number(FrameSize),
                             "--seed", "11"}));
    sim.command("retransmit on");
    sim.command("drop 0.05");
    sim.command("reorder 0.05");
    auto link = loopbackLink(sim.udpEndpoint());
    QVERIFY(link);
    QVERIFY(link->open(DeviceInfo()));

    FrameChecker checker;
    runStream(*link, checker, 20000);
    QVERIFY2(checker.error.isEmpty(), qPrintable(checker.error));

    const qint64 sent = devsimStat(sim, "data");
    const qint64 resent = devsimStat(sim, "retransmitted");
    const qint64 dropped = devsimStat(sim, "dropped");
    const UdpReorder &r = const_cast<UdpReceiver &>(link->receiveState()).reorder();
    const qint64 frames = sent - resent;   // one frame per original packet
    qInfo("frames %lld delivered %lld dropped %lld resent %lld lost %u retransmits %u", frames,
          checker.frames, dropped, resent, r.lostPackets(), r.retransmits());
    QVERIFY(frames >= 19000);
    QVERIFY(dropped > 0 && resent > 0);
    QCOMPARE(r.lostPackets(), 0u);
    QCOMPARE(checker.gaps, 0);
    // Complete: every frame up to the last few, whose resend never got its acknowledgement
    // round once the stream stopped, is there.
    QVERIFY2(checker.frames >= frames - UdpReorder::ResyncPending,
             qPrintable(QString("%1 of %2").arg(checker.frames).arg(frames)));
    QCOMPARE(qint64(r.expectedIndex()), checker.frames);
}

QTEST_GUILESS_MAIN(TestUdpStream)
#include "tst_udpstream.moc"

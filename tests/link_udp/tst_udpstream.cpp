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

quint32 number(const QByteArray &frames, quint64 row)
{
    return qFromLittleEndian<quint32>(frames.constData() + row * FrameSize);
}

// What devsim sends in frame n: n in the status word, n and n + 1 in the AUX words, IMU
// words that never change, 24-bit values within half full scale. Frame numbers only go up.
QString checkFrames(const QByteArray &frames, bool contiguous)
{
    if (frames.size() % FrameSize != 0)
        return QString("partial frame: %1 bytes").arg(frames.size());
    for (int at = 0; at < frames.size(); at += FrameSize) {
        const char *f = frames.constData() + at;
        const quint32 n = qFromLittleEndian<quint32>(f);
        if (at > 0 && (contiguous ? n != number(frames, at / FrameSize - 1) + 1 : n <= number(frames, at / FrameSize - 1)))
            return QString("frame %1 at row %2").arg(n).arg(at / FrameSize);
        if (qFromLittleEndian<quint16>(f + AuxOffset) != quint16(n)
            || qFromLittleEndian<quint16>(f + AuxOffset + 2) != quint16(n + 1))
            return QString("AUX words of frame %1").arg(n);
        for (int k = 0; k < 8; ++k) {
            if (qAbs(qFromLittleEndian<qint32>(f + 4 + 4 * k)) > (1 << 30))
                return QString("24-bit value %1 of frame %2").arg(k).arg(n);
        }
        if (memcmp(f + ImuOffset, frames.constData() + ImuOffset, 24) != 0)
            return QString("IMU words of frame %1").arg(n);
    }
    return QString();
}

void quietDebug(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    // The link traces every reordered packet; keep the test log to what matters.
    if (type != QtDebugMsg)
        fprintf(stderr, "%s\n", qPrintable(message));
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
};

// Streams for `milliseconds`, reading every 30 ms as the acquisition loop does, and stops
// the way the main window does.
void stream(udp_com &link, DevsimProcess &sim, Rows &rows, int milliseconds)
{
    link.sendCommand("init", false, true, false, 0);
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds) {
        QTest::qWait(30);
        rows.step(link);
    }
    link.sendWhileStreaming("abort\n");
    QTRY_VERIFY_WITH_TIMEOUT(link.dataTimedOut(), Generous);
    QVERIFY(sim.sync());
    QTest::qWait(100);
    rows.step(link);
}

} // namespace

class TestUdpStream : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        qputenv(WifiEndpoint::OverrideVariable, "127.0.0.1:9");
        qInstallMessageHandler(quietDebug);
    }
    void cleanupTestCase() { qInstallMessageHandler(nullptr); }
    void lossesBecomeGapRows_data();
    void lossesBecomeGapRows();
    void withRetransmissionArrivesComplete();
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
    QVERIFY(link && link->open(DeviceInfo()));
    Rows rows;
    stream(*link, sim, rows, 1500);

    QVERIFY(rows.rows() > 1000);
    QVERIFY(!rows.gapAt.isEmpty());
    quint64 lost = 0;
    int gap = 0;
    for (quint64 row = 0; row < rows.rows(); ++row) {
        while (gap < rows.gapAt.size() && rows.gapAt[gap] <= row) {
            QCOMPARE(rows.gapLost[gap].exact, exact);
            // The frames really lost here, by the numbers on both sides of the gap.
            const quint64 missing = number(rows.frames, row) - (row == 0 ? 0 : number(rows.frames, row - 1) + 1);
            const quint64 estimate = rows.gapLost[gap].frames;
            QVERIFY(exact ? estimate == missing : qAbs(qint64(estimate) - qint64(missing)) < 10);
            lost += estimate;
            ++gap;
        }
        if (exact)
            QCOMPARE(quint64(number(rows.frames, row)), row + lost);
    }
    const QString error = checkFrames(rows.frames, false);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    const quint64 sentUpToLast = number(rows.frames, rows.rows() - 1) + 1;
    if (exact)
        QCOMPARE(rows.rows() + lost, sentUpToLast);
    // devsim's own account agrees on which frames it sent up to there.
    quint64 logged = 0;
    for (const DevsimProcess::DataUnit &u : sim.dataUnits("udp")) {
        if (u.first < sentUpToLast && !u.fate.startsWith("resent"))
            logged += u.count;
    }
    QCOMPARE(logged, sentUpToLast);

    // A new stream clears every counter, whatever the case of its command.
    QVERIFY(link->report().count('\n') >= 1);
    link->sendCommand("InIt", false, true, false, 0);
    const UdpReorder &r = const_cast<UdpReceiver &>(link->receiveState()).reorder();
    QVERIFY(!link->dataTimedOut());
    QVERIFY(r.lostPackets() == 0 && r.retransmits() == 0 && r.packetsReceived() == 0);
    QVERIFY(link->report().isEmpty() && link->takeStreamLosses().isEmpty());
    link->sendWhileStreaming("abort\n");
}

void TestUdpStream::withRetransmissionArrivesComplete()
{
    DevsimProcess sim;
    QVERIFY(startDevsim(sim, {"--udp-payload", QString::number(FrameSize), "--seed", "11"}));
    sim.command("retransmit on");
    sim.command("drop 0.05");
    sim.command("reorder 0.05");
    auto link = loopbackLink(sim.udpEndpoint());
    QVERIFY(link && link->open(DeviceInfo()));
    Rows rows;
    stream(*link, sim, rows, 3000);
    const QString error = checkFrames(rows.frames, true);
    QVERIFY2(error.isEmpty(), qPrintable(error));

    const qint64 frames = sim.stat("data") - sim.stat("retransmitted");   // one frame per original packet
    const UdpReorder &r = const_cast<UdpReceiver &>(link->receiveState()).reorder();
    QVERIFY(frames >= 2500);
    QVERIFY(sim.stat("dropped") > 0 && sim.stat("retransmitted") > 0);
    QCOMPARE(r.lostPackets(), 0u);
    QVERIFY(rows.gapAt.isEmpty());
    // Complete: every frame up to the last few, whose resend never got its acknowledgement
    // round once the stream stopped, is there.
    QVERIFY2(qint64(rows.rows()) >= frames - UdpReorder::ResyncPending,
             qPrintable(QString("%1 of %2").arg(rows.rows()).arg(frames)));
    QCOMPARE(quint64(r.expectedIndex()), rows.rows());
}

QTEST_GUILESS_MAIN(TestUdpStream)
#include "tst_udpstream.moc"

#include "udptestsupport.h"

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
    void lossWithoutRetransmissionIsBooked();
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

void TestUdpStream::lossWithoutRetransmissionIsBooked()
{
    // One frame per datagram, so that packets and frames count alike.
    DevsimProcess sim;
    QVERIFY(startDevsim(sim, {"--udp-payload", QString::number(FrameSize),
                             "--seed", "7"}));
    sim.command("retransmit off");
    sim.command("drop 0.05");
    sim.command("reorder 0.05");
    auto link = loopbackLink(sim.udpEndpoint());
    QVERIFY(link);
    QVERIFY(link->open(DeviceInfo()));

    FrameChecker checker;
    checker.contiguous = false;
    runStream(*link, checker, 4000);
    QVERIFY2(checker.error.isEmpty(), qPrintable(checker.error));

    const qint64 sent = devsimStat(sim, "data");
    const qint64 dropped = devsimStat(sim, "dropped");
    const UdpReorder &r = const_cast<UdpReceiver &>(link->receiveState()).reorder();
    const qint64 delivered = checker.frames;
    const qint64 lost = r.lostPackets();
    // Whatever is not delivered nor booked lost is still waiting at the end of the stream:
    // the packets from the expected index on, a few of them held behind a last gap.
    const qint64 stillPending = sent - qint64(r.expectedIndex());
    qInfo("sent %lld dropped %lld delivered %lld lost %lld pending %lld (%d held)", sent, dropped,
          delivered, lost, stillPending, r.pendingCount());
    QVERIFY(sent > 3000);
    QCOMPARE(qint64(r.deliveredPackets()), delivered);
    QCOMPARE(delivered + lost + stillPending, sent);
    QVERIFY(stillPending >= r.pendingCount() && stillPending <= UdpReorder::ResyncPending + 5);
    QVERIFY(lost >= dropped - stillPending);   // more only if the host itself dropped some
    QVERIFY(checker.gaps <= lost);
    QVERIFY(link->report().count('\n') >= 1);

    // A new "init", in any letter case, clears the time-out and the counters.
    QVERIFY(link->dataTimedOut());
    link->resetIncoming();
    link->sendCommand("InIt", false, true, false, 0);
    QVERIFY(!link->dataTimedOut());
    QCOMPARE(r.lostPackets(), 0u);
    QCOMPARE(r.retransmits(), 0u);
    QCOMPARE(r.packetsReceived(), 0u);
    QVERIFY(link->report().isEmpty());
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

#include "devsimprocess.h"
#include "link/serialcom.h"
#include "link/serialportlist.h"

#include <QElapsedTimer>
#include <QtEndian>
#include <ctime>
#include <QSignalSpy>
#include <QtTest>

// The serial link against devsim on a real pseudo-terminal.
class tst_serialcom : public QObject
{
    Q_OBJECT

    DevsimProcess devsim;
    SerialCom *link = nullptr;

    bool openLink(SerialCom &target);
    bool portListed();
    void startStream(QByteArray *raw);
    static QByteArray payloadOf(const QByteArray &stream);

private slots:
    void initTestCase();
    void init();
    void cleanup();
    void queryIsAnswered();
    void commandsAnsweredInOrder();
    void silentDeviceGivesEmptySuccess();
    void unexpectedAnswerIsCounted();
    void streamLandsIntact();
    void streamDamageIsBookedAndSkipped_data();
    void streamDamageIsBookedAndSkipped();
    void commandWhileStreamingEndsStream();
    void commandBehindStreamingGoesOut();
    void deviceStreamingAtOpen();
    void strayBytesAreNoAnswer();
    void closeWithinASecond_data();
    void closeWithinASecond();
    void unplugWhileIdleIsNoAnswer();
    void unplugWhileStreaming();
};

bool tst_serialcom::openLink(SerialCom &target)
{
    QList<DeviceInfo> devices;
    target.scanDevices(devices);
    for (const DeviceInfo &d : devices) {
        if (d.portName != devsim.serialPath())
            continue;
        QSignalSpy opened(&target, SIGNAL(onOpenResults(bool)));
        if (!target.open(d))
            return false;
        if (!opened.wait(10000) || !opened.at(0).at(0).toBool())
            return false;
        return target.isOpen();
    }
    return false;
}

bool tst_serialcom::portListed()
{
    QList<DeviceInfo> devices;
    link->scanDevices(devices);
    for (const DeviceInfo &d : devices) {
        if (d.portName == devsim.serialPath())
            return true;
    }
    return false;
}

// The test's own reading of the block framing, for comparison with the link's.
QByteArray tst_serialcom::payloadOf(const QByteArray &stream)
{
    QByteArray payload;
    int at = stream.indexOf('#');
    while (at >= 0 && at + 2 <= stream.size()) {
        const int digits = stream.at(at + 1) - '0';
        const int length = stream.mid(at + 2, digits).toInt();
        if (at + 2 + digits + length > stream.size())
            break;
        payload += stream.mid(at + 2 + digits, length);
        at = stream.indexOf('#', at + 2 + digits + length);
    }
    return payload;
}

void tst_serialcom::initTestCase()
{
#ifndef DEVSIM_EXECUTABLE
    QSKIP("devsim is not built");
#endif
    QVERIFY2(devsim.start({"--pty", "--unaligned"}), devsim.allOutput().constData());
    qputenv(SerialPortList::environmentVariable(), devsim.portsFile().toLocal8Bit());
}

void tst_serialcom::init()
{
    link = new SerialCom;
    QVERIFY(openLink(*link));
}

void tst_serialcom::cleanup()
{
    delete link;
    link = nullptr;
}

void tst_serialcom::queryIsAnswered()
{
    QSignalSpy responses(link, SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));
    QVERIFY(link->sendCommand("*idn?", true, false, false, 0));
    QVERIFY(responses.wait(10000));
    QCOMPARE(responses.at(0).at(0).toBool(), true);
    QCOMPARE(responses.at(0).at(1).toByteArray(), QByteArray("*idn?"));
    const QByteArray answer = responses.at(0).at(2).toByteArray();
    QVERIFY(!answer.isEmpty());
    QVERIFY(!answer.endsWith('\n') && !answer.endsWith('\r'));
    QCOMPARE(link->lastResponse(), answer);
    QCOMPARE(link->errorCount(), 0);
}

void tst_serialcom::commandsAnsweredInOrder()
{
    QSignalSpy responses(link, SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));
    link->sendCommand("conf:sca:num?", true, false, false, 0);
    link->sendCommand("*idn?", true, false, false, 0);
    QCOMPARE(link->pendingCommands(), 2);
    // Without running the event loop: once the count is 0, the last answer must already
    // be on its way to this thread.
    QElapsedTimer clock;
    clock.start();
    while (link->pendingCommands() != 0 && clock.elapsed() < 10000)
        QThread::msleep(1);
    QCOMPARE(link->pendingCommands(), 0);
    QCoreApplication::sendPostedEvents(link, QEvent::MetaCall);
    QCOMPARE(responses.count(), 2);
    QCOMPARE(responses.at(0).at(1).toByteArray(), QByteArray("conf:sca:num?"));
    QCOMPARE(responses.at(0).at(2).toByteArray().count(','), 3);
    QCOMPARE(responses.at(1).at(1).toByteArray(), QByteArray("*idn?"));
    QVERIFY(responses.at(0).at(0).toBool() && responses.at(1).at(0).toBool());
}

void tst_serialcom::silentDeviceGivesEmptySuccess()
{
    devsim.command("silent on");
    QSignalSpy responses(link, SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));
    QElapsedTimer clock;
    clock.start();
    link->sendCommand("*idn?", true, false, false, 400);
    QVERIFY(responses.wait(10000));
    QVERIFY(clock.elapsed() >= 400);   // the first wait is the caller's
    QCOMPARE(responses.at(0).at(0).toBool(), true);
    QCOMPARE(responses.at(0).at(2).toByteArray(), QByteArray());
    // Without an expected answer, silence yields no signal at all.
    link->sendCommand("*rst", false, false, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(link->pendingCommands(), 0, 10000);
    QTest::qWait(100);
    QCOMPARE(responses.count(), 1);
    devsim.command("silent off");
}

void tst_serialcom::unexpectedAnswerIsCounted()
{
    QSignalSpy responses(link, SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));
    link->sendCommand("*idn?", false, false, false, 0);
    QVERIFY(responses.wait(10000));
    QCOMPARE(responses.at(0).at(0).toBool(), false);
    QCOMPARE(responses.at(0).at(1).toByteArray(), QByteArray("*idn?"));
    QVERIFY(!responses.at(0).at(2).toByteArray().isEmpty());
    QCOMPARE(link->errorCount(), 1);
    QCOMPARE(link->lastError(), responses.at(0).at(2).toByteArray());
    link->resetErrorCount();
    QCOMPARE(link->errorCount(), 0);
}

void tst_serialcom::startStream(QByteArray *raw)
{
    connect(link, &myAdw::onDataReady, this, [raw](const QByteArray &data) { *raw += data; });
    QVERIFY(link->sendCommand("init", false, true, false, 0));
    QVERIFY(link->isStreaming());
    QVERIFY(!link->dataTimedOut());
    QTRY_VERIFY_WITH_TIMEOUT(raw->size() > 20000, 10000);
}

void tst_serialcom::streamLandsIntact()
{
    QByteArray raw, frames;
    QSignalSpy timeouts(link, SIGNAL(onDataTimeout()));
    startStream(&raw);
    const quint32 frameSize = 64;
    QByteArray out;
    for (int i = 0; i < 20; ++i) {
        const quint32 n = link->readBlocks(out, frameSize);
        QCOMPARE(quint32(out.size()), n * frameSize);
        frames += out;
        QTest::qWait(15);
    }
    QVERIFY(link->sendWhileStreaming("abort\n"));
    QVERIFY(!link->sendWhileStreaming("abort\n"));   // one write may wait at a time
    QVERIFY(timeouts.wait(10000));
    QVERIFY(link->dataTimedOut());
    QCOMPARE(timeouts.count(), 1);
    QTest::qWait(400);   // a further quiet wait does not report again
    QCOMPARE(timeouts.count(), 1);
    link->readBlocks(out, frameSize);
    frames += out;
    QVERIFY(link->readBlocks(out, 0) < frameSize);
    frames += out;
    QVERIFY(!link->decoderFailed());
    QCOMPARE(frames.size(), payloadOf(raw).size());
    QVERIFY(frames == payloadOf(raw));
    // Back in command mode: the link answers queries again.
    QSignalSpy responses(link, SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));
    link->sendCommand("*idn?", true, false, false, 0);
    QVERIFY(responses.wait(10000));
    QVERIFY(!responses.at(0).at(2).toByteArray().isEmpty());
}

void tst_serialcom::streamDamageIsBookedAndSkipped_data()
{
    QTest::addColumn<QByteArray>("fault");
    QTest::addColumn<bool>("exact");
    QTest::newRow("bad header") << QByteArray("badheader") << false;
    QTest::newRow("bad terminator") << QByteArray("badterminator") << true;
}

// One damaged block of five frames: the link skips exactly it, books the loss where the
// stream resumes, and every frame it delivers is one devsim sent, whole.
void tst_serialcom::streamDamageIsBookedAndSkipped()
{
    QFETCH(QByteArray, fault);
    QFETCH(bool, exact);
    const int frameSize = 64;
    DevsimProcess sim;
    QVERIFY(sim.start({"--pty", "--block-frames", "5", "--data-log", sim.dataLogFile()}));
    SerialCom damaged;
    DeviceInfo port;
    port.portName = sim.serialPath();
    QSignalSpy opened(&damaged, SIGNAL(onOpenResults(bool)));
    QVERIFY(damaged.open(port));
    QVERIFY(opened.wait(10000) && opened.at(0).at(0).toBool());
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("scpiDecoder\\(\\) resynchronising after state [45]"));
    QVERIFY(damaged.sendCommand("init", false, true, false, 0));
    QByteArray got, out;
    QVector<StreamLoss> losses;
    QTRY_VERIFY_WITH_TIMEOUT((damaged.readBlocks(out, frameSize), got += out).size() > 20 * frameSize, 10000);
    sim.command(fault);
    QTRY_VERIFY_WITH_TIMEOUT((losses += damaged.takeStreamLosses(), damaged.readBlocks(out, frameSize),
                              got += out, !losses.isEmpty()), 10000);
    QTRY_VERIFY_WITH_TIMEOUT((damaged.readBlocks(out, frameSize), got += out).size() > 200 * frameSize, 10000);
    QVERIFY(damaged.sendWhileStreaming("abort\n"));
    QTRY_VERIFY_WITH_TIMEOUT(damaged.dataTimedOut(), 10000);
    while (damaged.readBlocks(out, frameSize) > 0 || !out.isEmpty())
        got += out;
    losses += damaged.takeStreamLosses();
    QVERIFY(!damaged.decoderFailed());

    // devsim's account: which block was damaged, and where it lay in its stream.
    QList<DevsimProcess::DataUnit> blocks = sim.dataUnits("serial");
    quint64 sent = 0;
    DevsimProcess::DataUnit bad {0, 0, 0, QByteArray()};
    for (const DevsimProcess::DataUnit &b : blocks) {
        sent += b.count;
        if (b.fate != "sent")
            bad = b;
    }
    QCOMPARE(bad.fate, fault);
    QCOMPARE(bad.count, quint64(5 * frameSize));
    QCOMPARE(losses.size(), 1);
    const StreamLoss &loss = losses.first();
    QCOMPARE(loss.position, bad.first);
    QCOMPARE(loss.lostBytesKnown, exact);
    const LostFrames lost = lostFrames(loss, frameSize);
    QCOMPARE(lost.frames, 5u);
    QCOMPARE(lost.exact, exact);
    QCOMPARE(quint64(got.size()), sent - bad.count);
    // Frame n carries its number in the status word and n, n + 1 in its AUX words.
    for (int at = 0; at < got.size(); at += frameSize) {
        const quint64 index = quint64(at / frameSize) + (quint64(at) >= loss.position ? 5 : 0);
        const char *f = got.constData() + at;
        QCOMPARE(qFromLittleEndian<quint32>(f), quint32(index));
        QCOMPARE(qFromLittleEndian<quint16>(f + frameSize - 4), quint16(index));
        QCOMPARE(qFromLittleEndian<quint16>(f + frameSize - 2), quint16(index + 1));
    }
}

void tst_serialcom::commandWhileStreamingEndsStream()
{
    QByteArray raw;
    startStream(&raw);
    // The worker leaves streaming mode before "abort" is queued, so it is written at once;
    // held back, it would wait behind a stream that never ends.
    link->sendCommand("abort", false, false, false, 0);
    QVERIFY(!link->isStreaming());
    QTRY_COMPARE_WITH_TIMEOUT(link->pendingCommands(), 0, 10000);
    // Stream bytes still in flight come back as answers; once they are drained the device
    // answers plainly, which shows that it did stop.
    QSignalSpy responses(link, SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));
    bool plainAnswer = false;
    for (int i = 0; i < 10 && !plainAnswer; ++i) {
        link->sendCommand("*idn?", true, false, false, 0);
        QVERIFY(responses.wait(10000));
        plainAnswer = responses.last().at(2).toByteArray().startsWith("lumetrix");
    }
    QVERIFY(plainAnswer);
}

void tst_serialcom::commandBehindStreamingGoesOut()
{
    QSignalSpy responses(link, SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));
    link->sendCommand("init", false, true, false, 0);
    link->sendCommand("abort", false, false, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(link->pendingCommands(), 0, 10000);
    link->sendCommand("*idn?", true, false, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(responses.size(), 1, 10000);
    QVERIFY2(responses.at(0).at(2).toByteArray().startsWith("lumetrix"), responses.at(0).at(1).toByteArray());
    QVERIFY(devsim.sync());
    const QList<QByteArray> lines = devsim.commandLines();
    QCOMPARE(lines.mid(lines.size() - 3), (QList<QByteArray>{"serial\tinit", "serial\tabort", "serial\t*idn?"}));
    QCOMPARE(link->errorCount(), 0);
}

// A host that died after "init" leaves the device streaming. The next open stops it and
// reads its tail away without an answer or an error; the first query is answered plainly.
void tst_serialcom::deviceStreamingAtOpen()
{
    QByteArray raw;
    startStream(&raw);
    delete link;   // closes without stopping the device
    link = new SerialCom;
    QSignalSpy responses(link, SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));
    QVERIFY(openLink(*link));
    link->sendCommand("*idn?", true, false, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(responses.size(), 1, 10000);
    QCOMPARE(responses.at(0).at(0).toBool(), true);
    QVERIFY(responses.at(0).at(2).toByteArray().startsWith("lumetrix"));
    QCOMPARE(link->errorCount(), 0);
    QTest::qWait(200);
    QCOMPARE(responses.size(), 1);
}

void tst_serialcom::strayBytesAreNoAnswer()
{
    QSignalSpy responses(link, SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));
    devsim.command("blurt stale");
    QVERIFY(devsim.sync());
    QTest::qWait(100);   // the stray answer lies in the port before the command is written
    link->sendCommand("*idn?", true, false, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(responses.size(), 1, 10000);
    QVERIFY(responses.at(0).at(2).toByteArray().startsWith("lumetrix"));
    QVERIFY(!responses.at(0).at(2).toByteArray().contains("stale"));
    QCOMPARE(link->errorCount(), 0);
}

void tst_serialcom::closeWithinASecond_data()
{
    QTest::addColumn<QByteArray>("situation");
    QTest::newRow("streaming") << QByteArray("stream");
    QTest::newRow("long answer wait, silent device") << QByteArray("silent");
    QTest::newRow("device streams into an answer") << QByteArray("stream into answer");
}

void tst_serialcom::closeWithinASecond()
{
    QFETCH(QByteArray, situation);
    QByteArray raw;
    if (situation == "silent") {
        devsim.command("silent on");
        QVERIFY(devsim.sync());
        link->sendCommand("mem:raw? 580264,512", true, false, false, 5000);
    } else {
        startStream(&raw);
        if (situation == "stream into answer") {
            // The device goes on streaming while the link waits for an answer.
            link->sendCommand("*idn?", true, false, false, 3000);
        }
    }
    QTest::qWait(300);
    QElapsedTimer clock;
    clock.start();
    link->close();
    QVERIFY2(clock.elapsed() < 1000, QByteArray::number(clock.elapsed()).constData());
    QVERIFY(!link->isOpen());
    devsim.command("silent off");
    // The device may still stream; the next open stops it.
    QVERIFY(openLink(*link));
}

void tst_serialcom::unplugWhileIdleIsNoAnswer()
{
    QSignalSpy responses(link, SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));
    devsim.command("unplug");
    QVERIFY(devsim.sync());
    link->sendCommand("conf:sca:num?", true, false, false, 0);
    QTRY_VERIFY_WITH_TIMEOUT(link->isDeviceDisconnected(), 10000);
    QTest::qWait(300);
    QCOMPARE(responses.size(), 0);   // no "empty answer" before the loss is seen
    link->close();
    devsim.command("plug");
    QVERIFY(!devsim.waitForLine("serial").isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(portListed(), 10000);
    QVERIFY(openLink(*link));
}

void tst_serialcom::unplugWhileStreaming()
{
    QByteArray raw;
    startStream(&raw);
    QVERIFY(!link->isDeviceDisconnected());
    devsim.command("unplug");
    QTRY_VERIFY_WITH_TIMEOUT(link->isDeviceDisconnected(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(link->dataTimedOut(), 10000);
    // The lost port is left alone, not polled in a tight loop.
    const std::clock_t cpuBefore = std::clock();
    QTest::qWait(1000);
    const double cpuMs = 1000.0 * double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    QVERIFY2(cpuMs < 300, QByteArray::number(cpuMs).constData());
    QElapsedTimer clock;
    clock.start();
    link->close();
    QVERIFY2(clock.elapsed() < 2000, QByteArray::number(clock.elapsed()).constData());
    QVERIFY(!link->isOpen());
    QVERIFY(link->isDeviceDisconnected());
    // Plugged in again, the device is found and opened anew.
    devsim.command("plug");
    QVERIFY(!devsim.waitForLine("serial").isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(portListed(), 10000);
    QVERIFY(openLink(*link));
    QVERIFY(!link->isDeviceDisconnected());
}

QTEST_GUILESS_MAIN(tst_serialcom)
#include "tst_serialcom.moc"

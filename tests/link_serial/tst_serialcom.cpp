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
    std::unique_ptr<SerialCom> link;

    bool openLink();
    void startStream(QByteArray *raw);
    void plugBackIn();
    static QByteArray payloadOf(const QByteArray &stream);
    QSignalSpy *spyResponses()
    {
        return new QSignalSpy(link.get(), SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));
    }

private slots:
    void initTestCase();
    void init() { QVERIFY(openLink()); }
    void cleanup() { link.reset(); }
    void commandsAndAnswers();
    void streamLandsIntact();
    void commandsAroundStreams();
    void streamDamageIsBookedAndSkipped();
    void closeWithinASecond_data();
    void closeWithinASecond();
    void unplugAndPlug();
};

bool tst_serialcom::openLink()
{
    link = std::make_unique<SerialCom>();
    QList<DeviceInfo> devices;
    link->scanDevices(devices);
    for (const DeviceInfo &d : devices) {
        if (d.portName != devsim.serialPath())
            continue;
        QSignalSpy opened(link.get(), SIGNAL(onOpenResults(bool)));
        return link->open(d) && opened.wait(10000) && opened.at(0).at(0).toBool() && link->isOpen();
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
    QVERIFY(devsim.start({"--pty", "--unaligned"}));
    qputenv(SerialPortList::environmentVariable(), devsim.portsFile().toLocal8Bit());
}

void tst_serialcom::startStream(QByteArray *raw)
{
    connect(link.get(), &myAdw::onDataReady, this, [raw](const QByteArray &data) { *raw += data; });
    QVERIFY(link->sendCommand("init", false, true, false, 0));
    QVERIFY(link->isStreaming() && !link->dataTimedOut());
    QTRY_VERIFY_WITH_TIMEOUT(raw->size() > 20000, 10000);
}

void tst_serialcom::plugBackIn()
{
    devsim.command("plug");
    QVERIFY(!devsim.waitForLine("serial").isEmpty());
    QTRY_VERIFY_WITH_TIMEOUT(openLink(), 10000);
    QVERIFY(!link->isDeviceDisconnected());
}

void tst_serialcom::commandsAndAnswers()
{
    QScopedPointer<QSignalSpy> responses(spyResponses());
    link->sendCommand("conf:sca:num?", true, false, false, 0);
    link->sendCommand("*idn?", true, false, false, 0);
    QCOMPARE(link->pendingCommands(), 2);
    // Without running the event loop: once the count is 0, the last answer must already
    // be on its way to this thread.
    QElapsedTimer clock;
    clock.start();
    while (link->pendingCommands() != 0 && clock.elapsed() < 10000)
        QThread::msleep(1);
    QCoreApplication::sendPostedEvents(link.get(), QEvent::MetaCall);
    QCOMPARE(responses->count(), 2);
    QCOMPARE(responses->at(0).at(1).toByteArray(), QByteArray("conf:sca:num?"));
    QCOMPARE(responses->at(0).at(2).toByteArray().count(','), 3);
    QCOMPARE(responses->at(1).mid(0, 2), (QVariantList{true, QByteArray("*idn?")}));
    const QByteArray idn = responses->at(1).at(2).toByteArray();
    QVERIFY(idn.startsWith("lumetrix") && !idn.endsWith('\n') && !idn.endsWith('\r'));
    QCOMPARE(link->lastResponse(), idn);

    // An answer where none was expected is an error.
    link->sendCommand("*idn?", false, false, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(responses->count(), 3, 10000);
    QCOMPARE(responses->at(2), (QVariantList{false, QByteArray("*idn?"), idn}));
    QCOMPARE(link->errorCount(), 1);
    QCOMPARE(link->lastError(), idn);
    link->resetErrorCount();

    // Bytes that arrive before a command is written are no part of its answer.
    devsim.command("blurt stale");
    QVERIFY(devsim.sync());
    QTest::qWait(100);
    link->sendCommand("*idn?", true, false, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(responses->count(), 4, 10000);
    QCOMPARE(responses->at(3).at(2).toByteArray(), idn);

    // Silence: an empty success after the caller's wait; without an expected answer no signal.
    devsim.command("silent on");
    QVERIFY(devsim.sync());
    clock.restart();
    link->sendCommand("*idn?", true, false, false, 400);
    QTRY_COMPARE_WITH_TIMEOUT(responses->count(), 5, 10000);
    QVERIFY(clock.elapsed() >= 400);
    QCOMPARE(responses->at(4), (QVariantList{true, QByteArray("*idn?"), QByteArray()}));
    link->sendCommand("*rst", false, false, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(link->pendingCommands(), 0, 10000);
    QTest::qWait(100);
    QCOMPARE(responses->count(), 5);
    QCOMPARE(link->errorCount(), 0);
    devsim.command("silent off");
}

void tst_serialcom::streamLandsIntact()
{
    QByteArray raw, frames, out;
    QSignalSpy timeouts(link.get(), SIGNAL(onDataTimeout()));
    startStream(&raw);
    for (int i = 0; i < 10; ++i) {
        const quint32 n = link->readBlocks(out, 64);
        QCOMPARE(quint32(out.size()), n * 64);
        frames += out;
        QTest::qWait(15);
    }
    QVERIFY(link->sendWhileStreaming("abort\n"));
    QVERIFY(!link->sendWhileStreaming("abort\n"));   // one write may wait at a time
    QVERIFY(timeouts.wait(10000));
    QVERIFY(link->dataTimedOut());
    QTest::qWait(400);   // a further quiet wait does not report again
    QCOMPARE(timeouts.count(), 1);
    link->readBlocks(out, 64);
    frames += out;
    QVERIFY(link->readBlocks(out, 0) < 64);
    frames += out;
    QVERIFY(!link->decoderFailed());
    QVERIFY(frames == payloadOf(raw));
}

void tst_serialcom::commandsAroundStreams()
{
    // A command while streaming ends the stream: written at once, not held behind a stream
    // that never ends. Stream bytes still in flight come back as answers; once drained the
    // device answers plainly, which shows that it did stop.
    QByteArray raw;
    startStream(&raw);
    QScopedPointer<QSignalSpy> responses(spyResponses());
    link->sendCommand("abort", false, false, false, 0);
    QVERIFY(!link->isStreaming());
    QTRY_COMPARE_WITH_TIMEOUT(link->pendingCommands(), 0, 10000);
    for (int i = 0; i < 10 && !link->lastResponse().startsWith("lumetrix"); ++i) {
        link->sendCommand("*idn?", true, false, false, 0);
        QVERIFY(responses->wait(10000));
    }
    QVERIFY(link->lastResponse().startsWith("lumetrix"));

    // A command queued right behind a streaming one goes out.
    responses->clear();
    link->resetErrorCount();
    link->sendCommand("init", false, true, false, 0);
    link->sendCommand("abort", false, false, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(link->pendingCommands(), 0, 10000);
    link->sendCommand("*idn?", true, false, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(responses->size(), 1, 10000);
    QVERIFY(responses->at(0).at(2).toByteArray().startsWith("lumetrix"));
    QVERIFY(devsim.sync());
    const QList<QByteArray> lines = devsim.commandLines();
    QCOMPARE(lines.mid(lines.size() - 3), (QList<QByteArray>{"serial\tinit", "serial\tabort", "serial\t*idn?"}));
    QCOMPARE(link->errorCount(), 0);

    // A host that died after "init" leaves the device streaming. The next open stops it and
    // reads its tail away without an answer or an error.
    startStream(&raw);
    QVERIFY(openLink());   // the old link closes without stopping the device
    responses.reset(spyResponses());
    link->sendCommand("*idn?", true, false, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(responses->size(), 1, 10000);
    QVERIFY(responses->at(0).at(0).toBool() && responses->at(0).at(2).toByteArray().startsWith("lumetrix"));
    QTest::qWait(200);
    QCOMPARE(responses->size(), 1);
    QCOMPARE(link->errorCount(), 0);
}

// Two damaged blocks of five frames (a bad header, then a bad terminator): the link skips
// exactly them, books each loss where the stream resumes, and every frame it delivers is
// one devsim sent, whole.
void tst_serialcom::streamDamageIsBookedAndSkipped()
{
    const int frameSize = 64;
    DevsimProcess sim;
    QVERIFY(sim.start({"--pty", "--block-frames", "5", "--data-log", sim.dataLogFile()}));
    SerialCom damaged;
    DeviceInfo port;
    port.portName = sim.serialPath();
    QSignalSpy opened(&damaged, SIGNAL(onOpenResults(bool)));
    QVERIFY(damaged.open(port));
    QVERIFY(opened.wait(10000) && opened.at(0).at(0).toBool());
    QVERIFY(damaged.sendCommand("init", false, true, false, 0));
    QByteArray got, out;
    QVector<StreamLoss> losses;
    auto read = [&] {
        losses += damaged.takeStreamLosses();
        damaged.readBlocks(out, frameSize);
        got += out;
        return losses.size();
    };
    QTRY_VERIFY_WITH_TIMEOUT((read(), got.size() > 20 * frameSize), 10000);
    for (const QByteArray fault : {"badheader", "badterminator"}) {
        sim.command(fault);
        const int before = losses.size();
        QTRY_VERIFY_WITH_TIMEOUT(read() > before, 10000);
    }
    QVERIFY(damaged.sendWhileStreaming("abort\n"));
    QTRY_VERIFY_WITH_TIMEOUT(damaged.dataTimedOut(), 10000);
    while (damaged.readBlocks(out, frameSize) > 0 || !out.isEmpty())
        got += out;
    losses += damaged.takeStreamLosses();
    QVERIFY(!damaged.decoderFailed());

    // devsim's account: which blocks were damaged, and where they lay in its stream.
    quint64 sent = 0;
    QList<DevsimProcess::DataUnit> bad;
    for (const DevsimProcess::DataUnit &b : sim.dataUnits("serial")) {
        sent += b.count;
        if (b.fate != "sent")
            bad << b;
    }
    QCOMPARE(bad.size(), 2);
    QCOMPARE(losses.size(), 2);
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(bad[i].fate, QByteArray(i ? "badterminator" : "badheader"));
        QCOMPARE(bad[i].count, quint64(5 * frameSize));
        QCOMPARE(losses[i].position, bad[i].first - i * bad[0].count);
        QCOMPARE(losses[i].lostBytesKnown, i == 1);
        QCOMPARE(lostFrames(losses[i], frameSize).frames, 5u);
        QCOMPARE(lostFrames(losses[i], frameSize).exact, i == 1);
    }
    QCOMPARE(quint64(got.size()), sent - 2 * bad[0].count);
    // Frame n carries its number in the status word and n, n + 1 in its AUX words.
    for (int at = 0; at < got.size(); at += frameSize) {
        quint64 index = quint64(at / frameSize);
        for (const StreamLoss &loss : losses)
            index += quint64(at) >= loss.position ? 5 : 0;
        const char *f = got.constData() + at;
        QCOMPARE(qFromLittleEndian<quint32>(f), quint32(index));
        QCOMPARE(qFromLittleEndian<quint16>(f + frameSize - 4), quint16(index));
        QCOMPARE(qFromLittleEndian<quint16>(f + frameSize - 2), quint16(index + 1));
    }
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
        if (situation == "stream into answer")
            link->sendCommand("*idn?", true, false, false, 3000);
    }
    QTest::qWait(300);
    QElapsedTimer clock;
    clock.start();
    link->close();
    QVERIFY2(clock.elapsed() < 1000, QByteArray::number(clock.elapsed()).constData());
    QVERIFY(!link->isOpen());
    devsim.command("silent off");
    QVERIFY(openLink());   // the device may still stream; the next open stops it
}

void tst_serialcom::unplugAndPlug()
{
    // Unplugged while idle: the loss is seen, not first read as an empty answer.
    QScopedPointer<QSignalSpy> responses(spyResponses());
    devsim.command("unplug");
    QVERIFY(devsim.sync());
    link->sendCommand("conf:sca:num?", true, false, false, 0);
    QTRY_VERIFY_WITH_TIMEOUT(link->isDeviceDisconnected(), 10000);
    QTest::qWait(300);
    QCOMPARE(responses->size(), 0);
    link->close();
    plugBackIn();

    // Unplugged while streaming: the lost port is left alone, not polled in a tight loop,
    // and closes quickly.
    QByteArray raw;
    startStream(&raw);
    devsim.command("unplug");
    QTRY_VERIFY_WITH_TIMEOUT(link->isDeviceDisconnected(), 10000);
    QTRY_VERIFY_WITH_TIMEOUT(link->dataTimedOut(), 10000);
    const std::clock_t cpuBefore = std::clock();
    QTest::qWait(1000);
    const double cpuMs = 1000.0 * double(std::clock() - cpuBefore) / CLOCKS_PER_SEC;
    QVERIFY2(cpuMs < 300, QByteArray::number(cpuMs).constData());
    QElapsedTimer clock;
    clock.start();
    link->close();
    QVERIFY2(clock.elapsed() < 2000, QByteArray::number(clock.elapsed()).constData());
    QVERIFY(!link->isOpen() && link->isDeviceDisconnected());
    plugBackIn();
}

QTEST_GUILESS_MAIN(tst_serialcom)
#include "tst_serialcom.moc"

#include "devsimprocess.h"
#include "link/serialcom.h"
#include "link/serialportlist.h"

#include <QElapsedTimer>
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
    void badHeaderStopsPayloadUntilNextStream();
    void commandWhileStreamingEndsStream();
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

void tst_serialcom::badHeaderStopsPayloadUntilNextStream()
{
    QByteArray raw;
    startStream(&raw);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression("scpiDecoder\\(\\) fatal error at state [45]"));
    devsim.command("badheader");
    QTRY_VERIFY_WITH_TIMEOUT(link->decoderFailed(), 10000);
    QByteArray out;
    link->readBlocks(out, 0);
    const int before = raw.size();
    QTRY_VERIFY_WITH_TIMEOUT(raw.size() > before + 10000, 10000);   // the stream goes on...
    QCOMPARE(link->readBlocks(out, 0), 0u);                          // ...but yields nothing
    QVERIFY(link->sendWhileStreaming("abort\n"));
    QTRY_VERIFY_WITH_TIMEOUT(link->dataTimedOut(), 10000);
    // The next stream starts with a fresh decoder.
    link->sendCommand("init", false, true, false, 0);
    QVERIFY(!link->decoderFailed());
    quint32 frames = 0;
    QTRY_VERIFY_WITH_TIMEOUT((frames += link->readBlocks(out, 64)) > 10, 10000);
    QVERIFY(!link->decoderFailed());
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

#include "devsimprocess.h"
#include "link/serialcom.h"
#include "link/serialportlist.h"

#include <QtEndian>
#include <QtTest>
#include <ctime>

// Frame n of devsim's stream carries n in its status word and n, n + 1 in its AUX words;
// each loss skips five frames. Empty when `got` is that, else what is wrong.
static QString numbered(const QByteArray &got, const QVector<StreamLoss> &losses, int frameSize = 64)
{
    for (int at = 0; at < got.size(); at += frameSize) {
        quint64 n = quint64(at / frameSize);
        for (const StreamLoss &loss : losses)
            n += quint64(at) >= loss.position ? 5 : 0;
        const char *f = got.constData() + at;
        if (qFromLittleEndian<quint32>(f) != quint32(n) || qFromLittleEndian<quint16>(f + frameSize - 4) != quint16(n)
            || qFromLittleEndian<quint16>(f + frameSize - 2) != quint16(n + 1))
            return QString("frame %1 at byte %2").arg(qFromLittleEndian<quint32>(f)).arg(at);
    }
    return got.size() % frameSize ? QString("partial frame") : QString();
}

// The serial link against devsim on a real pseudo-terminal.
class tst_serialcom : public QObject
{
    Q_OBJECT

    DevsimProcess devsim;
    std::unique_ptr<SerialCom> link;
    std::unique_ptr<QSignalSpy> responses;

    bool openLink()
    {
        link = std::make_unique<SerialCom>();
        responses = std::make_unique<QSignalSpy>(link.get(), SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));
        QList<DeviceInfo> devices;
        link->scanDevices(devices);
        for (const DeviceInfo &d : devices) {
            QSignalSpy opened(link.get(), SIGNAL(onOpenResults(bool)));
            if (d.portName == devsim.serialPath())
                return link->open(d) && opened.wait(10000) && opened.at(0).at(0).toBool() && link->isOpen();
        }
        return false;
    }
    void startStream()
    {
        QVERIFY(link->sendCommand("init", false, true, false, 0));
        QVERIFY(link->isStreaming() && !link->dataTimedOut());
        QSignalSpy data(link.get(), SIGNAL(onDataReady(QByteArray)));
        QTRY_VERIFY_WITH_TIMEOUT(data.size() > 10, 10000);
    }
    QByteArray idnAnswer(int wait = 0)
    {
        const int before = responses->size();
        link->sendCommand("*idn?", true, false, false, wait);
        return responses->wait(10000) || responses->size() > before ? responses->last().at(2).toByteArray() : "none";
    }
    void plugBackIn()
    {
        devsim.command("plug");
        QVERIFY(!devsim.waitForLine("serial").isEmpty());
        QTRY_VERIFY_WITH_TIMEOUT(openLink(), 10000);
        QVERIFY(!link->isDeviceDisconnected());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(devsim.start({"--pty", "--unaligned"}));
        qputenv(SerialPortList::environmentVariable(), devsim.portsFile().toLocal8Bit());
    }
    void init() { QVERIFY(openLink()); }
    void cleanup() { link.reset(); }

    void commandsAndAnswers()
    {
        link->sendCommand("conf:sca:num?", true, false, false, 0);
        link->sendCommand("*idn?", true, false, false, 0);
        QCOMPARE(link->pendingCommands(), 2);
        // Without the event loop: once the count is 0, the last answer is on its way here.
        QElapsedTimer clock;
        clock.start();
        while (link->pendingCommands() != 0 && clock.elapsed() < 10000)
            QThread::msleep(1);
        QCoreApplication::sendPostedEvents(link.get(), QEvent::MetaCall);
        QCOMPARE(responses->count(), 2);
        QCOMPARE(responses->at(0).at(2).toByteArray().count(','), 3);
        const QByteArray idn = responses->at(1).at(2).toByteArray();
        QCOMPARE(responses->at(1), (QVariantList{true, QByteArray("*idn?"), idn}));
        QVERIFY(idn.startsWith("lumetrix") && !idn.endsWith('\n') && !idn.endsWith('\r'));
        QCOMPARE(link->lastResponse(), idn);
        // An answer where none was expected is an error.
        link->sendCommand("*idn?", false, false, false, 0);
        QVERIFY(responses->wait(10000));
        QCOMPARE(responses->at(2), (QVariantList{false, QByteArray("*idn?"), idn}));
        QVERIFY(link->errorCount() == 1 && link->lastError() == idn);
        link->resetErrorCount();
        // Bytes that arrive before a command is written are no part of its answer.
        devsim.command("blurt stale");
        QVERIFY(devsim.sync());
        QTest::qWait(100);
        QCOMPARE(idnAnswer(), idn);
        // Silence: an empty success after the caller's wait; without an expected answer no signal.
        devsim.command("silent on");
        QVERIFY(devsim.sync());
        clock.restart();
        QCOMPARE(idnAnswer(400), QByteArray());
        QVERIFY(clock.elapsed() >= 400 && responses->last().at(0).toBool());
        link->sendCommand("*rst", false, false, false, 0);
        QTRY_COMPARE_WITH_TIMEOUT(link->pendingCommands(), 0, 10000);
        QTest::qWait(100);
        QCOMPARE(responses->count(), 5);
        QCOMPARE(link->errorCount(), 0);
        devsim.command("silent off");
    }

    void streamLandsIntact()
    {
        QByteArray frames, out;
        QSignalSpy timeouts(link.get(), SIGNAL(onDataTimeout()));
        startStream();
        for (int i = 0; i < 10; ++i) {
            QCOMPARE(quint32(out.size()), link->readBlocks(out, 64) * 64);
            frames += out;
            QTest::qWait(15);
        }
        QVERIFY(link->sendWhileStreaming("abort\n"));
        QVERIFY(!link->sendWhileStreaming("abort\n"));   // one write may wait at a time
        QVERIFY(timeouts.wait(10000) && link->dataTimedOut());
        QTest::qWait(400);   // a further quiet wait does not report again
        QCOMPARE(timeouts.count(), 1);
        link->readBlocks(out, 64);
        frames += out;
        QCOMPARE(link->readBlocks(out, 0), 0u);
        QVERIFY(!link->decoderFailed());
        QCOMPARE(numbered(frames, {}), QString());
        QCOMPARE(quint64(frames.size() / 64), quint64(devsim.stat("frames")));
    }

    void commandsAroundStreams()
    {
        // A command while streaming ends the stream: written at once, not held behind a
        // stream that never ends. Stream bytes still in flight may come back as answers.
        startStream();
        link->sendCommand("abort", false, false, false, 0);
        QVERIFY(!link->isStreaming());
        QTRY_COMPARE_WITH_TIMEOUT(link->pendingCommands(), 0, 10000);
        for (int i = 0; i < 10 && !idnAnswer().startsWith("lumetrix"); ++i) {}
        QVERIFY(link->lastResponse().startsWith("lumetrix"));
        // A command queued right behind a streaming one goes out.
        link->resetErrorCount();
        link->sendCommand("init", false, true, false, 0);
        link->sendCommand("abort", false, false, false, 0);
        QTRY_COMPARE_WITH_TIMEOUT(link->pendingCommands(), 0, 10000);
        QVERIFY(idnAnswer().startsWith("lumetrix"));
        QVERIFY(devsim.sync());
        const QList<QByteArray> lines = devsim.commandLines();
        QCOMPARE(lines.mid(lines.size() - 3), (QList<QByteArray>{"serial\tinit", "serial\tabort", "serial\t*idn?"}));
        QCOMPARE(link->errorCount(), 0);
        // A host that died after "init" leaves the device streaming. The next open stops it
        // and reads its tail away without an answer or an error.
        startStream();
        QVERIFY(openLink());   // the old link closes without stopping the device
        QVERIFY(idnAnswer().startsWith("lumetrix"));
        QTest::qWait(200);
        QCOMPARE(responses->size(), 1);
        QCOMPARE(link->errorCount(), 0);
    }

    // Two damaged blocks of five frames (a bad header, a bad terminator): the link skips
    // exactly them, books each loss where the stream resumes, and delivers whole frames.
    void streamDamageIsBookedAndSkipped()
    {
        DevsimProcess sim;
        QVERIFY(sim.start({"--pty", "--block-frames", "5", "--data-log", sim.dataLogFile()}));
        SerialCom damaged;
        DeviceInfo port;
        port.portName = sim.serialPath();
        QSignalSpy opened(&damaged, SIGNAL(onOpenResults(bool)));
        QVERIFY(damaged.open(port) && opened.wait(10000) && opened.at(0).at(0).toBool());
        QVERIFY(damaged.sendCommand("init", false, true, false, 0));
        QByteArray got, out;
        QVector<StreamLoss> losses;
        auto read = [&] {
            losses += damaged.takeStreamLosses();
            damaged.readBlocks(out, 64);
            got += out;
            return losses.size();
        };
        QTRY_VERIFY_WITH_TIMEOUT((read(), got.size() > 20 * 64), 10000);
        for (const QByteArray fault : {"badheader", "badterminator"}) {
            const int before = losses.size();
            sim.command(fault);
            QTRY_VERIFY_WITH_TIMEOUT(read() > before, 10000);
        }
        QVERIFY(damaged.sendWhileStreaming("abort\n"));
        QTRY_VERIFY_WITH_TIMEOUT(damaged.dataTimedOut(), 10000);
        while (damaged.readBlocks(out, 64) > 0 || !out.isEmpty())
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
        QVERIFY(bad.size() == 2 && losses.size() == 2);
        for (int i = 0; i < 2; ++i) {
            QCOMPARE(bad[i].fate, QByteArray(i ? "badterminator" : "badheader"));
            QCOMPARE(bad[i].count, 5u * 64);
            QCOMPARE(losses[i].position, bad[i].first - i * 5u * 64);
            QCOMPARE(losses[i].lostBytesKnown, i == 1);
            QCOMPARE(lostFrames(losses[i], 64).frames, 5u);
            QCOMPARE(lostFrames(losses[i], 64).exact, i == 1);
        }
        QCOMPARE(quint64(got.size()), sent - 2 * 5 * 64);
        QCOMPARE(numbered(got, losses), QString());
    }

    void closeWithinASecond_data()
    {
        QTest::addColumn<QByteArray>("situation");
        QTest::newRow("streaming") << QByteArray("stream");
        QTest::newRow("long answer wait, silent device") << QByteArray("silent");
        QTest::newRow("device streams into an answer") << QByteArray("stream into answer");
    }

    void closeWithinASecond()
    {
        QFETCH(QByteArray, situation);
        if (situation == "silent") {
            devsim.command("silent on");
            QVERIFY(devsim.sync());
            link->sendCommand("mem:raw? 580264,512", true, false, false, 5000);
        } else {
            startStream();
            if (situation == "stream into answer")
                link->sendCommand("*idn?", true, false, false, 3000);
        }
        QTest::qWait(300);
        QElapsedTimer clock;
        clock.start();
        link->close();
        QVERIFY2(clock.elapsed() < 2000, QByteArray::number(clock.elapsed()).constData());
        QVERIFY(!link->isOpen());
        devsim.command("silent off");
        QVERIFY(openLink());   // the device may still stream; the next open stops it
    }

    void unplugAndPlug()
    {
        // Unplugged while idle: the loss is seen, not first read as an empty answer.
        devsim.command("unplug");
        QVERIFY(devsim.sync());
        link->sendCommand("conf:sca:num?", true, false, false, 0);
        QTRY_VERIFY_WITH_TIMEOUT(link->isDeviceDisconnected(), 10000);
        QTest::qWait(300);
        QCOMPARE(responses->size(), 0);
        link->close();
        plugBackIn();
        // Unplugged while streaming: the lost port is not polled in a tight loop, and closes quickly.
        startStream();
        devsim.command("unplug");
        QTRY_VERIFY_WITH_TIMEOUT(link->isDeviceDisconnected() && link->dataTimedOut(), 10000);
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
};

QTEST_GUILESS_MAIN(tst_serialcom)
#include "tst_serialcom.moc"

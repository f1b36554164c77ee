#include "udptestsupport.h"
#include "link/lossframeindex.h"
#include "link/udppacketcodec.h"

#include <QElapsedTimer>
#include <QUdpSocket>
#include <QtTest>

namespace {

constexpr int Generous = 10000;

// A bare UDP socket standing where the device would be, to see the link's datagrams as
// they are on the wire.
struct WirePeer
{
    QUdpSocket socket;
    QList<QByteArray> received;
    QHostAddress linkAddress;
    quint16 linkPort = 0;

    bool bind()
    {
        if (!socket.bind(QHostAddress(QHostAddress::LocalHost), quint16(0)))
            return false;
        QObject::connect(&socket, &QUdpSocket::readyRead, [this] { drain(); });
        return true;
    }

    QString endpoint() const { return QStringLiteral("127.0.0.1:%1").arg(socket.localPort()); }

    void drain()
    {
        while (socket.hasPendingDatagrams()) {
            QByteArray d(int(socket.pendingDatagramSize()), '\0');
            socket.readDatagram(d.data(), d.size(), &linkAddress, &linkPort);
            received << d;
        }
    }

    QList<QByteArray> ofType(quint16 type) const
    {
        QList<QByteArray> out;
        for (const QByteArray &d : received) {
            UdpPacketCodec::Header h;
            if (UdpPacketCodec::parseHeader(d, h) && h.packetType == type)
                out << d;
        }
        return out;
    }

    QList<QByteArray> commands() const { return ofType(UdpPacketCodec::Command); }

    void reply(quint16 type, const QByteArray &payload, quint32 index = 0)
    {
        QByteArray d(12, '\0');
        qToLittleEndian<quint16>(type, d.data() + 2);
        qToLittleEndian<quint16>(quint16(payload.size()), d.data() + 4);
        qToLittleEndian<quint32>(index, d.data() + 8);
        socket.writeDatagram(d + payload, linkAddress, linkPort);
    }
};

QByteArray payloadOf(const QByteArray &datagram) { return datagram.mid(12); }

} // namespace

class TestUdpLink : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    // What the link puts on the wire.
    void wireKeepAliveOpenAndBinary();
    void wireCommandsAreSerialised();
    void wireStreamingCommandLeavesQueue();
    void wireReadingCutsAtEachLoss();

    // Against the simulated device.
    void deviceOpenAndScan();
    void deviceCommandsAndTimeouts();
    void deviceLossAndReturn();
};

void TestUdpLink::initTestCase()
{
    // Anything built before a test sets its own endpoint goes nowhere but loopback.
    qputenv(WifiEndpoint::OverrideVariable, "127.0.0.1:9");
}

void TestUdpLink::wireKeepAliveOpenAndBinary()
{
    WirePeer peer;
    QVERIFY(peer.bind());
    auto link = loopbackLink(peer.endpoint());
    QVERIFY(link);
    // The constructor sends a keep-alive at once.
    QTRY_VERIFY_WITH_TIMEOUT(!peer.ofType(UdpPacketCodec::KeepAlive).isEmpty(), Generous);
    QCOMPARE(payloadOf(peer.ofType(UdpPacketCodec::KeepAlive).first()), QByteArray("ping\n"));

    QVERIFY(link->open(DeviceInfo()));
    QTRY_COMPARE_WITH_TIMEOUT(peer.commands().size(), 2, Generous);
    QCOMPARE(payloadOf(peer.commands().at(0)), QByteArray("abort\n"));
    QCOMPARE(payloadOf(peer.commands().at(1)), QByteArray("*rst\n"));

    // Open again: nothing sent.
    QVERIFY(link->open(DeviceInfo()));
    QVERIFY(!link->sendBinary(QByteArray(1025, 'x')));
    QVERIFY(link->sendBinary(QByteArray(1024, 'y')));
    QTRY_COMPARE_WITH_TIMEOUT(peer.commands().size(), 3, Generous);
    QCOMPARE(peer.commands().last().size(), 1037);
    QVERIFY(payloadOf(peer.commands().last()).endsWith("y\n"));
    QTest::qWait(200);
    QCOMPARE(peer.commands().size(), 3);

    // While streaming, bytes go out three times as the same datagram.
    QVERIFY(link->sendWhileStreaming("abort\n"));
    QTRY_COMPARE_WITH_TIMEOUT(peer.commands().size(), 6, Generous);
    QCOMPARE(peer.commands().at(3), peer.commands().at(5));
    QCOMPARE(payloadOf(peer.commands().at(4)), QByteArray("abort\n\n"));

    // Closing sends three identical resets.
    link->close();
    QTRY_COMPARE_WITH_TIMEOUT(peer.commands().size(), 9, Generous);
    QCOMPARE(peer.commands().at(6), peer.commands().at(8));
    QCOMPARE(payloadOf(peer.commands().at(7)), QByteArray("*rst\n"));
}

void TestUdpLink::wireCommandsAreSerialised()
{
    WirePeer peer;
    QVERIFY(peer.bind());
    auto link = loopbackLink(peer.endpoint());
    QVERIFY(link);
    QSignalSpy responses(link.get(), SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));
    QTRY_VERIFY_WITH_TIMEOUT(!peer.received.isEmpty(), Generous);

    link->sendCommand("*idn?", true, false, false, 0);
    link->sendCommand("conf:sca:num?", true, false, false, 0);
    QCOMPARE(link->pendingCommands(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(peer.commands().size(), 1, Generous);
    // The answer comes in two datagrams; both belong to the head command.
    peer.reply(UdpPacketCodec::Command, "kestr,");
    peer.reply(UdpPacketCodec::Command, "0001");
    QTRY_COMPARE_WITH_TIMEOUT(responses.size(), 1, Generous);
    QCOMPARE(responses.at(0).at(0).toBool(), true);
    QCOMPARE(responses.at(0).at(1).toByteArray(), QByteArray("*idn?"));
    QCOMPARE(responses.at(0).at(2).toByteArray(), QByteArray("kestr,0001"));
    // Only now does the second command go out.
    QTRY_COMPARE_WITH_TIMEOUT(peer.commands().size(), 2, Generous);
    QCOMPARE(payloadOf(peer.commands().at(1)), QByteArray("conf:sca:num?\n"));
    QCOMPARE(link->pendingCommands(), 1);
    peer.reply(UdpPacketCodec::Command, "8,0,2,2");
    QTRY_COMPARE_WITH_TIMEOUT(responses.size(), 2, Generous);
    QCOMPARE(responses.at(1).at(2).toByteArray(), QByteArray("8,0,2,2"));
    QCOMPARE(link->pendingCommands(), 0);

    // An answer nobody asked for is not handed to the next command.
    peer.reply(UdpPacketCodec::Command, "stale");
    QTest::qWait(100);
    link->sendCommand("*idn?", true, false, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(peer.commands().size(), 3, Generous);
    peer.reply(UdpPacketCodec::Command, "fresh");
    QTRY_COMPARE_WITH_TIMEOUT(responses.size(), 3, Generous);
    QCOMPARE(responses.at(2).at(2).toByteArray(), QByteArray("fresh"));
}

// Datagrams of two 4-byte frames; index 1 never comes, and the stream ends behind a second
// gap (index 64) that no 61 packets follow. A datagram of 6 bytes (a frame and a half)
// shows that no frame is put together across a loss.
void TestUdpLink::wireReadingCutsAtEachLoss()
{
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(".*"));
    WirePeer peer;
    QVERIFY(peer.bind());
    auto link = loopbackLink(peer.endpoint());
    QVERIFY(link);
    QTRY_VERIFY_WITH_TIMEOUT(!peer.received.isEmpty(), Generous);
    link->sendCommand("init", false, true, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(peer.commands().size(), 3, Generous);
    auto frames = [](quint32 index) { return QByteArray::number(10000000 + index).right(8); };
    for (quint32 i = 0; i < 63; ++i) {
        if (i != 1)
            peer.reply(UdpPacketCodec::Data, frames(i), i);
    }
    peer.reply(UdpPacketCodec::Data, "abcdef", 63);
    for (quint32 i = 65; i < 70; ++i)
        peer.reply(UdpPacketCodec::Data, frames(i), i);

    // The first loss is booked once 61 datagrams wait behind it.
    QVector<StreamLoss> losses;
    QTRY_VERIFY_WITH_TIMEOUT((losses += link->takeStreamLosses(), !losses.isEmpty()), Generous);
    QCOMPARE(losses.size(), 1);
    QCOMPARE(losses[0].position, 8u);
    QCOMPARE(losses[0].lostUnits, 1u);
    QVERIFY(losses[0].uniform);
    QCOMPARE(::lostFrames(losses[0], 4).frames, 2u);
    QVERIFY(::lostFrames(losses[0], 4).exact);
    QByteArray out;
    QCOMPARE(link->readBlocks(out, 4), 125u);   // "ef" waits for the rest of its frame
    QCOMPARE(out.left(16), frames(0) + frames(2));
    QVERIFY(out.endsWith("abcd"));
    LossFrameIndex index(4);
    QCOMPARE(index.indexOf(losses[0]), 2u);

    // Silence ends the stream: what waits behind the last gap comes out, the gap is booked.
    QTRY_VERIFY_WITH_TIMEOUT(link->dataTimedOut(), Generous);
    losses = link->takeStreamLosses();
    QCOMPARE(losses.size(), 1);
    QCOMPARE(losses[0].position, 8u * 62 + 6);
    QCOMPARE(losses[0].lostUnits, 1u);
    QVERIFY(!losses[0].uniform);
    QCOMPARE(index.indexOf(losses[0]), 125u);
    QCOMPARE(link->readBlocks(out, 4), 10u);    // "ef" never completes: dropped
    QCOMPARE(out.left(8), frames(65));
    QCOMPARE(link->readBlocks(out, 4), 0u);

    // A new stream starts from index 0 with nothing booked.
    link->sendCommand("init", false, true, false, 0);
    peer.reply(UdpPacketCodec::Data, frames(0), 0);
    QByteArray fresh;
    QTRY_COMPARE_WITH_TIMEOUT((link->readBlocks(out, 4), fresh += out), frames(0), Generous);
    QVERIFY(link->takeStreamLosses().isEmpty());
}

void TestUdpLink::wireStreamingCommandLeavesQueue()
{
    WirePeer peer;
    QVERIFY(peer.bind());
    auto link = loopbackLink(peer.endpoint());
    QVERIFY(link);
    QSignalSpy responses(link.get(), SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));
    QTRY_VERIFY_WITH_TIMEOUT(!peer.received.isEmpty(), Generous);

    // A query, then init and a command behind it: init leaves the queue as it goes out and
    // the command behind it must not be stranded.
    link->sendCommand("*idn?", true, false, false, 0);
    link->sendCommand("INIT", false, true, false, 0);
    link->sendCommand("conf:dev 1", false, false, false, 0);
    QCOMPARE(link->pendingCommands(), 3);
    QTRY_COMPARE_WITH_TIMEOUT(peer.commands().size(), 1, Generous);
    peer.reply(UdpPacketCodec::Command, "kestr");
    QTRY_COMPARE_WITH_TIMEOUT(peer.commands().size(), 7, Generous);
    QCOMPARE(payloadOf(peer.commands().at(1)), QByteArray("INIT\n"));
    QCOMPARE(peer.commands().at(1), peer.commands().at(3));
    QCOMPARE(payloadOf(peer.commands().at(4)), QByteArray("conf:dev 1\n"));
    QCOMPARE(link->pendingCommands(), 1);
    QTRY_COMPARE_WITH_TIMEOUT(responses.size(), 2, Generous);
    QCOMPARE(responses.at(1).at(1).toByteArray(), QByteArray("conf:dev 1"));

    // A streaming command on an idle link: out of the queue at once, no signal.
    link->sendCommand("init", false, true, false, 0);
    QCOMPARE(link->pendingCommands(), 0);
    QVERIFY(link->isStreaming());
    QVERIFY(!link->dataTimedOut());
    // Data keeps the stream alive; without it the timeout follows.
    for (quint32 i = 0; i < 3; ++i)
        peer.reply(UdpPacketCodec::Data, "frame" + QByteArray::number(i), i);
    QByteArray all;
    auto collect = [&] {
        QByteArray out;
        link->readBlocks(out, 6);
        all += out;
        return all.size();
    };
    QTRY_COMPARE_WITH_TIMEOUT(collect(), 18, Generous);
    QCOMPARE(all, QByteArray("frame0frame1frame2"));
    QTRY_VERIFY_WITH_TIMEOUT(link->dataTimedOut(), Generous);
    QCOMPARE(responses.size(), 2);
}

void TestUdpLink::deviceOpenAndScan()
{
    DevsimProcess sim;
    QVERIFY(startDevsim(sim, {"--serial", "kestr0042"}));
    auto link = loopbackLink(sim.udpEndpoint());
    QVERIFY(link);
    QSignalSpy opened(link.get(), SIGNAL(onOpenResults(bool)));

    // The keep-alive runs before open, so the scan finds the device.
    QList<DeviceInfo> found;
    QTRY_VERIFY_WITH_TIMEOUT((link->scanDevices(found), found.size() == 1), Generous);
    QCOMPARE(found.first().serialNumber, QString("kestr0042"));
    QCOMPARE(found.first().kind, 0u);
    QVERIFY(found.first().portName.isEmpty());

    // The open result comes from the first keep-alive answered after open, once.
    QVERIFY(link->open(found.first()));
    QVERIFY(link->isOpen());
    QVERIFY(opened.wait(Generous));
    QCOMPARE(opened.first().first().toBool(), true);
    QTest::qWait(1500);
    QCOMPARE(opened.size(), 1);

    // A busy device answers the keep-alive but does not open.
    link->close();
    sim.command("busy on");
    QTRY_VERIFY_WITH_TIMEOUT(!link->receiveState().available(), Generous);
    opened.clear();
    QVERIFY(link->open(DeviceInfo()));
    QVERIFY(opened.wait(Generous));
    QCOMPARE(opened.first().first().toBool(), false);
}

void TestUdpLink::deviceCommandsAndTimeouts()
{
    DevsimProcess sim;
    QVERIFY(startDevsim(sim, {"--idn", "kestrova sim 1.0", "--counts", "4,0,1,2"}));
    auto link = loopbackLink(sim.udpEndpoint());
    QVERIFY(link);
    QSignalSpy responses(link.get(), SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));
    QVERIFY(link->open(DeviceInfo()));

    // Back to back: answered one after the other, each with its own answer.
    link->sendCommand("*idn?", true, false, false, 0);
    link->sendCommand("conf:sca:num?", true, false, false, 0);
    QCOMPARE(link->pendingCommands(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(responses.size(), 2, Generous);
    QCOMPARE(responses.at(0).at(1).toByteArray(), QByteArray("*idn?"));
    QCOMPARE(responses.at(0).at(2).toByteArray(), QByteArray("kestrova sim 1.0"));
    QCOMPARE(responses.at(1).at(2).toByteArray(), QByteArray("4,0,1,2"));
    QVERIFY(responses.at(1).at(0).toBool());
    // Everything sent so far has reached the device; count from here.
    const qint64 commandsBefore = devsimStat(sim, "commands");

    // No answer expected and none given: success, empty, after the 1000 ms wait; the
    // three copies run once on the device.
    QElapsedTimer clock;
    clock.start();
    link->sendCommand("conf:sca:rat 500", false, false, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(responses.size(), 3, Generous);
    QVERIFY2(clock.elapsed() >= 990, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(responses.at(2).at(0).toBool(), true);
    QVERIFY(responses.at(2).at(2).toByteArray().isEmpty());
    QCOMPARE(devsimStat(sim, "commands") - commandsBefore, qint64(1));

    // An unexpected answer (a refused line) fails the command and carries the answer.
    link->sendCommand("conf:sca:rat 99999", false, false, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(responses.size(), 4, Generous);
    QCOMPARE(responses.at(3).at(0).toBool(), false);
    QVERIFY(responses.at(3).at(2).toByteArray().startsWith("error"));
    QCOMPARE(link->errorCount(), 0);

    // An expected answer that never comes: failure after about 400 ms.
    sim.command("silent on");
    QTest::qWait(200);
    clock.restart();
    link->sendCommand("*idn?", true, false, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(responses.size(), 5, Generous);
    const qint64 waited = clock.elapsed();
    QVERIFY2(waited >= 390 && waited < 3000, qPrintable(QString::number(waited)));
    QCOMPARE(responses.at(4).at(0).toBool(), false);
    QVERIFY(responses.at(4).at(2).toByteArray().isEmpty());
    QCOMPARE(link->pendingCommands(), 0);
}

void TestUdpLink::deviceLossAndReturn()
{
    DevsimProcess sim;
    QVERIFY(startDevsim(sim));
    auto link = loopbackLink(sim.udpEndpoint());
    QVERIFY(link);
    QVERIFY(link->open(DeviceInfo()));
    QTRY_VERIFY_WITH_TIMEOUT(link->receiveState().available(), Generous);

    // Power off: four unanswered keep-alive ticks (about 4.8 s) mark it disconnected.
    sim.command("silent on");
    QElapsedTimer clock;
    clock.start();
    QTRY_VERIFY_WITH_TIMEOUT(link->isDeviceDisconnected(), 15000);
    QVERIFY2(clock.elapsed() >= 3000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!link->isOpen());

    // Power on: the next answered tick clears it.
    sim.command("silent off");
    QTRY_VERIFY_WITH_TIMEOUT(!link->isDeviceDisconnected(), Generous);
    QVERIFY(link->isOpen());
}

QTEST_GUILESS_MAIN(TestUdpLink)
#include "tst_udplink.moc"

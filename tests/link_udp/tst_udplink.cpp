#include "devsimprocess.h"
#include "link/udp_com.h"
#include "link/udppacketcodec.h"
#include "link/wifiendpoint.h"

#include <QNetworkDatagram>
#include <QUdpSocket>
#include <QtTest>

namespace {

constexpr int Generous = 10000;

// The link built against a loopback endpoint; null (the test fails) for any other, so a
// test can never reach a real network.
std::unique_ptr<udp_com> loopbackLink(const QString &endpoint)
{
    qputenv(WifiEndpoint::OverrideVariable, endpoint.toLatin1());
    auto link = std::make_unique<udp_com>(nullptr, QStringLiteral("192.168.4.1"));
    return link->endpointAddress().isLoopback() ? std::move(link) : nullptr;
}

// A bare UDP socket where the device would be, to see the link's datagrams on the wire.
struct WirePeer
{
    QUdpSocket socket;
    QList<QByteArray> commands, keepAlives;   // payloads
    QNetworkDatagram last;

    WirePeer()
    {
        socket.bind(QHostAddress(QHostAddress::LocalHost), quint16(0));
        QObject::connect(&socket, &QUdpSocket::readyRead, [this] {
            while (socket.hasPendingDatagrams()) {
                last = socket.receiveDatagram();
                const quint16 type = qFromLittleEndian<quint16>(last.data().constData() + 2);
                if (type == UdpPacketCodec::Command || type == UdpPacketCodec::KeepAlive)
                    (type == UdpPacketCodec::Command ? commands : keepAlives) << last.data().mid(12);
            }
        });
    }
    QString endpoint() const { return QStringLiteral("127.0.0.1:%1").arg(socket.localPort()); }
    void reply(quint16 type, const QByteArray &payload, quint32 index = 0)
    {
        QByteArray d(12, '\0');
        qToLittleEndian<quint16>(type, d.data() + 2);
        qToLittleEndian<quint16>(quint16(payload.size()), d.data() + 4);
        qToLittleEndian<quint32>(index, d.data() + 8);
        socket.writeDatagram(d + payload, last.senderAddress(), quint16(last.senderPort()));
    }
};

} // namespace

class TestUdpLink : public QObject
{
    Q_OBJECT

    std::unique_ptr<WirePeer> owned;
    WirePeer &peer() { return *owned; }
    std::unique_ptr<udp_com> link;

private slots:
    void initTestCase();
    void init();
    void cleanup() { link.reset(); owned.reset(); }
    void wireKeepAliveOpenAndBinary();
    void wireCommandQueue();
    void againstDevsim();
};

void TestUdpLink::initTestCase()
{
    qputenv(WifiEndpoint::OverrideVariable, "127.0.0.1:9");   // nothing but loopback, ever
}

void TestUdpLink::init()
{
    owned = std::make_unique<WirePeer>();
    link = loopbackLink(peer().endpoint());
    QVERIFY(link);
    // The constructor sends a keep-alive at once.
    QTRY_VERIFY_WITH_TIMEOUT(!peer().keepAlives.isEmpty(), Generous);
    QCOMPARE(peer().keepAlives.first(), QByteArray("ping\n"));
}

void TestUdpLink::wireKeepAliveOpenAndBinary()
{
    QVERIFY(link->open(DeviceInfo()));
    QTRY_COMPARE_WITH_TIMEOUT(peer().commands, (QList<QByteArray>{"abort\n", "*rst\n"}), Generous);
    QVERIFY(link->open(DeviceInfo()));   // open again: nothing sent
    QVERIFY(!link->sendBinary(QByteArray(1025, 'x')));
    QVERIFY(link->sendBinary(QByteArray(1024, 'y')));
    QTRY_COMPARE_WITH_TIMEOUT(peer().commands.size(), 3, Generous);
    QCOMPARE(peer().commands.last(), QByteArray(1024, 'y') + '\n');

    // While streaming, bytes go out three times as the same datagram; close sends three resets.
    QVERIFY(link->sendWhileStreaming("abort\n"));
    link->close();
    QTRY_COMPARE_WITH_TIMEOUT(peer().commands.size(), 9, Generous);
    QCOMPARE(peer().commands.mid(3), (QList<QByteArray>{"abort\n\n", "abort\n\n", "abort\n\n", "*rst\n", "*rst\n", "*rst\n"}));
}

void TestUdpLink::wireCommandQueue()
{
    QSignalSpy responses(link.get(), SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));
    link->sendCommand("*idn?", true, false, false, 0);
    link->sendCommand("conf:sca:num?", true, false, false, 0);
    QCOMPARE(link->pendingCommands(), 2);
    QTRY_COMPARE_WITH_TIMEOUT(peer().commands.size(), 1, Generous);
    // The answer comes in two datagrams; both belong to the head command.
    peer().reply(UdpPacketCodec::Command, "kestr,");
    peer().reply(UdpPacketCodec::Command, "0001");
    QTRY_COMPARE_WITH_TIMEOUT(responses.size(), 1, Generous);
    QCOMPARE(responses.at(0), (QVariantList{true, QByteArray("*idn?"), QByteArray("kestr,0001")}));
    // Only now does the second command go out.
    QTRY_COMPARE_WITH_TIMEOUT(peer().commands.size(), 2, Generous);
    QCOMPARE(peer().commands.at(1), QByteArray("conf:sca:num?\n"));
    // An answer nobody asked for is not handed to the next command.
    peer().reply(UdpPacketCodec::Command, "8,0,2,2");
    QTRY_COMPARE_WITH_TIMEOUT(responses.size(), 2, Generous);
    peer().reply(UdpPacketCodec::Command, "stale");
    QTest::qWait(100);

    // init leaves the queue as it goes out; the command behind it is not stranded.
    link->sendCommand("*idn?", true, false, false, 0);
    link->sendCommand("INIT", false, true, false, 0);
    link->sendCommand("conf:dev 1", false, false, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(peer().commands.size(), 3, Generous);
    peer().reply(UdpPacketCodec::Command, "fresh");
    QTRY_COMPARE_WITH_TIMEOUT(peer().commands.size(), 9, Generous);
    QCOMPARE(responses.at(2).at(2).toByteArray(), QByteArray("fresh"));
    // While streaming, every command goes out three times.
    QCOMPARE(peer().commands.mid(3), (QList<QByteArray>{"INIT\n", "INIT\n", "INIT\n", "conf:dev 1\n",
                                                        "conf:dev 1\n", "conf:dev 1\n"}));
    QTRY_COMPARE_WITH_TIMEOUT(responses.size(), 4, Generous);
    QCOMPARE(responses.at(3).at(1).toByteArray(), QByteArray("conf:dev 1"));

    // A streaming command on an idle link: out of the queue at once, no signal. Data keeps
    // the stream alive; without it the timeout follows.
    link->sendCommand("init", false, true, false, 0);
    QCOMPARE(link->pendingCommands(), 0);
    QVERIFY(link->isStreaming() && !link->dataTimedOut());
    for (quint32 i = 0; i < 3; ++i)
        peer().reply(UdpPacketCodec::Data, "frame" + QByteArray::number(i), i);
    QByteArray all, out;
    QTRY_COMPARE_WITH_TIMEOUT((link->readBlocks(out, 6), all += out), QByteArray("frame0frame1frame2"), Generous);
    QTRY_VERIFY_WITH_TIMEOUT(link->dataTimedOut(), Generous);
    QCOMPARE(responses.size(), 4);
}

// Datagrams of two 4-byte frames; index 1 never comes, and the stream ends behind a second
// gap (index 64) that no 61 packets follow. A datagram of 6 bytes (a frame and a half)
// shows that no frame is put together across a loss.
void TestUdpLink::againstDevsim()
{
    DevsimProcess sim;
    QVERIFY(sim.start({"--udp", "127.0.0.1:0", "--serial", "kestr0042", "--idn", "kestrova sim 1.0", "--counts", "4,0,1,2"}));
    link = loopbackLink(sim.udpEndpoint());
    QVERIFY(link);
    QSignalSpy opened(link.get(), SIGNAL(onOpenResults(bool)));
    QSignalSpy responses(link.get(), SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));

    // The keep-alive runs before open, so the scan finds the device.
    QList<DeviceInfo> found;
    QTRY_VERIFY_WITH_TIMEOUT((link->scanDevices(found), found.size() == 1), Generous);
    QVERIFY(found.first().serialNumber == "kestr0042" && found.first().portName.isEmpty());
    // The open result comes from the first keep-alive answered after open, once.
    QVERIFY(link->open(found.first()));
    QVERIFY(opened.wait(Generous));
    QCOMPARE(opened.first().first().toBool(), true);

    link->sendCommand("*idn?", true, false, false, 0);
    link->sendCommand("conf:sca:num?", true, false, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(responses.size(), 2, Generous);
    QCOMPARE(responses.at(0), (QVariantList{true, QByteArray("*idn?"), QByteArray("kestrova sim 1.0")}));
    QCOMPARE(responses.at(1).at(2).toByteArray(), QByteArray("4,0,1,2"));
    const qint64 commandsBefore = sim.stat("commands");
    // No answer expected and none given: success after the 1000 ms wait; the three copies
    // run once on the device.
    QElapsedTimer clock;
    clock.start();
    link->sendCommand("conf:sca:rat 500", false, false, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(responses.size(), 3, Generous);
    QVERIFY2(clock.elapsed() >= 990, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(responses.at(2), (QVariantList{true, QByteArray("conf:sca:rat 500"), QByteArray()}));
    QCOMPARE(sim.stat("commands") - commandsBefore, qint64(1));
    // An unexpected answer (a refused line) fails the command and carries the answer.
    link->sendCommand("conf:sca:rat 99999", false, false, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(responses.size(), 4, Generous);
    QCOMPARE(responses.at(3).at(0).toBool(), false);
    QVERIFY(responses.at(3).at(2).toByteArray().startsWith("error"));
    QCOMPARE(opened.size(), 1);

    // Power off: an expected answer fails after about 400 ms; four unanswered keep-alive
    // ticks (about 4.8 s) mark the device disconnected. Power on: the next tick clears it.
    sim.command("silent on");
    QVERIFY(sim.sync());
    clock.restart();
    link->sendCommand("*idn?", true, false, false, 0);
    QTRY_COMPARE_WITH_TIMEOUT(responses.size(), 5, Generous);
    QVERIFY2(clock.elapsed() >= 390 && clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
    QCOMPARE(responses.at(4), (QVariantList{false, QByteArray("*idn?"), QByteArray()}));
    QTRY_VERIFY_WITH_TIMEOUT(link->isDeviceDisconnected(), 15000);
    QVERIFY2(clock.elapsed() >= 3000, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(!link->isOpen());
    sim.command("silent off");
    QTRY_VERIFY_WITH_TIMEOUT(!link->isDeviceDisconnected() && link->isOpen(), Generous);

    // A busy device answers the keep-alive but does not open.
    link->close();
    sim.command("busy on");
    QTRY_VERIFY_WITH_TIMEOUT(!link->receiveState().available(), Generous);
    opened.clear();
    QVERIFY(link->open(DeviceInfo()) && opened.wait(Generous));
    QCOMPARE(opened.first().first().toBool(), false);
}

QTEST_GUILESS_MAIN(TestUdpLink)
#include "tst_udplink.moc"

// devsim's UDP side, driven from outside over loopback UDP with the tests' own datagram code.
#include "devsimprocess.h"
#include "streamcheck.h"

#include <QElapsedTimer>
#include <QNetworkDatagram>
#include <QSet>
#include <QUdpSocket>
#include <QtTest>

struct Packet
{
    quint16 type;
    quint32 blockIndex;
    QByteArray payload;
};

// A minimal host: sends commands (three copies of one datagram) and keep-alives.
class UdpHost
{
public:
    explicit UdpHost(quint16 devicePort) : m_port(devicePort) { m_socket.bind(QHostAddress(QHostAddress::LocalHost), 0); }

    void send(quint16 type, const QByteArray &payload, int copies = 3)
    {
        QByteArray d(12, '\0');
        qToLittleEndian<quint16>(m_tx++, d.data());
        qToLittleEndian<quint16>(type, d.data() + 2);
        qToLittleEndian<quint16>(quint16(payload.size()), d.data() + 4);
        for (int i = 0; i < copies; ++i)
            m_socket.writeDatagram(d + payload, QHostAddress::LocalHost, m_port);
    }
    // Datagrams of `type` within `ms`, or with `quietMs` until none came for that long.
    QList<Packet> receive(int ms, int type, int quietMs = 0)
    {
        QList<Packet> packets;
        QElapsedTimer total, quiet;
        total.start();
        while (total.elapsed() < ms && (quietMs == 0 || packets.isEmpty() || quiet.elapsed() < quietMs)) {
            m_socket.waitForReadyRead(10);
            while (m_socket.hasPendingDatagrams()) {
                const QByteArray d = m_socket.receiveDatagram().data();
                if (d.size() >= 12 && qFromLittleEndian<quint16>(d.constData() + 2) == type)
                    packets << Packet{quint16(type), qFromLittleEndian<quint32>(d.constData() + 8), d.mid(12)}, quiet.start();
            }
        }
        return packets;
    }
    QByteArray query(const QByteArray &text, quint16 type = 1, int *datagrams = nullptr)
    {
        send(type, text + '\n', 1);
        const QList<Packet> packets = receive(400, type, 100);
        QByteArray answer;
        for (const Packet &p : packets)
            answer += p.payload;
        if (datagrams)
            *datagrams = packets.size();
        return answer;
    }
    QList<Packet> stream(int ms)
    {
        send(1, "init\n");
        QList<Packet> data = receive(ms, 2);
        send(1, "abort\n");
        return data + receive(300, 2);   // the end of the stream, a held packet among it
    }

private:
    QUdpSocket m_socket;
    quint16 m_port;
    quint16 m_tx = 100;
};

class tst_devsimudp : public QObject
{
    Q_OBJECT
private slots:
    void refusesNonLoopback()
    {
        QProcess p;
        p.start(DEVSIM_EXECUTABLE, {"--udp", "192.168.4.1:1234"});
        QVERIFY(p.waitForFinished(10000) && p.exitCode() != 0);
        QCOMPARE(p.readAllStandardOutput(), QByteArray());
    }

    void keepAliveAndCommands()
    {
        DevsimProcess sim;
        QVERIFY(sim.start({"--udp", "127.0.0.1:0", "--serial", "kestr0105"}));
        UdpHost host(sim.udpPort());
        QCOMPARE(host.query("ping", 4), QByteArray("available,kestr0105"));
        sim.command("busy on");
        QTRY_VERIFY_WITH_TIMEOUT(host.query("ping", 4).startsWith("busy"), 5000);
        // Answers carry no line end; a long one spans datagrams.
        QCOMPARE(host.query("*idn?"), QByteArray("lumetrix,Kestrova DAQ,kestr0105,devsim 1.0"));
        QCOMPARE(host.query("conf:sca:num?"), QByteArray("8,0,2,2"));
        int datagrams = 0;
        QCOMPARE(host.query("mem:raw? 580264,512", 1, &datagrams).left(4), QByteArray("\x78\x56\x34\x12", 4));
        QVERIFY(datagrams >= 2);
        // Three copies of a command, seen three times with one txId, run once: one refusal.
        host.send(1, "conf:dev 99,0,0\n");
        QCOMPARE(host.receive(400, 1, 100).size(), 1);
        QList<QByteArray> seen = sim.commandLines();
        seen.erase(std::remove_if(seen.begin(), seen.end(), [](const QByteArray &l) { return !l.endsWith("\tconf:dev 99,0,0"); }), seen.end());
        QVERIFY(seen.size() == 3 && seen.count(seen.first()) == 3 && seen.first().startsWith("udp\t"));
        // The configuration as the host sends it: one datagram of several lines, no answer.
        host.send(1, "conf:sca:rat 1000\nconf:sca:hea 0\nconf:imu:para 0,6,500\nconf:sca:ove 2\nconf:dev 8,0,2,2\n");
        QCOMPARE(host.query("*idn?").left(8), QByteArray("lumetrix"));
        sim.command("conferror on");
        QTRY_VERIFY_WITH_TIMEOUT(host.query("conf:sca:rat 1000").startsWith("error"), 5000);
        sim.command("silent on");
        QTRY_VERIFY_WITH_TIMEOUT(host.query("ping", 4).isEmpty(), 5000);
        QCOMPARE(host.query("*idn?"), QByteArray());
    }

    void streamNumberingAndFrames()
    {
        DevsimProcess sim;
        QVERIFY(sim.start({"--udp", "127.0.0.1:0", "--counts", "4,2,2,2"}));
        UdpHost host(sim.udpPort());
        host.send(1, "conf:sca:rat 2000\nconf:imu:para 1,24,2000\nconf:dev 4,2,2,2\n");
        const QList<Packet> data = host.stream(700);
        QByteArray frames;
        for (int i = 0; i < data.size(); ++i) {
            QCOMPARE(data[i].blockIndex, quint32(i));
            frames += data[i].payload;
        }
        const StreamCheck check{4, 2, 2, 2, 2000, {6.0, 24.0}, {500.0, 2000.0}};
        QVERIFY(frames.size() >= 1000 * check.frameSize());
        const QString verdict = check.check(frames, 0);
        QVERIFY2(verdict.isEmpty(), qPrintable(verdict));
        QCOMPARE(host.stream(100).value(0).blockIndex, quint32(0));   // a new stream numbers from 0
    }

    // Rate 0.2 over about 1000 packets: the observed rate stays within a wide band.
    void lossFaultRates_data()
    {
        QTest::addColumn<QByteArray>("fault");
        QTest::newRow("drop") << QByteArray("drop");
        QTest::newRow("dup") << QByteArray("dup");
        QTest::newRow("reorder") << QByteArray("reorder");
    }

    void lossFaultRates()
    {
        QFETCH(QByteArray, fault);
        DevsimProcess sim;
        QVERIFY(sim.start({"--udp", "127.0.0.1:0", "--counts", "1,0,0,0", "--udp-payload", "32", "--no-retransmit"}));
        UdpHost host(sim.udpPort());
        sim.command(fault + " 0.2");
        QVERIFY(sim.sync());
        host.send(1, "conf:sca:rat 4000\nconf:dev 1,0,0\n");
        const QList<Packet> data = host.stream(1000);
        QVERIFY(data.size() > 700);
        QSet<quint32> unique;
        quint32 highest = 0;
        int late = 0;
        for (int i = 0; i < data.size(); ++i) {
            unique.insert(data[i].blockIndex);
            highest = qMax(highest, data[i].blockIndex);
            late += i > 0 && data[i].blockIndex < data[i - 1].blockIndex ? 1 : 0;
        }
        const double observed = fault == "drop" ? 1.0 - unique.size() / (highest + 1.0)
                                : fault == "dup" ? double(data.size() - unique.size()) / unique.size()
                                                 : double(late) / data.size();
        QVERIFY2(observed > 0.14 && observed < 0.26, qPrintable(QString::number(observed)));
        QVERIFY(fault == "drop" || quint32(unique.size()) == highest + 1);
    }
};

QTEST_GUILESS_MAIN(tst_devsimudp)
#include "tst_devsimudp.moc"

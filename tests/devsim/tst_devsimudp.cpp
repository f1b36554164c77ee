// devsim's UDP side, driven from outside over loopback UDP with the tests' own datagram code.
#include "devsimprocess.h"
#include "streamcheck.h"

#include <QElapsedTimer>
#include <QSet>
#include <QUdpSocket>
#include <QtTest>

namespace {

struct Packet
{
    quint16 txId, type;
    quint32 blockIndex;
    QByteArray payload;
};

// A minimal host: sends commands and keep-alives, collects datagrams.
class UdpHost
{
public:
    explicit UdpHost(quint16 devicePort) : m_port(devicePort) { m_socket.bind(QHostAddress(QHostAddress::LocalHost), 0); }

    void send(quint16 type, const QByteArray &payload, quint16 txId)
    {
        QByteArray d(12, '\0');
        qToLittleEndian<quint16>(txId, d.data());
        qToLittleEndian<quint16>(type, d.data() + 2);
        qToLittleEndian<quint16>(quint16(payload.size()), d.data() + 4);
        m_socket.writeDatagram(d + payload, QHostAddress::LocalHost, m_port);
    }
    // A command as the host sends it: line feed appended, `copies` times the same datagram.
    void command(const QByteArray &text, int copies = 3)
    {
        const quint16 id = m_tx++;
        for (int i = 0; i < copies; ++i)
            send(1, text + '\n', id);
    }
    // The datagrams of one type (-1: all) that arrive within `ms`, or, with `quietMs`, until
    // none has come for that long after the first.
    QList<Packet> receive(int ms, int type = -1, int quietMs = 0)
    {
        QList<Packet> packets;
        QElapsedTimer total, quiet;
        total.start();
        while (total.elapsed() < ms && (quietMs == 0 || packets.isEmpty() || quiet.elapsed() < quietMs)) {
            if (!m_socket.hasPendingDatagrams())
                m_socket.waitForReadyRead(10);
            while (m_socket.hasPendingDatagrams()) {
                QByteArray d(int(m_socket.pendingDatagramSize()), '\0');
                d.resize(int(m_socket.readDatagram(d.data(), d.size())));
                const Packet p{qFromLittleEndian<quint16>(d.constData()), qFromLittleEndian<quint16>(d.constData() + 2),
                               qFromLittleEndian<quint32>(d.constData() + 8), d.mid(12)};
                if (d.size() >= 12 && (type < 0 || p.type == type)) {
                    packets << p;
                    quiet.restart();
                }
            }
        }
        return packets;
    }
    QByteArray query(const QByteArray &text, int *datagrams = nullptr, quint16 type = 1)
    {
        type == 1 ? command(text, 1) : send(type, text, m_tx++);
        QByteArray answer;
        const QList<Packet> packets = receive(400, type, 100);
        for (const Packet &p : packets)
            answer += p.payload;
        if (datagrams)
            *datagrams = packets.size();
        return answer;
    }
    // One stream of `ms`, data datagrams only.
    QList<Packet> stream(int ms)
    {
        command("init");
        QList<Packet> data = receive(ms, 2);
        command("abort");
        return data + receive(300, 2);   // the end of the stream, a held packet among it
    }

private:
    QUdpSocket m_socket;
    quint16 m_port;
    quint16 m_tx = 100;
};

} // namespace

class tst_devsimudp : public QObject
{
    Q_OBJECT
private slots:
    void refusesNonLoopback();
    void keepAliveAndCommands();
    void streamNumberingAndFrames();
    void lossFaultRates_data();
    void lossFaultRates();
};

void tst_devsimudp::refusesNonLoopback()
{
    QProcess p;
    p.start(DEVSIM_EXECUTABLE, {"--udp", "192.168.4.1:1234"});
    QVERIFY(p.waitForFinished(10000));
    QVERIFY(p.exitCode() != 0);
    QCOMPARE(p.readAllStandardOutput(), QByteArray());
}

void tst_devsimudp::keepAliveAndCommands()
{
    DevsimProcess sim;
    QVERIFY(sim.start({"--udp", "127.0.0.1:0", "--serial", "kestr0105"}));
    UdpHost host(sim.udpPort());
    QCOMPARE(host.query("ping\n", nullptr, 4), QByteArray("available,kestr0105"));
    sim.command("busy on");
    QTRY_VERIFY_WITH_TIMEOUT(host.query("ping\n", nullptr, 4).startsWith("busy"), 5000);
    sim.command("busy off");
    // Answers carry no line end; a long one spans datagrams.
    QCOMPARE(host.query("*idn?"), QByteArray("lumetrix,Kestrova DAQ,kestr0105,devsim 1.0"));
    QCOMPARE(host.query("conf:sca:num?"), QByteArray("8,0,2,2"));
    int datagrams = 0;
    const QByteArray memory = host.query("mem:raw? 580264,512", &datagrams);
    QVERIFY(memory.size() == 512 && datagrams >= 2);
    QCOMPARE(memory.left(4), QByteArray("\x78\x56\x34\x12", 4));

    // Seen three times, run once: one refusal.
    host.command("conf:dev 99,0,0");
    QCOMPARE(host.receive(400, 1, 100).size(), 1);
    QList<QByteArray> seen;
    for (const QByteArray &line : sim.commandLines())
        seen << (line.endsWith("\tconf:dev 99,0,0") ? line : QByteArray());
    seen.removeAll(QByteArray());
    QCOMPARE(seen.size(), 3);
    QVERIFY(seen.count(seen.first()) == 3 && seen.first().startsWith("udp\t"));   // the same txId
    // The configuration as the host sends it: one datagram of several lines, no answer.
    host.command("conf:sca:rat 1000\nconf:sca:hea 0\nconf:imu:para 0,6,500\nconf:sca:ove 2\nconf:dev 8,0,2,2");
    QCOMPARE(host.query("*idn?").left(8), QByteArray("lumetrix"));
    sim.command("conferror on");
    QTRY_VERIFY_WITH_TIMEOUT(host.query("conf:sca:rat 1000").startsWith("error"), 5000);
    sim.command("silent on");
    QTRY_VERIFY_WITH_TIMEOUT(host.query("ping\n", nullptr, 4).isEmpty(), 5000);
    QCOMPARE(host.query("*idn?"), QByteArray());
}

void tst_devsimudp::streamNumberingAndFrames()
{
    DevsimProcess sim;
    QVERIFY(sim.start({"--udp", "127.0.0.1:0", "--counts", "4,2,2,2"}));
    UdpHost host(sim.udpPort());
    host.command("conf:sca:rat 2000\nconf:imu:para 1,24,2000\nconf:dev 4,2,2,2");
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
    // A new stream numbers from 0 again.
    QCOMPARE(host.stream(100).value(0).blockIndex, quint32(0));
}

void tst_devsimudp::lossFaultRates_data()
{
    QTest::addColumn<QByteArray>("fault");
    QTest::newRow("drop") << QByteArray("drop");
    QTest::newRow("dup") << QByteArray("dup");
    QTest::newRow("reorder") << QByteArray("reorder");
}

// Rate 0.2 over about 1000 packets: the observed rate stays within a wide band.
void tst_devsimudp::lossFaultRates()
{
    QFETCH(QByteArray, fault);
    DevsimProcess sim;
    QVERIFY(sim.start({"--udp", "127.0.0.1:0", "--counts", "1,0,0,0", "--udp-payload", "32", "--no-retransmit"}));
    UdpHost host(sim.udpPort());
    sim.command(fault + " 0.2");
    QVERIFY(sim.sync());
    host.command("conf:sca:rat 4000\nconf:dev 1,0,0");
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

QTEST_GUILESS_MAIN(tst_devsimudp)
#include "tst_devsimudp.moc"

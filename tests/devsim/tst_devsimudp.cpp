// devsim's UDP side, driven from outside over loopback UDP with the tests' own
// datagram code.
#include "devsimprocess.h"
#include "streamcheck.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSet>
#include <QUdpSocket>
#include <QtEndian>
#include <QtTest>

namespace {

struct Packet
{
    quint16 txId = 0;
    quint16 type = 0;
    quint32 blockIndex = 0;
    QByteArray payload;
};

// A minimal host: sends commands, keep-alives and acknowledgements, collects datagrams.
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
    void command(const QByteArray &text, int copies = 1)
    {
        const quint16 id = m_tx++;
        for (int i = 0; i < copies; ++i)
            send(1, text + '\n', id);
    }
    QList<Packet> receive(int ms)
    {
        QList<Packet> packets;
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < ms) {
            if (!m_socket.hasPendingDatagrams())
                m_socket.waitForReadyRead(10);
            while (m_socket.hasPendingDatagrams()) {
                QByteArray d(int(m_socket.pendingDatagramSize()), '\0');
                d.resize(int(m_socket.readDatagram(d.data(), d.size())));
                if (d.size() < 12)
                    continue;
                Packet p;
                p.txId = qFromLittleEndian<quint16>(d.constData());
                p.type = qFromLittleEndian<quint16>(d.constData() + 2);
                p.blockIndex = qFromLittleEndian<quint32>(d.constData() + 8);
                p.payload = d.mid(12);
                packets.append(p);
                onPacket(p);
            }
        }
        return packets;
    }
    QByteArray query(const QByteArray &text, int ms = 400, int *datagrams = nullptr)
    {
        command(text);
        QByteArray answer;
        int count = 0;
        for (const Packet &p : receive(ms)) {
            if (p.type == 1) {
                answer += p.payload;
                ++count;
            }
        }
        if (datagrams)
            *datagrams = count;
        return answer;
    }
    QByteArray ping()
    {
        send(4, "ping\n", m_tx++);
        for (const Packet &p : receive(300))
            if (p.type == 4)
                return p.payload;
        return QByteArray();
    }

    bool acknowledge = false;   // act like the host: list the last 30 txIds after every 11th

private:
    void onPacket(const Packet &p)
    {
        if (p.type != 2 || !acknowledge)
            return;
        m_recent.append(p.txId);
        if (m_recent.size() > 30)
            m_recent.removeFirst();
        if (++m_sinceAck < 11)
            return;
        m_sinceAck = 0;
        QByteArray list;
        for (quint16 id : qAsConst(m_recent)) {
            list.append(char(id & 0xff));
            list.append(char(id >> 8));
        }
        send(3, list, m_tx++);
    }

    QUdpSocket m_socket;
    quint16 m_port;
    quint16 m_tx = 100;
    QList<quint16> m_recent;
    int m_sinceAck = 0;
};

QList<Packet> dataOnly(const QList<Packet> &packets)
{
    QList<Packet> data;
    for (const Packet &p : packets)
        if (p.type == 2)
            data.append(p);
    return data;
}

} // namespace

class tst_devsimudp : public QObject
{
    Q_OBJECT
private slots:
    void refusesNonLoopback();
    void keepAliveAndAnswers();
    void repeatedCommandRunsOnce();
    void memoryWriteOverUdp();
    void streamNumberingAndFrames();
    void lossFaultRates_data();
    void lossFaultRates();
    void lostPacketsAreResent();
    void framesPerDatagram_data();
    void framesPerDatagram();
    void silentAndStall();
};

void tst_devsimudp::refusesNonLoopback()
{
    QProcess p;
    p.start(DEVSIM_EXECUTABLE, {"--udp", "192.168.4.1:1234"});
    QVERIFY(p.waitForFinished(10000));
    QVERIFY(p.exitCode() != 0);
    QCOMPARE(p.readAllStandardOutput(), QByteArray());
}

void tst_devsimudp::keepAliveAndAnswers()
{
    DevsimProcess sim;
    QVERIFY(sim.start({"--udp", "127.0.0.1:0", "--serial", "kestr0105"}));
    QVERIFY(sim.udpPort() != 0);
    UdpHost host(sim.udpPort());
    QCOMPARE(host.ping(), QByteArray("available,kestr0105"));
    sim.command("busy on");
    QTRY_VERIFY_WITH_TIMEOUT(!host.ping().startsWith("available"), 5000);
    sim.command("busy off");
    QTRY_COMPARE_WITH_TIMEOUT(host.ping(), QByteArray("available,kestr0105"), 5000);

    // Answers carry no line end.
    QCOMPARE(host.query("*idn?"), QByteArray("lumetrix,Kestrova DAQ,kestr0105,devsim 1.0"));
    QCOMPARE(host.query("conf:sca:num?"), QByteArray("8,0,2,2"));
    int datagrams = 0;
    const QByteArray memory = host.query("mem:raw? 580264,512", 400, &datagrams);
    QCOMPARE(memory.size(), 512);
    QVERIFY(datagrams >= 2);
    QCOMPARE(memory.left(4), QByteArray("\x78\x56\x34\x12", 4));
}

void tst_devsimudp::repeatedCommandRunsOnce()
{
    DevsimProcess sim;
    QVERIFY(sim.start({"--udp", "127.0.0.1:0"}));
    UdpHost host(sim.udpPort());
    host.command("conf:dev 99,0,0", 3);
    QByteArray answers;
    for (const Packet &p : host.receive(400))
        answers += p.payload;
    QCOMPARE(answers.count("error"), 1);
    // Seen three times, run once.
    const QList<QByteArray> seen = sim.commandLines();
    QCOMPARE(seen.size(), 3);
    QCOMPARE(seen.count(seen.first()), 3);
    QVERIFY(seen.first().startsWith("udp\t"));
    QVERIFY(seen.first().endsWith("\tconf:dev 99,0,0"));
    // The configuration text as the host sends it: one datagram, several lines, three copies.
    host.command("conf:sca:rat 1000\nconf:sca:hea 0\nconf:imu:para 0,6,500\nconf:sca:ove 2\nconf:dev 8,0,2,2", 3);
    QVERIFY(host.receive(400).isEmpty());
    sim.command("conferror on");
    QTRY_VERIFY_WITH_TIMEOUT(host.query("conf:sca:rat 1000").startsWith("error"), 5000);
}

void tst_devsimudp::memoryWriteOverUdp()
{
    DevsimProcess sim;
    QVERIFY(sim.start({"--udp", "127.0.0.1:0"}));
    UdpHost host(sim.udpPort());
    QByteArray record = host.query("mem:raw? 580264,512").left(425);
    QCOMPARE(record.size(), 425);
    record.replace(186, 6, "netABC");
    host.command("mem:raw 580264", 3);
    host.command(record);
    QTRY_COMPARE_WITH_TIMEOUT(host.query("mem:raw? 580264,512").left(425), record, 5000);
    QFile file(sim.recordFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), record);
}

void tst_devsimudp::streamNumberingAndFrames()
{
    DevsimProcess sim;
    QVERIFY(sim.start({"--udp", "127.0.0.1:0", "--counts", "4,2,2,2"}));
    UdpHost host(sim.udpPort());
    host.command("conf:sca:rat 2000\nconf:imu:para 1,24,2000\nconf:dev 4,2,2,2", 3);
    host.command("init", 3);
    QList<Packet> data = dataOnly(host.receive(1300));
    host.command("abort", 3);
    data += dataOnly(host.receive(300));
    QVERIFY(data.size() > 20);
    QByteArray frames;
    for (int i = 0; i < data.size(); ++i) {
        QCOMPARE(data[i].blockIndex, quint32(i));
        frames += data[i].payload;
    }
    StreamCheck check;
    check.n24 = 4;
    check.n16 = 2;
    check.nImu = 2;
    check.nAux = 2;
    check.rate = 2000;
    check.accRange = {6.0, 24.0};
    check.gyroRange = {500.0, 2000.0};
    QVERIFY(frames.size() >= 2000 * check.frameSize());
    const QString verdict = check.check(frames, 0);
    QVERIFY2(verdict.isEmpty(), qPrintable(verdict));

    host.command("init", 3);
    data = dataOnly(host.receive(300));
    host.command("abort", 3);
    QVERIFY(!data.isEmpty());
    QCOMPARE(data.first().blockIndex, quint32(0));
}

void tst_devsimudp::lossFaultRates_data()
{
    QTest::addColumn<QByteArray>("fault");
    QTest::newRow("drop") << QByteArray("drop");
    QTest::newRow("dup") << QByteArray("dup");
    QTest::newRow("reorder") << QByteArray("reorder");
}

// Rate 0.2 over about 1500 packets: the observed rate stays within a wide band.
void tst_devsimudp::lossFaultRates()
{
    QFETCH(QByteArray, fault);
    DevsimProcess sim;
    QVERIFY(sim.start({"--udp", "127.0.0.1:0", "--counts", "1,0,0,0", "--udp-payload", "32", "--no-retransmit"}));
    UdpHost host(sim.udpPort());
    sim.command(fault + " 0.2");
    QVERIFY(sim.sync());
    host.command("conf:sca:rat 4000\nconf:dev 1,0,0", 3);
    host.command("init", 3);
    QList<Packet> data = dataOnly(host.receive(1500));
    host.command("abort", 3);
    data += dataOnly(host.receive(300));   // the end of the stream, a held packet among it
    QVERIFY(data.size() > 1000);

    QSet<quint32> unique;
    quint32 highest = 0;
    int late = 0;
    for (int i = 0; i < data.size(); ++i) {
        unique.insert(data[i].blockIndex);
        highest = qMax(highest, data[i].blockIndex);
        if (i > 0 && data[i].blockIndex < data[i - 1].blockIndex)
            ++late;
    }
    const double sent = highest + 1;
    double observed = 0;
    if (fault == "drop")
        observed = (sent - unique.size()) / sent;
    else if (fault == "dup")
        observed = double(data.size() - unique.size()) / unique.size();
    else
        observed = double(late) / data.size();
    qInfo("%s observed at %.3f for 0.2", fault.constData(), observed);
    QVERIFY2(observed > 0.14 && observed < 0.26, qPrintable(QString::number(observed)));
    if (fault != "drop")
        QCOMPARE(quint32(unique.size()), highest + 1);
}

void tst_devsimudp::lostPacketsAreResent()
{
    DevsimProcess sim;
    QVERIFY(sim.start({"--udp", "127.0.0.1:0", "--counts", "1,0,0,0", "--udp-payload", "64", "--drop", "0.1"}));
    UdpHost host(sim.udpPort());
    host.acknowledge = true;
    host.command("conf:sca:rat 4000\nconf:dev 1,0,0", 3);
    host.command("init", 3);
    QList<Packet> data = dataOnly(host.receive(1500));
    host.command("abort", 3);
    data += dataOnly(host.receive(300));
    QVERIFY(data.size() > 500);

    QSet<quint32> seen;
    QSet<quint16> txIds;
    quint32 highest = 0;
    quint16 newestTx = 0;
    int resent = 0;
    for (const Packet &p : qAsConst(data)) {
        QVERIFY2(!txIds.contains(p.txId), "every copy carries its own txId");
        txIds.insert(p.txId);
        if (!seen.isEmpty() && p.blockIndex < highest && !seen.contains(p.blockIndex)) {
            ++resent;
            QVERIFY(quint16(p.txId - newestTx) < 0x8000);   // a new, later txId
        }
        seen.insert(p.blockIndex);
        highest = qMax(highest, p.blockIndex);
        newestTx = p.txId;
    }
    QVERIFY(resent > 20);
    // Everything arrives; the tail after the last acknowledgement is resent once at the
    // end, so only a packet lost twice there may be missing.
    int missing = 0;
    int missingTail = 0;
    for (quint32 i = 0; i <= highest; ++i) {
        if (!seen.contains(i))
            ++(i + 60 < highest ? missing : missingTail);
    }
    QCOMPARE(missing, 0);
    QVERIFY(missingTail <= 2);
}

// Whole frames in every datagram, a fixed or a varying number, and the data log telling
// which frames each datagram carried and which ones the drop fault destroyed.
void tst_devsimudp::framesPerDatagram_data()
{
    QTest::addColumn<QStringList>("shape");
    QTest::addColumn<bool>("fixed");
    QTest::newRow("three frames each") << QStringList{"--udp-frames", "3"} << true;
    QTest::newRow("varying") << QStringList{"--udp-vary", "--udp-payload", "200"} << false;
}

void tst_devsimudp::framesPerDatagram()
{
    QFETCH(QStringList, shape);
    QFETCH(bool, fixed);
    DevsimProcess sim;
    QVERIFY(sim.start(QStringList{"--udp", "127.0.0.1:0", "--counts", "1,0,0,0", "--no-retransmit", "--drop",
                                  "0.05", "--data-log", sim.dataLogFile()}
                      + shape));
    UdpHost host(sim.udpPort());
    host.command("conf:sca:rat 4000\nconf:dev 1,0,0", 3);
    host.command("init", 3);
    QList<Packet> data = dataOnly(host.receive(1000));
    host.command("abort", 3);
    data += dataOnly(host.receive(300));
    QVERIFY(sim.sync());

    const QList<DevsimProcess::DataUnit> units = sim.dataUnits("udp");
    QVERIFY(units.size() > 200);
    quint64 nextFrame = 0;
    quint64 frames = 0;
    QSet<quint64> counts;
    QSet<quint32> dropped;
    for (int i = 0; i < units.size(); ++i) {
        const DevsimProcess::DataUnit &u = units[i];
        QCOMPARE(u.unit, quint64(i));
        QCOMPARE(u.first, nextFrame);
        QVERIFY(u.count >= 1 && u.count <= 25);
        if (fixed)
            QCOMPARE(u.count, 3u);
        if (u.fate == "dropped")
            dropped.insert(quint32(u.unit));
        else
            QCOMPARE(u.fate, QByteArray("sent"));
        counts.insert(u.count);
        nextFrame += u.count;
        frames += u.count;
    }
    QVERIFY(fixed || counts.size() > 5);
    QVERIFY(!dropped.isEmpty());
    sim.command("stats");
    QVERIFY(sim.waitForLine("stats").contains(" frames=" + QByteArray::number(frames) + " "));

    StreamCheck check;
    check.n24 = 1;
    check.rate = 4000;
    QCOMPARE(data.size(), units.size() - dropped.size());
    for (const Packet &p : qAsConst(data)) {
        QVERIFY(!dropped.contains(p.blockIndex));
        const DevsimProcess::DataUnit &u = units[int(p.blockIndex)];
        QCOMPARE(quint64(p.payload.size()), u.count * quint64(check.frameSize()));
        const QString error = check.check(p.payload, u.first);
        QVERIFY2(error.isEmpty(), qPrintable(error));
    }
}

void tst_devsimudp::silentAndStall()
{
    DevsimProcess sim;
    QVERIFY(sim.start({"--udp", "127.0.0.1:0", "--counts", "1,0,0,0"}));
    UdpHost host(sim.udpPort());
    sim.command("silent on");
    QTRY_VERIFY_WITH_TIMEOUT(host.ping().isEmpty(), 5000);
    QCOMPARE(host.query("*idn?"), QByteArray());
    sim.command("silent off");
    QTRY_VERIFY_WITH_TIMEOUT(host.ping().startsWith("available"), 5000);

    host.command("conf:dev 1,0,0", 3);
    host.command("init", 3);
    QVERIFY(!dataOnly(host.receive(300)).isEmpty());
    sim.command("stall on");
    QVERIFY(sim.sync());
    host.receive(100);   // what was under way
    QVERIFY(dataOnly(host.receive(400)).isEmpty());
    sim.command("stall off");
    QVERIFY(!dataOnly(host.receive(400)).isEmpty());
    host.command("abort", 3);
}

QTEST_GUILESS_MAIN(tst_devsimudp)
#include "tst_devsimudp.moc"

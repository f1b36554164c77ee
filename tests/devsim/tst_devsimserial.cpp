// devsim's serial side, driven from outside over a real pseudo-terminal.
#include "devsimprocess.h"
#include "link/serialportlist.h"
#include "streamcheck.h"

#include <QDir>
#include <QElapsedTimer>
#include <QLocalSocket>
#include <QSerialPort>
#include <QtTest>

namespace {

// What arrives within `ms`, or, with `quietMs`, until the line has been quiet that long.
QByteArray readFor(QSerialPort &port, int ms, int quietMs = 0)
{
    QByteArray data;
    QElapsedTimer total, quiet;
    total.start();
    quiet.start();
    while (total.elapsed() < ms && (quietMs == 0 || data.isEmpty() || quiet.elapsed() < quietMs)) {
        if (port.waitForReadyRead(20)) {
            data += port.readAll();
            quiet.restart();
        }
    }
    return data + port.readAll();
}

// Sends the lines, then "*idn?": whatever comes before the identification is their answer.
QByteArray exchange(QSerialPort &port, const QByteArray &lines)
{
    port.write(lines + "\n*idn?\n");
    QByteArray answer;
    QElapsedTimer t;
    t.start();
    while (!answer.contains("lumetrix") && t.elapsed() < 3000)
        answer += readFor(port, 3000, 50);
    return answer.left(answer.indexOf("lumetrix"));
}

bool openPort(QSerialPort &port, const QString &path)
{
    port.setPortName(path);
    return port.open(QIODevice::ReadWrite);
}

QList<SerialPortEntry> declaredPorts(const QString &file)
{
    qputenv(SerialPortList::environmentVariable(), QFile::encodeName(file));
    return SerialPortList::virtualPorts();
}

} // namespace

class tst_devsimserial : public QObject
{
    Q_OBJECT
private slots:
    void protocolAndPorts();
    void streamDecodesToDocumentedSignals_data();
    void streamDecodesToDocumentedSignals();
    void badBlocksAndStall();
    void lineRatePacing();
};

void tst_devsimserial::protocolAndPorts()
{
    DevsimProcess sim;
    // Another writer's port stays declared; a vanished one's leftover goes.
    QFile before(sim.portsFile());
    QVERIFY(before.open(QIODevice::WriteOnly));
    before.write("/dev/null\t0403\t6001\tFT01\tother\tx\t0\n/dev/pts/987654\t1a86\t7523\tkestr9999\tgone\tx\t0\n");
    before.close();
    const QString control = QDir::temp().filePath(QString("devsim-test-%1.ctl").arg(QCoreApplication::applicationPid()));
    QVERIFY(sim.start({"--pty", "--counts", "4,0,1,2", "--serial", "kestr0042", "--control", control}));
    QList<SerialPortEntry> ports = declaredPorts(sim.portsFile());
    QCOMPARE(ports.size(), 2);
    QCOMPARE(ports.takeFirst().systemLocation, QString("/dev/null"));
    QCOMPARE(ports[0].systemLocation, sim.serialPath());
    QVERIFY(ports[0].vendorId == 0x1a86 && ports[0].productId == 0x7523 && !ports[0].busy);
    QCOMPARE(ports[0].serialNumber, QString("kestr0042"));

    QSerialPort port;
    QVERIFY(openPort(port, sim.serialPath()));
    QCOMPARE(exchange(port, "CONF:SCA:NUM?"), QByteArray("4,0,1,2\r\n"));
    QVERIFY(exchange(port, "bogus").startsWith("error"));
    const QByteArray good = "conf:sca:rat 500\nconf:sca:hea 1\nconf:imu:para 0,6,500\nconf:sca:ove 2\nconf:dev 2,0,0";
    QCOMPARE(exchange(port, good + "\nconf:sca:gai 0,1\n*rst\nabort"), QByteArray());
    QVERIFY(sim.commandLines().join('\n').startsWith("serial\tCONF:SCA:NUM?\nserial\t*idn?\nserial\tbogus"));
    // A nonsense rate, an IMU the device lacks, more channels than it has.
    const QByteArray bad = exchange(port, "conf:sca:rat fast\nconf:imu:para 1,6,500\nconf:dev 5,0,1");
    QCOMPARE(bad.count("error"), 3);
    QVERIFY(bad.endsWith("\r\n"));
    sim.command("conferror on");
    QTRY_COMPARE_WITH_TIMEOUT(exchange(port, good).count("error"), 5, 5000);
    sim.command("conferror off");
    sim.command("busy on");
    sim.command("counts 2,0,1,0");
    QTRY_VERIFY_WITH_TIMEOUT(declaredPorts(sim.portsFile()).value(1).busy, 5000);
    QCOMPARE(exchange(port, "conf:sca:num?"), QByteArray("2,0,1,0\r\n"));
    sim.command("silent on");
    QVERIFY(sim.sync());
    port.write("*idn?\n");
    QCOMPARE(readFor(port, 400), QByteArray());
    sim.command("silent off");

    // Unplugged through the control socket, which answers every command: the terminal hangs
    // up as a vanishing USB port does, and comes back under a new path.
    QLocalSocket socket;
    socket.connectToServer(control);
    QVERIFY(socket.waitForConnected(5000));
    socket.write("unplug\n");
    QTRY_VERIFY_WITH_TIMEOUT(socket.canReadLine(), 5000);
    QCOMPARE(socket.readLine(), QByteArray("ok\n"));
    QTRY_VERIFY_WITH_TIMEOUT(declaredPorts(sim.portsFile()).size() == 1, 5000);
    QTRY_VERIFY_WITH_TIMEOUT(port.error() == QSerialPort::ResourceError || port.error() == QSerialPort::ReadError, 5000);
    port.close();
    const QString first = sim.serialPath();
    sim.command("plug");
    QVERIFY(!sim.waitForLine("serial ").isEmpty());
    QVERIFY(sim.serialPath() != first);
    QCOMPARE(declaredPorts(sim.portsFile()).value(1).systemLocation, sim.serialPath());
    QVERIFY(openPort(port, sim.serialPath()));
    // The configuration outlived *rst and the unplugging: 500 frames/s, blocks of five
    // frames of 4 + 2 * 4 bytes.
    port.write("init\n");
    const QByteArray stream = readFor(port, 300);
    port.write("abort\n");
    QVERIFY2(stream.startsWith("#260"), stream.left(4).constData());

    // The controlling program going away (its pipe closing) ends devsim and its declaration.
    sim.process().closeWriteChannel();
    QVERIFY(sim.process().waitForFinished(5000));
    QCOMPARE(declaredPorts(sim.portsFile()).size(), 1);
}

void tst_devsimserial::streamDecodesToDocumentedSignals_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("configuration");
    QTest::addColumn<QString>("channels");   // n24 n16 nImu nAux rate accRange gyroRange
    QTest::newRow("24-bit, IMU, AUX") << QStringList{"--counts", "4,0,2,2"}
                                      << QByteArray("conf:sca:rat 2000\nconf:imu:para 0,12,1000\nconf:dev 4,0,1,2")
                                      << "4 0 1 2 2000 12 1000";
    QTest::newRow("16-bit, unaligned blocks") << QStringList{"--counts", "0,3,1,0", "--unaligned", "--seed", "7"}
                                              << QByteArray("conf:sca:rat 1000\nconf:dev 0,3,1") << "0 3 1 0 1000 6 500";
}

void tst_devsimserial::streamDecodesToDocumentedSignals()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, configuration);
    QFETCH(QString, channels);
    DevsimProcess sim;
    QVERIFY(sim.start(QStringList{"--pty"} + options));
    QSerialPort port;
    QVERIFY(openPort(port, sim.serialPath()));
    QCOMPARE(exchange(port, configuration), QByteArray());
    const QStringList c = channels.split(' ');
    StreamCheck check{c[0].toInt(), c[1].toInt(), c[2].toInt(), c[3].toInt(), c[4].toInt(), {c[5].toDouble()}, {c[6].toDouble()}};

    QElapsedTimer timer;
    timer.start();
    port.write("init\n");
    QByteArray stream = readFor(port, 1200 * 1000 / check.rate);
    const qint64 elapsed = timer.elapsed();
    port.write("abort\n");
    stream += readFor(port, 1000, 200);
    int blocks = 0;
    QString error;
    const QByteArray payload = StreamCheck::splitBlocks(stream, blocks, error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY2(payload.size() % check.frameSize() == 0, "abort leaves whole frames");
    const int frames = payload.size() / check.frameSize();
    // Paced in real time, not faster.
    QVERIFY2(frames >= 1000 && frames <= (elapsed + 1000) * check.rate / 1000, qPrintable(QString::number(frames)));
    const QString verdict = check.check(payload.left(1000 * check.frameSize()), 0);
    QVERIFY2(verdict.isEmpty(), qPrintable(verdict));
    // devsim's own count agrees with what arrived.
    QCOMPARE(sim.stat("frames"), qint64(frames));
    QCOMPARE(sim.stat("blocks"), qint64(blocks));
}

void tst_devsimserial::badBlocksAndStall()
{
    DevsimProcess sim;
    QVERIFY(sim.start({"--pty", "--counts", "1,0,0,0", "--block-frames", "5"}));
    QSerialPort port;
    QVERIFY(openPort(port, sim.serialPath()));
    QCOMPARE(exchange(port, "conf:dev 1,0,0"), QByteArray());
    sim.command("badheader");
    sim.command("badterminator");
    QVERIFY(sim.sync());
    port.write("init\n");
    // 5 frames of 8 bytes: "#240", payload, terminator.
    QVERIFY(port.waitForReadyRead(3000));
    const QByteArray stream = readFor(port, 300).left(200);
    QVERIFY2(stream.startsWith("#X40"), stream.left(120).toHex().constData());
    QCOMPARE(stream[44], 'X');
    QVERIFY(stream.mid(45).startsWith("#240"));

    sim.command("stall on");
    QVERIFY(sim.sync());
    readFor(port, 100);   // what was under way
    QCOMPARE(readFor(port, 400), QByteArray());
    sim.command("stall off");
    QVERIFY(port.waitForReadyRead(3000));
    port.write("abort\n");
    int blocks = 0;
    QString error;
    QVERIFY(!StreamCheck::splitBlocks(readFor(port, 3000, 300), blocks, error).isEmpty());
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

// At 100000 baud the line carries 10000 bytes/s, less than the stream needs: the device
// drops frames rather than falling behind, and what arrives stays well framed.
void tst_devsimserial::lineRatePacing()
{
    DevsimProcess sim;
    QVERIFY(sim.start({"--pty", "--counts", "8,0,2,2", "--line-rate", "100000"}));
    QSerialPort port;
    QVERIFY(openPort(port, sim.serialPath()));
    QCOMPARE(exchange(port, "conf:sca:rat 1000"), QByteArray());
    port.write("init\n");
    QVERIFY(port.waitForReadyRead(3000));
    QElapsedTimer t;
    t.start();
    const QByteArray stream = readFor(port, 1000);
    const qint64 elapsed = t.elapsed();
    port.write("abort\n");
    QVERIFY2(stream.size() >= 1500 && stream.size() <= 10000 * (elapsed + 300) / 1000, qPrintable(QString::number(stream.size())));
    int blocks = 0;
    QString error;
    StreamCheck::splitBlocks(stream.mid(stream.indexOf('#')).left(stream.lastIndexOf("\n#") + 1 - stream.indexOf('#')), blocks, error);
    QVERIFY2(error.isEmpty(), qPrintable(error));
}

QTEST_GUILESS_MAIN(tst_devsimserial)
#include "tst_devsimserial.moc"

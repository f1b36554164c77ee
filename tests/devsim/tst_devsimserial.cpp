// devsim's serial side, driven from outside over a real pseudo-terminal.
#include "devsimprocess.h"
#include "link/serialportlist.h"
#include "streamcheck.h"

#include <QElapsedTimer>
#include <QFile>
#include <QSerialPort>
#include <QtTest>

namespace {

// Collects what arrives until the line has been quiet for quietMs (or nothing came
// within firstMs).
QByteArray collect(QSerialPort &port, int firstMs, int quietMs = 150)
{
    QByteArray data;
    QElapsedTimer sinceLast;
    sinceLast.start();
    int wait = firstMs;
    while (sinceLast.elapsed() < wait) {
        if (port.waitForReadyRead(20)) {
            data += port.readAll();
            sinceLast.restart();
            wait = quietMs;
        }
    }
    return data + port.readAll();
}

// Everything that arrives within ms.
QByteArray readFor(QSerialPort &port, int ms)
{
    QByteArray data;
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms) {
        if (port.waitForReadyRead(20))
            data += port.readAll();
    }
    return data + port.readAll();
}

QByteArray exchange(QSerialPort &port, const QByteArray &command, int firstMs = 3000)
{
    port.write(command + '\n');
    port.waitForBytesWritten(1000);
    return collect(port, firstMs);
}

bool openPort(QSerialPort &port, const QString &path)
{
    port.setPortName(path);
    if (!port.open(QIODevice::ReadWrite))
        return false;
    port.setBaudRate(500000);
    return true;
}

QList<SerialPortEntry> declaredPorts(const QString &file)
{
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return SerialPortList::parseDeclarations(f.readAll());
}

QByteArray blockPayload(const QByteArray &answer)
{
    QByteArray payload;
    int blocks = 0;
    QString error;
    if (!StreamCheck::splitBlocks(answer, payload, blocks, error) || blocks != 1)
        return QByteArray();
    return payload;
}

} // namespace

class tst_devsimserial : public QObject
{
    Q_OBJECT
private slots:
    void identificationAndDeclaration();
    void configurationAcceptedAndRejected();
    void streamDecodesToDocumentedSignals_data();
    void streamDecodesToDocumentedSignals();
    void memoryReadWriteRoundTrip();
    void badBlocksOnRequest();
    void silentAndStall();
    void unplugAndPlugUnderNewPath();
};

void tst_devsimserial::identificationAndDeclaration()
{
    DevsimProcess sim;
    QVERIFY(sim.start({"--pty", "--counts", "4,2,1,3", "--serial", "kestr0042", "--idn", "Test,Device,1"}));
    const QList<SerialPortEntry> ports = declaredPorts(sim.portsFile());
    QCOMPARE(ports.size(), 1);
    QCOMPARE(ports[0].systemLocation, sim.serialPath());
    QCOMPARE(ports[0].vendorId, quint16(0x1a86));
    QCOMPARE(ports[0].productId, quint16(0x7523));
    QCOMPARE(ports[0].serialNumber, QString("kestr0042"));
    QVERIFY(!ports[0].busy);

    QSerialPort port;
    QVERIFY(openPort(port, sim.serialPath()));
    QCOMPARE(exchange(port, "*idn?"), QByteArray("Test,Device,1\r\n"));
    QCOMPARE(exchange(port, "CONF:SCA:NUM?"), QByteArray("4,2,1,3\r\n"));
    QVERIFY(exchange(port, "bogus").startsWith("error"));
    QCOMPARE(exchange(port, "*rst", 400), QByteArray());
    QCOMPARE(exchange(port, "abort", 400), QByteArray());
}

void tst_devsimserial::configurationAcceptedAndRejected()
{
    DevsimProcess sim;
    QVERIFY(sim.start({"--pty", "--counts", "4,0,1,2"}));
    QSerialPort port;
    QVERIFY(openPort(port, sim.serialPath()));
    const QByteArray good = "conf:sca:rat 1000\nconf:sca:hea 1\nconf:imu:para 0,6,500\nconf:sca:ove 2\nconf:dev 4,0,1,2";
    QCOMPARE(exchange(port, good, 400), QByteArray());
    QCOMPARE(exchange(port, "conf:sca:gai 0,1\nconf:sca:gai 3,1", 400), QByteArray());

    // More channels than the device has, an IMU it lacks, a nonsense rate.
    const QByteArray bad = exchange(port, "conf:sca:rat fast\nconf:imu:para 1,6,500\nconf:dev 5,0,1");
    QCOMPARE(bad.count("error"), 3);
    QVERIFY(bad.endsWith("\r\n"));

    sim.command("conferror on");
    QTRY_VERIFY_WITH_TIMEOUT(exchange(port, good).count("error") == 5, 5000);
    sim.command("conferror off");
    QTRY_COMPARE_WITH_TIMEOUT(exchange(port, good, 400), QByteArray(), 5000);
}

void tst_devsimserial::streamDecodesToDocumentedSignals_data()
{
    QTest::addColumn<QStringList>("options");
    QTest::addColumn<QByteArray>("configuration");
    QTest::addColumn<int>("n24");
    QTest::addColumn<int>("n16");
    QTest::addColumn<int>("nImu");
    QTest::addColumn<int>("nAux");
    QTest::newRow("24-bit, IMU, AUX") << QStringList{"--counts", "4,0,2,2"}
                                      << QByteArray("conf:sca:rat 2000\nconf:imu:para 0,12,1000\nconf:dev 4,0,1,2")
                                      << 4 << 0 << 1 << 2;
    QTest::newRow("16-bit, unaligned blocks") << QStringList{"--counts", "0,3,1,0", "--unaligned", "--seed", "7"}
                                              << QByteArray("conf:sca:rat 1000\nconf:dev 0,3,1")
                                              << 0 << 3 << 1 << 0;
}

void tst_devsimserial::streamDecodesToDocumentedSignals()
{
    QFETCH(QStringList, options);
    QFETCH(QByteArray, configuration);
    DevsimProcess sim;
    QVERIFY(sim.start(QStringList{"--pty"} + options));
    QSerialPort port;
    QVERIFY(openPort(port, sim.serialPath()));
    QCOMPARE(exchange(port, configuration, 400), QByteArray());

    StreamCheck check;
    QFETCH(int, n24);
    QFETCH(int, n16);
    QFETCH(int, nImu);
    QFETCH(int, nAux);
    check.n24 = n24;
    check.n16 = n16;
    check.nImu = nImu;
    check.nAux = nAux;
    check.rate = configuration.contains("2000") ? 2000 : 1000;
    check.accRange = {configuration.contains("0,12,1000") ? 12.0 : 6.0};
    check.gyroRange = {configuration.contains("0,12,1000") ? 1000.0 : 500.0};

    QElapsedTimer timer;
    timer.start();
    port.write("init\n");
    QByteArray stream = readFor(port, 2300 * 1000 / check.rate);
    const qint64 elapsed = timer.elapsed();
    port.write("abort\n");
    stream += collect(port, 1000, 200);

    QByteArray payload;
    int blocks = 0;
    QString error;
    QVERIFY2(StreamCheck::splitBlocks(stream, payload, blocks, error), qPrintable(error));
    QVERIFY(blocks > 10);
    QVERIFY2(payload.size() % check.frameSize() == 0, "abort leaves whole frames");
    const int frames = payload.size() / check.frameSize();
    QVERIFY(frames >= 2100);
    // Paced in real time, not faster.
    QVERIFY2(frames <= (elapsed + 1000) * check.rate / 1000, qPrintable(QString::number(frames)));
    const QString verdict = check.check(payload.left(2000 * check.frameSize()), 0);
    QVERIFY2(verdict.isEmpty(), qPrintable(verdict));
}

void tst_devsimserial::memoryReadWriteRoundTrip()
{
    DevsimProcess sim;
    QVERIFY(sim.start({"--pty"}));
    QSerialPort port;
    QVERIFY(openPort(port, sim.serialPath()));
    const QByteArray answer = exchange(port, "mem:raw? 580264,512");
    QVERIFY(answer.startsWith("#3512"));
    const QByteArray memory = blockPayload(answer);
    QCOMPARE(memory.size(), 512);
    QCOMPARE(memory.left(4), QByteArray("\x78\x56\x34\x12", 4));
    QCOMPARE(memory.mid(378, 11), QByteArray("192.168.4.1"));

    QByteArray record = memory.left(425);
    record.replace(282, 8, "testssid");
    QCOMPARE(exchange(port, "mem:raw 580264\n#3425" + record, 400), QByteArray());
    QTRY_COMPARE_WITH_TIMEOUT(blockPayload(exchange(port, "mem:raw? 580264,512")).left(425), record, 5000);
    QFile file(sim.recordFile());
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), record);
    QVERIFY(exchange(port, "mem:raw? 111111,512").startsWith("error"));
}

void tst_devsimserial::badBlocksOnRequest()
{
    DevsimProcess sim;
    QVERIFY(sim.start({"--pty", "--counts", "1,0,0,0", "--block-frames", "5"}));
    QSerialPort port;
    QVERIFY(openPort(port, sim.serialPath()));
    QCOMPARE(exchange(port, "conf:dev 1,0,0", 400), QByteArray());
    sim.command("badheader");
    sim.command("badterminator");
    QTest::qWait(200);
    port.write("init\n");
    QVERIFY(port.waitForReadyRead(3000));
    const QByteArray stream = readFor(port, 300).left(200);
    port.write("abort\n");
    // 5 frames of 8 bytes: "#240", payload, terminator.
    QVERIFY2(stream.startsWith("#X40"), stream.left(8).toHex().constData());
    QCOMPARE(stream[44], 'X');
    QVERIFY(stream.mid(45).startsWith("#240"));
}

void tst_devsimserial::silentAndStall()
{
    DevsimProcess sim;
    QVERIFY(sim.start({"--pty", "--counts", "1,0,0,0"}));
    QSerialPort port;
    QVERIFY(openPort(port, sim.serialPath()));
    sim.command("silent on");
    QTRY_COMPARE_WITH_TIMEOUT(exchange(port, "*idn?", 500), QByteArray(), 5000);
    sim.command("silent off");
    QTRY_VERIFY_WITH_TIMEOUT(exchange(port, "*idn?").startsWith("lumetrix"), 5000);

    QCOMPARE(exchange(port, "conf:dev 1,0,0", 300), QByteArray());
    port.write("init\n");
    QVERIFY(port.waitForReadyRead(3000));
    sim.command("stall on");
    readFor(port, 300);   // drain what left before the stall took effect
    QCOMPARE(readFor(port, 500), QByteArray());
    sim.command("stall off");
    QVERIFY(port.waitForReadyRead(3000));
    port.write("abort\n");
    const QByteArray resumed = collect(port, 3000, 300);
    QByteArray payload;
    int blocks = 0;
    QString error;
    QVERIFY(!resumed.isEmpty());
    QVERIFY2(StreamCheck::splitBlocks(resumed, payload, blocks, error), qPrintable(error));
}

void tst_devsimserial::unplugAndPlugUnderNewPath()
{
    DevsimProcess sim;
    QVERIFY(sim.start({"--pty", "--serial", "kestr0077"}));
    const QString first = sim.serialPath();
    QSerialPort port;
    QVERIFY(openPort(port, first));
    QVERIFY(exchange(port, "*idn?").startsWith("lumetrix"));

    sim.command("unplug");
    QTRY_VERIFY_WITH_TIMEOUT(declaredPorts(sim.portsFile()).isEmpty(), 5000);
    // The terminal hangs up as a real USB port does when it vanishes; Qt reports the
    // failed read as a read or resource error.
    QTRY_VERIFY_WITH_TIMEOUT(port.error() == QSerialPort::ResourceError || port.error() == QSerialPort::ReadError,
                             5000);
    port.close();

    sim.command("plug");
    const QByteArray line = sim.waitForLine("serial ");
    QVERIFY(!line.isEmpty());
    const QString second = sim.serialPath();
    QVERIFY(second != first);
    const QList<SerialPortEntry> ports = declaredPorts(sim.portsFile());
    QCOMPARE(ports.size(), 1);
    QCOMPARE(ports[0].systemLocation, second);
    QCOMPARE(ports[0].serialNumber, QString("kestr0077"));
    QSerialPort again;
    QVERIFY(openPort(again, second));
    QVERIFY(exchange(again, "*idn?").startsWith("lumetrix"));
}

QTEST_GUILESS_MAIN(tst_devsimserial)
#include "tst_devsimserial.moc"

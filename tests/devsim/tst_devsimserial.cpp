// devsim's serial side, driven from outside over a real pseudo-terminal.
#include "devsimprocess.h"
#include "link/serialportlist.h"
#include "streamcheck.h"

#include <QElapsedTimer>
#include <QSerialPort>
#include <QtTest>

// What arrives within `ms`, or with `quietMs` until the line has been quiet that long.
static QByteArray readFor(QSerialPort &port, int ms, int quietMs = 0)
{
    QByteArray data;
    QElapsedTimer total, quiet;
    total.start();
    while (total.elapsed() < ms && (quietMs == 0 || data.isEmpty() || quiet.elapsed() < quietMs)) {
        if (port.waitForReadyRead(20))
            data += port.readAll(), quiet.start();
    }
    return data + port.readAll();
}

// Sends the lines and "*idn?": what comes before the identification answers the lines.
static QByteArray exchange(QSerialPort &port, const QByteArray &lines)
{
    port.write(lines + "\n*idn?\n");
    QByteArray answer;
    QElapsedTimer t;
    t.start();
    while (!answer.contains("lumetrix") && t.elapsed() < 3000)
        answer += readFor(port, 3000, 50);
    return answer.left(answer.indexOf("lumetrix"));
}

static QList<SerialPortEntry> declaredPorts(const QString &file)
{
    qputenv(SerialPortList::environmentVariable(), QFile::encodeName(file));
    return SerialPortList::virtualPorts();
}

class tst_devsimserial : public QObject
{
    Q_OBJECT
private slots:
    void protocolAndPorts()
    {
        DevsimProcess sim;
        // Another writer's port stays declared; a vanished one's leftover goes.
        QFile before(sim.portsFile());
        QVERIFY(before.open(QIODevice::WriteOnly));
        before.write("/dev/null\t0403\t6001\tFT01\tother\tx\t0\n/dev/pts/987654\t1a86\t7523\tk9\tgone\tx\t0\n");
        before.close();
        QVERIFY(sim.start({"--pty", "--counts", "4,0,1,2", "--serial", "kestr0042"}));
        QList<SerialPortEntry> ports = declaredPorts(sim.portsFile());
        QCOMPARE(ports.size(), 2);
        QCOMPARE(ports[0].systemLocation + ports[1].systemLocation, "/dev/null" + sim.serialPath());
        QVERIFY(ports[1].vendorId == 0x1a86 && ports[1].productId == 0x7523 && ports[1].serialNumber == "kestr0042");
        QSerialPort port(sim.serialPath());
        QVERIFY(port.open(QIODevice::ReadWrite));
        QCOMPARE(exchange(port, "CONF:SCA:NUM?\nbogus").left(14), QByteArray("4,0,1,2\r\nerror"));
        const QByteArray good = "conf:sca:rat 500\nconf:sca:hea 1\nconf:imu:para 0,6,500\nconf:sca:ove 2\nconf:dev 2,0,0";
        QCOMPARE(exchange(port, good + "\n*rst\nabort"), QByteArray());
        // A nonsense rate, an IMU the device lacks, more channels than it has.
        QCOMPARE(exchange(port, "conf:sca:rat fast\nconf:imu:para 1,6,500\nconf:dev 5,0,1").count("error"), 3);
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

        // Unplugged, the terminal hangs up as a vanishing USB port does; it comes back under
        // a new path, still configured (500 frames/s: blocks of five 12-byte frames).
        const QString first = sim.serialPath();
        sim.command("unplug");
        QTRY_VERIFY_WITH_TIMEOUT(port.error() == QSerialPort::ResourceError || port.error() == QSerialPort::ReadError, 5000);
        QCOMPARE(declaredPorts(sim.portsFile()).size(), 1);
        port.close();
        sim.command("plug");
        QVERIFY(!sim.waitForLine("serial ").isEmpty() && sim.serialPath() != first);
        QCOMPARE(declaredPorts(sim.portsFile()).value(1).systemLocation, sim.serialPath());
        port.setPortName(sim.serialPath());
        QVERIFY(port.open(QIODevice::ReadWrite));
        port.write("init\n");
        QVERIFY(readFor(port, 300).startsWith("#260"));
        port.write("abort\n");
        // The controlling program going away (its pipe closing) ends devsim and its declaration.
        sim.process().closeWriteChannel();
        QVERIFY(sim.process().waitForFinished(5000));
        QCOMPARE(declaredPorts(sim.portsFile()).size(), 1);
    }

    void streamDecodesToDocumentedSignals_data()
    {
        QTest::addColumn<QStringList>("options");
        QTest::addColumn<QByteArray>("configuration");
        QTest::addColumn<StreamCheck>("check");
        QTest::newRow("24-bit, IMU, AUX") << QStringList{"--counts", "4,0,2,2"}
                                          << QByteArray("conf:sca:rat 2000\nconf:imu:para 0,12,1000\nconf:dev 4,0,1,2")
                                          << StreamCheck{4, 0, 1, 2, 2000};
        QTest::newRow("16-bit, unaligned blocks") << QStringList{"--counts", "0,3,1,0", "--unaligned", "--seed", "7"}
                                                  << QByteArray("conf:sca:rat 1000\nconf:dev 0,3,1")
                                                  << StreamCheck{0, 3, 1, 0, 1000};
    }

    void streamDecodesToDocumentedSignals()
    {
        QFETCH(QStringList, options);
        QFETCH(StreamCheck, check);
        DevsimProcess sim;
        QVERIFY(sim.start(QStringList{"--pty"} + options));
        QSerialPort port(sim.serialPath());
        QVERIFY(port.open(QIODevice::ReadWrite));
        QFETCH(QByteArray, configuration);
        QCOMPARE(exchange(port, configuration), QByteArray());
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
        QVERIFY2(error.isEmpty() && payload.size() % check.frameSize() == 0, qPrintable(error));
        // Paced in real time; devsim's own count agrees with what arrived.
        const int frames = payload.size() / check.frameSize();
        QVERIFY2(frames >= 1000 && frames <= (elapsed + 1000) * check.rate / 1000, qPrintable(QString::number(frames)));
        const QString verdict = check.check(payload.left(1000 * check.frameSize()), 0);
        QVERIFY2(verdict.isEmpty(), qPrintable(verdict));
        QCOMPARE(sim.stat("frames"), qint64(frames));
        QCOMPARE(sim.stat("blocks"), qint64(blocks));
    }
};

QTEST_GUILESS_MAIN(tst_devsimserial)
#include "tst_devsimserial.moc"

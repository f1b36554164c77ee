// devsim driven from outside: its serial side over a real pseudo-terminal, its ports file.
#include "devsimprocess.h"
#include "link/serialportlist.h"

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
    for (int i = 0; i < 60 && !answer.contains("lumetrix"); ++i)
        answer += readFor(port, 50);
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
        QVERIFY(before.open(QIODevice::WriteOnly) && before.write("/dev/null\t0403\t6001\tFT01\tother\tx\t0\n"
                                                                  "/dev/pts/987654\t1a86\t7523\tk9\tgone\tx\t0\n") > 0);
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
        QTRY_COMPARE_WITH_TIMEOUT(declaredPorts(sim.portsFile()).size(), 1, 5000); // the hang-up may come first
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

    void udpRefusesNonLoopback()
    {
        QProcess p;
        p.start(DEVSIM_EXECUTABLE, {"--udp", "192.168.4.1:1234"});
        QVERIFY(p.waitForFinished(10000) && p.exitCode() != 0);
        QCOMPARE(p.readAllStandardOutput(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(tst_devsimserial)
#include "tst_devsimserial.moc"

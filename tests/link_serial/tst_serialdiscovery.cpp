#include "link/serialcom.h"
#include "link/serialportlist.h"

#include <QTemporaryDir>
#include <QtTest>

class tst_serialdiscovery : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    QList<DeviceInfo> scan(const QByteArray &declared, QList<DeviceInfo> devices = {})
    {
        QFile file(dir.filePath("ports"));
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(declared);
        file.close();
        SerialCom().scanDevices(devices);
        return devices;
    }

private slots:
    void initTestCase() { qputenv(SerialPortList::environmentVariable(), dir.filePath("ports").toLocal8Bit()); }

    void scanKeepsKnownPairsOnly()
    {
        const QList<DeviceInfo> devices = scan("/dev/a\t1a86\t7523\t000123\tUSB Serial\tQinHeng\t0\n"
                                               "/dev/b\t10c4\tea60\tg7\tCP2102\tSilabs\t1\n"
                                               "/dev/c\t303a\t4001\th1\tESP32\tEspressif\t0\n"
                                               "/dev/d\t483\t5740\tb9\tSTM32\tST\t0\n"
                                               "/dev/e\t1a86\t7522\tx\twrong product\tQinHeng\t0\n"
                                               "/dev/f\t0\t0\ty\tno ids\t-\t0\n");
        QStringList ports;
        for (const DeviceInfo &d : devices)
            ports << d.portName;
        QCOMPARE(ports, QStringList({"/dev/a", "/dev/b", "/dev/c", "/dev/d"}));
        const DeviceInfo &a = devices.at(0);
        QVERIFY(a.serialNumber == "123" && a.vendorId == 0x1A86u && a.productId == 0x7523u && a.kind == 2u);
        QVERIFY(a.label == "USB Serial" && a.manufacturer == "QinHeng" && !a.busy && !a.reserved && devices.at(1).busy);
        // A scan appends to what the caller holds.
        QCOMPARE(scan("", devices).size(), 4);
        QCOMPARE(scan("/dev/a\t1a86\t7523\tk1\tUSB Serial\tQinHeng\t0\n", devices).size(), 5);
    }

    void serialNumberCleanup_data()
    {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("clean");
        QTest::newRow("leading zeros") << "000123" << "123";
        QTest::newRow("lone zero") << "0" << "0";
        QTest::newRow("all zeros") << "0000" << "0";
        QTest::newRow("underscore space") << "_ 7" << "7";
        QTest::newRow("inner zeros kept") << "kestr0001" << "kestr0001";
        QTest::newRow("empty") << "" << "";
    }

    void serialNumberCleanup()
    {
        QFETCH(QString, raw);
        QTEST(SerialCom::cleanSerialNumber(raw), "clean");
    }
};

QTEST_GUILESS_MAIN(tst_serialdiscovery)
#include "tst_serialdiscovery.moc"

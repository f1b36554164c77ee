#include "link/devicedialog.h"
#include "link/serialcom.h"
#include "link/serialportlist.h"

#include <QRadioButton>
#include <QTemporaryDir>
#include <QtTest>

class tst_serialdiscovery : public QObject
{
    Q_OBJECT

    QTemporaryDir dir;

    void declare(const QByteArray &lines)
    {
        QFile file(dir.filePath("ports"));
        QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(lines);
    }

private slots:
    void initTestCase();
    void scanKeepsKnownPairsOnly();
    void scanAppends();
    void serialNumberCleanup_data();
    void serialNumberCleanup();
    void dialogChecksFirstFreeDevice();
    void dialogWithAllBusy();
};

void tst_serialdiscovery::initTestCase()
{
    qputenv(SerialPortList::environmentVariable(), dir.filePath("ports").toLocal8Bit());
}

void tst_serialdiscovery::scanKeepsKnownPairsOnly()
{
    declare("/dev/a\t1a86\t7523\t000123\tUSB Serial\tQinHeng\t0\n"
            "/dev/b\t10c4\tea60\tg7\tCP2102\tSilabs\t1\n"
            "/dev/c\t303a\t4001\th1\tESP32\tEspressif\t0\n"
            "/dev/d\t483\t5740\tb9\tSTM32\tST\t0\n"
            "/dev/e\t1a86\t7522\tx\twrong product\tQinHeng\t0\n"
            "/dev/f\t0\t0\ty\tno ids\t-\t0\n");
    SerialCom link;
    QList<DeviceInfo> devices;
    link.scanDevices(devices);
    QStringList ports;
    for (const DeviceInfo &d : devices)
        ports << d.portName;
    QCOMPARE(ports, QStringList({"/dev/a", "/dev/b", "/dev/c", "/dev/d"}));
    const DeviceInfo &a = devices.at(0);
    QCOMPARE(a.serialNumber, QString("123"));
    QCOMPARE(a.vendorId, 0x1A86u);
    QCOMPARE(a.productId, 0x7523u);
    QCOMPARE(a.kind, 2u);
    QCOMPARE(a.description, QString("USB Serial"));
    QCOMPARE(a.label, QString("USB Serial"));
    QCOMPARE(a.manufacturer, QString("QinHeng"));
    QVERIFY(!a.busy && !a.reserved);
    QVERIFY(devices.at(1).busy);
}

void tst_serialdiscovery::scanAppends()
{
    declare("/dev/a\t1a86\t7523\tkestr0001\tUSB Serial\tQinHeng\t0\n");
    SerialCom link;
    QList<DeviceInfo> devices;
    link.scanDevices(devices);
    link.scanDevices(devices);
    QCOMPARE(devices.size(), 2);
    declare("");
    link.scanDevices(devices);
    QCOMPARE(devices.size(), 2);
}

void tst_serialdiscovery::serialNumberCleanup_data()
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

void tst_serialdiscovery::serialNumberCleanup()
{
    QFETCH(QString, raw);
    QFETCH(QString, clean);
    QCOMPARE(SerialCom::cleanSerialNumber(raw), clean);
}

static QList<DeviceInfo> candidates(bool firstBusy, bool secondBusy)
{
    DeviceInfo a, b;
    a.serialNumber = "g1";
    a.busy = firstBusy;
    b.serialNumber = "g2";
    b.busy = secondBusy;
    return {a, b};
}

void tst_serialdiscovery::dialogChecksFirstFreeDevice()
{
    devicedialog dialog(nullptr, candidates(true, false));
    const auto buttons = dialog.findChildren<QRadioButton *>();
    QCOMPARE(buttons.size(), 2);
    QCOMPARE(buttons.at(0)->text(), QString("SN = g1   BUSY!!!"));
    QCOMPARE(buttons.at(1)->text(), QString("SN = g2"));
    QVERIFY(buttons.at(1)->isChecked());
    QCOMPARE(dialog.selectedIndex(), 1);
    buttons.at(0)->setChecked(true);   // busy ones stay selectable
    QCOMPARE(dialog.selectedIndex(), 0);
}

void tst_serialdiscovery::dialogWithAllBusy()
{
    devicedialog dialog(nullptr, candidates(true, true));
    for (QRadioButton *b : dialog.findChildren<QRadioButton *>())
        QVERIFY(!b->isChecked());
    QCOMPARE(dialog.selectedIndex(), 0);
    devicedialog empty(nullptr, {});
    QCOMPARE(empty.selectedIndex(), 0);
}

QTEST_MAIN(tst_serialdiscovery)
#include "tst_serialdiscovery.moc"

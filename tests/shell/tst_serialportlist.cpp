// The port listing layer: declared virtual ports and malformed lines (the end-to-end
// tests re-read declarations as devsim changes them).
#include "link/serialportlist.h"

#include <QtTest>

class tst_serialportlist : public QObject
{
    Q_OBJECT

private slots:
    // Comments, blank and malformed lines are skipped; fields are kept as written.
    void parsesDeclarations()
    {
        const QByteArray text = "# devsim\n\n"
                                "/dev/pts/7\t1a86\t7523\tkestr0001\tUSB Serial\tQinHeng\t0\r\n"
                                "/dev/pts/8\t10C4\tEA60\t  00_b12\tCP2102\tSilabs\t1\n"
                                "only\tthree\tfields\n"
                                "/dev/x\tzz\t7523\tsn\td\tm\t0\n"        // vendor not hex
                                "/dev/x\t1a86\t17523\tsn\td\tm\t0\n"     // product too large
                                "/dev/x\t1a86\t7523\tsn\td\tm\t2\n"      // busy not 0/1
                                "\t1a86\t7523\tsn\td\tm\t0\n"            // no path
                                + QByteArray(3, '\0') + "\n";
        const auto ports = SerialPortList::parseDeclarations(text);
        QCOMPARE(ports.size(), 2);
        QCOMPARE(ports[0].systemLocation, QString("/dev/pts/7"));
        QCOMPARE(ports[0].portName, QString("pts/7"));
        QCOMPARE(ports[0].vendorId, quint16(0x1a86));
        QCOMPARE(ports[0].productId, quint16(0x7523));
        QCOMPARE(ports[0].serialNumber, QString("kestr0001"));
        QCOMPARE(ports[0].manufacturer, QString("QinHeng"));
        QVERIFY(!ports[0].busy && ports[0].isVirtual && ports[0].hasVendorIdentifier);
        QCOMPARE(ports[1].vendorId, quint16(0x10c4));
        QCOMPARE(ports[1].serialNumber, QString("  00_b12"));
        QVERIFY(ports[1].busy);
    }
};

QTEST_GUILESS_MAIN(tst_serialportlist)
#include "tst_serialportlist.moc"

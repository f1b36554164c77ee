// The link layer as the window meets it: string-based connections through a myAdw
// pointer, and the declared virtual ports it lists.
#include "link/myadw.h"
#include "link/serialportlist.h"

#include <QtTest>

// The smallest transport, which answers every command at once, and a receiver with the
// window's slot signatures.
class EchoLink : public myAdw
{
    Q_OBJECT
public:
    QList<QByteArray> seen;
    bool open(const DeviceInfo &) override
    {
        emit onOpenResults(true);
        return true;
    }
    bool sendCommand(const QString &command, bool, bool, bool, qint32) override
    {
        emit onResponseReady(true, command.toLatin1(), "echo:" + command.toLatin1());
        return true;
    }
public slots:
    void onCommunicationResponse(bool ok, QByteArray command, QByteArray answer) { seen << (ok ? "ok " : "fail ") + command + " " + answer; }
    void onOpenResultss(bool ok) { seen << (ok ? "opened" : "not opened"); }
};

class tst_linkinterface : public QObject
{
    Q_OBJECT

private slots:
    void signatureStringsConnectThroughBasePointer()
    {
        EchoLink echo;
        myAdw *link = &echo;
        QVERIFY(connect(link, "2onResponseReady( bool, QByteArray, QByteArray)", &echo, "1onCommunicationResponse(bool, QByteArray,QByteArray)"));
        QVERIFY(connect(link, "2onOpenResults(bool)", &echo, "1onOpenResultss(bool)"));
        QVERIFY(link->open(DeviceInfo()) && link->sendCommand("*idn?", true, false, false, 0));
        QCOMPARE(echo.seen, (QList<QByteArray>{"opened", "ok *idn? echo:*idn?"}));
    }

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

QTEST_GUILESS_MAIN(tst_linkinterface)
#include "tst_linkinterface.moc"

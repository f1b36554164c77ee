// The main window's string-based connections reach a link through a myAdw pointer.
#include "link/myadw.h"

#include <QtTest>

namespace {
// The smallest transport: it answers every command at once.
class EchoLink : public myAdw
{
    Q_OBJECT
public:
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
};

class Receiver : public QObject
{
    Q_OBJECT
public:
    QList<QByteArray> responses;
    QList<bool> openResults;
public slots:
    void onCommunicationResponse(bool success, QByteArray command, QByteArray response)
    {
        responses << (QByteArray(success ? "ok " : "fail ") + command + " " + response);
    }
    void onOpenResultss(bool success) { openResults << success; }
};
}

class tst_linkinterface : public QObject
{
    Q_OBJECT

private slots:
    void signatureStringsConnectThroughBasePointer()
    {
        EchoLink echo;
        myAdw *link = &echo;
        Receiver r;
        QVERIFY(connect(link, "2onResponseReady( bool, QByteArray, QByteArray)", &r,
                        "1onCommunicationResponse(bool, QByteArray,QByteArray)"));
        QVERIFY(connect(link, "2onOpenResults(bool)", &r, "1onOpenResultss(bool)"));
        QVERIFY(link->open(DeviceInfo()));
        QVERIFY(link->sendCommand("*idn?", true, false, false, 0));
        QCOMPARE(r.openResults, QList<bool>{true});
        QCOMPARE(r.responses, QList<QByteArray>{"ok *idn? echo:*idn?"});
    }

    void baseDefaults()
    {
        myAdw base;
        QList<DeviceInfo> list;
        base.scanDevices(list);
        QVERIFY(list.isEmpty());
        QByteArray out;
        QCOMPARE(base.readBlocks(out, 4), 0u);
        QVERIFY(base.open(DeviceInfo()) && base.sendBinary("x") && base.sendWhileStreaming("x"));
        QVERIFY(base.sendCommand("x", true, false, false, 0));
        QVERIFY(base.dataTimedOut() && base.isStreaming() && base.decoderBusy() && base.isOpen());
        QVERIFY(!base.decoderFailed() && !base.openFailed() && !base.isDeviceDisconnected());
        QCOMPARE(base.pendingCommands(), 0);
        QCOMPARE(base.errorCount(), 0);
        QVERIFY(base.lastResponse().isEmpty() && base.lastError().isEmpty() && base.report().isEmpty());
    }

    void operationsAreSlotsInOrder()
    {
        // The operations are slots, so they can be invoked by name as well.
        const QMetaObject *mo = &myAdw::staticMetaObject;
        const int first = mo->indexOfSlot("scanDevices(QList<DeviceInfo>&)");
        QVERIFY(first >= 0);
        QCOMPARE(mo->indexOfSlot("report()"), first + 19);
    }
};

QTEST_GUILESS_MAIN(tst_linkinterface)
#include "tst_linkinterface.moc"

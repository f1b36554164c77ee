#include "link/serialcom.h"

#include <QSignalSpy>
#include <QtTest>

// The serial link without a device: refusals while closed, block reading, failed open.
class tst_serialfacade : public QObject
{
    Q_OBJECT

private slots:
    void closedLinkRefuses();
    void readBlocksMovesWholeBlocksOnly();
    void failedOpenAllowsSecondOpen();
};

void tst_serialfacade::closedLinkRefuses()
{
    SerialCom closed;
    QSignalSpy responses(&closed, SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));
    QTest::ignoreMessage(QtDebugMsg, "cannot send command '*idn?', device is not open!\n");
    QVERIFY(!closed.sendCommand("*idn?", true, false, false, 0));
    QVERIFY(!closed.sendBinary("x"));
    QVERIFY(!closed.sendWhileStreaming("abort\n"));
    QVERIFY(closed.isDeviceDisconnected());
    QVERIFY(!closed.isOpen());
    QCOMPARE(closed.pendingCommands(), 0);
    QTest::qWait(50);
    QCOMPARE(responses.count(), 0);
}

void tst_serialfacade::readBlocksMovesWholeBlocksOnly()
{
    SerialCom closed;
    closed.onWorkerDataReady("#210abcdefghij\n#14kl");
    QVERIFY(closed.decoderBusy());
    QByteArray out = "stale";
    QCOMPARE(closed.readBlocks(out, 4), 3u);
    QCOMPARE(out, QByteArray("abcdefghijkl"));
    closed.onWorkerDataReady("mn");
    QCOMPARE(closed.readBlocks(out, 4), 0u);
    QVERIFY(out.isEmpty());
    QCOMPARE(closed.readBlocks(out, 0), 2u);
    QCOMPARE(out, QByteArray("mn"));
}

void tst_serialfacade::failedOpenAllowsSecondOpen()
{
    SerialCom failing;
    DeviceInfo nowhere;
    nowhere.portName = "/nonexistent/ttyKestrova";
    QSignalSpy opened(&failing, SIGNAL(onOpenResults(bool)));
    QVERIFY(failing.open(nowhere));
    QVERIFY(opened.wait(10000));
    QCOMPARE(opened.at(0).at(0).toBool(), false);
    QVERIFY(failing.openFailed());
    QVERIFY(!failing.isOpen());
    QVERIFY(failing.isDeviceDisconnected());   // no worker left
    QVERIFY(failing.open(nowhere));
    QVERIFY(!failing.openFailed());
    QVERIFY(opened.wait(10000));
    QVERIFY(failing.openFailed());
}

QTEST_GUILESS_MAIN(tst_serialfacade)
#include "tst_serialfacade.moc"

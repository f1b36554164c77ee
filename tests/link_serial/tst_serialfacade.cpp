#include "link/lossframeindex.h"
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
    void readingCutsAtLoss();
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
    // "kl" waits for its block's terminator.
    QCOMPARE(closed.readBlocks(out, 4), 2u);
    QCOMPARE(out, QByteArray("abcdefgh"));
    closed.onWorkerDataReady("mn\n");
    QCOMPARE(closed.readBlocks(out, 4), 1u);
    QCOMPARE(out, QByteArray("ijkl"));
    QCOMPARE(closed.readBlocks(out, 0), 2u);
    QCOMPARE(out, QByteArray("mn"));
}

// Frames of 3 bytes; the damaged block "ijkl" is skipped. The incomplete frame "gh" before
// the loss can never be completed and is dropped; reading goes on with "mno".
void tst_serialfacade::readingCutsAtLoss()
{
    SerialCom closed;
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(".*"));
    closed.onWorkerDataReady("#18abcdefgh\n#14ijklX#18mnopqrst\n");
    QByteArray out;
    QCOMPARE(closed.readBlocks(out, 3), 4u);
    QCOMPARE(out, QByteArray("abcdefmnopqr"));
    const QVector<StreamLoss> losses = closed.takeStreamLosses();
    QCOMPARE(losses.size(), 1);
    QCOMPARE(losses[0].position, 8u);
    QCOMPARE(losses[0].lostBytes, 4u);
    LossFrameIndex index(3);
    QCOMPARE(index.indexOf(losses[0]), 2u);
    QVERIFY(closed.takeStreamLosses().isEmpty());
    closed.onWorkerDataReady("#11u\n");
    QCOMPARE(closed.readBlocks(out, 3), 1u);
    QCOMPARE(out, QByteArray("stu"));
    QVERIFY(!closed.decoderFailed());
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

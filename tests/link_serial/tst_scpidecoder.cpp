#include "link/lossframeindex.h"
#include "link/scpidecoder.h"
#include "link/serialcom.h"

#include <QtTest>

// The block decoder, and the serial link's block reading without a device.
class tst_scpidecoder : public QObject
{
    Q_OBJECT

    QVector<StreamLoss> losses;   // booked by the last run()

    // Feeds the bytes one at a time and checks that the chunk path agrees.
    QByteArray run(scpiDecoder &decoder, const QByteArray &bytes)
    {
        scpiDecoder twin = decoder;
        QByteArray payload, chunked;
        for (char c : bytes) {
            if (decoder.feed(c))
                payload += c;
            payload.chop(int(decoder.takeRejected()));
        }
        const int cut = bytes.size() / 3;   // blocks split across reads
        twin.feed(bytes.constData(), cut, chunked);
        twin.feed(bytes.constData() + cut, bytes.size() - cut, chunked);
        losses = decoder.takeLosses();
        const QVector<StreamLoss> twinLosses = twin.takeLosses();
        bool same = chunked == payload && twin.state() == decoder.state() && twinLosses.size() == losses.size();
        for (int i = 0; same && i < losses.size(); ++i) {
            same = twinLosses[i].position == losses[i].position && twinLosses[i].lostUnits == losses[i].lostUnits
                   && twinLosses[i].lostBytes == losses[i].lostBytes;
        }
        if (!same)
            QTest::qFail("chunk path differs from byte path", __FILE__, __LINE__);
        return payload;
    }

private slots:
    void initTestCase()
    {
        // The decoder traces every skipped run.
        qInstallMessageHandler([](QtMsgType type, const QMessageLogContext &, const QString &text) {
            if (type != QtDebugMsg)
                fprintf(stderr, "%s\n", qPrintable(text));
        });
    }

    // After damage the decoder delivers again from the next valid block and books the loss:
    // exact when the damaged block's header was read and the next block follows it at once.
    void blocks_data()
    {
        QTest::addColumn<QByteArray>("stream");
        QTest::addColumn<QByteArray>("payload");
        QTest::addColumn<int>("units");      // blocks lost; -1: no loss booked
        QTest::addColumn<int>("bytes");      // payload bytes lost; -1: not known
        const QByteArray good = "#14abcd\n";
        const QByteArray next = "#14ijkl\n";
        QTest::newRow("#14abcd LF") << good << QByteArray("abcd") << -1 << -1;
        QTest::newRow("ten bytes, CR") << QByteArray("#2100123456789\r") << QByteArray("0123456789") << -1 << -1;
        QTest::newRow("#0, length 0") << QByteArray("#0\n#3000\n") << QByteArray() << -1 << -1;
        QTest::newRow("binary payload") << QByteArray("#14\n#\r\0\n#12de\n", 14) << QByteArray("\n#\r\0de", 6) << -1 << -1;
        QTest::newRow("eight digits") << QByteArray("#800000003xyz\n") << QByteArray("xyz") << -1 << -1;
        QTest::newRow("CR LF, junk between blocks") << "xy#12ab\r\n#12cd\rxyz" + next << QByteArray("abcdijkl") << -1 << -1;
        QTest::newRow("bad terminator, next block at once") << good + "#14efghX" + next << QByteArray("abcdijkl") << 1 << 4;
        QTest::newRow("bad header") << good + "#X4efgh\n" + next << QByteArray("abcdijkl") << 1 << -1;
        QTest::newRow("#9 needs ten header chars") << good + "#9123456789" + next << QByteArray("abcdijkl") << 1 << -1;
        QTest::newRow("longer than a block can be") << good + "#72000000" + next << QByteArray("abcdijkl") << 1 << -1;
        QTest::newRow("bad terminator, then junk") << good + "#14efghXjunk" + next << QByteArray("abcdijkl") << 2 << -1;
        QTest::newRow("false block in the junk is taken back")
            << good + "#14efghX#12zzY" + next << QByteArray("abcdijkl") << 2 << -1;
        QTest::newRow("'#' ending a false header starts the next")
            << good + "#14efghX#" + next << QByteArray("abcdijkl") << 1 << -1;
        QTest::newRow("empty block is no proof") << good + "#14efghX#0\n" + next << QByteArray("abcdijkl") << 1 << -1;
        QTest::newRow("damage in the first block") << "#14efghX" + next << QByteArray("ijkl") << 1 << 4;
    }

    void blocks()
    {
        QFETCH(QByteArray, stream);
        QFETCH(QByteArray, payload);
        QFETCH(int, units);
        QFETCH(int, bytes);
        scpiDecoder d;
        QCOMPARE(run(d, stream), payload);
        QCOMPARE(d.state(), qint32(scpiDecoder::WaitHash));
        QVERIFY(!d.failed() && !d.busy());
        QCOMPARE(d.deliveredBytes(), quint64(payload.size()));
        QCOMPARE(losses.size(), units < 0 ? 0 : 1);
        if (units < 0)
            return;
        const StreamLoss &loss = losses.first();
        QCOMPARE(loss.position, quint64(payload.size() - 4));
        QCOMPARE(loss.lostUnits, quint64(units));
        QCOMPARE(loss.lostBytesKnown, bytes >= 0);
        QCOMPARE(loss.lostBytes, quint64(qMax(bytes, 0)));
        QCOMPARE(loss.units, quint64(payload.size() / 4));
        QCOMPARE(loss.payloadBytes, quint64(payload.size()));
        QVERIFY(loss.uniform);
        QCOMPARE(loss.unitBytes, 4u);
    }

    void damageAtTheEndIsBooked()
    {
        scpiDecoder d;
        QCOMPARE(run(d, "#14abcd\n#14efghX#14ij"), QByteArray("abcdij"));
        QVERIFY(losses.isEmpty());
        d.endOfStream();
        QCOMPARE(d.takeRejected(), 2u);   // "ij" never got its terminator
        losses = d.takeLosses();
        QCOMPARE(losses.size(), 1);
        QCOMPARE(losses.first().position, 4u);
        QVERIFY(!losses.first().lostUnitsCounted);
        QCOMPARE(d.state(), qint32(scpiDecoder::WaitHash));
    }

    void noValidBlockIsFatal()
    {
        scpiDecoder d;
        const QByteArray junk(int(scpiDecoder::ResyncLimit) + 10, 'z');
        QCOMPARE(run(d, "#14abcd\n#14efghX" + junk + "#14ijkl\n"), QByteArray("abcd"));
        QVERIFY(d.failed());
        QCOMPARE(losses.size(), 1);   // what was skipped up to giving up
        QCOMPARE(losses.first().position, 4u);
        QVERIFY(!losses.first().lostBytesKnown);
        d.reset();
        QVERIFY(!d.failed());
        QCOMPARE(run(d, "#14mnop\n"), QByteArray("mnop"));
    }

    void answerTrimming_data()
    {
        QTest::addColumn<QByteArray>("raw");
        QTest::addColumn<QByteArray>("answer");
        QTest::addColumn<QByteArray>("command");
        QTest::newRow("block stays whole") << QByteArray("#13abc\r\n") << QByteArray("#13abc\r\n") << QByteArray("#13abc");
        QTest::newRow("CR LF") << QByteArray("OK\r\n") << QByteArray("OK") << QByteArray("OK");
        QTest::newRow("three LF") << QByteArray("OK\n\n\n") << QByteArray("OK\n") << QByteArray("OK\n");
        QTest::newRow("none") << QByteArray("OK") << QByteArray("OK") << QByteArray("OK");
        QTest::newRow("only LF") << QByteArray("\n") << QByteArray() << QByteArray();
        QTest::newRow("inner CR kept") << QByteArray("a\rb\n") << QByteArray("a\rb") << QByteArray("a\rb");
    }

    void answerTrimming()
    {
        QFETCH(QByteArray, raw);
        QTEST(scpiDecoder::trimAnswer(raw), "answer");
        QTEST(scpiDecoder::trimCommand(raw), "command");
    }

    void closedLinkRefuses()
    {
        SerialCom closed;
        QSignalSpy responses(&closed, SIGNAL(onResponseReady(bool, QByteArray, QByteArray)));
        QVERIFY(!closed.sendCommand("*idn?", true, false, false, 0) && !closed.sendBinary("x"));
        QVERIFY(!closed.sendWhileStreaming("abort\n") && closed.isDeviceDisconnected() && !closed.isOpen());
        QCOMPARE(closed.pendingCommands(), 0);
        QTest::qWait(50);
        QCOMPARE(responses.count(), 0);
    }

    // Frames of 3 bytes; "xy" waits for its block's terminator. The damaged block "ijkl" is
    // skipped; the incomplete frame "gh" before the loss is dropped, reading goes on with "mno".
    void linkReadsWholeFramesAndCutsAtLoss()
    {
        SerialCom link;
        link.onWorkerDataReady("#18abcdefgh\n#14ijklX#18mnopqrst\n#13uvw\n#12xy");
        QVERIFY(link.decoderBusy());
        QByteArray out = "stale";
        QCOMPARE(link.readBlocks(out, 3), 5u);
        QCOMPARE(out, QByteArray("abcdefmnopqrstu"));
        const QVector<StreamLoss> losses = link.takeStreamLosses();
        QCOMPARE(losses.size(), 1);
        QCOMPARE(losses[0].position, 8u);
        QCOMPARE(losses[0].lostBytes, 4u);
        QCOMPARE(LossFrameIndex(3).indexOf(losses[0]), 2u);
        QVERIFY(link.takeStreamLosses().isEmpty());
        link.onWorkerDataReady("\n");
        QCOMPARE(link.readBlocks(out, 0), 4u);
        QCOMPARE(out, QByteArray("vwxy"));
        QVERIFY(!link.decoderFailed());
    }

    void failedOpenAllowsSecondOpen()
    {
        SerialCom failing;
        DeviceInfo nowhere;
        nowhere.portName = "/nonexistent/ttyKestrova";
        QSignalSpy opened(&failing, SIGNAL(onOpenResults(bool)));
        for (int attempt = 0; attempt < 2; ++attempt) {
            QVERIFY(failing.open(nowhere));
            QVERIFY(!failing.openFailed());
            QVERIFY(opened.wait(10000));
            QCOMPARE(opened.takeFirst().at(0).toBool(), false);
            QVERIFY(failing.openFailed() && !failing.isOpen());
            QVERIFY(failing.isDeviceDisconnected());   // no worker left
        }
    }
};

QTEST_GUILESS_MAIN(tst_scpidecoder)
#include "tst_scpidecoder.moc"

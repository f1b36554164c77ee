#include "link/scpidecoder.h"

#include <QtTest>

class tst_scpidecoder : public QObject
{
    Q_OBJECT

    // Feeds the bytes one at a time; returns the payload and checks that the chunk
    // path of the decoder agrees with the byte path.
    bool chunkPathDiffers = false;

    QByteArray run(scpiDecoder &decoder, const QByteArray &bytes)
    {
        scpiDecoder twin = decoder;
        QByteArray payload;
        for (char c : bytes) {
            if (decoder.feed(c))
                payload += c;
        }
        QByteArray chunked;
        twin.feed(bytes.constData(), bytes.size(), chunked);
        if (chunked != payload || twin.state() != decoder.state())
            chunkPathDiffers = true;
        return payload;
    }

private slots:
    void cleanup() { QVERIFY2(!chunkPathDiffers, "chunk path differs from byte path"); }
    void goodBlocks_data();
    void goodBlocks();
    void skippedBytesWarn();
    void crLfLeavesLineFeedToSkip();
    void badHeader_data();
    void badHeader();
    void badTerminatorIsFatalUntilReset();
    void blockSplitAcrossChunks();
    void answerTrimming_data();
    void answerTrimming();
};

void tst_scpidecoder::goodBlocks_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QByteArray>("payload");
    QTest::newRow("#14abcd LF") << QByteArray("#14abcd\n") << QByteArray("abcd");
    QTest::newRow("#210 ten bytes CR") << QByteArray("#2100123456789\r") << QByteArray("0123456789");
    QTest::newRow("#0 LF") << QByteArray("#0\n") << QByteArray();
    QTest::newRow("length 0") << QByteArray("#3000\n") << QByteArray();
    QTest::newRow("two blocks") << QByteArray("#13abc\n#12de\n") << QByteArray("abcde");
    QTest::newRow("binary payload") << QByteArray("#14\n#\r\0\n", 8) << QByteArray("\n#\r\0", 4);
    QTest::newRow("eight digits") << QByteArray("#800000003xyz\n") << QByteArray("xyz");
}

void tst_scpidecoder::goodBlocks()
{
    QFETCH(QByteArray, stream);
    QFETCH(QByteArray, payload);
    scpiDecoder d;
    QCOMPARE(run(d, stream), payload);
    QCOMPARE(d.state(), qint32(scpiDecoder::WaitHash));
    QVERIFY(!d.busy());
    QVERIFY(!d.failed());
}

void tst_scpidecoder::skippedBytesWarn()
{
    scpiDecoder d;
    QTest::ignoreMessage(QtDebugMsg, "scpiDecoder() warning in state 1: cnt = 3");
    QCOMPARE(run(d, "xy#14abcd\n"), QByteArray("abcd"));
    QCOMPARE(d.state(), qint32(scpiDecoder::WaitHash));
}

void tst_scpidecoder::crLfLeavesLineFeedToSkip()
{
    scpiDecoder d;
    QTest::ignoreMessage(QtDebugMsg, "scpiDecoder() warning in state 1: cnt = 2");
    QCOMPARE(run(d, "#12ab\r\n#12cd\r"), QByteArray("abcd"));
}

void tst_scpidecoder::badHeader_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::newRow("non-digit count") << QByteArray("#x");
    QTest::newRow("#9 needs ten header chars") << QByteArray("#9123456789");
}

void tst_scpidecoder::badHeader()
{
    QFETCH(QByteArray, stream);
    scpiDecoder d;
    QCOMPARE(run(d, stream), QByteArray());
    QCOMPARE(d.state(), qint32(scpiDecoder::BadHeader));
    QVERIFY(!d.failed());
    QTest::ignoreMessage(QtDebugMsg, "scpiDecoder() fatal error at state 4");
    QVERIFY(!d.feed('#'));
    QCOMPARE(d.state(), qint32(scpiDecoder::Failed));
    QVERIFY(d.failed());
}

void tst_scpidecoder::badTerminatorIsFatalUntilReset()
{
    scpiDecoder d;
    QCOMPARE(run(d, "#14abcdX"), QByteArray("abcd"));
    QCOMPARE(d.state(), qint32(scpiDecoder::BadTerminator));
    QTest::ignoreMessage(QtDebugMsg, "scpiDecoder() fatal error at state 5");
    QCOMPARE(run(d, "\n#14efgh\n#14ijkl\n"), QByteArray());
    QVERIFY(d.failed());
    QVERIFY(d.busy());
    d.reset();
    QVERIFY(!d.failed());
    QCOMPARE(run(d, "#14mnop\n"), QByteArray("mnop"));
}

void tst_scpidecoder::blockSplitAcrossChunks()
{
    const QByteArray stream = "#3010" + QByteArray(10, 'p') + "\n#15" + QByteArray(5, 'q') + "\n";
    for (int cut = 0; cut <= stream.size(); ++cut) {
        scpiDecoder d;
        QByteArray queue;
        d.feed(stream.constData(), cut, queue);
        d.feed(stream.constData() + cut, stream.size() - cut, queue);
        QCOMPARE(queue, QByteArray(10, 'p') + QByteArray(5, 'q'));
        QCOMPARE(d.state(), qint32(scpiDecoder::WaitHash));
    }
}

void tst_scpidecoder::answerTrimming_data()
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
    QTest::newRow("empty") << QByteArray() << QByteArray() << QByteArray();
}

void tst_scpidecoder::answerTrimming()
{
    QFETCH(QByteArray, raw);
    QFETCH(QByteArray, answer);
    QFETCH(QByteArray, command);
    QCOMPARE(scpiDecoder::trimAnswer(raw), answer);
    QCOMPARE(scpiDecoder::trimCommand(raw), command);
}

QTEST_GUILESS_MAIN(tst_scpidecoder)
#include "tst_scpidecoder.moc"

#include "link/scpidecoder.h"

#include <QtTest>

class tst_scpidecoder : public QObject
{
    Q_OBJECT

    // Feeds the bytes one at a time; returns the payload and checks that the chunk
    // path of the decoder agrees with the byte path.
    bool chunkPathDiffers = false;

    QVector<StreamLoss> losses;   // booked by the last run()

    static bool same(const QVector<StreamLoss> &a, const QVector<StreamLoss> &b)
    {
        if (a.size() != b.size())
            return false;
        for (int i = 0; i < a.size(); ++i) {
            if (a[i].position != b[i].position || a[i].lostUnits != b[i].lostUnits
                || a[i].lostBytes != b[i].lostBytes || a[i].lostBytesKnown != b[i].lostBytesKnown)
                return false;
        }
        return true;
    }

    QByteArray run(scpiDecoder &decoder, const QByteArray &bytes)
    {
        scpiDecoder twin = decoder;
        QByteArray payload;
        for (char c : bytes) {
            if (decoder.feed(c))
                payload += c;
            payload.chop(int(decoder.takeRejected()));
        }
        QByteArray chunked;
        twin.feed(bytes.constData(), bytes.size(), chunked);
        losses = decoder.takeLosses();
        if (chunked != payload || twin.state() != decoder.state() || !same(twin.takeLosses(), losses))
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
    void recovery_data();
    void recovery();
    void payloadWaitsForTerminator();
    void damageAtTheEndIsBooked();
    void noValidBlockIsFatal();
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
    QTest::newRow("longer than a stream block can be") << QByteArray("#72000000");
}

void tst_scpidecoder::badHeader()
{
    QFETCH(QByteArray, stream);
    scpiDecoder d;
    QCOMPARE(run(d, stream), QByteArray());
    QCOMPARE(d.state(), qint32(scpiDecoder::BadHeader));
    QVERIFY(!d.failed());
    QTest::ignoreMessage(QtDebugMsg, "scpiDecoder() resynchronising after state 4");
    QVERIFY(!d.feed('y'));
    QCOMPARE(d.state(), qint32(scpiDecoder::Resync));
    QVERIFY(!d.failed());
}

// After damage the decoder delivers again from the next valid block and books the loss:
// exact when the damaged block's header was read and the next block follows it at once.
void tst_scpidecoder::recovery_data()
{
    QTest::addColumn<QByteArray>("stream");
    QTest::addColumn<QByteArray>("payload");
    QTest::addColumn<int>("units");      // blocks lost; -1: no loss booked
    QTest::addColumn<int>("bytes");      // payload bytes lost; -1: not known
    const QByteArray good = "#14abcd\n";
    const QByteArray next = "#14ijkl\n";
    QTest::newRow("bad terminator, next block at once")
        << good + "#14efghX" + next << QByteArray("abcdijkl") << 1 << 4;
    QTest::newRow("bad header") << good + "#X4efgh\n" + next << QByteArray("abcdijkl") << 1 << -1;
    QTest::newRow("bad terminator, then junk")
        << good + "#14efghXjunk" + next << QByteArray("abcdijkl") << 2 << -1;
    QTest::newRow("false block in the junk is taken back")
        << good + "#14efghX#12zzY" + next << QByteArray("abcdijkl") << 2 << -1;
    QTest::newRow("'#' ending a false header starts the next")
        << good + "#14efghX#" + next << QByteArray("abcdijkl") << 1 << -1;
    QTest::newRow("empty block is no proof") << good + "#14efghX#0\n" + next << QByteArray("abcdijkl") << 1 << -1;
    QTest::newRow("damage in the first block") << "#14efghX" + next << QByteArray("ijkl") << 1 << 4;
    QTest::newRow("junk between blocks is no loss") << good + "xyz" + next << QByteArray("abcdijkl") << -1 << -1;
}

void tst_scpidecoder::recovery()
{
    QFETCH(QByteArray, stream);
    QFETCH(QByteArray, payload);
    QFETCH(int, units);
    QFETCH(int, bytes);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(".*"));
    scpiDecoder d;
    QCOMPARE(run(d, stream), payload);
    QCOMPARE(d.state(), qint32(scpiDecoder::WaitHash));
    QVERIFY(!d.failed());
    QCOMPARE(d.deliveredBytes(), quint64(payload.size()));
    if (units < 0) {
        QVERIFY(losses.isEmpty());
        return;
    }
    QCOMPARE(losses.size(), 1);
    const StreamLoss &loss = losses.first();
    QCOMPARE(loss.position, quint64(payload.size() - 4));
    QCOMPARE(loss.lostUnits, quint64(units));
    QCOMPARE(loss.lostBytesKnown, bytes >= 0);
    if (bytes >= 0)
        QCOMPARE(loss.lostBytes, quint64(bytes));
    QCOMPARE(loss.units, quint64(payload.size() / 4));
    QCOMPARE(loss.payloadBytes, quint64(payload.size()));
    QVERIFY(loss.uniform);
    QCOMPARE(loss.unitBytes, 4u);
}

void tst_scpidecoder::payloadWaitsForTerminator()
{
    scpiDecoder d;
    QByteArray queue;
    d.feed("#14ab", 5, queue);
    QCOMPARE(queue, QByteArray("ab"));
    QCOMPARE(d.unconfirmed(), 2u);
    d.feed("cd\n", 3, queue);
    QCOMPARE(d.unconfirmed(), 0u);
    QCOMPARE(d.deliveredBytes(), 4u);
    d.feed("#14efgh", 7, queue);
    QCOMPARE(d.unconfirmed(), 4u);
    d.feed("X", 1, queue);
    QCOMPARE(queue, QByteArray("abcd"));   // taken back
    QCOMPARE(d.unconfirmed(), 0u);
}

void tst_scpidecoder::damageAtTheEndIsBooked()
{
    scpiDecoder d;
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(".*"));
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

void tst_scpidecoder::noValidBlockIsFatal()
{
    scpiDecoder d;
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(".*"));
    const QByteArray junk(int(scpiDecoder::ResyncLimit) + 10, 'z');
    QCOMPARE(run(d, "#14abcd\n#14efghX" + junk + "#14ijkl\n"), QByteArray("abcd"));
    QVERIFY(d.failed());
    QCOMPARE(d.state(), qint32(scpiDecoder::Failed));
    QCOMPARE(losses.size(), 1);   // what was skipped up to giving up
    QCOMPARE(losses.first().position, 4u);
    QVERIFY(!losses.first().lostBytesKnown);
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

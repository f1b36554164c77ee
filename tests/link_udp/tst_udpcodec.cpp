#include "link/udppacketcodec.h"
#include "link/streamloss.h"
#include "link/udpreceiver.h"

#include <QtTest>

namespace {

QByteArray datagram(quint16 txId, quint16 type, quint32 index, const QByteArray &payload)
{
    QByteArray d(12, '\0');
    qToLittleEndian<quint16>(txId, d.data());
    qToLittleEndian<quint16>(type, d.data() + 2);
    qToLittleEndian<quint16>(quint16(payload.size()), d.data() + 4);
    qToLittleEndian<quint32>(index, d.data() + 8);
    return d + payload;
}

QByteArray dataPacket(quint32 index, quint16 txId = 0)
{
    return datagram(txId, UdpPacketCodec::Data, index, "p" + QByteArray::number(index) + ";");
}

QByteArray payloads(std::initializer_list<quint32> indices)
{
    QByteArray out;
    for (quint32 i : indices)
        out += "p" + QByteArray::number(i) + ";";
    return out;
}

} // namespace

Q_DECLARE_METATYPE(StreamLoss)

class TestUdpCodec : public QObject
{
    Q_OBJECT

private slots:
    void buildsPackets();
    void shortAndEmptyDatagrams();
    void keepAliveAnswers();
    void reordersIntoIndexOrder();
    void booksLossAfterSixtyOnePending();
    void lateCopyDoesNotTriggerFalseResync();
    void newStreamStartsAtIndexZero();
    void dataOutsideStreamingIsCountedNotQueued();
    void acknowledgesEveryEleventhPacket();
    void lossEvents_data();
    void lossEvents();
    void lostFrames_data();
    void lostFrames();
};

void TestUdpCodec::buildsPackets()
{
    UdpPacketCodec codec;
    const QByteArray cmd = codec.buildCommand("*idn?");
    QCOMPARE(cmd.toHex(), QByteArray("000001000600000000000000") + QByteArray("*idn?\n").toHex());
    const QByteArray ping = codec.buildKeepAlive();
    QCOMPARE(ping.toHex(), QByteArray("010004000500000000000000") + QByteArray("ping\n").toHex());
    const QByteArray ack = codec.buildAcknowledge({0x1234, 0xfffe});
    QCOMPARE(ack.toHex(), QByteArray("0200030004000000000000003412feff"));

    // txId wraps at 65536.
    for (int i = 3; i < 65536; ++i)
        codec.buildKeepAlive();
    QCOMPARE(codec.buildKeepAlive().left(2).toHex(), QByteArray("0000"));

    UdpPacketCodec::Header h;
    QVERIFY(UdpPacketCodec::parseHeader(datagram(0xabcd, 2, 0x01020304, "xyz"), h));
    QCOMPARE(h.txId, quint16(0xabcd));
    QCOMPARE(h.packetType, quint16(2));
    QCOMPARE(h.payloadLength, quint16(3));
    QCOMPARE(h.blockIndex, quint32(0x01020304));
}

void TestUdpCodec::shortAndEmptyDatagrams()
{
    UdpReceiver rx;
    QCOMPARE(rx.parse(QByteArray(11, '\x01'), true).kind, UdpReceiver::Kind::Dropped);
    QCOMPARE(rx.parse(QByteArray(), true).kind, UdpReceiver::Kind::Dropped);

    QCOMPARE(rx.parse(datagram(0, UdpPacketCodec::Command, 0, ""), true).kind,
             UdpReceiver::Kind::Answer);
    QVERIFY(rx.answerBytes().isEmpty());

    // Answers collect across datagrams; the length field is not trusted.
    QByteArray part = datagram(1, UdpPacketCodec::Command, 0, "kestr,");
    qToLittleEndian<quint16>(999, part.data() + 4);
    rx.parse(part, false);
    rx.parse(datagram(2, UdpPacketCodec::Command, 0, "1.0"), false);
    QCOMPARE(rx.answerBytes(), QByteArray("kestr,1.0"));

    QCOMPARE(rx.parse(datagram(3, 7, 0, "??"), true).kind, UdpReceiver::Kind::Other);
    QCOMPARE(rx.reorder().packetsReceived(), 0u);
}

void TestUdpCodec::keepAliveAnswers()
{
    UdpReceiver rx;
    rx.setMissedPings(3);
    rx.parse(datagram(0, UdpPacketCodec::KeepAlive, 0, QByteArray("available,kestr0042\0junk", 24)),
             false);
    QVERIFY(rx.available());
    QCOMPARE(rx.deviceId(), QString("kestr0042"));
    QVERIFY(rx.pingAnswered());
    QCOMPARE(rx.missedPings(), 0);

    // Without identification the previous one stays.
    rx.setPingAnswered(false);
    rx.parse(datagram(1, UdpPacketCodec::KeepAlive, 0, "available,"), false);
    QVERIFY(rx.available());
    QVERIFY(rx.pingAnswered());
    QCOMPARE(rx.deviceId(), QString("kestr0042"));
    rx.parse(datagram(2, UdpPacketCodec::KeepAlive, 0, "available,a,b"), false);
    QCOMPARE(rx.deviceId(), QString("kestr0042"));

    // A busy device answers, but is not available.
    rx.setPingAnswered(false);
    rx.setMissedPings(2);
    rx.parse(datagram(3, UdpPacketCodec::KeepAlive, 0, "busy,kestr0099"), false);
    QVERIFY(!rx.available());
    QVERIFY(rx.pingAnswered());
    QCOMPARE(rx.missedPings(), 0);
    QCOMPARE(rx.deviceId(), QString("kestr0042"));
}

void TestUdpCodec::reordersIntoIndexOrder()
{
    UdpReceiver rx;
    rx.parse(dataPacket(0), true);
    rx.parse(dataPacket(2), true);
    QCOMPARE(rx.reorder().retransmits(), 0u);
    QCOMPARE(rx.reorder().pendingCount(), 1);
    rx.parse(dataPacket(1), true);
    QCOMPARE(rx.reorder().dataQueue(), payloads({0, 1, 2}));
    QCOMPARE(rx.reorder().retransmits(), 1u);
    QCOMPARE(rx.reorder().packetsReceived(), 3u);
    QCOMPARE(rx.reorder().pendingCount(), 0);

    // A duplicate of something delivered is dropped without a count.
    rx.parse(dataPacket(1), true);
    QCOMPARE(rx.reorder().dataQueue(), payloads({0, 1, 2}));
    QCOMPARE(rx.reorder().packetsReceived(), 3u);
    QCOMPARE(rx.reorder().expectedIndex(), 3u);
}

void TestUdpCodec::booksLossAfterSixtyOnePending()
{
    UdpReceiver rx;
    rx.parse(dataPacket(0), true);
    rx.parse(dataPacket(1), true);
    for (quint32 i = 3; i < 63; ++i)
        rx.parse(dataPacket(i), true);
    QCOMPARE(rx.reorder().pendingCount(), 60);
    QCOMPARE(rx.reorder().lostPackets(), 0u);

    rx.parse(dataPacket(63), true);
    UdpReorder &r = rx.reorder();
    QCOMPARE(r.lostPackets(), 1u);
    QCOMPARE(r.retransmits(), 4u);
    QCOMPARE(r.lostLog(), QString("1 1\n"));
    QCOMPARE(r.packetsReceived(), 62u);
    QCOMPARE(r.expectedIndex(), 64u);
    QCOMPARE(r.pendingCount(), 0);
    QByteArray expected = payloads({0, 1});
    for (quint32 i = 3; i <= 63; ++i)
        expected += payloads({i});
    QCOMPARE(r.dataQueue(), expected);

    QCOMPARE(r.report(), QString("1 1\n"));
    r.resetReport();
    QCOMPARE(r.report(), QString());
    QCOMPARE(r.lostPackets(), 0u);
    QCOMPARE(r.retransmits(), 0u);
    QCOMPARE(r.packetsReceived(), 0u);
}

void TestUdpCodec::lateCopyDoesNotTriggerFalseResync()
{
    // Sixty packets wait behind a gap at 10 when a late copy of 5 arrives: it must not be
    // taken for the resync point (that would deliver it again and book a huge loss).
    UdpReorder r;
    for (quint32 i = 0; i < 10; ++i)
        r.add(i, payloads({i}), true);
    for (quint32 i = 11; i <= 70; ++i)
        r.add(i, payloads({i}), true);
    r.add(5, payloads({5}), true);
    QCOMPARE(r.lostPackets(), 0u);
    QCOMPARE(r.pendingCount(), 60);
    QCOMPARE(r.retransmits(), 1u);
    r.add(71, payloads({71}), true);
    QCOMPARE(r.lostPackets(), 1u);
    QCOMPARE(r.expectedIndex(), 72u);
    QCOMPARE(r.deliveredPackets() + r.lostPackets(), r.expectedIndex());
    QVERIFY(!r.dataQueue().contains(payloads({5}) + payloads({11})));
    QVERIFY(r.dataQueue().endsWith(payloads({70, 71})));
}

void TestUdpCodec::newStreamStartsAtIndexZero()
{
    UdpReceiver rx;
    for (quint32 i = 0; i < 5; ++i)
        rx.parse(dataPacket(i), true);
    rx.parse(dataPacket(7), true);
    rx.resetIncoming();
    QCOMPARE(rx.reorder().pendingCount(), 0);
    QVERIFY(rx.reorder().dataQueue().isEmpty());
    rx.parse(dataPacket(0), true);
    rx.parse(dataPacket(1), true);
    QCOMPARE(rx.reorder().dataQueue(), payloads({0, 1}));
}

void TestUdpCodec::dataOutsideStreamingIsCountedNotQueued()
{
    UdpReceiver rx;
    rx.parse(dataPacket(0), false);
    rx.parse(dataPacket(1), true);
    QCOMPARE(rx.reorder().packetsReceived(), 2u);
    QCOMPARE(rx.reorder().dataQueue(), payloads({1}));
}

void TestUdpCodec::acknowledgesEveryEleventhPacket()
{
    UdpReceiver rx;
    QVector<quint16> sent;
    for (int i = 0; i < 10; ++i) {
        sent << quint16(500 + i);
        QVERIFY(!rx.parse(dataPacket(quint32(i), sent.last()), true).ackDue);
    }
    sent << 510;
    QVERIFY(rx.parse(dataPacket(10, 510), true).ackDue);
    QCOMPARE(rx.recentTxIds(), sent);
    QCOMPARE(rx.ackCounter(), 0);

    UdpPacketCodec codec;
    const QByteArray ack = codec.buildAcknowledge(rx.recentTxIds());
    QCOMPARE(ack.size(), 12 + 22);
    QCOMPARE(qFromLittleEndian<quint16>(ack.constData() + 2), quint16(3));
    QCOMPARE(qFromLittleEndian<quint16>(ack.constData() + 12), quint16(500));
    QCOMPARE(qFromLittleEndian<quint16>(ack.constData() + 32), quint16(510));

    // resetIncoming restarts the count but keeps the recent txIds.
    rx.parse(dataPacket(11, 511), true);
    rx.resetIncoming();
    QCOMPARE(rx.recentTxIds().size(), 12);
    int acks = 0;
    for (int i = 0; i < 40; ++i)
        acks += rx.parse(dataPacket(quint32(i), quint16(600 + i)), true).ackDue ? 1 : 0;
    QCOMPARE(acks, 3);   // after the 11th, 22nd and 33rd packet
    QCOMPARE(rx.recentTxIds().size(), 30);
    QCOMPARE(rx.recentTxIds().first(), quint16(610));
    QCOMPARE(rx.recentTxIds().last(), quint16(639));
}

// Packets given as "index:size" (the payload's byte count); a lone "flush" ends the stream.
// Each loss is "position/lost units/units so far/unit bytes", unit bytes 0 when the sizes
// varied.
void TestUdpCodec::lossEvents_data()
{
    QTest::addColumn<QStringList>("packets");
    QTest::addColumn<QStringList>("losses");
    QStringList uniform;
    for (int i = 0; i < 64; ++i) {
        if (i != 2)
            uniform << QString("%1:8").arg(i);
    }
    QTest::newRow("uniform, one lost") << uniform << QStringList{"16/1/63/8"};
    QStringList varying = uniform;
    varying[0] = "0:16";
    QTest::newRow("varying sizes") << varying << QStringList{"24/1/63/0"};
    QStringList atStart;
    for (int i = 3; i < 64; ++i)
        atStart << QString("%1:8").arg(i);
    QTest::newRow("loss before the first packet") << atStart << QStringList{"0/3/61/8"};
    QStringList closing{"0:8"};
    for (int i = 2; i < 62; ++i)
        closing << QString("%1:8").arg(i);
    closing << "1:8";
    QTest::newRow("61st packet closes the gap") << closing << QStringList{};
    QTest::newRow("gap closed by a late packet") << QStringList{"0:8", "2:8", "1:8", "3:8"} << QStringList{};
    QTest::newRow("stream ends behind a gap")
        << QStringList{"0:8", "1:8", "4:8", "5:8", "flush"} << QStringList{"16/2/4/8"};
    QTest::newRow("duplicates waiting count once")
        << QStringList{"0:8", "2:8", "2:8", "flush"} << QStringList{"8/1/2/8"};
}

void TestUdpCodec::lossEvents()
{
    QFETCH(QStringList, packets);
    QFETCH(QStringList, losses);
    QTest::ignoreMessage(QtDebugMsg, QRegularExpression(".*"));
    UdpReorder r;
    for (const QString &p : packets) {
        if (p == "flush") {
            r.flush(true);
            continue;
        }
        const QStringList f = p.split(':');
        r.add(f[0].toUInt(), QByteArray(f[1].toInt(), 'x'), true);
    }
    const QVector<StreamLoss> booked = r.takeLosses();
    QCOMPARE(booked.size(), losses.size());
    for (int i = 0; i < booked.size(); ++i) {
        const StreamLoss &l = booked[i];
        QCOMPARE(QString("%1/%2/%3/%4").arg(l.position).arg(l.lostUnits).arg(l.units).arg(l.unitBytes), losses[i]);
        QCOMPARE(l.uniform, l.unitBytes != 0);
        QVERIFY(!l.lostBytesKnown);
    }
    QCOMPARE(r.streamPosition(), quint64(r.dataQueue().size()));
    QVERIFY(r.takeLosses().isEmpty());
}

void TestUdpCodec::lostFrames_data()
{
    QTest::addColumn<StreamLoss>("loss");
    QTest::addColumn<quint32>("frameSize");
    QTest::addColumn<quint64>("frames");
    QTest::addColumn<bool>("exact");
    auto loss = [](quint64 lostUnits, quint64 units, quint64 bytes, quint32 unitBytes) {
        StreamLoss l;
        l.lostUnits = lostUnits;
        l.units = units;
        l.payloadBytes = bytes;
        l.uniform = unitBytes != 0;
        l.unitBytes = unitBytes;
        return l;
    };
    StreamLoss known = loss(1, 10, 640, 64);
    known.lostBytes = 192;
    known.lostBytesKnown = true;
    StreamLoss knownPartial = known;
    knownPartial.lostBytes = 200;
    QTest::newRow("uniform whole frames") << loss(3, 100, 6400, 64) << 32u << quint64(6) << true;
    QTest::newRow("one frame per datagram") << loss(7, 50, 1600, 32) << 32u << quint64(7) << true;
    QTest::newRow("uniform, not whole frames") << loss(2, 10, 480, 48) << 32u << quint64(3) << false;
    QTest::newRow("varying: mean, rounded") << loss(3, 4, 32 * 10, 0) << 32u << quint64(8) << false;
    QTest::newRow("varying: half rounds up") << loss(1, 2, 32 * 3, 0) << 32u << quint64(2) << false;
    QTest::newRow("known bytes") << known << 32u << quint64(6) << true;
    QTest::newRow("known bytes, not whole") << knownPartial << 32u << quint64(6) << false;
    StreamLoss guessed = loss(2, 10, 640, 64);
    guessed.lostUnitsCounted = false;
    QTest::newRow("uniform, units estimated") << guessed << 32u << quint64(4) << false;
    QTest::newRow("nothing to take a mean from") << loss(5, 0, 0, 0) << 32u << quint64(0) << false;
    QTest::newRow("no frame size") << loss(5, 10, 320, 32) << 0u << quint64(0) << false;
    QTest::newRow("huge counts") << loss(4000000000ull, 4000000000ull, 4000000000ull * 1400, 0) << 28u
                                 << quint64(200000000000ull) << false;
}

void TestUdpCodec::lostFrames()
{
    QFETCH(StreamLoss, loss);
    QFETCH(quint32, frameSize);
    QFETCH(quint64, frames);
    QFETCH(bool, exact);
    const LostFrames lost = ::lostFrames(loss, frameSize);
    QCOMPARE(lost.frames, frames);
    QCOMPARE(lost.exact, exact);
}

QTEST_APPLESS_MAIN(TestUdpCodec)
#include "tst_udpcodec.moc"

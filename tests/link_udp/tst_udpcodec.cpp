#include "link/streamloss.h"
#include "link/udppacketcodec.h"
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

// Packet i carries its number, padded to `size` bytes.
QByteArray payload(quint32 i, int size = 8) { return QByteArray::number(i).rightJustified(size, '.'); }

QByteArray dataPacket(quint32 index, quint16 txId = 0)
{
    return datagram(txId, UdpPacketCodec::Data, index, payload(index));
}

// "0-3 5 7:16" -> 0, 1, 2, 3, 5 and 7 (16 bytes); other tokens are passed on as they are.
template <typename F> void forEachPacket(const QString &list, F f)
{
    for (const QString &token : list.split(' ', Qt::SkipEmptyParts)) {
        const QStringList range = token.section(':', 0, 0).split('-');
        const int size = token.contains(':') ? token.section(':', 1).toInt() : 8;
        if (!range[0].at(0).isDigit()) {
            f(-1, token.toLatin1());
            continue;
        }
        for (uint i = range[0].toUInt(); i <= range.value(1, range[0]).toUInt(); ++i)
            f(int(i), payload(i, size));
    }
}

} // namespace

class TestUdpCodec : public QObject
{
    Q_OBJECT

private slots:
    void buildsAndParsesPackets()
    {
        UdpPacketCodec codec;
        QCOMPARE(codec.buildCommand("*idn?").toHex(), "000001000600000000000000" + QByteArray("*idn?\n").toHex());
        QCOMPARE(codec.buildKeepAlive().toHex(), "010004000500000000000000" + QByteArray("ping\n").toHex());
        QCOMPARE(codec.buildAcknowledge({0x1234, 0xfffe}).toHex(), QByteArray("0200030004000000000000003412feff"));
        for (int i = 3; i < 65536; ++i)
            codec.buildKeepAlive();
        QCOMPARE(codec.buildKeepAlive().left(2).toHex(), QByteArray("0000"));   // txId wraps

        UdpPacketCodec::Header h;
        QVERIFY(UdpPacketCodec::parseHeader(datagram(0xabcd, 2, 0x01020304, "xyz"), h));
        QCOMPARE(h.txId, quint16(0xabcd));
        QCOMPARE(h.packetType, quint16(2));
        QCOMPARE(h.payloadLength, quint16(3));
        QCOMPARE(h.blockIndex, quint32(0x01020304));
    }

    // What the link test cannot put on the wire: a lying length field, data outside a stream,
    // keep-alive names with junk or of the wrong form.
    void answersAndKeepAlives()
    {
        UdpReceiver rx;
        QByteArray part = datagram(1, UdpPacketCodec::Command, 0, "kestr,");
        qToLittleEndian<quint16>(999, part.data() + 4);
        QCOMPARE(rx.parse(part, false).kind, UdpReceiver::Kind::Answer);
        QCOMPARE(rx.answerBytes(), QByteArray("kestr,"));
        rx.parse(dataPacket(0), false);
        rx.parse(dataPacket(1), true);
        QVERIFY(rx.reorder().packetsReceived() == 2 && rx.reorder().dataQueue() == payload(1));
        rx.parse(datagram(0, UdpPacketCodec::KeepAlive, 0, QByteArray("available,kestr0042\0junk", 24)), false);
        rx.parse(datagram(1, UdpPacketCodec::KeepAlive, 0, "available,a,b"), false);
        QCOMPARE(rx.deviceId(), QString("kestr0042"));
    }

    // Packets in arrival order ("F": the stream ends, "R": a new stream starts); what is
    // delivered; each loss as "position/lost units/units so far/unit bytes" (0: sizes varied).
    void reorder_data()
    {
        QTest::addColumn<QString>("packets");
        QTest::addColumn<QString>("delivered");
        QTest::addColumn<QString>("losses");
        QTest::newRow("late packet, then its duplicate") << "0 2 1 1" << "0-2" << "";
        QTest::newRow("loss booked at 61 waiting") << "0-1 3-63" << "0-1 3-63" << "16/1/63/8";
        QTest::newRow("varying sizes") << "0:16 1 3-63" << "0:16 1 3-63" << "24/1/63/0";
        QTest::newRow("loss before the first packet") << "3-63" << "3-63" << "0/3/61/8";
        QTest::newRow("61st packet closes the gap") << "0 2-61 1" << "0-61" << "";
        // A late copy of a delivered packet is no resync point (it would come out twice).
        QTest::newRow("late copy behind a gap") << "0-9 11-70 5 71" << "0-9 11-71" << "80/1/71/8";
        QTest::newRow("stream ends behind a gap") << "0-1 4-5 F" << "0-1 4-5" << "16/2/4/8";
        QTest::newRow("duplicates waiting count once") << "0 2 2 F" << "0 2" << "8/1/2/8";
        QTest::newRow("new stream from index 0") << "0-4 7 R 0-1" << "0-1" << "";
    }

    void reorder()
    {
        QFETCH(QString, packets);
        QFETCH(QString, delivered);
        QFETCH(QString, losses);
        QTest::ignoreMessage(QtDebugMsg, QRegularExpression(".*"));
        UdpReorder r;
        forEachPacket(packets, [&r](int index, const QByteArray &bytes) {
            if (index >= 0)
                r.add(quint32(index), bytes, true);
            else if (bytes == "F")
                r.flush(true);
            else
                r.resetIncoming();
        });
        QByteArray expected;
        forEachPacket(delivered, [&](int, const QByteArray &bytes) { expected += bytes; });
        QCOMPARE(r.dataQueue(), expected);
        QStringList booked;
        for (const StreamLoss &l : r.takeLosses()) {
            booked << QString("%1/%2/%3/%4").arg(l.position).arg(l.lostUnits).arg(l.units).arg(l.unitBytes);
            QCOMPARE(l.uniform, l.unitBytes != 0);
        }
        QCOMPARE(booked.join(' '), losses);
        QCOMPARE(r.pendingCount(), 0);
        QCOMPARE(r.streamPosition(), quint64(r.dataQueue().size()));
        QCOMPARE(r.report().count('\n'), int(booked.size()));
        r.resetReport();
        QVERIFY(r.report().isEmpty() && r.lostPackets() == 0 && r.packetsReceived() == 0);
    }

    void acknowledgesEveryEleventhPacket()
    {
        UdpReceiver rx;
        QVector<quint16> sent;
        for (int i = 0; i < 11; ++i) {
            sent << quint16(500 + i);
            QCOMPARE(rx.parse(dataPacket(quint32(i), sent.last()), true).ackDue, i == 10);
        }
        QCOMPARE(rx.recentTxIds(), sent);
        const QByteArray ack = UdpPacketCodec().buildAcknowledge(rx.recentTxIds());
        QCOMPARE(ack.size(), 12 + 22);
        QCOMPARE(qFromLittleEndian<quint16>(ack.constData() + 12), quint16(500));
        QCOMPARE(qFromLittleEndian<quint16>(ack.constData() + 32), quint16(510));

        // A new stream restarts the count but keeps the recent txIds, at most 30 of them.
        rx.parse(dataPacket(11, 511), true);
        rx.resetIncoming();
        QCOMPARE(rx.recentTxIds().size(), 12);
        int acks = 0;
        for (int i = 0; i < 40; ++i)
            acks += rx.parse(dataPacket(quint32(i), quint16(600 + i)), true).ackDue ? 1 : 0;
        QCOMPARE(acks, 3);
        QCOMPARE(rx.recentTxIds().size(), 30);
        QCOMPARE(rx.recentTxIds().first(), quint16(610));
    }

    // A loss as "lost units, units so far, payload bytes so far, unit bytes (0: they varied)",
    // then "b<bytes>" when the lost bytes are known, "~" when the lost units are an estimate.
    void lostFrames_data()
    {
        QTest::addColumn<QString>("loss");
        QTest::addColumn<quint32>("frameSize");
        QTest::addColumn<quint64>("frames");
        QTest::addColumn<bool>("exact");
        QTest::newRow("uniform whole frames") << "3 100 6400 64" << 32u << quint64(6) << true;
        QTest::newRow("one frame per datagram") << "7 50 1600 32" << 32u << quint64(7) << true;
        QTest::newRow("uniform, not whole frames") << "2 10 480 48" << 32u << quint64(3) << false;
        QTest::newRow("varying: mean, rounded") << "3 4 320 0" << 32u << quint64(8) << false;
        QTest::newRow("varying: half rounds up") << "1 2 96 0" << 32u << quint64(2) << false;
        QTest::newRow("known bytes") << "1 10 640 64 b192" << 32u << quint64(6) << true;
        QTest::newRow("known bytes, not whole") << "1 10 640 64 b200" << 32u << quint64(6) << false;
        QTest::newRow("uniform, units estimated") << "2 10 640 64 ~" << 32u << quint64(4) << false;
        QTest::newRow("nothing to take a mean from") << "5 0 0 0" << 32u << quint64(0) << false;
        QTest::newRow("no frame size") << "5 10 320 32" << 0u << quint64(0) << false;
        QTest::newRow("huge counts") << "4000000000 4000000000 5600000000000 0" << 28u << quint64(200000000000ull) << false;
    }

    void lostFrames()
    {
        QFETCH(QString, loss);
        QFETCH(quint32, frameSize);
        const QStringList f = loss.split(' ');
        StreamLoss l;
        l.lostUnits = f[0].toULongLong();
        l.units = f[1].toULongLong();
        l.payloadBytes = f[2].toULongLong();
        l.unitBytes = f[3].toUInt();
        l.uniform = l.unitBytes != 0;
        l.lostBytesKnown = f.value(4).startsWith('b');
        l.lostBytes = l.lostBytesKnown ? f[4].mid(1).toULongLong() : 0;
        l.lostUnitsCounted = !loss.endsWith('~');
        const LostFrames lost = ::lostFrames(l, frameSize);
        QTEST(lost.frames, "frames");
        QTEST(lost.exact, "exact");
    }
};

QTEST_APPLESS_MAIN(TestUdpCodec)
#include "tst_udpcodec.moc"

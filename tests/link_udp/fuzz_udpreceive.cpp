// The UDP receive path (parsing, reordering, loss booking, frame cutting) fed with
// datagrams made from arbitrary bytes: what must hold whatever arrives.
#include "link/streamloss.h"
#include "link/streamlossbook.h"
#include "link/udppacketcodec.h"
#include "link/udpreceiver.h"

#include <QtEndian>
#include <cstdint>
#include <cstdlib>

// The receiver traces every loss and resend; at fuzzing rates that is only noise.
static void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}
static const QtMessageHandler previousHandler = qInstallMessageHandler(quiet);

static void check(bool condition) { condition ? void() : std::abort(); }

namespace {

// Records of an opcode, a length and that many bytes. Bit 0 toggles streaming; bit 1 makes
// a data datagram with an index near the last (gaps, reordering, resyncs); bit 2 flushes,
// bit 3 reads frames.
struct Reader
{
    const uint8_t *data;
    size_t size, at = 0;
    bool more() const { return at < size; }
    uint8_t byte() { return at < size ? data[at++] : 0; }
    QByteArray bytes(size_t n)
    {
        n = std::min(n, size - at);
        QByteArray out(reinterpret_cast<const char *>(data + at), int(n));
        at += n;
        return out;
    }
};

QByteArray dataDatagram(quint32 index, quint16 txId, const QByteArray &payload)
{
    QByteArray d(UdpPacketCodec::HeaderSize, '\0');
    qToLittleEndian<quint16>(txId, d.data());
    qToLittleEndian<quint16>(UdpPacketCodec::Data, d.data() + 2);
    qToLittleEndian<quint32>(index, d.data() + 8);
    return d + payload;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    Reader in{data, size};
    UdpReceiver rx;
    StreamLossBook book;
    const quint32 frameSize = 1 + in.byte() % 16;
    bool streaming = true;
    quint32 base = 0;
    quint16 txId = 0;
    quint64 handedOut = 0;
    while (in.more()) {
        const uint8_t op = in.byte();
        if (op & 1)
            streaming = !streaming;
        QByteArray datagram;
        if (op & 2) {
            base += op >> 5;   // the stream moves on, with jumps now and then
            const quint32 index = base + (in.byte() % 8);
            datagram = dataDatagram(index, txId++, in.bytes(in.byte() % 64));
        } else {
            datagram = in.bytes(in.byte());
        }
        const UdpReceiver::Result result = rx.parse(datagram, streaming);
        UdpReorder &reorder = rx.reorder();
        check(reorder.pendingCount() < UdpReorder::ResyncPending);
        check(rx.recentTxIds().size() <= UdpReceiver::MaxRecentTxIds);
        check(!result.ackDue || rx.ackCounter() == 0);
        if (result.ackDue) {
            UdpPacketCodec codec;
            const QByteArray ack = codec.buildAcknowledge(rx.recentTxIds());
            UdpPacketCodec::Header header;
            check(UdpPacketCodec::parseHeader(ack, header) && header.packetType == UdpPacketCodec::Acknowledge);
            check(ack.size() == UdpPacketCodec::HeaderSize + 2 * rx.recentTxIds().size());
        }
        if (op & 4)
            reorder.flush(streaming);
        quint64 last = 0;
        for (const StreamLoss &loss : reorder.takeLosses()) {
            check(loss.position >= last && loss.position <= reorder.streamPosition() && loss.lostUnits > 0);
            check(frameSize != 0 || lostFrames(loss, frameSize).frames == 0);
            book.book(loss);
            last = loss.position;
        }
        if (op & 8) {
            QByteArray &queue = reorder.dataQueue();
            const int before = queue.size();
            QByteArray out;
            const quint32 frames = book.cut(queue, queue.size(), frameSize, out);
            check(quint64(out.size()) == quint64(frames) * frameSize);
            check(out.size() <= before && queue.size() < before + 1);
            handedOut += quint64(before - queue.size());
            check(handedOut == book.bytesMoved());
        }
        check(book.bytesMoved() + quint64(reorder.dataQueue().size()) == reorder.streamPosition());
    }
    return 0;
}

// Runs the block decoder over arbitrary bytes, through both the byte and the chunk path,
// and checks that they agree, that payload never exceeds what was announced, and that
// losses are booked in stream order at positions the stream has reached.
#include "link/scpidecoder.h"

#include <cstdint>
#include <cstdlib>

// The decoder traces every skipped run; at fuzzing rates that is only noise.
static void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}
static const QtMessageHandler previousHandler = qInstallMessageHandler(quiet);

static bool ordered(const QVector<StreamLoss> &losses, quint64 delivered)
{
    quint64 at = 0;
    for (const StreamLoss &loss : losses) {
        if (loss.position < at || loss.position > delivered || loss.lostUnits == 0)
            return false;
        at = loss.position;
    }
    return true;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto *bytes = reinterpret_cast<const char *>(data);
    scpiDecoder single;
    QByteArray byByte;
    for (size_t i = 0; i < size; ++i) {
        if (single.feed(bytes[i]))
            byByte += bytes[i];
        const quint32 rejected = single.takeRejected();
        rejected > quint32(byByte.size()) ? std::abort() : byByte.chop(int(rejected));
    }
    scpiDecoder chunked;
    QByteArray byChunk;
    const size_t half = size / 3;
    chunked.feed(bytes, qint64(half), byChunk);
    chunked.feed(bytes + half, qint64(size - half), byChunk);
    if (byByte != byChunk || single.state() != chunked.state() || single.failed() != chunked.failed())
        std::abort();
    if (size_t(byByte.size()) > size || single.state() < 0 || single.state() > 7)
        std::abort();
    if (quint64(byChunk.size()) != chunked.deliveredBytes() + chunked.unconfirmed())
        std::abort();
    const QVector<StreamLoss> a = single.takeLosses();
    const QVector<StreamLoss> b = chunked.takeLosses();
    if (a.size() != b.size() || !ordered(a, single.deliveredBytes()) || !ordered(b, chunked.deliveredBytes()))
        std::abort();
    return 0;
}

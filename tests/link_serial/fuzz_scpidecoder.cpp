// Runs the block decoder over arbitrary bytes, through both the byte and the chunk path,
// and checks that they agree and that payload never exceeds what was announced.
#include "link/scpidecoder.h"

#include <cstdlib>
#include <cstdint>
#include <cstddef>

// The decoder traces every skipped run; at fuzzing rates that is only noise.
static void quiet(QtMsgType, const QMessageLogContext &, const QString &) {}
static const QtMessageHandler previousHandler = qInstallMessageHandler(quiet);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const auto *bytes = reinterpret_cast<const char *>(data);
    scpiDecoder single;
    QByteArray byByte;
    for (size_t i = 0; i < size; ++i) {
        if (single.feed(bytes[i]))
            byByte += bytes[i];
    }
    scpiDecoder chunked;
    QByteArray byChunk;
    const size_t half = size / 3;
    chunked.feed(bytes, qint64(half), byChunk);
    chunked.feed(bytes + half, qint64(size - half), byChunk);
    if (byByte != byChunk || single.state() != chunked.state() || single.failed() != chunked.failed())
        std::abort();
    if (size_t(byByte.size()) > size || single.state() < 0 || single.state() > 6)
        std::abort();
    return 0;
}

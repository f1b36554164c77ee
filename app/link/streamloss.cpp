#include "streamloss.h"

#include <cmath>

LostFrames lostFrames(const StreamLoss &loss, quint32 frameSize)
{
    LostFrames result;
    if (frameSize == 0)
        return result;
    if (loss.lostBytesKnown) {
        result.exact = loss.lostBytes % frameSize == 0;
        result.frames = (loss.lostBytes + frameSize / 2) / frameSize;
        return result;
    }
    if (loss.lostUnitsCounted && loss.uniform && loss.unitBytes > 0 && loss.unitBytes % frameSize == 0) {
        result.exact = true;
        result.frames = loss.lostUnits * (loss.unitBytes / frameSize);
        return result;
    }
    if (loss.units == 0)
        return result;   // nothing to take a mean from
    const long double perUnit = (long double)loss.payloadBytes / loss.units / frameSize;
    result.frames = quint64(std::llround((long double)loss.lostUnits * perUnit));
    return result;
}

#include "daqconfig.h"

daqConfig::daqConfig()
{
    setDefaults();
}

void daqConfig::setDefaults()
{
    sampleRate = 1000;
    sampleSize = 0;
    adc16.clear();
    adc24.clear();
    imu6.clear();
    aux.clear();
    timeline = 10.0;
    maxDuration = 0.0;
}

int32_t daqConfig::expectedSampleSize() const
{
    // 64-bit sum so absurd lists from a file cannot overflow before the final narrowing.
    int64_t size = 4 * int64_t(adc16.size()) + 12 * int64_t(imu6.size());
    if (!adc24.isEmpty())
        size += 4 * int64_t(adc24.size()) + 4;
    for (int32_t words : aux)
        size += 2 * int64_t(words);
    return int32_t(size);
}

bool daqConfig::hasChannels() const
{
    return !adc16.isEmpty() || !adc24.isEmpty() || !imu6.isEmpty() || !aux.isEmpty();
}

bool daqConfig::auxActive() const
{
    return aux.size() == 1 && aux.first() > 0;
}

namespace {

// Element by element on purpose: QVector's own == treats two shared copies as equal
// without looking, which would let a NaN compare equal to itself.
template <typename T>
bool listsEqual(const QVector<T> &a, const QVector<T> &b)
{
    if (a.size() != b.size())
        return false;
    for (int i = 0; i < a.size(); ++i) {
        if (!(a.at(i) == b.at(i)))
            return false;
    }
    return true;
}

} // namespace

bool operator==(const daqConfig &a, const daqConfig &b)
{
    return a.timeline == b.timeline && a.sampleRate == b.sampleRate
        && a.sampleSize == b.sampleSize && listsEqual(a.imu6, b.imu6)
        && listsEqual(a.adc16, b.adc16) && listsEqual(a.adc24, b.adc24) && a.aux == b.aux;
}

bool operator!=(const daqConfig &a, const daqConfig &b)
{
    return !(a == b);
}

#include "frameconverter.h"

#include "config/daqconfig.h"

#include <QtEndian>

namespace {
inline int16_t i16(const uint8_t *p) { return qFromLittleEndian<qint16>(p); }
inline int32_t i32(const uint8_t *p) { return qFromLittleEndian<qint32>(p); }
constexpr float displayScale = 1.0f / 32768.0f;
}

void FrameConverter::configure(const daqConfig &conf)
{
    n24 = conf.adc24.size();
    n16 = conf.adc16.size();
    nImu = conf.imu6.size();
    nAux = conf.auxActive() ? conf.aux.first() : 0;
    offset16 = n24 > 0 ? 4 + 4 * n24 : 0;
    offsetImu = offset16 + 4 * n16;
    offsetAux = offsetImu + 12 * nImu;
    sampleSize = offsetAux + 2 * nAux;

    factor24.resize(n24);
    for (int k = 0; k < n24; ++k) {
        const adcChannel &c = conf.adc24.at(k);
        factor24[k] = float((c.rangeMax - c.rangeMin) * (1.0 / 4294967296.0));
    }
    factor16.resize(n16);
    for (int j = 0; j < n16; ++j) {
        const adcChannel &c = conf.adc16.at(j);
        factor16[j] = float((c.rangeMax - c.rangeMin) * (1.0 / 65536.0));
    }
    factorImu.resize(6 * nImu);
    for (int i = 0; i < nImu; ++i) {
        const float acc = float(conf.imu6.at(i).accRange) * (1.0f / 32768.0f);
        const float gyro = float(conf.imu6.at(i).gyroRange) * (1.0f / 32768.0f);
        for (int a = 0; a < 3; ++a) {
            factorImu[6 * i + a] = acc;
            factorImu[6 * i + 3 + a] = gyro;
        }
    }
}

int FrameConverter::displayRow(const uint8_t *frame, float *row) const
{
    int m = 0;
    for (int k = 0; k < n24; ++k) // the upper 16 bits of the 32-bit number
        row[m++] = float(i16(frame + 4 + 4 * k + 2)) * displayScale;
    for (int j = 0; j < n16; ++j) // the first sample instant of every channel
        row[m++] = float(i16(frame + offset16 + 2 * j)) * displayScale;
    for (int v = 0; v < 6 * nImu; ++v)
        row[m++] = float(i16(frame + offsetImu + 2 * v)) * displayScale;
    for (int w = 0; w < nAux; ++w)
        row[m++] = float(i16(frame + offsetAux + 2 * w)) * displayScale;
    return m;
}

const float *FrameConverter::adc24Values(const uint8_t *frames, int n)
{
    if (n24 == 0 || n <= 0)
        return nullptr;
    values.resize(n * n24);
    float *out = values.data();
    for (int s = 0; s < n; ++s) {
        const uint8_t *f = frames + size_t(sampleSize) * s;
        for (int k = 0; k < n24; ++k)
            *out++ = float(i32(f + 4 + 4 * k)) * factor24[k];
    }
    return values.constData();
}

const float *FrameConverter::adc16Values(const uint8_t *frames, int n)
{
    if (n16 == 0 || n <= 0)
        return nullptr;
    values.resize(n * 2 * n16);
    float *out = values.data();
    for (int s = 0; s < n; ++s) {
        const uint8_t *f = frames + size_t(sampleSize) * s + offset16;
        // Sample-instant order: position p belongs to channel p mod N16.
        for (int p = 0; p < 2 * n16; ++p)
            *out++ = float(i16(f + 2 * p)) * factor16[p % n16];
    }
    return values.constData();
}

const float *FrameConverter::imuValues(const uint8_t *frames, int n)
{
    if (nImu == 0 || n <= 0)
        return nullptr;
    values.resize(n * 6 * nImu);
    float *out = values.data();
    for (int s = 0; s < n; ++s) {
        const uint8_t *f = frames + size_t(sampleSize) * s + offsetImu;
        for (int v = 0; v < 6 * nImu; ++v)
            *out++ = float(i16(f + 2 * v)) * factorImu[v];
    }
    return values.constData();
}

const int16_t *FrameConverter::auxWords(const uint8_t *frames, int n)
{
    if (nAux == 0 || n <= 0)
        return nullptr;
    words.resize(n * nAux);
    int16_t *out = words.data();
    for (int s = 0; s < n; ++s) {
        const uint8_t *f = frames + size_t(sampleSize) * s + offsetAux;
        for (int w = 0; w < nAux; ++w)
            *out++ = i16(f + 2 * w);
    }
    return words.constData();
}

#include "framesource.h"

#include <QtEndian>
#include <cmath>

namespace {

constexpr double twoPi = 6.283185307179586;

quint64 splitMix(quint64 x)
{
    x += 0x9e3779b97f4a7c15ULL;
    x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
    x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
    return x ^ (x >> 31);
}

qint16 clamp16(double v)
{
    const double r = std::round(v);
    if (r > 32767.0)
        return 32767;
    if (r < -32768.0)
        return -32768;
    return qint16(r);
}

} // namespace

double FrameSource::channelPhase(quint64 seed, int channel)
{
    const quint64 h = splitMix(seed * 1000003ULL + quint64(channel));
    return twoPi * double(h >> 11) / double(1ULL << 53);
}

FrameSource::FrameSource(const StreamLayout &layout, int rate, quint64 seed)
    : m_layout(layout), m_frameSize(layout.frameSize()), m_rate(rate > 0 ? rate : 1)
{
    for (int k = 0; k < layout.n24; ++k)
        m_phase24.append(channelPhase(seed, k));
    for (int k = 0; k < layout.n16; ++k)
        m_phase16.append(channelPhase(seed, 10000 + k));
    const double deg = twoPi / 360.0;
    for (int i = 0; i < layout.nImu; ++i) {
        const double acc = i < layout.accRange.size() ? layout.accRange[i] : 6.0;
        const double gyro = i < layout.gyroRange.size() ? layout.gyroRange[i] : 500.0;
        const double tilt = imuTiltDegrees(i) * deg;
        const double up[3] = {0.0, std::sin(tilt), std::cos(tilt)};
        for (double u : up)
            m_imuWords.append(clamp16(u * 32768.0 / acc));
        for (double u : up)
            m_imuWords.append(clamp16(u * imuTurnRate(i) * 32768.0 / gyro));
    }
}

void FrameSource::appendFrame(QByteArray &out, quint64 index) const
{
    const int start = out.size();
    out.resize(start + m_frameSize);
    char *frame = out.data() + start;
    const double t = double(index) / m_rate;
    if (m_layout.n24 > 0) {
        qToLittleEndian<quint32>(quint32(index), frame);
        write24(frame + 4, t);
    }
    write16(frame + m_layout.offset16(), t);
    writeImu(frame + m_layout.offsetImu());
    writeAux(frame + m_layout.offsetAux(), index);
}

void FrameSource::write24(char *p, double t) const
{
    for (int k = 0; k < m_layout.n24; ++k) {
        const double v = std::sin(twoPi * channelFrequency(k) * t + m_phase24[k]);
        qToLittleEndian<qint32>(qint32(std::lround(v * 1073741824.0)), p + 4 * k);
    }
}

// Two samples per channel and frame, in sample-instant order: all channels' first
// samples, then all channels' second samples half a frame later.
void FrameSource::write16(char *p, double t) const
{
    const int n = m_layout.n16;
    for (int s = 0; s < 2; ++s) {
        const double ts = t + s * 0.5 / m_rate;
        for (int k = 0; k < n; ++k) {
            const double v = std::sin(twoPi * channelFrequency(k) * ts + m_phase16[k]);
            qToLittleEndian<qint16>(clamp16(v * 16384.0), p + 2 * (s * n + k));
        }
    }
}

void FrameSource::writeImu(char *p) const
{
    for (int i = 0; i < m_imuWords.size(); ++i)
        qToLittleEndian<qint16>(m_imuWords[i], p + 2 * i);
}

void FrameSource::writeAux(char *p, quint64 index) const
{
    for (int w = 0; w < m_layout.nAux; ++w)
        qToLittleEndian<quint16>(quint16(index + quint64(w)), p + 2 * w);
}

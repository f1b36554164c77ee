#include "streamcheck.h"

#include <QtEndian>
#include <cmath>

namespace {

constexpr double pi = 3.14159265358979323846;

int offset16(const StreamCheck &c) { return c.n24 > 0 ? 4 + 4 * c.n24 : 0; }
int offsetImu(const StreamCheck &c) { return offset16(c) + 4 * c.n16; }
int offsetAux(const StreamCheck &c) { return offsetImu(c) + 12 * c.nImu; }

} // namespace

int StreamCheck::frameSize() const
{
    return offsetAux(*this) + 2 * nAux;
}

bool StreamCheck::splitBlocks(const QByteArray &s, QByteArray &payload, int &blocks, QString &error)
{
    blocks = 0;
    int i = 0;
    while (i < s.size()) {
        if (s[i] != '#') {
            error = QString("byte %1 is not '#'").arg(i);
            return false;
        }
        if (i + 2 > s.size())
            break;
        const int digits = s[i + 1] - '0';
        if (digits < 1 || digits > 8) {
            error = QString("bad digit count at %1").arg(i);
            return false;
        }
        bool ok = false;
        const int length = s.mid(i + 2, digits).toInt(&ok);
        if (!ok) {
            error = QString("bad length at %1").arg(i);
            return false;
        }
        const int end = i + 2 + digits + length;
        if (end >= s.size()) {
            error = QString("stream ends inside a block at %1").arg(i);
            return false;
        }
        if (s[end] != '\n') {
            error = QString("bad terminator after block at %1").arg(i);
            return false;
        }
        payload += s.mid(i + 2 + digits, length);
        ++blocks;
        i = end + 1;
    }
    return true;
}

void StreamCheck::fitSine(const QVector<double> &v, double sampleRate, double f, double &amplitude,
                          double &maxResidual)
{
    double ss = 0, sc = 0, cc = 0, vs = 0, vc = 0;
    for (int n = 0; n < v.size(); ++n) {
        const double s = std::sin(2 * pi * f * n / sampleRate);
        const double c = std::cos(2 * pi * f * n / sampleRate);
        ss += s * s;
        sc += s * c;
        cc += c * c;
        vs += v[n] * s;
        vc += v[n] * c;
    }
    const double det = ss * cc - sc * sc;
    const double a = (vs * cc - vc * sc) / det;
    const double b = (vc * ss - vs * sc) / det;
    amplitude = std::hypot(a, b);
    maxResidual = 0;
    for (int n = 0; n < v.size(); ++n) {
        const double fit = a * std::sin(2 * pi * f * n / sampleRate) + b * std::cos(2 * pi * f * n / sampleRate);
        maxResidual = std::max(maxResidual, std::fabs(v[n] - fit));
    }
}

QString StreamCheck::check(const QByteArray &frames, quint64 firstFrame) const
{
    const int size = frameSize();
    if (size == 0 || frames.size() % size != 0)
        return QString("%1 bytes are not whole frames of %2").arg(frames.size()).arg(size);
    const int count = frames.size() / size;
    QString error = check24(frames, count, firstFrame);
    if (error.isEmpty())
        error = check16(frames, count);
    if (error.isEmpty())
        error = checkImu(frames, count);
    if (error.isEmpty())
        error = checkAux(frames, count, firstFrame);
    return error;
}

QString StreamCheck::check24(const QByteArray &frames, int count, quint64 firstFrame) const
{
    if (n24 == 0)
        return QString();
    const int size = frameSize();
    for (int s = 0; s < count; ++s) {
        const quint32 status = qFromLittleEndian<quint32>(frames.constData() + s * size);
        if (status != quint32(firstFrame + quint64(s)))
            return QString("frame %1 has status word %2").arg(s).arg(status);
    }
    for (int k = 0; k < n24; ++k) {
        QVector<double> v;
        for (int s = 0; s < count; ++s)
            v.append(qFromLittleEndian<qint32>(frames.constData() + s * size + 4 + 4 * k));
        double amplitude, residual;
        fitSine(v, rate, 0.5 * (k + 1), amplitude, residual);
        if (std::fabs(amplitude / 1073741824.0 - 1.0) > 1e-3 || residual > 1e-5 * 1073741824.0)
            return QString("24-bit channel %1: amplitude %2, residual %3").arg(k).arg(amplitude).arg(residual);
    }
    return QString();
}

// Sample-instant order: all channels' first samples, then all second samples half a
// frame later, so each channel is a sine sampled at twice the frame rate.
QString StreamCheck::check16(const QByteArray &frames, int count) const
{
    const int size = frameSize();
    for (int k = 0; k < n16; ++k) {
        QVector<double> v;
        for (int s = 0; s < count; ++s) {
            const char *section = frames.constData() + s * size + offset16(*this);
            v.append(qFromLittleEndian<qint16>(section + 2 * k));
            v.append(qFromLittleEndian<qint16>(section + 2 * (n16 + k)));
        }
        double amplitude, residual;
        fitSine(v, 2.0 * rate, 0.5 * (k + 1), amplitude, residual);
        if (std::fabs(amplitude - 16384.0) > 20.0 || residual > 1.5)
            return QString("16-bit channel %1: amplitude %2, residual %3").arg(k).arg(amplitude).arg(residual);
    }
    return QString();
}

QString StreamCheck::checkImu(const QByteArray &frames, int count) const
{
    const int size = frameSize();
    for (int i = 0; i < nImu; ++i) {
        const double tilt = 10.0 * (i + 1) * pi / 180.0;
        const double up[3] = {0.0, std::sin(tilt), std::cos(tilt)};
        qint16 expected[6];
        for (int a = 0; a < 3; ++a) {
            expected[a] = qint16(std::lround(up[a] * 32768.0 / accRange.value(i, 6.0)));
            expected[3 + a] = qint16(std::lround(up[a] * 5.0 * (i + 1) * 32768.0 / gyroRange.value(i, 500.0)));
        }
        for (int s = 0; s < count; ++s) {
            const char *p = frames.constData() + s * size + offsetImu(*this) + 12 * i;
            for (int a = 0; a < 6; ++a) {
                const qint16 got = qFromLittleEndian<qint16>(p + 2 * a);
                if (std::abs(got - expected[a]) > 1)
                    return QString("IMU %1 value %2 in frame %3 is %4, expected %5")
                        .arg(i).arg(a).arg(s).arg(got).arg(expected[a]);
            }
        }
    }
    return QString();
}

QString StreamCheck::checkAux(const QByteArray &frames, int count, quint64 firstFrame) const
{
    const int size = frameSize();
    for (int s = 0; s < count; ++s) {
        for (int w = 0; w < nAux; ++w) {
            const quint16 got = qFromLittleEndian<quint16>(frames.constData() + s * size + offsetAux(*this) + 2 * w);
            if (got != quint16(firstFrame + quint64(s) + quint64(w)))
                return QString("AUX word %1 of frame %2 is %3").arg(w).arg(s).arg(got);
        }
    }
    return QString();
}

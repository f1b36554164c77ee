#pragma once

#include <QByteArray>
#include <QString>
#include <QVector>
#include <QMetaType>
#include <QtEndian>
#include <cmath>

// The tests' own decoding of devsim's stream, written from the documented frame layout and
// signals (devsim --help), independent of both devsim and the application.
struct StreamCheck
{
    int n24 = 0, n16 = 0, nImu = 0, nAux = 0;
    int rate = 1000;

    int offset16() const { return n24 > 0 ? 4 + 4 * n24 : 0; }
    int offsetImu() const { return offset16() + 4 * n16; }
    int offsetAux() const { return offsetImu() + 12 * nImu; }
    int frameSize() const { return offsetAux() + 2 * nAux; }

    // Empty when the frames, the first of them frame `first` of the stream, are what devsim
    // documents; else what is wrong.
    QString check(const QByteArray &frames, quint64 first) const
    {
        if (frameSize() == 0 || frames.size() % frameSize() != 0)
            return QString("%1 bytes are not whole frames").arg(frames.size());
        const int count = frames.size() / frameSize();
        auto at = [&](int frame, int offset) { return frames.constData() + frame * frameSize() + offset; };
        for (int s = 0; s < count; ++s) {
            if (n24 > 0 && qFromLittleEndian<quint32>(at(s, 0)) != quint32(first + s))
                return QString("frame %1: status word").arg(s);
            for (int w = 0; w < nAux; ++w) {
                if (qFromLittleEndian<quint16>(at(s, offsetAux() + 2 * w)) != quint16(first + s + w))
                    return QString("frame %1: AUX word %2").arg(s).arg(w);
            }
        }
        // Channel k is a sine of 0.5(k + 1) Hz: half full scale for 24-bit channels, sampled
        // at the frame rate; 16384 for 16-bit ones, sampled twice a frame.
        for (int k = 0; k < n24 + n16; ++k) {
            QVector<double> v;
            for (int s = 0; s < count; ++s) {
                if (k < n24)
                    v << qFromLittleEndian<qint32>(at(s, 4 + 4 * k));
                else
                    v << qFromLittleEndian<qint16>(at(s, offset16() + 2 * (k - n24)))
                      << qFromLittleEndian<qint16>(at(s, offset16() + 2 * (k - n24 + n16)));
            }
            const double full = k < n24 ? 1073741824.0 : 16384.0;
            const double tolerance = k < n24 ? 1e-5 * full : 1.5;
            if (!fitsSine(v, k < n24 ? rate : 2.0 * rate, 0.5 * (k < n24 ? k + 1 : k - n24 + 1), full, tolerance))
                return QString("channel %1 is not its sine").arg(k);
        }
        return QString();
    }

    // A least-squares sine of frequency f through the samples: amplitude within 0.125 % of
    // `amplitude`, no sample further than `tolerance` from it.
    static bool fitsSine(const QVector<double> &v, double sampleRate, double f, double amplitude, double tolerance)
    {
        double ss = 0, sc = 0, cc = 0, vs = 0, vc = 0;
        for (int n = 0; n < v.size(); ++n) {
            const double s = std::sin(2 * M_PI * f * n / sampleRate), c = std::cos(2 * M_PI * f * n / sampleRate);
            ss += s * s, sc += s * c, cc += c * c, vs += v[n] * s, vc += v[n] * c;
        }
        const double det = ss * cc - sc * sc, a = (vs * cc - vc * sc) / det, b = (vc * ss - vs * sc) / det;
        for (int n = 0; n < v.size(); ++n) {
            if (std::fabs(v[n] - a * std::sin(2 * M_PI * f * n / sampleRate) - b * std::cos(2 * M_PI * f * n / sampleRate)) > tolerance)
                return false;
        }
        return std::fabs(std::hypot(a, b) / amplitude - 1.0) < 1.25e-3;
    }

    // The payload of the definite-length blocks ("#", digit count, length, payload, line
    // feed) of a serial stream; empty with `error` set on a framing fault.
    static QByteArray splitBlocks(const QByteArray &s, int &blocks, QString &error)
    {
        QByteArray payload;
        blocks = 0;
        for (int i = 0; i < s.size(); ++blocks) {
            const int digits = s.size() > i + 1 ? s[i + 1] - '0' : 0;
            bool ok = false;
            const int end = i + 2 + digits + s.mid(i + 2, digits).toInt(&ok);
            if (s[i] != '#' || digits < 1 || digits > 8 || !ok || end >= s.size() || s[end] != '\n') {
                error = QString("framing fault at byte %1").arg(i);
                return QByteArray();
            }
            payload += s.mid(i + 2 + digits, end - i - 2 - digits);
            i = end + 1;
        }
        return payload;
    }
};
Q_DECLARE_METATYPE(StreamCheck)

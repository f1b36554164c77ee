#include "devsimtrace.h"

#include <QMap>

#include <algorithm>
#include <cmath>

namespace {
// devsim's 24-bit channel k: a half-scale sine of 0.5(k+1) Hz at 1000 frames/s, phase from seed 7.
double expectedVolts(int k, quint64 frame)
{
    quint64 x = 7ULL * 1000003ULL + quint64(k) + 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    const double phase = 2.0 * M_PI * double((x ^ (x >> 31)) >> 11) / double(1ULL << 53);
    return std::lround(std::sin(M_PI * (k + 1) * double(frame) / 1000.0 + phase) * 1073741824.0) * 4.8 / 4294967296.0;
}
}

DevsimTrace readDevsimTrace(const QString &file)
{
    DevsimTrace d;
    hid_t f = H5Fopen(file.toUtf8().constData(), H5F_ACC_RDONLY, H5P_DEFAULT);
    if (f < 0) {
        d.problem = "cannot open " + file;
        return d;
    }
    const QVector<hsize_t> adc = datasetInfo(f, "/adc/values").dims, imu = datasetInfo(f, "/imu6/values").dims,
                           aux = datasetInfo(f, "/aux/values").dims;
    if (adc.value(1) != 4 || imu.mid(1) != QVector<hsize_t>{1, 6} || aux.value(1) != 2)
        d.problem = "not the layout of devsim's channels";
    const int rows = int(std::min({adc.value(0), imu.value(0), aux.value(0)}));
    d.sameRows = adc.value(0) == imu.value(0) && imu.value(0) == aux.value(0);
    const QVector<float> v24 = readFloats(f, "/adc/values"), vImu = readFloats(f, "/imu6/values");
    const QVector<qint16> words = readInt16s(f, "/aux/values");
    d.gaps = readGaps(f);
    d.markers = readMarkers(f);
    H5Fclose(f);
    // The IMU rests tilted 10 degrees about x, turning about it at 5 grad/s: accelerometer
    // (0, sin, cos) g, gyroscope 5 (0, sin, cos) grad/s. A file without a frame shows the
    // one row of zeros its datasets were created with.
    const double tilt = 10.0 * M_PI / 180.0, up[3] = {0.0, std::sin(tilt), std::cos(tilt)};
    const int n = !d.problem.isEmpty() || (rows == 1 && words[0] == 0 && words[1] == 0) ? 0 : rows;
    for (int s = 0; s < n && d.problem.isEmpty(); ++s) {
        d.frames.append(s == 0 ? quint16(words[0]) : d.frames.last() + quint16(words[2 * s] - words[2 * s - 2]));
        if (quint16(words[2 * s + 1]) != quint16(words[2 * s] + 1))
            d.problem = QString("row %1 is not one whole frame").arg(s);
        for (int k = 0; k < 4; ++k) {
            if (std::abs(v24[4 * s + k] - expectedVolts(k, d.frames.last())) > 4.8 / 16777216.0)
                d.problem = QString("row %1 channel %2: %3 V, devsim sent %4 V").arg(s).arg(k).arg(v24[4 * s + k]).arg(expectedVolts(k, d.frames.last()));
        }
        for (int a = 0; a < 3; ++a) {
            if (std::abs(vImu[6 * s + a] - up[a]) > 6.0 / 32768.0 || std::abs(vImu[6 * s + 3 + a] - 5 * up[a]) > 500.0 / 32768.0)
                d.problem = QString("row %1: the IMU is not where devsim put it").arg(s);
        }
    }
    return d;
}

QString checkDevsimTrace(const QString &file, int rows, bool contiguous)
{
    const DevsimTrace t = readDevsimTrace(file);
    if (!t.problem.isEmpty() || !t.sameRows)
        return t.sameRows ? t.problem : QStringLiteral("datasets of different lengths");
    if (rows >= 0 && t.frames.size() != rows)
        return QString("%1 rows, %2 expected").arg(t.frames.size()).arg(rows);
    for (int s = 1; s < t.frames.size(); ++s) {
        const quint64 step = t.frames[s] - t.frames[s - 1];
        if (contiguous ? step != 1 : (step < 1 || step >= 1000))
            return QString("row %1 follows row %2 by %3 frames").arg(s).arg(s - 1).arg(step);
    }
    return QString();
}

int devsimTraceRows(const QString &file)
{
    hid_t f = H5Fopen(file.toUtf8().constData(), H5F_ACC_RDONLY, H5P_DEFAULT);
    if (f < 0)
        return -1;
    const QVector<qint16> aux = readInt16s(f, "/aux/values");
    H5Fclose(f);
    return aux.size() == 2 && aux[0] == 0 && aux[1] == 0 ? 0 : aux.size() / 2;
}

QString checkGaps(const DevsimTrace &t, int counted, quint64 *lost, bool fromStreamStart)
{
    QMap<quint64, quint64> lostAt;
    QMap<quint64, bool> exactAt;
    *lost = 0;
    for (int g = 0; g + 2 < t.gaps.size(); g += 3) {
        lostAt[t.gaps[g]] += t.gaps[g + 1];
        exactAt[t.gaps[g]] = exactAt.value(t.gaps[g], true) && t.gaps[g + 2] == 1;
        *lost += t.gaps[g + 1];
        if ((counted != 2 && int(t.gaps[g + 2]) != counted) || t.gaps[g] >= quint64(t.frames.size()))
            return QString("gap at row %1 marked %2, %3 rows").arg(t.gaps[g]).arg(t.gaps[g + 2]).arg(t.frames.size());
    }
    for (int s = fromStreamStart ? 0 : 1; s < t.frames.size(); ++s) {
        const quint64 missing = s == 0 ? t.frames[0] : t.frames[s] - t.frames[s - 1] - 1;
        const quint64 booked = lostAt.value(quint64(s));
        if ((missing != 0) != lostAt.contains(quint64(s)) || (missing != 0 && exactAt.value(quint64(s)) && booked != missing))
            return QString("%1 frames missing before row %2, %3 booked").arg(missing).arg(s).arg(booked);
    }
    return QString();
}

#include "devsimtrace.h"

#include <QMap>

#include <algorithm>
#include <cmath>

namespace {

// devsim's 24-bit channel k: a half-scale sine of 0.5(k+1) Hz at 1000 frames/s, its phase
// drawn from the seed (7).
double expectedVolts(int k, quint64 frame)
{
    quint64 x = 7ULL * 1000003ULL + quint64(k) + 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    const double phase = 2.0 * M_PI * double((x ^ (x >> 31)) >> 11) / double(1ULL << 53);
    const double word = std::lround(std::sin(M_PI * (k + 1) * double(frame) / 1000.0 + phase) * 1073741824.0);
    return word * 4.8 / 4294967296.0;
}

struct Trace
{
    QVector<float> adc, imu;
    QVector<qint16> aux;
};

// The IMU rests tilted 10 degrees about x and turns about the same axis at 5 grad/s:
// accelerometer (0, sin, cos) g, gyroscope 5 (0, sin, cos) grad/s.
QString checkRow(const Trace &t, int s, quint64 frame)
{
    if (quint16(t.aux[2 * s + 1]) != quint16(t.aux[2 * s] + 1))
        return QString("row %1 is not one whole frame").arg(s);
    for (int k = 0; k < 4; ++k) {
        const double expected = expectedVolts(k, frame);
        if (std::abs(t.adc[4 * s + k] - expected) > 4.8 / 16777216.0)
            return QString("row %1 channel %2: %3 V, devsim sent %4 V").arg(s).arg(k).arg(t.adc[4 * s + k]).arg(expected);
    }
    const double tilt = 10.0 * M_PI / 180.0, up[3] = {0.0, std::sin(tilt), std::cos(tilt)};
    for (int a = 0; a < 3; ++a) {
        if (std::abs(t.imu[6 * s + a] - up[a]) > 6.0 / 32768.0 || std::abs(t.imu[6 * s + 3 + a] - 5 * up[a]) > 500.0 / 32768.0)
            return QString("row %1: the IMU is not where devsim put it").arg(s);
    }
    return QString();
}

} // namespace

DevsimTrace readDevsimTrace(const QString &file)
{
    DevsimTrace d;
    hid_t f = H5Fopen(file.toUtf8().constData(), H5F_ACC_RDONLY, H5P_DEFAULT);
    if (f < 0) {
        d.problem = "cannot open " + file;
        return d;
    }
    const DatasetInfo adc = datasetInfo(f, "/adc/values"), imu = datasetInfo(f, "/imu6/values"),
                      aux = datasetInfo(f, "/aux/values");
    if (adc.dims.value(1) != 4 || imu.dims.mid(1) != QVector<hsize_t>{1, 6} || aux.dims.value(1) != 2)
        d.problem = "not the layout of devsim's channels";
    const int rows = int(std::min({adc.dims.value(0), imu.dims.value(0), aux.dims.value(0)}));
    d.sameRows = adc.dims.value(0) == imu.dims.value(0) && imu.dims.value(0) == aux.dims.value(0);
    const Trace t{readFloats(f, "/adc/values").mid(0, 4 * rows), readFloats(f, "/imu6/values").mid(0, 6 * rows),
                  readInt16s(f, "/aux/values").mid(0, 2 * rows)};
    d.gaps = readGaps(f);
    d.markers = readMarkers(f);
    H5Fclose(f);
    // A file without a frame shows the one row of zeros its datasets were created with.
    const int n = t.aux.size() == 2 && t.aux[0] == 0 && t.aux[1] == 0 ? 0 : t.aux.size() / 2;
    quint64 frame = n > 0 ? quint16(t.aux[0]) : 0;
    for (int s = 0; s < n && d.problem.isEmpty(); ++s) {
        frame += s > 0 ? quint16(t.aux[2 * s] - t.aux[2 * s - 2]) : 0;
        d.frames.append(frame);
        d.problem = checkRow(t, s, frame);
    }
    return d;
}

QString checkDevsimTrace(const QString &file, int rows, bool contiguous)
{
    const DevsimTrace t = readDevsimTrace(file);
    if (!t.problem.isEmpty() || !t.sameRows)
        return t.sameRows ? t.problem : QStringLiteral("datasets of different lengths");
    const int n = t.frames.size();
    if (rows >= 0 && n != rows)
        return QString("%1 rows, %2 expected").arg(n).arg(rows);
    for (int s = 1; s < n; ++s) {
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
        const quint64 row = t.gaps[g];
        lostAt[row] += t.gaps[g + 1];
        exactAt[row] = exactAt.value(row, true) && t.gaps[g + 2] == 1;
        *lost += t.gaps[g + 1];
        if (counted != 2 && int(t.gaps[g + 2]) != counted)
            return QString("gap at row %1 is marked %2").arg(row).arg(t.gaps[g + 2]);
        if (row >= quint64(t.frames.size()))
            return QString("gap at row %1 behind the last row").arg(row);
    }
    for (int s = fromStreamStart ? 0 : 1; s < t.frames.size(); ++s) {
        const quint64 missing = s == 0 ? t.frames[0] : t.frames[s] - t.frames[s - 1] - 1;
        if ((missing != 0) != lostAt.contains(quint64(s)))
            return QString("%1 frames missing before row %2, %3 booked").arg(missing).arg(s).arg(lostAt.value(quint64(s)));
        if (missing != 0 && exactAt.value(quint64(s)) && lostAt.value(quint64(s)) != missing)
            return QString("%1 frames missing before row %2, counted %3").arg(missing).arg(s).arg(lostAt.value(quint64(s)));
    }
    return QString();
}

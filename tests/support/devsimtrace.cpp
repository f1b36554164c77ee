#include "devsimtrace.h"

#include "h5reader.h"

#include <algorithm>
#include <cmath>

namespace {

// devsim's 24-bit signal: channel k is a half-scale sine of 0.5(k+1) Hz at 1000 frames/s
// with a phase drawn from the seed (7).
double splitMix(quint64 x)
{
    x += 0x9E3779B97F4A7C15ULL;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    x = x ^ (x >> 31);
    return 2.0 * M_PI * double(x >> 11) / double(1ULL << 53);
}

double expectedVolts(int k, quint64 frame)
{
    const double phase = splitMix(7ULL * 1000003ULL + quint64(k));
    const double word = std::lround(std::sin(2.0 * M_PI * 0.5 * (k + 1) * double(frame) / 1000.0 + phase)
                                    * 1073741824.0);
    return word * 4.8 / 4294967296.0;
}

struct Trace
{
    QVector<float> adc, imu;
    QVector<qint16> aux;
    bool sameRows = true;
    QVector<quint64> gaps;
    QList<TraceMarker> markers;
    QString problem;
};

Trace readTrace(const QString &file)
{
    Trace t;
    hid_t f = H5Fopen(file.toUtf8().constData(), H5F_ACC_RDONLY, H5P_DEFAULT);
    if (f < 0) {
        t.problem = "cannot open " + file;
        return t;
    }
    const DatasetInfo adc = datasetInfo(f, "/adc/values"), imu = datasetInfo(f, "/imu6/values"),
                      aux = datasetInfo(f, "/aux/values");
    if (adc.dims.value(1) != 4 || imu.dims.mid(1) != QVector<hsize_t>{1, 6} || aux.dims.value(1) != 2)
        t.problem = "not the layout of devsim's channels";
    const int rows = int(std::min({adc.dims.value(0), imu.dims.value(0), aux.dims.value(0)}));
    t.sameRows = adc.dims.value(0) == imu.dims.value(0) && imu.dims.value(0) == aux.dims.value(0);
    // Rows only some datasets got are left out (a commit cut short by a kill).
    t.adc = readFloats(f, "/adc/values").mid(0, 4 * rows);
    t.imu = readFloats(f, "/imu6/values").mid(0, 6 * rows);
    t.aux = readInt16s(f, "/aux/values").mid(0, 2 * rows);
    t.gaps = readGaps(f);
    t.markers = readMarkers(f);
    H5Fclose(f);
    return t;
}

// The frame a row holds, from its AUX counter, continued past 65535.
QString checkRow(const Trace &t, int s, quint64 frame)
{
    if (quint16(t.aux[2 * s + 1]) != quint16(t.aux[2 * s] + 1))
        return QString("row %1 is not one whole frame").arg(s);
    const double lsb = 4.8 / 16777216.0;
    for (int k = 0; k < 4; ++k) {
        const double expected = expectedVolts(k, frame);
        if (std::abs(t.adc[4 * s + k] - expected) > lsb)
            return QString("row %1 channel %2: %3 V, devsim sent %4 V").arg(s).arg(k).arg(t.adc[4 * s + k]).arg(expected);
    }
    // The IMU rests tilted 10 degrees about x: accelerometer (0, sin, cos) g.
    const double tilt = 10.0 * M_PI / 180.0;
    if (std::abs(t.imu[6 * s + 1] - std::sin(tilt)) > 6.0 / 32768.0
        || std::abs(t.imu[6 * s + 2] - std::cos(tilt)) > 6.0 / 32768.0)
        return QString("row %1: the IMU is not where devsim put it").arg(s);
    return QString();
}

} // namespace

DevsimTrace readDevsimTrace(const QString &file)
{
    const Trace t = readTrace(file);
    DevsimTrace d;
    d.problem = t.problem;
    d.sameRows = t.sameRows;
    d.gaps = t.gaps;
    d.markers = t.markers;
    // A file without a frame shows the one row of zeros its datasets were created with.
    const bool placeholder = t.aux.size() == 2 && t.aux[0] == 0 && t.aux[1] == 0;
    const int n = placeholder ? 0 : t.aux.size() / 2;
    if (!d.problem.isEmpty() || n == 0)
        return d;
    quint64 frame = quint16(t.aux[0]);
    for (int s = 0; s < n; ++s) {
        if (s > 0)
            frame += quint16(t.aux[2 * s] - t.aux[2 * s - 2]);
        d.frames.append(frame);
        const QString problem = checkRow(t, s, frame);
        if (!problem.isEmpty() && d.problem.isEmpty())
            d.problem = problem;
    }
    return d;
}

QString checkDevsimTrace(const QString &file, int rows, bool contiguous)
{
    const DevsimTrace t = readDevsimTrace(file);
    if (!t.problem.isEmpty())
        return t.problem;
    if (!t.sameRows)
        return QStringLiteral("datasets of different lengths");
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

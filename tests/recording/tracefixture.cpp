#include "tracefixture.h"

#include "acquisition/frameconverter.h"
#include "h5reader.h"

#include <QtEndian>

#include <hdf5.h>

#include <cmath>
#include <cstring>

namespace {

// Deterministic noise of a frame and a position.
uint32_t noise(quint64 frame, int position)
{
    uint64_t x = frame * 0x9E3779B97F4A7C15ull + uint64_t(position) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
    return uint32_t(x ^ (x >> 31));
}

// A sensor-like signal in counts of a converter with the given full scale.
double signal(quint64 frame, int position, double fullScale)
{
    const double wave = 0.4 * std::sin(0.003 * double(frame) + 0.7 * position) + 0.05;
    return wave * fullScale + double(int(noise(frame, position) % 64) - 32) * fullScale / 8192.0;
}

// Compares the stored rows with the converted frames; returns the frames they hold.
template <typename T>
quint64 compareRows(const QVector<T> &stored, const T *expected, int valuesPerFrame, int rowsPerFrame,
                    QString *problem, const char *name)
{
    const int rowValues = valuesPerFrame / rowsPerFrame;
    const int rows = rowValues > 0 ? stored.size() / rowValues : 0;
    // One row of zeros is the placeholder a dataset is created with.
    bool zeros = rows == 1;
    for (const T &v : stored)
        zeros = zeros && v == T(0);
    if (zeros)
        return 0;
    if (rows % rowsPerFrame != 0 && problem->isEmpty())
        *problem = QStringLiteral("%1: %2 rows are no whole frames").arg(name).arg(rows);
    if (std::memcmp(stored.constData(), expected, size_t(stored.size()) * sizeof(T)) != 0 && problem->isEmpty())
        *problem = QStringLiteral("%1: stored values differ from the frames").arg(name);
    return quint64(rows / rowsPerFrame);
}

} // namespace

daqConfig traceTestConfig(int n16, int n24, int nImu, int auxWords, int sampleRate)
{
    daqConfig conf;
    conf.sampleRate = sampleRate;
    for (int i = 0; i < n16; ++i)
        conf.adc16.append(adcChannel(-6.0, 6.0, 1.0, 0.0, "a" + QByteArray::number(i + 1)));
    for (int i = 0; i < n24; ++i)
        conf.adc24.append(adcChannel(-2.4, 2.4 + 0.1 * i, 1.0, 0.0, "b" + QByteArray::number(i + 1)));
    for (int i = 0; i < nImu; ++i)
        conf.imu6.append(imuChannel(6.0, 500.0, "imu" + QByteArray::number(i + 1)));
    if (auxWords > 0)
        conf.aux = {auxWords};
    conf.sampleSize = conf.expectedSampleSize();
    return conf;
}

QByteArray traceTestFrames(const daqConfig &conf, quint64 first, int count)
{
    const int n24 = conf.adc24.size();
    const int n16 = conf.adc16.size();
    const int nAux = conf.auxActive() ? conf.aux.first() : 0;
    QByteArray bytes(conf.sampleSize * count, '\0');
    for (int s = 0; s < count; ++s) {
        const quint64 f = first + quint64(s);
        uchar *p = reinterpret_cast<uchar *>(bytes.data()) + conf.sampleSize * s;
        if (n24 > 0) {
            qToLittleEndian<quint32>(quint32(f), p);   // status word
            p += 4;
            for (int k = 0; k < n24; ++k, p += 4)
                qToLittleEndian<qint32>(qint32(signal(f, k, 2147483647.0)), p);
        }
        const int words16 = 2 * n16 + 6 * conf.imu6.size() + nAux;
        for (int v = 0; v < words16; ++v, p += 2)
            qToLittleEndian<qint16>(qint16(signal(f, 100 + v, 32767.0)), p);
    }
    return bytes;
}

TraceContents readTrace(const QString &fileName, const daqConfig &conf)
{
    TraceContents contents;
    H5E_auto2_t oldFunc = nullptr;
    void *oldData = nullptr;
    H5Eget_auto2(H5E_DEFAULT, &oldFunc, &oldData);
    H5Eset_auto2(H5E_DEFAULT, nullptr, nullptr);
    const hid_t file = H5Fopen(fileName.toUtf8().constData(), H5F_ACC_RDONLY, H5P_DEFAULT);
    contents.opened = file >= 0;
    if (file >= 0) {
        const QVector<float> adc16 = readFloats(file, "/adc/values");
        const QVector<float> adc24 = readFloats(file, conf.adc16.isEmpty() ? "/adc/values" : "/adc24/values");
        const QVector<float> imu = readFloats(file, "/imu6/values");
        const QVector<qint16> aux = readInt16s(file, "/aux/values");
        // The most frames any dataset may hold; the conversion follows the recording's.
        auto framesIn = [](int values, int perFrame) { return perFrame > 0 ? (values + perFrame - 1) / perFrame : 0; };
        const int most = std::max({framesIn(adc16.size(), 2 * conf.adc16.size()),
                                   framesIn(adc24.size(), conf.adc24.size()),
                                   framesIn(imu.size(), 6 * conf.imu6.size()),
                                   framesIn(aux.size(), conf.auxActive() ? conf.aux.first() : 0)});
        // Snapshot after snapshot of one recording: make its frames once.
        static QByteArray frames;
        static QVector<int> framesKey;
        const QVector<int> key{conf.sampleSize, conf.adc16.size(), conf.adc24.size(), conf.imu6.size()};
        if (key != framesKey || frames.size() < most * conf.sampleSize) {
            frames = traceTestFrames(conf, 0, most);
            framesKey = key;
        }
        FrameConverter conv;
        conv.configure(conf);
        const auto *raw = reinterpret_cast<const uint8_t *>(frames.constData());
        QList<quint64> counts;
        if (!conf.adc16.isEmpty())
            counts << compareRows(adc16, conv.adc16Values(raw, most), 2 * conf.adc16.size(), 2, &contents.problem, "adc16");
        if (!conf.adc24.isEmpty())
            counts << compareRows(adc24, conv.adc24Values(raw, most), conf.adc24.size(), 1, &contents.problem, "adc24");
        if (!conf.imu6.isEmpty())
            counts << compareRows(imu, conv.imuValues(raw, most), 6 * conf.imu6.size(), 1, &contents.problem, "imu6");
        if (conf.auxActive())
            counts << compareRows(aux, conv.auxWords(raw, most), conf.aux.first(), 1, &contents.problem, "aux");
        const auto [fewest, largest] = std::minmax_element(counts.begin(), counts.end());
        contents.frames = counts.isEmpty() ? 0 : *fewest;
        contents.mostFrames = counts.isEmpty() ? 0 : *largest;
        contents.gaps = readGaps(file);
        contents.markers = readMarkers(file);
        if (H5Fclose(file) < 0 && contents.problem.isEmpty())
            contents.problem = QStringLiteral("the file did not close cleanly");
    }
    H5Eset_auto2(H5E_DEFAULT, oldFunc, oldData);
    return contents;
}

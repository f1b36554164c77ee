#include "framepipeline.h"

#include "config/daqconfig.h"
#include "display/renderarea.h"
#include "recording/myHdf5.h"

#include <QDebug>

void FramePipeline::configure(const daqConfig &conf)
{
    conv.configure(conf);
}

void FramePipeline::initFilters(const daqConfig &conf)
{
    for (int i = 0; i < conf.imu6.size() && i < maxImus; ++i) {
        const imuChannel &imu = conf.imu6.at(i);
        qDebug() << "Madgwick init: imu" << i << "  rangeacc " << imu.accRange << "  rangegyro " << imu.gyroRange;
        madgwickInit(&filters[i], float(imu.accRange), float(imu.gyroRange), unsigned(conf.sampleRate), 1.0f, 0);
    }
}

bool FramePipeline::record(const uint8_t *frames, int n, myHdf &hdf, QVector<hdfDataset> &datasets)
{
    int next = 0;
    bool ok = true;
    auto append = [&](const void *rows, int count) {
        ok = next < datasets.size() && hdf.appendRows(datasets[next], rows, hsize_t(count)) && ok;
        ++next;
    };
    if (const float *v = conv.adc16Values(frames, n))
        append(v, 2 * n);
    if (const float *v = conv.adc24Values(frames, n)) {
        qDebug("write Adc32");
        append(v, n);
    }
    if (const float *v = conv.imuValues(frames, n))
        append(v, n);
    if (const int16_t *w = conv.auxWords(frames, n)) {
        qDebug() << "heureka ########## " << conv.auxWordCount();
        append(w, n);
    }
    return ok;
}

void FramePipeline::display(const uint8_t *frames, int n, RenderArea &plot)
{
    const int size = conv.frameSize();
    const int imus = qMin(conv.imuCount(), maxImus);
    for (int s = 0; s < n; ++s) {
        const int m = conv.displayRow(frames + size_t(size) * s, row);
        for (int i = 0; i < imus; ++i) {
            float *imu = row + conv.imuRowOffset(i);
            const OrientationRecord *o = madgwickStep(&filters[i], imu);
            if (i < plot.eulerFlags.size() && plot.eulerFlags.at(i)) {
                imu[3] = (*o)[0];
                imu[4] = (*o)[1];
                imu[5] = (*o)[3];
            }
        }
        plot.enqSamples(row, unsigned(m), 1);
    }
}

#include "framepipeline.h"

#include "acquisition/displaysink.h"
#include "config/daqconfig.h"

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

void FramePipeline::display(const uint8_t *frames, int n, DisplaySink &sink)
{
    const int size = conv.frameSize();
    const int imus = qMin(conv.imuCount(), maxImus);
    for (int s = 0; s < n; ++s) {
        const int m = conv.displayRow(frames + size_t(size) * s, row);
        for (int i = 0; i < imus; ++i) {
            float *imu = row + conv.imuRowOffset(i);
            const OrientationRecord *o = madgwickStep(&filters[i], imu);
            if (sink.eulerActive(i)) {
                imu[3] = (*o)[0];
                imu[4] = (*o)[1];
                imu[5] = (*o)[3];
            }
        }
        sink.enqueueRow(row, m);
    }
}

#include "configcommand.h"

#include "acquisition/devicefamily.h"
#include "config/daqconfig.h"

#include <QByteArrayList>
#include <QString>

static QByteArray shortest(double v)
{
    return QString::number(v, 'g', 6).toLatin1();
}

QByteArray configurationCommandText(const daqConfig &conf, int deviceFamily, bool overUdp)
{
    const bool mainFamily = deviceFamily == DeviceFamily::Kestr;
    QByteArrayList lines;
    lines << "conf:sca:rat " + QByteArray::number(conf.sampleRate);
    if (mainFamily)
        lines << (overUdp ? "conf:sca:hea 0" : "conf:sca:hea 1");
    for (int i = 0; i < conf.imu6.size(); ++i) {
        const imuChannel &imu = conf.imu6.at(i);
        lines << "conf:imu:para " + QByteArray::number(i) + "," + shortest(imu.accRange) + ","
                     + shortest(imu.gyroRange);
    }
    if (mainFamily) {
        lines << "conf:sca:ove 2";
    } else {
        for (int j = 0; j < conf.adc24.size(); ++j)
            lines << "conf:sca:gai " + QByteArray::number(j) + ",1";
    }
    QByteArray dev = "conf:dev " + QByteArray::number(conf.adc24.size()) + ","
                     + QByteArray::number(conf.adc16.size()) + "," + QByteArray::number(conf.imu6.size());
    if (!conf.aux.isEmpty())
        dev += "," + QByteArray::number(conf.aux.first());
    lines << dev;
    return lines.join('\n');
}

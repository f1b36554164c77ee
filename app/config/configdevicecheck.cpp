#include "configdevicecheck.h"

#include "daqconfig.h"

#include <QtGlobal>

const char *configDeviceMismatch(const daqConfig &conf, int nAdc16, int nAdc24, int nImu, int nAux)
{
    if (conf.imu6.size() > nImu)
        return QT_TRANSLATE_NOOP("MainWindow",
                                 "Device has not enough IMU channels to configure. Check your connections.");
    if (conf.adc16.size() > nAdc16)
        return QT_TRANSLATE_NOOP("MainWindow",
                                 "Device has not enough Adc16 channels to configure. Check your Device, if capable.");
    if (conf.adc24.size() > nAdc24)
        return QT_TRANSLATE_NOOP("MainWindow",
                                 "Device has not enough Adc24 channels to configure. Check your connections.");
    if (conf.aux.size() == 1 && conf.aux.first() > nAux)
        return QT_TRANSLATE_NOOP("MainWindow",
                                 "Device has not enough Aux channels to configure.\nEventually aux is not configured correct.");
    return nullptr;
}

#include "imuchannel.h"

imuChannel::imuChannel(double acc, double gyro, const QByteArray &imuName)
    : accRange(acc), gyroRange(gyro), name(imuName)
{
}

bool operator==(const imuChannel &a, const imuChannel &b)
{
    return a.accRange == b.accRange && a.gyroRange == b.gyroRange && a.name == b.name;
}

bool operator!=(const imuChannel &a, const imuChannel &b)
{
    return !(a == b);
}

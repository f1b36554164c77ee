#pragma once

#include <QByteArray>

// One enabled 6-axis IMU (accelerometer + gyroscope).
struct imuChannel
{
    double accRange = 0.0;   // full scale in g
    double gyroRange = 0.0;  // full scale in grad/s
    QByteArray name;         // UTF-8

    imuChannel() = default;
    imuChannel(double acc, double gyro, const QByteArray &imuName);
};

// Doubles compare with ==, so a NaN never equals anything.
bool operator==(const imuChannel &a, const imuChannel &b);
bool operator!=(const imuChannel &a, const imuChannel &b);


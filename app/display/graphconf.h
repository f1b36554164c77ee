#pragma once

#include <QString>

// One graph band of the plot area: a channel group of the measurement configuration.
struct GraphConf
{
    int id = 0;
    unsigned int nchan = 0;
    QString name;
    bool isImu = false;
    bool eulerActive = false;  // the IMU's gyroscope slots carry orientation values
    bool displayAcc = true;
    bool displayEuler = false;
    bool autoscale = false;
    int imuIndex = 0;
    // What the normalised values mean: -1 ... +1 spans -fullScale ... +fullScale in
    // unit. IMU graphs: fullScale is the accelerometer's in g, gyroFullScale the
    // gyroscope's in degrees per second; orientation is shown in degrees.
    double fullScale = 1.0;
    double gyroFullScale = 1.0;
    QString unit;
};

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
};

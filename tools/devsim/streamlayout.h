#pragma once

#include <QVector>

// What one stream frame holds, as chosen by the last accepted "conf:dev" line.
struct StreamLayout
{
    int n24 = 0;
    int n16 = 0;
    int nImu = 0;
    int nAux = 0;                 // AUX words per frame
    QVector<double> accRange;     // per IMU, g
    QVector<double> gyroRange;    // per IMU, degrees per second

    int frameSize() const;
    int offset16() const { return n24 > 0 ? 4 + 4 * n24 : 0; }
    int offsetImu() const { return offset16() + 4 * n16; }
    int offsetAux() const { return offsetImu() + 12 * nImu; }
};

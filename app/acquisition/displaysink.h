#pragma once

#include <QString>

// Where the acquisition shows its data: the window hands it an adapter over its plot
// area, a program without a window hands it none. Rows hold one value per channel,
// normalised so that -1 ... +1 spans a graph's band.
class DisplaySink
{
public:
    virtual ~DisplaySink() = default;

    virtual void clearGraphs() = 0;
    virtual void addGraph(int channels, const QString &name, bool isImu) = 0;
    // A fresh sample history of `frames` rows for the graphs added since clearGraphs.
    virtual void setWindow(unsigned frames) = 0;
    // An empty history for a new run, drawn anew.
    virtual void restart() = 0;
    virtual void enqueueRow(const float *row, int values) = 0;
    virtual void applyScales(bool fullRedraw) = 0;
    // True when the IMU's gyroscope slots are to carry its orientation.
    virtual bool eulerActive(int imu) const = 0;
    virtual void setLogo(const QString &resource) = 0;
};

#pragma once

#include "acquisition/displaysink.h"

class RenderArea;
class daqConfig;

// The window's plot area as the acquisition's display.
class RenderAreaSink : public DisplaySink
{
public:
    explicit RenderAreaSink(RenderArea &plot) : area(plot) {}

    void clearGraphs() override;
    void addGraph(int channels, const QString &name, bool isImu) override;
    void setWindow(unsigned frames) override;
    void restart() override;
    void enqueueRow(const float *row, int values) override;
    void applyScales(bool fullRedraw) override;
    bool eulerActive(int imu) const override;
    void setLogo(const QString &resource) override;
    // Units, scales and the frame rate of the configuration whose graphs were added last.
    void describeConfiguration(const daqConfig &conf);

private:
    RenderArea &area;
};

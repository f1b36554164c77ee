#include "renderareasink.h"

#include "display/renderarea.h"

void RenderAreaSink::clearGraphs()
{
    area.clearGraphs();
}

void RenderAreaSink::addGraph(int channels, const QString &name, bool isImu)
{
    area.addGraph(unsigned(channels), name, isImu, true);
}

void RenderAreaSink::setWindow(unsigned frames)
{
    area.setConfigValid(frames, 10, false);
    area.history().setAutoscaleState(0);
}

void RenderAreaSink::restart()
{
    // A new run counts its frames from 0: the markers of the last one are gone.
    area.clearMarkers();
    area.history().setRingFill(0);
    area.rebuildColumns();
    area.applyScales(true);
}

void RenderAreaSink::enqueueRow(const float *row, int values)
{
    area.enqSamples(row, unsigned(values), 1);
}

void RenderAreaSink::applyScales(bool fullRedraw)
{
    area.applyScales(fullRedraw);
}

bool RenderAreaSink::eulerActive(int imu) const
{
    return imu < area.eulerFlags.size() && area.eulerFlags.at(imu);
}

void RenderAreaSink::setLogo(const QString &resource)
{
    area.setLogo(QImage(resource));
}

void RenderAreaSink::describeConfiguration(const daqConfig &conf)
{
    area.describeConfiguration(conf);
}

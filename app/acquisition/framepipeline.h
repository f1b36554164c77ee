#pragma once

#include "acquisition/frameconverter.h"
#include "orientation/madgwick.h"

#include <QVector>

#include <cstdint>

class RenderArea;
class daqConfig;
class myHdf;
struct hdfDataset;

// What one acquisition step does with the frames it read: records them in physical
// units (one append per kind) and shows them, each IMU's orientation filter running
// once per frame. Buffers are kept from step to step, so the steady state allocates
// nothing.
class FramePipeline
{
public:
    static constexpr int maxImus = 24;

    void configure(const daqConfig &conf);
    // Every filter back to the identity orientation, for a new run.
    void initFilters(const daqConfig &conf);

    const FrameConverter &converter() const { return conv; }

    // Appends n frames to the trace file's datasets, which come in the order 16-bit,
    // 24-bit, IMU, AUX for the kinds present. False when an append failed.
    bool record(const uint8_t *frames, int n, myHdf &hdf, QVector<hdfDataset> &datasets);
    // Builds a display row per frame, runs the filters, and hands the rows to the plot.
    void display(const uint8_t *frames, int n, RenderArea &plot);

private:
    FrameConverter conv;
    MadgwickState filters[maxImus];
    float row[FrameConverter::maxRowValues] = {};
};

#pragma once

#include "acquisition/frameconverter.h"
#include "orientation/madgwick.h"

#include <cstdint>

class DisplaySink;
class daqConfig;

// What one acquisition step shows of the frames it read: a display row per frame, each
// IMU's orientation filter running once per frame. Buffers are kept from step to step,
// so the steady state allocates nothing.
class FramePipeline
{
public:
    static constexpr int maxImus = 24;

    void configure(const daqConfig &conf);
    // Every filter back to the identity orientation, for a new run.
    void initFilters(const daqConfig &conf);

    const FrameConverter &converter() const { return conv; }

    // Builds a display row per frame, runs the filters, and hands the rows to the display.
    void display(const uint8_t *frames, int n, DisplaySink &sink);

private:
    FrameConverter conv;
    MadgwickState filters[maxImus];
    float row[FrameConverter::maxRowValues] = {};
};

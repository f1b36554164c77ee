#pragma once

#include <cstddef>
#include <vector>

// The data behind the strip chart: a ring of the last window-length sample rows and,
// derived from it, one minimum/maximum bar per pixel column and channel. Any number
// of rows maps onto any number of columns with integer arithmetic only: with more
// rows than columns the rows are decimated into bars, with fewer each row is stretched
// over several columns. Per-channel extremes are tracked for autoscaling.
class SampleHistory
{
public:
    static constexpr unsigned MaxChannels = 144;

    SampleHistory();

    // Fresh ring of zeros; returns false (and changes nothing) above MaxChannels.
    bool initialise(unsigned windowLength, unsigned gridDivisions, unsigned channelsPerRow);
    void setGraphWidth(unsigned width);
    void intake(const float *row);
    void rebuildColumns();

    unsigned graphWidth() const { return m_graphWidth; }
    unsigned channelsPerRow() const { return m_channels; }
    unsigned windowLength() const { return m_windowLength; }
    unsigned gridDivisions() const { return m_gridDivisions; }
    unsigned ringPosition() const { return m_ringPosition; }
    unsigned ringFill() const { return m_ringFill; }
    void setRingFill(unsigned fill);
    unsigned columnPosition() const { return m_columnPosition; }
    unsigned accumulator() const { return m_accumulator; }
    unsigned newColumns() const { return m_newColumns; }
    void clearNewColumns() { m_newColumns = 0; }

    // Buffer column shown at screen column x (the oldest column sits at the column position).
    unsigned bufferColumn(unsigned x) const;
    float columnMax(unsigned column, unsigned channel) const { return m_colMax[column * m_channels + channel]; }
    float columnMin(unsigned column, unsigned channel) const { return m_colMin[column * m_channels + channel]; }
    const float *ringRow(unsigned position) const { return &m_ring[std::size_t(position) * m_channels]; }

    int autoscaleState() const { return m_autoscaleState; }
    void setAutoscaleState(int state) { m_autoscaleState = state; }
    float trackedMax(unsigned channel) const { return m_trackedMax[channel]; }
    float trackedMin(unsigned channel) const { return m_trackedMin[channel]; }

private:
    void resizeColumns();
    void resetCurrent(const float *row);
    void interpolate(const float *row, bool live);
    void decimate(const float *row, bool live);
    void emitColumn(const float *lower, const float *upper, bool live);
    void advanceColumn(bool live, const char *overrunLine);
    void trackColumn();

    unsigned m_graphWidth = 0;
    unsigned m_channels = 0;
    unsigned m_windowLength = 8000;
    unsigned m_gridDivisions = 10;
    std::vector<float> m_ring;
    unsigned m_ringPosition = 0;
    unsigned m_ringFill = 0;
    std::vector<float> m_colMax;
    std::vector<float> m_colMin;
    unsigned m_columnPosition = 0;
    unsigned m_newColumns = 0;
    unsigned m_accumulator = 0;
    float m_curMax[MaxChannels] = {};
    float m_curMin[MaxChannels] = {};
    float m_trackedMax[MaxChannels] = {};
    float m_trackedMin[MaxChannels] = {};
    int m_autoscaleState = 0;
};

#pragma once

#include "minmaxenvelope.h"

#include <QtGlobal>

#include <cstddef>

// The data behind the strip chart. The chart spans the last window-length frames over
// graph-width pixel columns. Column j, counted from the last reset, covers frames
// [columnFirstFrame(j), columnFirstFrame(j + 1)) and is drawn together with the frame
// before them, so consecutive bars always join; with more columns than frames a frame
// is stretched over several columns. Columns are not stored: any column of any width
// is answered from a min/max envelope of the frames, so memory does not grow with the
// window length and a width change costs nothing. Per-channel extremes are tracked
// for autoscaling.
class SampleHistory
{
public:
    static constexpr unsigned MaxChannels = 144;
    // Bytes allowed for the finest envelope level; all levels together take about twice that.
    static constexpr std::size_t EnvelopeBudget = std::size_t(24) << 20;

    SampleHistory();

    // Forgets all frames; returns false (and changes nothing) above MaxChannels.
    bool initialise(unsigned windowLength, unsigned gridDivisions, unsigned channelsPerRow);
    void setGraphWidth(unsigned width);
    void intake(const float *row);
    // Columns are derived on demand, so there is nothing to rebuild; kept for callers
    // that reset the fill and then ask for fresh columns.
    void rebuildColumns();

    unsigned graphWidth() const { return m_graphWidth; }
    unsigned channelsPerRow() const { return m_channels; }
    unsigned windowLength() const { return m_windowLength; }
    unsigned gridDivisions() const { return m_gridDivisions; }
    // Frames inside the window, saturating at the window length.
    unsigned ringFill() const;
    // 0 starts afresh (frame and column counts restart); a smaller fill hides older frames.
    void setRingFill(unsigned fill);
    quint64 framesReceived() const { return m_envelope.rowCount(); }

    quint64 completedColumns() const;
    quint64 columnFirstFrame(quint64 column) const;
    // The column that holds frame `frame` (counted from the last reset).
    quint64 columnOfFrame(quint64 frame) const;
    // Extremes per channel of column j's frames and the frame before them; false when
    // the column holds no frame (before the reset, or hidden by setRingFill).
    bool columnExtremes(quint64 column, float *lo, float *hi) const;
    // Columns completed since clearNewColumns() (or the last reset or width change).
    unsigned newColumns() const;
    void clearNewColumns();

    int autoscaleState() const { return m_autoscaleState; }
    void setAutoscaleState(int state) { m_autoscaleState = state; }
    float trackedMax(unsigned channel) const { return m_trackedMax[channel]; }
    float trackedMin(unsigned channel) const { return m_trackedMin[channel]; }

    const MinMaxEnvelope &envelope() const { return m_envelope; }
    std::size_t memoryBytes() const { return m_envelope.memoryBytes(); }

private:
    void track(const float *row);

    unsigned m_graphWidth = 0;
    unsigned m_channels = 0;
    unsigned m_windowLength = 8000;
    unsigned m_gridDivisions = 10;
    MinMaxEnvelope m_envelope;
    quint64 m_visibleFrom = 0;   // first frame shown after setRingFill
    quint64 m_columnMark = 0;    // completed columns at the last clearNewColumns
    float m_trackedMax[MaxChannels] = {};
    float m_trackedMin[MaxChannels] = {};
    int m_autoscaleState = 0;
};

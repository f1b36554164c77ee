#include "samplehistory.h"

#include <QDebug>

#include <algorithm>
#include <cstring>

SampleHistory::SampleHistory() = default;

bool SampleHistory::initialise(unsigned windowLength, unsigned gridDivisions, unsigned channelsPerRow)
{
    if (channelsPerRow > MaxChannels)
        return false;
    m_ringFill = 0;
    m_gridDivisions = gridDivisions;
    // A window of zero rows would make every ring step a division by zero.
    m_windowLength = std::max(windowLength, 1u);
    m_channels = channelsPerRow;
    m_ring.assign(std::size_t(m_windowLength) * m_channels, 0.0f);
    m_ringPosition = 0;
    resizeColumns();
    return true;
}

void SampleHistory::setGraphWidth(unsigned width)
{
    m_graphWidth = width;
    resizeColumns();
    rebuildColumns();
}

void SampleHistory::setRingFill(unsigned fill)
{
    m_ringFill = std::min(fill, m_windowLength);
}

unsigned SampleHistory::bufferColumn(unsigned x) const
{
    unsigned c = m_columnPosition + x;
    return c >= m_graphWidth ? c - m_graphWidth : c;
}

void SampleHistory::resizeColumns()
{
    const std::size_t n = std::size_t(m_graphWidth) * m_channels;
    m_colMax.resize(n, 0.0f);
    m_colMin.resize(n, 0.0f);
    if (m_columnPosition >= m_graphWidth)
        m_columnPosition = 0;
}

void SampleHistory::resetCurrent(const float *row)
{
    std::memcpy(m_curMax, row, m_channels * sizeof(float));
    std::memcpy(m_curMin, row, m_channels * sizeof(float));
}

void SampleHistory::intake(const float *row)
{
    if (m_channels == 0)
        return;
    if (m_ringFill == 0) {
        qDebug() << "first enqSamples: init graphics #1";
        // Before the plot area has adopted a width there is no column to write to.
        if (m_columnPosition < m_graphWidth) {
            std::memcpy(&m_colMax[std::size_t(m_columnPosition) * m_channels], row, m_channels * sizeof(float));
            std::memcpy(&m_colMin[std::size_t(m_columnPosition) * m_channels], row, m_channels * sizeof(float));
        }
        resetCurrent(row);
    }
    m_ringPosition = (m_ringPosition + 1) % m_windowLength;
    m_ringFill = std::min(m_ringFill + 1, m_windowLength);
    std::memcpy(&m_ring[std::size_t(m_ringPosition) * m_channels], row, m_channels * sizeof(float));
    if (m_graphWidth > m_windowLength)
        interpolate(row, true);
    else
        decimate(row, true);
}

// Fewer rows than columns: each row is stretched over one or more columns, the first
// of them joining the previous value to the new one.
void SampleHistory::interpolate(const float *row, bool live)
{
    while (m_accumulator < m_graphWidth) {
        m_accumulator += m_windowLength;
        if (live)
            emitColumn(row, m_curMin, true);
        else
            emitColumn(m_curMin, row, false);
        resetCurrent(row);
        advanceColumn(live, "############## interpolator SHIT");
    }
    m_accumulator -= m_graphWidth;
}

// More rows than columns: a column is emitted each time the accumulator passes the
// window length; the boundary row opens the next column as well.
void SampleHistory::decimate(const float *row, bool live)
{
    for (unsigned c = 0; c < m_channels; ++c) {
        m_curMin[c] = std::min(m_curMin[c], row[c]);
        m_curMax[c] = std::max(m_curMax[c], row[c]);
    }
    const unsigned sum = m_accumulator + m_graphWidth;
    if (sum < m_windowLength) {
        m_accumulator = sum;
        if (m_columnPosition >= m_graphWidth)
            m_columnPosition = 0;
        return;
    }
    m_accumulator = sum - m_windowLength;
    emitColumn(m_curMin, m_curMax, live);
    resetCurrent(row);
    advanceColumn(live, "############## decimator SHIT");
}

void SampleHistory::emitColumn(const float *lower, const float *upper, bool live)
{
    const std::size_t base = std::size_t(m_columnPosition) * m_channels;
    if (base < m_colMin.size()) {
        std::memcpy(&m_colMin[base], lower, m_channels * sizeof(float));
        std::memcpy(&m_colMax[base], upper, m_channels * sizeof(float));
    }
    if (live)
        trackColumn();
}

void SampleHistory::advanceColumn(bool live, const char *overrunLine)
{
    ++m_columnPosition;
    if (live) {
        // Only a live column starts tracking: a rebuild sets no tracked extremes, so
        // starting there would keep whatever stale range was left from before.
        if (m_autoscaleState == 1)
            m_autoscaleState = 2;
        ++m_newColumns;
        if (m_columnPosition > m_graphWidth)
            qDebug() << overrunLine;
    }
    if (m_columnPosition >= m_graphWidth)
        m_columnPosition = 0;
}

void SampleHistory::trackColumn()
{
    if (m_autoscaleState == 2) {
        for (unsigned c = 0; c < m_channels; ++c) {
            m_trackedMin[c] = std::min(m_trackedMin[c], m_curMin[c]);
            m_trackedMax[c] = std::max(m_trackedMax[c], m_curMax[c]);
        }
    } else if (m_autoscaleState == 1) {
        for (unsigned c = 0; c < m_channels; ++c) {
            m_trackedMin[c] = m_curMin[c] - 1e-14f;
            m_trackedMax[c] = m_curMax[c] + 1e-14f;
        }
    }
}

// Recomputes every column from the ring, oldest row first, so that the result is the
// one the intake would have produced for the same rows.
void SampleHistory::rebuildColumns()
{
    if (m_channels == 0)
        return;
    m_accumulator = 0;
    m_columnPosition = 0;
    const unsigned oldest = (m_ringPosition + 1) % m_windowLength;
    resetCurrent(ringRow(oldest));
    for (unsigned i = 0; i < m_windowLength; ++i) {
        const float *row = ringRow((oldest + i) % m_windowLength);
        if (m_graphWidth > m_windowLength)
            interpolate(row, false);
        else
            decimate(row, false);
    }
    if (m_columnPosition >= m_graphWidth)
        m_columnPosition = 0;
}

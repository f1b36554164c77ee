#include "samplehistory.h"

#include <QDebug>

#include <algorithm>
#include <cstring>

SampleHistory::SampleHistory()
{
    m_envelope.configure(0, m_windowLength, EnvelopeBudget);
}

bool SampleHistory::initialise(unsigned windowLength, unsigned gridDivisions, unsigned channelsPerRow)
{
    if (channelsPerRow > MaxChannels)
        return false;
    m_gridDivisions = gridDivisions;
    // A window of zero frames would make every column a division by zero.
    m_windowLength = std::max(windowLength, 1u);
    m_channels = channelsPerRow;
    // The oldest column of a narrow chart reaches one column width behind the window.
    const quint64 retained = quint64(m_windowLength) + m_windowLength / 16 + 4;
    m_envelope.configure(m_channels, retained, EnvelopeBudget);
    m_visibleFrom = 0;
    m_columnMark = 0;
    return true;
}

void SampleHistory::setGraphWidth(unsigned width)
{
    m_graphWidth = width;
    m_columnMark = completedColumns();
}

void SampleHistory::rebuildColumns()
{
    m_columnMark = completedColumns();
}

unsigned SampleHistory::ringFill() const
{
    return unsigned(std::min<quint64>(framesReceived() - m_visibleFrom, m_windowLength));
}

void SampleHistory::setRingFill(unsigned fill)
{
    if (fill == 0) {
        m_envelope.clear();
        m_visibleFrom = 0;
        m_columnMark = 0;
    } else if (fill < ringFill()) {
        m_visibleFrom = framesReceived() - fill;
    }
}

// A column is complete once all its frames have arrived: floor(frames * width / window).
quint64 SampleHistory::completedColumns() const
{
    return framesReceived() * m_graphWidth / m_windowLength;
}

// The first frame of column j is ceil(j * window / width).
quint64 SampleHistory::columnFirstFrame(quint64 column) const
{
    if (m_graphWidth == 0)
        return 0;
    return (column * m_windowLength + m_graphWidth - 1) / m_graphWidth;
}

// Column j holds frames [ceil(j * window / width), ceil((j + 1) * window / width)),
// so frame f falls into column floor(f * width / window).
quint64 SampleHistory::columnOfFrame(quint64 frame) const
{
    return frame * m_graphWidth / m_windowLength;
}

bool SampleHistory::columnExtremes(quint64 column, float *lo, float *hi) const
{
    const quint64 first = columnFirstFrame(column);
    const quint64 begin = std::max(first > 0 ? first - 1 : 0, m_visibleFrom);
    return m_envelope.extremes(begin, columnFirstFrame(column + 1), lo, hi);
}

unsigned SampleHistory::newColumns() const
{
    const quint64 done = completedColumns();
    return done > m_columnMark ? unsigned(std::min<quint64>(done - m_columnMark, 0xffffffffu)) : 0;
}

void SampleHistory::clearNewColumns()
{
    m_columnMark = completedColumns();
}

void SampleHistory::intake(const float *row)
{
    if (m_channels == 0)
        return;
    if (framesReceived() == m_visibleFrom)
        qDebug() << "first enqSamples: init graphics #1";
    m_envelope.append(row);
    if (m_autoscaleState != 0)
        track(row);
}

// Tracking starts with the first frame after it was requested.
void SampleHistory::track(const float *row)
{
    if (m_autoscaleState == 1) {
        for (unsigned c = 0; c < m_channels; ++c) {
            m_trackedMin[c] = row[c] - 1e-14f;
            m_trackedMax[c] = row[c] + 1e-14f;
        }
        m_autoscaleState = 2;
        return;
    }
    for (unsigned c = 0; c < m_channels; ++c) {
        m_trackedMin[c] = std::min(m_trackedMin[c], row[c]);
        m_trackedMax[c] = std::max(m_trackedMax[c], row[c]);
    }
}

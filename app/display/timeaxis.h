#pragma once

#include <QString>
#include <QtGlobal>

// The time axis under the chart: grid lines at round times since the start of
// sampling (1, 2 or 5 times a power of ten seconds, about `divisions` of them across
// the window), and their labels. Without a frame rate the lines divide the window
// into `divisions` equal parts of frames and carry no label.
class TimeAxis
{
public:
    void configure(unsigned framesPerSecond, unsigned windowFrames, unsigned divisions);

    bool hasSeconds() const { return m_rate > 0; }
    // Frames between two grid lines: numerator / denominator (numerator 0: no lines).
    quint64 numerator() const { return m_num; }
    quint64 denominator() const { return m_den; }
    // Label of grid line m, which sits at m * numerator / denominator frames.
    QString label(qint64 m) const;

private:
    unsigned m_rate = 0;
    quint64 m_num = 0;
    quint64 m_den = 1;
    int m_mantissa = 1;   // the step is m_mantissa * 10^m_exponent seconds
    int m_exponent = 0;
};

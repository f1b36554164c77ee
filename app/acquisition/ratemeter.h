#pragma once

#include <QtGlobal>

#include <deque>
#include <utility>

// Frames received over the last second, from the counts of the acquisition steps.
class RateMeter
{
public:
    static constexpr qint64 WindowMs = 1000;

    void reset() { m_steps.clear(); }
    // `frames` arrived in the step at `nowMs` (any monotonic clock in milliseconds).
    void add(qint64 nowMs, quint64 frames);
    double perSecond(qint64 nowMs) const;

private:
    void forgetBefore(qint64 nowMs);

    std::deque<std::pair<qint64, quint64>> m_steps;   // (time, frames), oldest first
};

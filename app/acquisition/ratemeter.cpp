#include "ratemeter.h"

void RateMeter::add(qint64 nowMs, quint64 frames)
{
    forgetBefore(nowMs);
    if (frames > 0)
        m_steps.emplace_back(nowMs, frames);
}

double RateMeter::perSecond(qint64 nowMs) const
{
    quint64 frames = 0;
    for (const auto &step : m_steps) {
        if (step.first > nowMs - WindowMs && step.first <= nowMs)
            frames += step.second;
    }
    return double(frames) * 1000.0 / double(WindowMs);
}

void RateMeter::forgetBefore(qint64 nowMs)
{
    while (!m_steps.empty() && m_steps.front().first <= nowMs - WindowMs)
        m_steps.pop_front();
}

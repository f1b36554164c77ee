#pragma once

#include <QtGlobal>

// When to ask again whether to give up on a busy device. Once the user has chosen to
// retry, the search goes on without asking; the question comes back only when the device
// was free in between or RepeatAfterMs after that answer.
class BusyQuestionRule
{
public:
    static constexpr qint64 RepeatAfterMs = 30000;

    // A busy device was found at `nowMs` (a monotonic clock in ms).
    bool shouldAsk(qint64 nowMs) const { return !m_retrying || nowMs - m_answeredAt >= RepeatAfterMs; }
    void answeredRetry(qint64 nowMs)
    {
        m_retrying = true;
        m_answeredAt = nowMs;
    }
    void deviceFree() { m_retrying = false; }
    bool retrying() const { return m_retrying; }

private:
    bool m_retrying = false;
    qint64 m_answeredAt = 0;
};

#include "timeaxis.h"

#include <QLocale>

#include <algorithm>
#include <cmath>
#include <numeric>

void TimeAxis::configure(unsigned framesPerSecond, unsigned windowFrames, unsigned divisions)
{
    m_rate = framesPerSecond;
    m_den = 1;
    if (divisions == 0) {
        m_num = 0;
        return;
    }
    if (m_rate == 0) {
        m_num = std::max(1u, windowFrames / divisions);
        return;
    }
    // The smallest round step that keeps the lines at most `divisions` to the window.
    const double wanted = double(windowFrames) / m_rate / divisions;
    m_exponent = int(std::floor(std::log10(std::max(wanted, 1e-6))));
    m_mantissa = 1;
    for (int mantissa : {1, 2, 5, 10}) {
        if (mantissa * std::pow(10.0, m_exponent) >= wanted * (1 - 1e-9)) {
            m_mantissa = mantissa;
            break;
        }
    }
    if (m_mantissa == 10) {
        m_mantissa = 1;
        ++m_exponent;
    }
    m_exponent = std::clamp(m_exponent, -6, 9);
    // Frames per line: rate * mantissa * 10^exponent, exact as a fraction.
    quint64 scale = 1;
    for (int e = 0; e < std::abs(m_exponent); ++e)
        scale *= 10;
    m_num = quint64(m_rate) * quint64(m_mantissa) * (m_exponent >= 0 ? scale : 1);
    m_den = m_exponent >= 0 ? 1 : scale;
    const quint64 g = std::gcd(m_num, m_den);
    m_num /= g;
    m_den /= g;
}

QString TimeAxis::label(qint64 m) const
{
    if (m_rate == 0)
        return QString();
    const int decimals = std::max(0, -m_exponent);
    const double seconds = double(m) * m_mantissa * std::pow(10.0, m_exponent);
    return QLocale().toString(seconds, 'f', decimals) + QStringLiteral(" s");
}

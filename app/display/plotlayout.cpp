#include "plotlayout.h"

#include <algorithm>

namespace {
const QRgb bandWhite = qRgb(255, 255, 255);
const QRgb bandYellow = qRgb(255, 255, 193);
const QRgb separatorBlack = qRgb(0, 0, 0);
const QRgb gridGray = qRgb(230, 230, 230);
}

void PlotLayout::arrange(const QSize &widget, int graphCount, bool single, int gutterWidth, int axisHeight)
{
    m_widget = QRect(QPoint(0, 0), widget);
    // A widget too small for the scale and the axis shows the data alone.
    if (gutterWidth + 16 > widget.width() || 2 * axisHeight + 16 > widget.height())
        gutterWidth = axisHeight = 0;
    const int plotHeight = widget.height() - axisHeight;
    m_gutter = QRect(0, 0, gutterWidth, widget.height());
    m_plot = QRect(gutterWidth, 0, widget.width() - gutterWidth, plotHeight);
    m_axis = QRect(gutterWidth, plotHeight, widget.width() - gutterWidth, axisHeight);
    m_single = single;
    m_bandCount = std::max(graphCount, 1);
    m_bandHeight = std::max(1, single ? m_plot.height() : m_plot.height() / m_bandCount);
}

int PlotLayout::bandAt(int y) const
{
    if (m_single || m_plot.height() <= 0)
        return 0;
    return std::clamp(int(qint64(y - m_plot.top()) * m_bandCount / m_plot.height()), 0, m_bandCount - 1);
}

// Alternating band colours with a black separator under each band and a grey zero
// line through its middle; a single graph gets nine grey horizontal lines instead.
std::vector<QRgb> PlotLayout::rowColours() const
{
    const int h = m_plot.height();
    std::vector<QRgb> rows(std::size_t(std::max(m_widget.height(), 0)), bandWhite);
    auto set = [&rows, this](int y, QRgb c) {
        y += m_plot.top();
        if (y >= 0 && std::size_t(y) < rows.size())
            rows[std::size_t(y)] = c;
    };
    if (m_single) {
        for (int k = 1; k <= 9; ++k)
            set(k * h / 10, gridGray);
        return rows;
    }
    const int bh = m_bandHeight;
    for (int y = 0; y < h; ++y)
        set(y, std::min(y / bh, m_bandCount) % 2 ? bandYellow : bandWhite);
    for (int g = 0; g < m_bandCount; ++g)
        if ((g + 1) * bh < h)
            set((g + 1) * bh, separatorBlack);
    for (int g = 0; g < m_bandCount; ++g)
        set(bh / 2 + g * bh, gridGray);
    return rows;
}

std::vector<bool> PlotLayout::gridRows() const
{
    std::vector<bool> rows(std::size_t(std::max(m_widget.height(), 0)), true);
    if (m_single)
        return rows;
    for (int g = 0; g < m_bandCount; ++g) {
        const int y = m_plot.top() + (g + 1) * m_bandHeight;
        if ((g + 1) * m_bandHeight < m_plot.height() && std::size_t(y) < rows.size())
            rows[std::size_t(y)] = false;
    }
    return rows;
}

#pragma once

#include <QRect>
#include <QRgb>

#include <vector>

// Where the parts of the chart go in a widget of a given size: the scale gutter on the
// left, the data area with one horizontal band per graph (or one band filling it when
// a single graph is shown), the time axis below, and the background colour of every
// row of the data area.
class PlotLayout
{
public:
    void arrange(const QSize &widget, int graphCount, bool single, int gutterWidth = 0, int axisHeight = 0);

    const QRect &widget() const { return m_widget; }
    // The data area: everything in it scrolls with the data.
    const QRect &plot() const { return m_plot; }
    // Under the data area: the axis line in its first row, then ticks and labels. It
    // scrolls with the data too.
    const QRect &axis() const { return m_axis; }
    // Left of both, fixed: the scale of every band; its last column is a black line.
    const QRect &gutter() const { return m_gutter; }
    QRect scrolled() const { return m_plot | m_axis; }
    int bandCount() const { return m_bandCount; }
    int bandHeight() const { return m_bandHeight; }
    bool single() const { return m_single; }
    int bandTop(int band) const { return m_plot.top() + (m_single ? 0 : band * m_bandHeight); }
    // Band under widget row y, clamped to the existing bands.
    int bandAt(int y) const;
    std::vector<QRgb> rowColours() const;
    // Rows a vertical grid line may cross: all but the band separators.
    std::vector<bool> gridRows() const;

private:
    QRect m_widget;
    QRect m_plot;
    QRect m_axis;
    QRect m_gutter;
    int m_bandCount = 0;
    int m_bandHeight = 1;
    bool m_single = false;
};

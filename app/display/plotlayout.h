#pragma once

#include <QRect>
#include <QRgb>

#include <vector>

// Where the parts of the chart go in a widget of a given size: one horizontal band
// per graph (or one band filling the chart when a single graph is shown), and the
// background colour of every row.
class PlotLayout
{
public:
    void arrange(const QSize &widget, int graphCount, bool single);

    const QRect &widget() const { return m_widget; }
    // The data area: everything in it scrolls with the data.
    const QRect &plot() const { return m_plot; }
    int bandCount() const { return m_bandCount; }
    int bandHeight() const { return m_bandHeight; }
    bool single() const { return m_single; }
    int bandTop(int band) const { return m_plot.top() + (m_single ? 0 : band * m_bandHeight); }
    // Band under widget row y, clamped to the existing bands.
    int bandAt(int y) const;
    std::vector<QRgb> rowColours() const;

private:
    QRect m_widget;
    QRect m_plot;
    int m_bandCount = 0;
    int m_bandHeight = 1;
    bool m_single = false;
};

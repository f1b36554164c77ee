#pragma once

#include <QImage>
#include <QRect>
#include <QRgb>
#include <QtGlobal>

#include <limits>
#include <vector>

class SampleHistory;

// Paints any rectangle of the chart's data area straight into the pixels of an image,
// from the sample history alone: row backgrounds, vertical grid lines at fixed frame
// numbers, and one bar per column and trace. Because nothing depends on earlier paints,
// the widget can scroll its picture and repaint only what was exposed, and a repaint of
// any part looks exactly like the first paint of it.
class ChartRaster
{
public:
    struct Trace
    {
        unsigned channel = 0;
        int top = 0;       // first row of the band (widget coordinates)
        int height = 1;
        QRgb colour = 0;
        float scale = 1.0f;   // normalised value * scale + offset spans -1 ... +1 of the band
        float offset = 0.0f;
    };

    // Background colour of every widget row (bands, separators, horizontal lines), and
    // whether vertical grid lines cross it.
    void setRows(std::vector<QRgb> colours, std::vector<bool> gridCrosses);
    void setTraces(std::vector<Trace> traces) { m_traces = std::move(traces); }
    // A vertical line in `colour` through every column that holds a multiple of
    // numerator/denominator frames since the first frame; numerator 0 draws none.
    void setGrid(QRgb colour, quint64 numerator, quint64 denominator);
    // A dashed vertical line in `colour` through each of the columns, over the traces.
    void setMarkers(std::vector<qint64> columns, QRgb colour);
    // Screen column `plot.left()` + x shows column rightColumn - plot.width() + x.
    void setPlot(const QRect &plot, qint64 rightColumn);
    qint64 columnAt(int x) const { return m_rightColumn - m_plot.width() + (x - m_plot.left()); }
    int xOfColumn(qint64 column) const { return int(column - m_rightColumn + m_plot.width()) + m_plot.left(); }
    const QRect &plot() const { return m_plot; }

    // Forget the columns gathered for earlier paints (data or scales have changed).
    void invalidate() { ++m_generation; }
    // Renders `area` (widget coordinates, inside the plot) into an image of its size,
    // valid until the next render. Its memory is kept, so painting allocates nothing.
    const QImage &render(const QRect &area, const SampleHistory &history);

    static constexpr qint64 NoGrid = std::numeric_limits<qint64>::min();
    // Index m >= 0 of the grid line (at frame m * numerator / denominator) that falls
    // into the column, or NoGrid. Any column may be asked, also one not complete yet.
    qint64 gridIndexAt(qint64 column, const SampleHistory &history) const;
    quint64 gridNumerator() const { return m_gridNum; }
    quint64 gridDenominator() const { return m_gridDen; }

private:
    const float *columnData(int x, const SampleHistory &history);
    void fillBackground(QImage &out, const QRect &area, const QRect &tile, const SampleHistory &history);
    void drawBars(QImage &out, const QRect &area, const QRect &tile, const SampleHistory &history);
    void drawMarkers(QImage &out, const QRect &area, const QRect &tile) const;

    std::vector<QRgb> m_pixels;
    QImage m_image;  // a view of m_pixels
    std::vector<QRgb> m_rowColours;
    std::vector<bool> m_gridRows;
    std::vector<Trace> m_traces;
    std::vector<const Trace *> m_inArea;  // the traces whose band the rendered area meets
    std::vector<qint64> m_markerColumns;
    QRgb m_markerColour = 0;
    QRgb m_gridColour = 0;
    quint64 m_gridNum = 0;
    quint64 m_gridDen = 1;
    QRect m_plot;
    qint64 m_rightColumn = 0;

    // Per screen column: the extremes of all channels (minima, then maxima), gathered
    // once per generation however many rectangles of one paint need them.
    std::vector<float> m_columns;
    std::vector<quint32> m_columnGeneration;
    std::vector<unsigned char> m_columnHasData;
    unsigned m_columnStride = 0;
    quint32 m_generation = 1;
};

#include "chartraster.h"

#include "samplehistory.h"

#include <algorithm>

namespace {
// Division rounding towards +infinity, also for negative numerators.
qint64 ceilDiv(qint64 a, qint64 b)
{
    return a >= 0 ? (a + b - 1) / b : -((-a) / b);
}

// Screen row of normalised value n in a band of height h starting at top; the bar
// stays two rows clear of the band's edges.
inline int traceRow(float n, int top, int h)
{
    float offset = (n - 1.0f) * (-float(h) / 2.0f);
    if (!(offset > -1e6f))  // also catches NaN
        offset = -1e6f;
    else if (offset > 1e6f)
        offset = 1e6f;
    return std::clamp(top + int(offset), top + 2, std::max(top + 2, top + h - 2));
}

// First frame of column j: ceil(j * window / width), continued before the first column.
qint64 firstFrame(qint64 column, const SampleHistory &history)
{
    return ceilDiv(column * qint64(history.windowLength()), qint64(std::max(history.graphWidth(), 1u)));
}
}

void ChartRaster::setRows(std::vector<QRgb> colours, std::vector<bool> gridCrosses)
{
    m_rowColours = std::move(colours);
    m_gridRows = std::move(gridCrosses);
}

void ChartRaster::setGrid(QRgb colour, quint64 numerator, quint64 denominator)
{
    m_gridColour = colour;
    m_gridNum = numerator;
    m_gridDen = std::max<quint64>(denominator, 1);
}

void ChartRaster::setPlot(const QRect &plot, qint64 rightColumn)
{
    if (plot.width() != m_plot.width())
        invalidate();
    m_plot = plot;
    m_rightColumn = rightColumn;
}

void ChartRaster::setMarkers(std::vector<qint64> columns, QRgb colour)
{
    m_markerColumns = std::move(columns);
    m_markerColour = colour;
}

qint64 ChartRaster::gridIndexAt(qint64 column, const SampleHistory &history) const
{
    if (m_gridNum == 0)
        return NoGrid;
    const qint64 num = qint64(m_gridNum);
    const qint64 den = qint64(m_gridDen);
    const qint64 begin = firstFrame(column, history);
    const qint64 end = firstFrame(column + 1, history);
    const qint64 m = ceilDiv(begin * den, num);
    return m >= 0 && m * num < end * den ? m : NoGrid;
}

const float *ChartRaster::columnData(int x, const SampleHistory &history)
{
    const unsigned channels = history.channelsPerRow();
    const std::size_t width = std::size_t(std::max(m_plot.width(), 0));
    if (m_columnStride != 2 * channels || m_columnGeneration.size() != width) {
        m_columnStride = 2 * channels;
        m_columns.assign(width * m_columnStride, 0.0f);
        m_columnGeneration.assign(width, 0);
        m_columnHasData.assign(width, 0);
    }
    const int i = x - m_plot.left();
    if (i < 0 || std::size_t(i) >= width || channels == 0)
        return nullptr;
    float *data = m_columns.data() + std::size_t(i) * m_columnStride;
    if (m_columnGeneration[std::size_t(i)] != m_generation) {
        m_columnGeneration[std::size_t(i)] = m_generation;
        const qint64 column = columnAt(x);
        m_columnHasData[std::size_t(i)] =
            column >= 0 && history.columnExtremes(quint64(column), data, data + channels);
    }
    return m_columnHasData[std::size_t(i)] ? data : nullptr;
}

// Column by column in narrow tiles: the rows of a tile stay in the cache while all
// its bars are drawn, however tall the picture.
const QImage &ChartRaster::render(const QRect &area, const SampleHistory &history)
{
    if (area.isEmpty()) {
        m_image = QImage();
        return m_image;
    }
    const std::size_t size = std::size_t(area.width()) * std::size_t(area.height());
    if (m_pixels.size() < size)
        m_pixels.resize(size);
    if (m_image.size() != area.size() || m_image.constBits() != reinterpret_cast<const uchar *>(m_pixels.data()))
        m_image = QImage(reinterpret_cast<uchar *>(m_pixels.data()), area.width(), area.height(),
                         area.width() * int(sizeof(QRgb)), QImage::Format_RGB32);
    QImage &out = m_image;
    const unsigned channels = history.channelsPerRow();
    m_inArea.clear();
    for (const Trace &t : m_traces)
        if (t.channel < channels && t.top <= area.bottom() && t.top + t.height > area.top())
            m_inArea.push_back(&t);
    constexpr int Tile = 16;
    for (int x = area.left(); x <= area.right(); x += Tile) {
        const QRect tile(x, area.top(), std::min(Tile, area.right() + 1 - x), area.height());
        fillBackground(out, area, tile, history);
        drawBars(out, area, tile, history);
        drawMarkers(out, area, tile);
    }
    return out;
}

void ChartRaster::fillBackground(QImage &out, const QRect &area, const QRect &tile, const SampleHistory &history)
{
    const int w = tile.width();
    const qsizetype stride = out.bytesPerLine() / qsizetype(sizeof(QRgb));
    QRgb *first = reinterpret_cast<QRgb *>(out.bits()) + (tile.left() - area.left());
    QRgb *line = first;
    for (int y = area.top(); y <= area.bottom(); ++y, line += stride) {
        const QRgb c = std::size_t(y) < m_rowColours.size() ? m_rowColours[std::size_t(y)] : qRgb(255, 255, 255);
        std::fill(line, line + w, c);
    }
    for (int x = tile.left(); x <= tile.right(); ++x) {
        if (gridIndexAt(columnAt(x), history) == NoGrid)
            continue;
        QRgb *p = first + (x - tile.left());
        for (int y = area.top(); y <= area.bottom(); ++y, p += stride)
            if (std::size_t(y) >= m_gridRows.size() || m_gridRows[std::size_t(y)])
                *p = m_gridColour;
    }
}

// Later traces are drawn over earlier ones, as the channel order dictates.
void ChartRaster::drawBars(QImage &out, const QRect &area, const QRect &tile, const SampleHistory &history)
{
    const unsigned channels = history.channelsPerRow();
    const qsizetype stride = out.bytesPerLine() / qsizetype(sizeof(QRgb));
    QRgb *bits = reinterpret_cast<QRgb *>(out.bits());
    for (int x = tile.left(); x <= tile.right(); ++x) {
        const float *data = m_inArea.empty() ? nullptr : columnData(x, history);
        if (!data)
            continue;
        QRgb *column = bits + (x - area.left());
        for (const Trace *trace : m_inArea) {
            const Trace &t = *trace;
            const int a = traceRow(data[channels + t.channel] * t.scale + t.offset, t.top, t.height);
            const int b = traceRow(data[t.channel] * t.scale + t.offset, t.top, t.height);
            const int y0 = std::max(std::min(a, b), area.top());
            const int y1 = std::min(std::max(a, b), area.bottom());
            const QRgb c = t.colour;
            QRgb *p = column + qsizetype(y0 - area.top()) * stride;
            for (int y = y0; y <= y1; ++y, p += stride)
                *p = c;
        }
    }
}

// The dashes sit at fixed widget rows, so a line repainted in parts looks the same.
void ChartRaster::drawMarkers(QImage &out, const QRect &area, const QRect &tile) const
{
    const qsizetype stride = out.bytesPerLine() / qsizetype(sizeof(QRgb));
    QRgb *bits = reinterpret_cast<QRgb *>(out.bits());
    for (qint64 column : m_markerColumns) {
        const qint64 x = column - m_rightColumn + m_plot.width() + m_plot.left();
        if (x < tile.left() || x > tile.right())
            continue;
        QRgb *p = bits + (x - area.left());
        for (int y = area.top(); y <= area.bottom(); ++y, p += stride)
            if (y % 6 < 4)
                *p = m_markerColour;
    }
}

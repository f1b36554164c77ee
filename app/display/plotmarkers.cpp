#include "plotmarkers.h"

#include "chartraster.h"
#include "samplehistory.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {
constexpr int Padding = 3;
// Labels of markers set close together would cover each other; every other one sits
// one line lower.
constexpr int Rows = 2;
}

void PlotMarkers::add(quint64 frame, const QString &label)
{
    m_markers.push_back({frame, label});
    // A marker set in the past (a late signal) still keeps the list ordered.
    std::stable_sort(m_markers.begin(), m_markers.end(),
                     [](const Marker &a, const Marker &b) { return a.frame < b.frame; });
}

void PlotMarkers::forgetBefore(quint64 frame)
{
    const auto kept = std::find_if(m_markers.begin(), m_markers.end(),
                                   [frame](const Marker &m) { return m.frame >= frame; });
    m_markers.erase(m_markers.begin(), kept);
}

std::vector<qint64> PlotMarkers::columns(const SampleHistory &history) const
{
    std::vector<qint64> result;
    result.reserve(m_markers.size());
    for (const Marker &m : m_markers)
        result.push_back(qint64(history.columnOfFrame(m.frame)));
    return result;
}

QRect PlotMarkers::labelRect(int i, const ChartRaster &raster, const SampleHistory &history, const QFont &font) const
{
    if (i < 0 || std::size_t(i) >= m_markers.size() || m_markers[std::size_t(i)].label.isEmpty())
        return QRect();
    const QFontMetrics fm(font);
    const qint64 x = raster.xOfColumn(qint64(history.columnOfFrame(m_markers[std::size_t(i)].frame)));
    const QRect plot = raster.plot();
    // A label far outside the chart is not placed (and its coordinates could overflow).
    if (x < plot.left() - plot.width() || x > plot.right())
        return QRect();
    const int height = fm.height() + 2;
    const int top = plot.top() + 2 + (i % Rows) * (height + 2);
    return QRect(int(x) + 2, top, fm.horizontalAdvance(m_markers[std::size_t(i)].label) + 2 * Padding, height);
}

void PlotMarkers::paintLabels(QPainter &p, const QRegion &region, const ChartRaster &raster,
                              const SampleHistory &history, const QFont &font) const
{
    p.setFont(font);
    for (int i = 0; std::size_t(i) < m_markers.size(); ++i) {
        const QRect r = labelRect(i, raster, history, font);
        if (r.isEmpty() || !region.intersects(r))
            continue;
        p.fillRect(r, Qt::white);
        p.setPen(QColor::fromRgb(Colour));
        p.drawRect(r.adjusted(0, 0, -1, -1));
        p.drawText(r.adjusted(Padding, 1, -Padding, -1), Qt::AlignLeft | Qt::AlignVCenter,
                   m_markers[std::size_t(i)].label);
    }
}

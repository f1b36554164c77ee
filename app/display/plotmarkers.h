#pragma once

#include <QFont>
#include <QRect>
#include <QRegion>
#include <QRgb>
#include <QString>
#include <QtGlobal>

#include <vector>

class ChartRaster;
class QPainter;
class SampleHistory;

// Events the user marked while the data came in: a dashed vertical line through the
// chart at the column of the marked frame, and its label in a box right of the line's
// top. Lines and labels belong to the data: they scroll with it and are painted from
// the frame numbers alone, like every other part of the picture.
class PlotMarkers
{
public:
    static constexpr QRgb Colour = 0xffc8009f;   // a magenta no channel uses

    struct Marker
    {
        quint64 frame = 0;   // counted as the sample history counts its frames
        QString label;
    };

    void add(quint64 frame, const QString &label);
    void clear() { m_markers.clear(); }
    // Forgets the markers set before `frame`: they cannot reach the chart any more.
    void forgetBefore(quint64 frame);
    const std::vector<Marker> &markers() const { return m_markers; }

    // The column of every marker, for the raster to draw the lines.
    std::vector<qint64> columns(const SampleHistory &history) const;
    // Where marker i's label goes; `raster` places the columns on the screen.
    QRect labelRect(int i, const ChartRaster &raster, const SampleHistory &history, const QFont &font) const;
    // Paints every label that meets `region`, whole (clipped by the painter's clip).
    void paintLabels(QPainter &p, const QRegion &region, const ChartRaster &raster, const SampleHistory &history,
                     const QFont &font) const;

private:
    std::vector<Marker> m_markers;
};

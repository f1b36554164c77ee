#include "bandlegends.h"

#include "plotlayout.h"

#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {
const QColor legendGray(240, 240, 240);
const QColor legendBorder(200, 200, 200);
constexpr int Swatch = 14;  // width of a channel's colour sample
constexpr int Gap = 4;
}

void BandLegends::rebuild(const std::vector<BandLegend> &legends, const QFont &font)
{
    m_font = font;
    m_images.clear();
    for (const BandLegend &legend : legends)
        m_images.push_back(render(legend));
}

QImage BandLegends::render(const BandLegend &legend) const
{
    const QFontMetrics fm(m_font);
    const bool named = legend.names.size() == legend.colours.size() && legend.colours.size() > 1;
    const bool leadingSwatch = !named && legend.colours.size() == 1;
    int width = Gap + fm.horizontalAdvance(legend.title) + Gap;
    if (leadingSwatch)
        width += Swatch + Gap;
    if (named)
        for (const QString &name : legend.names)
            width += Gap + Swatch + Gap / 2 + fm.horizontalAdvance(name);
    QImage image(width, fm.height() + 4, QImage::Format_RGB32);
    image.fill(legendGray);
    QPainter p(&image);
    p.setPen(legendBorder);
    p.drawRect(image.rect().adjusted(0, 0, -1, -1));
    p.setFont(m_font);
    const int baseline = 2 + fm.ascent();
    const int middle = image.height() / 2;
    int x = Gap;
    auto swatch = [&p, &x, middle](const QColor &colour) {
        p.fillRect(QRect(x, middle - 1, Swatch, 3), colour);
        x += Swatch;
    };
    if (leadingSwatch) {
        swatch(legend.colours.front());
        x += Gap;
    }
    p.setPen(Qt::black);
    p.drawText(x, baseline, legend.title);
    x += fm.horizontalAdvance(legend.title);
    for (std::size_t i = 0; named && i < legend.names.size(); ++i) {
        x += Gap;
        swatch(legend.colours[i]);
        x += Gap / 2;
        p.setPen(Qt::black);
        p.drawText(x, baseline, legend.names[i]);
        x += fm.horizontalAdvance(legend.names[i]);
    }
    return image;
}

QRect BandLegends::rect(int band, const PlotLayout &layout, int shownGraph) const
{
    if (band < 0 || std::size_t(band) >= m_images.size() || (layout.single() && band != shownGraph))
        return QRect();
    // Cut to its band, which may be lower than the legend.
    const QRect bandRect(layout.plot().left(), layout.bandTop(band), layout.plot().width(), layout.bandHeight() - 1);
    const QPoint at(bandRect.left() + 2, bandRect.top() + 2);
    return QRect(at, m_images[std::size_t(band)].size()) & bandRect & layout.plot();
}

QRegion BandLegends::region(const PlotLayout &layout, int shownGraph) const
{
    QRegion region;
    for (int i = 0; std::size_t(i) < m_images.size(); ++i)
        region += rect(i, layout, shownGraph);
    return region;
}

void BandLegends::paint(QPainter &painter, const QRegion &dirty, const PlotLayout &layout, int shownGraph) const
{
    for (int i = 0; std::size_t(i) < m_images.size(); ++i) {
        const QRect r = rect(i, layout, shownGraph);
        if (!r.isEmpty() && dirty.intersects(r))
            painter.drawImage(r.topLeft(), m_images[std::size_t(i)], QRect(QPoint(0, 0), r.size()));
    }
}

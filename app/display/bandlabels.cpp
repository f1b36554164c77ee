#include "bandlabels.h"

#include "plotlayout.h"

#include <QCoreApplication>
#include <QFontMetrics>
#include <QPainter>

#include <algorithm>

namespace {
const QColor labelGray(240, 240, 240);
}

void BandLabels::clear()
{
    m_band.clear();
    m_single.clear();
}

void BandLabels::rebuild(const QList<GraphConf> &graphs, const QFont &font, int fontPixels)
{
    m_font = font;
    m_fontPixels = fontPixels;
    clear();
    for (const GraphConf &g : graphs) {
        m_band.push_back(render(g, false));
        m_single.push_back(render(g, true));
    }
}

QString BandLabels::text(const GraphConf &g)
{
    if (!g.isImu)
        return g.name;
    if (g.displayAcc)
        return g.name + QCoreApplication::translate("RenderArea", " : Acc");
    return g.name + (g.displayEuler ? QCoreApplication::translate("RenderArea", " : Euler")
                                    : QCoreApplication::translate("RenderArea", " : Gyro"));
}

// Wide enough for whatever text it holds, so no letter reaches into the scrolling data.
int BandLabels::boxWidth(const GraphConf &g, const QString &text) const
{
    const QFontMetrics fm(m_font);
    const int box = text.length() * m_fontPixels * 3 / 4 + (g.isImu ? 65 : 0);
    int reach = 8 + fm.horizontalAdvance(text);
    if (g.isImu) {
        const QString last = g.eulerActive ? QStringLiteral("-stepErr") : QStringLiteral("-Z");
        reach = std::max(reach, fm.boundingRect(text).width() + 6 * m_fontPixels + fm.horizontalAdvance(last));
    }
    return std::max(box, reach + 2);
}

QImage BandLabels::render(const GraphConf &g, bool single) const
{
    const int B = m_fontPixels;
    const QString label = text(g);
    QImage image(std::max(1, boxWidth(g, label)), B + 4, QImage::Format_RGB32);
    image.fill(labelGray);
    QPainter p(&image);
    p.setFont(m_font);
    p.setPen(Qt::black);
    // The box starts 4 rows below the band's top; the baseline sits at top + 2 + B.
    p.drawText(single ? 4 : 8, B - 2, label);
    if (single || !g.isImu)
        return image;
    const int w = QFontMetrics(m_font).boundingRect(label).width();
    const int s = 2 * B;
    const QColor colours[3] = {Qt::blue, Qt::green, Qt::red};
    const QString axes[3] = {QStringLiteral("-X"), QStringLiteral("-Y"), QStringLiteral("-Z")};
    const QString angles[3] = {QStringLiteral("-\u03A8"), QStringLiteral("-\u0398"), QStringLiteral("-stepErr")};
    for (int a = 0; a < 3; ++a) {
        p.setPen(colours[a]);
        p.drawText(w + (a + 1) * s, B - 2, g.eulerActive ? angles[a] : axes[a]);
    }
    return image;
}

QRect BandLabels::rect(int band, const PlotLayout &layout, int shownGraph) const
{
    if (layout.single()) {
        if (band != shownGraph || band > 23 || std::size_t(band) >= m_single.size())
            return QRect();
        return QRect(QPoint(layout.plot().left(), layout.plot().top() + 4), m_single[std::size_t(band)].size());
    }
    if (band < 0 || std::size_t(band) >= m_band.size())
        return QRect();
    return QRect(QPoint(layout.plot().left(), layout.bandTop(band) + 4), m_band[std::size_t(band)].size());
}

QRegion BandLabels::region(const PlotLayout &layout, int shownGraph) const
{
    QRegion region;
    for (int i = 0; std::size_t(i) < m_band.size(); ++i)
        region += rect(i, layout, shownGraph) & layout.plot();
    return region;
}

void BandLabels::paint(QPainter &painter, const QRegion &dirty, const PlotLayout &layout, int shownGraph) const
{
    for (int i = 0; std::size_t(i) < m_band.size(); ++i) {
        const QRect r = rect(i, layout, shownGraph);
        if (r.isEmpty() || !dirty.intersects(r))
            continue;
        painter.drawImage(r.topLeft(), layout.single() ? m_single[std::size_t(i)] : m_band[std::size_t(i)]);
    }
}

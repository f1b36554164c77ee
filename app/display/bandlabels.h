#pragma once

#include "graphconf.h"

#include <QFont>
#include <QImage>
#include <QList>
#include <QRegion>

#include <vector>

class PlotLayout;
class QPainter;

// The label box in the top-left corner of every band, rendered once per graph list
// and font and then only copied: the boxes stay put while the data scrolls beneath
// them, so they are drawn again after every scroll.
class BandLabels
{
public:
    void rebuild(const QList<GraphConf> &graphs, const QFont &font, int fontPixels);
    void clear();

    // Where the label of band i sits; empty when it is not shown.
    QRect rect(int band, const PlotLayout &layout, int shownGraph) const;
    QRegion region(const PlotLayout &layout, int shownGraph) const;
    void paint(QPainter &painter, const QRegion &dirty, const PlotLayout &layout, int shownGraph) const;

    static QString text(const GraphConf &g);

private:
    QImage render(const GraphConf &g, bool single) const;
    int boxWidth(const GraphConf &g, const QString &text) const;

    QFont m_font;
    int m_fontPixels = 0;
    std::vector<QImage> m_band;    // label of each band when all bands are shown
    std::vector<QImage> m_single;  // label of each graph when it is shown alone
};

#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QRegion>
#include <QString>

#include <vector>

class PlotLayout;
class QPainter;

// What the legend of one band says: its title (graph name, what it shows, unit) and
// one colour swatch per visible channel, with the channel's name. A band of one
// channel names it in the title, after its swatch.
struct BandLegend
{
    QString title;
    std::vector<QColor> colours;
    std::vector<QString> names;
};

// The legend box in the top-left corner of every band, rendered once per graph list
// and font and then only copied: the boxes stay put while the data scrolls beneath
// them, so they are drawn again after every scroll.
class BandLegends
{
public:
    void rebuild(const std::vector<BandLegend> &legends, const QFont &font);
    void clear() { m_images.clear(); }

    // Where the legend of band i sits; empty when it is not shown.
    QRect rect(int band, const PlotLayout &layout, int shownGraph) const;
    QRegion region(const PlotLayout &layout, int shownGraph) const;
    void paint(QPainter &painter, const QRegion &dirty, const PlotLayout &layout, int shownGraph) const;

private:
    QImage render(const BandLegend &legend) const;

    QFont m_font;
    std::vector<QImage> m_images;
};

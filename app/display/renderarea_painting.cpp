// RenderArea: the picture. Everything here paints any requested region from the
// sample history, the graphs and the layout alone, so that Qt can scroll the picture
// on screen and ask only for what a scroll exposed.
#include "renderarea.h"

#include <QDebug>
#include <QFontMetrics>
#include <QPaintEvent>
#include <QPainter>

#include <algorithm>

namespace {
const QRgb gridGray = qRgb(230, 230, 230);
const QColor bandWhite(255, 255, 255);
const QColor bandYellow(255, 255, 193);
const QColor axisText(60, 60, 60);
constexpr int TickLength = 3;
}

void RenderArea::arrangeLayout()
{
    plotLayout.arrange(size(), graphList.size(), doShowOne, gutterWidth, axisHeight);
    const int w = plotLayout.plot().width();
    if (unsigned(w) != hist.graphWidth())
        adoptGraphWidth(w);
}

bool RenderArea::pictureIsCurrent() const
{
    return paintedSize == size() && paintedSingle == doShowOne && paintedGraphs == graphList.size()
        && !fullRedrawRequested && !labelsDirty;
}

// Called once per acquisition tick: moves the picture on screen left by the columns
// completed since, and leaves Qt to ask for the strip that came free at the right.
void RenderArea::scrollToNewColumns()
{
    if (!isVisible() || graphList.isEmpty())
        return;
    if (!pictureIsCurrent()) {
        update();
        return;
    }
    const quint64 done = hist.completedColumns();
    if (done == shownColumns)
        return;
    const QRect scrolled = plotLayout.scrolled();
    if (done < shownColumns || done - shownColumns >= quint64(scrolled.width())) {
        update();
        return;
    }
    const int dx = int(done - shownColumns);
    shownColumns = done;
    scroll(-dx, 0, scrolled);
    // The legends stay where they are: they are drawn again, and so is the data where
    // the scroll left a copy of them.
    QRegion moved;
    for (const QRect &r : legends.region(plotLayout, showOneIndex))
        moved += r.adjusted(-dx, 0, 0, 0) & scrolled;
    update(moved);
}

// Whenever the picture on screen does not match the data and geometry (first paint,
// resize, new graphs or scales, rows that arrived without a scroll), this paint adopts
// the current state and everything is painted again.
void RenderArea::preparePicture(const QRect &exposed)
{
    if (doShowOne != lastDoShowOne) {
        lastDoShowOne = doShowOne;
        qDebug() << "doShowOne is now " << (doShowOne ? "true" : "false");
    }
    const bool arranged = pictureIsCurrent();
    if (arranged && hist.completedColumns() == shownColumns)
        return;
    if (!arranged)
        rearrange();
    shownColumns = hist.completedColumns();
    if (!exposed.contains(rect()))
        update();
}

void RenderArea::rearrange()
{
    qDebug() << "############################################ resize";
    fullRedrawRequested = false;
    labelsDirty = false;
    timeAxis.configure(frameRate, hist.windowLength(), doShowOne ? 0 : hist.gridDivisions());
    measureMargins();
    arrangeLayout();
    std::vector<BandLegend> all;
    for (int g = 0; g < graphList.size(); ++g)
        all.push_back(legendOf(g));
    legends.rebuild(all, bandFont);
    raster.setRows(plotLayout.rowColours(), plotLayout.gridRows());
    raster.setGrid(gridGray, timeAxis.numerator(), timeAxis.denominator());
    // Labels would run into each other when the lines are closer than a label is wide.
    const double lineSpacing = timeAxis.numerator() == 0 ? 0.0
        : double(timeAxis.numerator()) / timeAxis.denominator() * plotLayout.plot().width() / hist.windowLength();
    axisLabelsFit = timeAxis.hasSeconds() && lineSpacing >= 2 * axisLabelWidth + 4;
    paintedSize = size();
    paintedSingle = doShowOne;
    paintedGraphs = graphList.size();
}

// The axis takes one line of text under its ticks. Scales and legends use a font small
// enough for two lines in a band (down to a readable minimum); the gutter fits the
// widest scale text.
void RenderArea::measureMargins()
{
    const QFontMetrics fm(font());
    axisHeight = 1 + TickLength + fm.height() + 1;
    axisLabelWidth = fm.horizontalAdvance(timeAxis.label(99999)) / 2 + 2;
    const int bands = doShowOne ? 1 : std::max(1, int(graphList.size()));
    const int bandHeight = (height() - axisHeight) / bands;
    bandFont = font();
    for (int pixels = fontPixels; pixels > 8 && 2 * QFontMetrics(bandFont).height() + 3 > bandHeight; --pixels)
        bandFont.setPixelSize(pixels - 1);
    const QFontMetrics band(bandFont);
    int widest = 0;
    for (int g = 0; g < graphList.size(); ++g)
        widest = std::max({widest, band.horizontalAdvance(scaleText(g, true)), band.horizontalAdvance(scaleText(g, false))});
    gutterWidth = widest + 10;
}

void RenderArea::updateTraces()
{
    std::vector<ChartRaster::Trace> traces;
    const unsigned channels = std::min(totalChannels, hist.channelsPerRow());
    const int h = plotLayout.bandHeight();
    for (unsigned k = 0; k < channels; ++k) {
        const int g = chGraph[k];
        if (!chVisible[k] || g >= graphList.size() || (doShowOne && g != showOneIndex))
            continue;
        ChartRaster::Trace t;
        t.channel = k;
        t.top = plotLayout.bandTop(g);
        t.height = h;
        t.colour = chColour[k].rgb();
        t.scale = chYScale[k];
        t.offset = chYOffset[k];
        traces.push_back(t);
    }
    raster.setTraces(std::move(traces));
}

void RenderArea::paintEvent(QPaintEvent *event)
{
    QPainter p(this);
    if (graphList.isEmpty() || width() < 2 || height() < 2) {
        paintLogo(p, event->region());
        return;
    }
    guardShowOne();
    preparePicture(event->rect());
    updateTraces();
    raster.invalidate();
    raster.setPlot(plotLayout.plot(), qint64(shownColumns));
    raster.setMarkers(marks.columns(hist), PlotMarkers::Colour);
    const QRegion data = event->region() - legends.region(plotLayout, showOneIndex);
    paintData(p, data);
    paintMarkerLabels(p, data & plotLayout.plot());
    paintAxis(p, event->region() & plotLayout.axis());
    paintGutter(p, event->region() & plotLayout.gutter());
    legends.paint(p, event->region(), plotLayout, showOneIndex);
    hist.clearNewColumns();
}

void RenderArea::paintLogo(QPainter &p, const QRegion &region)
{
    for (const QRect &r : region)
        p.fillRect(r, palette().brush(backgroundRole()));
    if (graphList.isEmpty())
        p.drawImage(std::max(0, width() / 2 - logo.width() / 2), std::max(0, height() / 2 - logo.height() / 2), logo);
}

// A region mostly made of one block (a whole repaint less the legends) is rendered in
// one piece and clipped; a scattered one rectangle by rectangle.
void RenderArea::paintData(QPainter &p, const QRegion &region)
{
    const QRegion data = region & plotLayout.plot();
    const QRect bounds = data.boundingRect();
    qint64 area = 0;
    for (const QRect &r : data)
        area += qint64(r.width()) * r.height();
    if (area * 2 > qint64(bounds.width()) * bounds.height()) {
        const QImage &image = raster.render(bounds, hist);
        p.save();
        p.setClipRegion(data, Qt::IntersectClip);
        p.drawImage(bounds.topLeft(), image);
        p.restore();
        return;
    }
    for (const QRect &r : data) {
        p.drawImage(r.topLeft(), raster.render(r, hist));
    }
}

void RenderArea::paintMarkerLabels(QPainter &p, const QRegion &region)
{
    if (marks.markers().empty() || region.isEmpty())
        return;
    p.save();
    p.setClipRegion(region);
    marks.paintLabels(p, region, raster, hist, bandFont);
    p.restore();
}

// The axis line, a tick at every grid line and its time centred under it. The labels
// belong to the data columns and scroll with them; a label is drawn whole wherever any
// part of it is exposed, also for a line that is still right of the newest column.
void RenderArea::paintAxis(QPainter &p, const QRegion &region)
{
    if (region.isEmpty())
        return;
    const QRect axis = plotLayout.axis();
    const QRect bounds = region.boundingRect();
    p.fillRect(bounds, Qt::white);
    p.fillRect(QRect(bounds.left(), axis.top(), bounds.width(), 1), Qt::black);
    p.setFont(font());
    p.setPen(axisText);
    const QFontMetrics fm(font());
    const int reach = axisLabelsFit ? axisLabelWidth : 0;
    for (int x = bounds.left() - reach; x <= bounds.right() + reach; ++x) {
        const qint64 m = raster.gridIndexAt(raster.columnAt(x), hist);
        if (m == ChartRaster::NoGrid)
            continue;
        if (x <= axis.right())
            p.fillRect(QRect(x, axis.top() + 1, 1, TickLength), Qt::black);
        if (axisLabelsFit)
            p.drawText(QRect(x - axisLabelWidth, axis.top() + 1 + TickLength, 2 * axisLabelWidth + 1, fm.height()),
                       Qt::AlignHCenter | Qt::AlignTop, timeAxis.label(m));
    }
}

// Band colours continue into the gutter, so that every scale sits beside its band:
// the top of the band's range at its top, the bottom at its bottom, where room allows.
void RenderArea::paintGutter(QPainter &p, const QRegion &region)
{
    if (region.isEmpty())
        return;
    const QRect gutter = plotLayout.gutter();
    const int right = gutter.right() - 1;  // the last column is the black edge
    p.fillRect(gutter, Qt::white);
    p.fillRect(QRect(gutter.right(), 0, 1, gutter.height()), Qt::black);
    if (!plotLayout.axis().isEmpty())
        p.fillRect(QRect(0, plotLayout.axis().top(), gutter.width(), 1), Qt::black);
    const QFontMetrics fm(bandFont);
    const int h = plotLayout.bandHeight();
    p.setFont(bandFont);
    for (int g = 0; g < graphList.size(); ++g) {
        if (doShowOne && g != showOneIndex)
            continue;
        const int top = plotLayout.bandTop(g);
        p.fillRect(QRect(0, top, right + 1, h), !doShowOne && g % 2 ? bandYellow : bandWhite);
        if (!doShowOne && top > 0)
            p.fillRect(QRect(0, top, right + 1, 1), Qt::black);  // the separator above
        p.setPen(Qt::black);
        const QRect text(2, top + 1, right - 5, h - 2);
        if (h >= fm.height() + 2)
            p.drawText(text, Qt::AlignRight | Qt::AlignTop, scaleText(g, true));
        if (h >= 2 * fm.height() + 3)
            p.drawText(text, Qt::AlignRight | Qt::AlignBottom, scaleText(g, false));
    }
    const int below = plotLayout.bandTop(graphList.size());
    if (!doShowOne && below < plotLayout.plot().bottom())
        p.fillRect(QRect(0, below, right + 1, 1), Qt::black);
}

#include "renderarea.h"

#include "graphicsdialog.h"

#include <QDebug>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {
const QRgb gridGray = qRgb(230, 230, 230);
}

RenderArea::RenderArea(QWidget *parent, QSize logoArea)
    : QWidget(parent)
{
    setBackgroundRole(QPalette::Base);
    // Every paint covers all of its region: no background fill is needed first, and Qt
    // may move the picture in place when the chart scrolls.
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The widget font is usually given in points; the label geometry needs pixels.
    fontPixels = QFontInfo(font()).pixelSize();
    const QImage image(QStringLiteral(":/images/edit-find-7.png"));
    if (!image.isNull())
        logo = image.scaled(logoArea.width() * 7 / 10, logoArea.height() * 7 / 10,
                            Qt::KeepAspectRatio, Qt::FastTransformation);
    for (int ch = 0; ch < MaxChannels; ++ch)
        setChannelRange(ch, -1.0f, 1.0f);
}

QSize RenderArea::sizeHint() const
{
    return QSize(400, 600);
}

QSize RenderArea::minimumSizeHint() const
{
    return QSize(100, 100);
}

// Maps lo onto -1 and hi onto +1. A flat range is widened first; the widening must
// survive float rounding, or the scale would become infinite.
void RenderArea::setChannelRange(int ch, float lo, float hi)
{
    if (lo == hi) {
        const float v = lo;
        lo = v - 1e-12f;
        hi = v + 1e-12f;
        if (lo == hi) {
            lo = std::nextafter(v, -INFINITY);
            hi = std::nextafter(v, INFINITY);
        }
    }
    chYMin[ch] = lo;
    chYMax[ch] = hi;
    chYScale[ch] = 2.0f / (hi - lo);
    chYOffset[ch] = 1.0f - 2.0f * hi / (hi - lo);
}

void RenderArea::clearGraphs()
{
    graphList.clear();
    eulerFlags.clear();
    nextId = 0;
    nextImuIndex = 0;
    channelsInitialised = 0;
    labelsDirty = true;
    guardShowOne();
}

bool RenderArea::addGraph(unsigned int nchan, const QString &name, bool isImu, bool displayAcc)
{
    if (graphList.size() >= MaxGraphs)
        return false;
    graphNames[graphList.size()] = name;
    for (unsigned k = 0; k < nchan && channelsInitialised < MaxChannels; ++k)
        setChannelRange(channelsInitialised++, -1.0f, 1.0f);
    GraphConf g;
    g.id = nextId++;
    g.nchan = nchan;
    g.name = name;
    g.isImu = isImu;
    g.displayAcc = displayAcc;
    if (isImu) {
        eulerFlags.append(false);
        g.imuIndex = nextImuIndex++;
    }
    graphList.append(g);
    labelsDirty = true;
    return true;
}

void RenderArea::assignChannelStyles()
{
    static const Qt::GlobalColor plain[6] = {Qt::blue, Qt::green, Qt::red, Qt::darkGray, Qt::yellow, Qt::cyan};
    static const Qt::GlobalColor imu[6] = {Qt::blue, Qt::green, Qt::red, Qt::blue, Qt::green, Qt::red};
    unsigned k = 0;
    for (int g = 0; g < graphList.size(); ++g) {
        const GraphConf &conf = graphList[g];
        for (unsigned j = 0; j < conf.nchan; ++j, ++k) {
            if (k >= unsigned(MaxChannels))
                continue;
            chGraph[k] = g;
            if (j >= 6) {
                chColour[k] = Qt::blue;
                chVisible[k] = false;
            } else if (conf.isImu) {
                const bool shown = conf.displayAcc ? j < 3 : j >= 3;
                chColour[k] = shown ? imu[j] : Qt::blue;
                chVisible[k] = shown;
            } else {
                chColour[k] = plain[j];
                chVisible[k] = true;
            }
        }
    }
    totalChannels = k;
}

bool RenderArea::setConfigValid(unsigned windowLength, unsigned gridDivisions, bool keepData)
{
    assignChannelStyles();
    labelsDirty = true;
    guardShowOne();
    if (totalChannels > unsigned(MaxChannels)) {
        qDebug() << "fatal error in setConfigValid()";
        return false;
    }
    qDebug() << "renderarea::setconfigvalid(): initialize with " << totalChannels;
    if (keepData)
        return true;
    hist.initialise(windowLength, gridDivisions, totalChannels);
    return true;
}

void RenderArea::adoptGraphWidth(int w)
{
    hist.setGraphWidth(unsigned(w));
    qDebug("renderarea: new width of grafic=%d", w);
}

void RenderArea::enqSamples(const float *rows, unsigned stride, unsigned count)
{
    if (size() != plotLayout.widget().size()) {
        qDebug() << "parameter changed";
        arrangeLayout();
    }
    for (unsigned r = 0; r < count; ++r)
        hist.intake(rows + size_t(r) * stride);
}

void RenderArea::rebuildColumns()
{
    hist.rebuildColumns();
}

void RenderArea::applyScales(bool fullRedraw)
{
    // A picture drawn partly at the old scale and partly at the new one would mislead.
    if (hist.autoscaleState() == 2 && followTrackedRanges())
        fullRedraw = true;
    // Sticky until painted: a later incremental request must not cancel a pending full one.
    fullRedrawRequested = fullRedrawRequested || fullRedraw;
    if (fullRedrawRequested)
        update();
    else
        scrollToNewColumns();
}

// Graphs whose options ask for autoscaling follow their tracked range; when no graph
// asks, tracking was started by the program and applies to all channels. True when a
// range changed.
bool RenderArea::followTrackedRanges()
{
    const bool anyAutoscale = std::any_of(graphList.begin(), graphList.end(),
                                          [](const GraphConf &g) { return g.autoscale; });
    bool changed = false;
    for (int ch = 0; ch < MaxChannels; ++ch) {
        const bool follows = !anyAutoscale
            || (unsigned(ch) < totalChannels && chGraph[ch] < graphList.size()
                && graphList[chGraph[ch]].autoscale);
        if (!follows)
            continue;
        const float lo = chYMin[ch];
        const float hi = chYMax[ch];
        setChannelRange(ch, hist.trackedMin(ch), hist.trackedMax(ch));
        changed = changed || lo != chYMin[ch] || hi != chYMax[ch];
    }
    return changed;
}

void RenderArea::setLogo(const QImage &image)
{
    logo = image.scaled(width() * 7 / 10, height() * 7 / 10, Qt::KeepAspectRatio, Qt::FastTransformation);
    update();
    qDebug() << "setLogo()";
}

void RenderArea::guardShowOne()
{
    if (showOneIndex < 0 || showOneIndex >= graphList.size())
        doShowOne = false;
}

int RenderArea::graphIndexAt(int y) const
{
    const int count = graphList.size();
    if (count == 0 || height() <= 0)
        return 0;
    return std::clamp(int(qint64(y) * count / height()), 0, count - 1);
}

void RenderArea::mousePressEvent(QMouseEvent *event)
{
    if (graphList.isEmpty())
        return;
    guardShowOne();
    int i = showOneIndex;
    if (!doShowOne) {
        i = graphIndexAt(qRound(event->localPos().y()));
        qDebug() << "mouse press on graph" << i;
        showOneIndex = i;
    }
    const GraphConf opened = graphList[i];
    graphicsDialog dialog(this, opened);
    // The acquisition timer keeps running while the dialog is open and may rebuild the
    // graph list; an answer about a graph that is gone is dropped.
    const bool accepted = dialog.exec() == QDialog::Accepted;
    if (accepted && i < graphList.size() && graphList[i].id == opened.id && graphList[i].name == opened.name) {
        GraphConf record = opened;
        int showOne = -1;
        dialog.getparams(record, showOne);
        applyGraphOptions(i, record, showOne);
    }
    update();
}

void RenderArea::applyGraphOptions(int i, const GraphConf &record, int showOne)
{
    if (i < 0 || i >= graphList.size())
        return;
    const GraphConf before = graphList[i];
    graphList[i] = record;
    qDebug() << "get grconf  " << i << " displayAcc = " << (record.displayAcc ? "true" : "false");
    setConfigValid(10000, 10, true);
    fullRedrawRequested = true;
    // Only an IMU graph owns an orientation flag; other graphs carry imuIndex 0 too.
    if (record.isImu && record.imuIndex >= 0 && record.imuIndex < eulerFlags.size()) {
        eulerFlags[record.imuIndex] = record.displayEuler;
        graphList[i].eulerActive = record.displayEuler;
    }
    updateAutoscaleTracking(before, graphList[i]);
    doShowOne = showOne != -1;
    if (doShowOne)
        showOneIndex = i;
    update();
}

void RenderArea::updateAutoscaleTracking(const GraphConf &before, const GraphConf &after)
{
    if (before.autoscale == after.autoscale)
        return;
    if (after.autoscale) {
        hist.setAutoscaleState(1);
        return;
    }
    for (unsigned ch = 0; ch < totalChannels && ch < unsigned(MaxChannels); ++ch)
        if (graphList.value(chGraph[ch]).id == after.id)
            setChannelRange(int(ch), -1.0f, 1.0f);
    const bool anyAutoscale = std::any_of(graphList.begin(), graphList.end(),
                                          [](const GraphConf &g) { return g.autoscale; });
    if (!anyAutoscale)
        hist.setAutoscaleState(0);
}

void RenderArea::mouseMoveEvent(QMouseEvent *)
{
}

void RenderArea::wheelEvent(QWheelEvent *event)
{
    qDebug() << "wheel " << event->angleDelta().y() << event->position();
}

void RenderArea::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::FontChange) {
        labelsDirty = true;
        update();
    }
    QWidget::changeEvent(event);
}

void RenderArea::arrangeLayout()
{
    plotLayout.arrange(size(), graphList.size(), doShowOne);
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
    const quint64 done = hist.completedColumns();
    if (!pictureIsCurrent()) {
        update();
        return;
    }
    if (done == shownColumns)
        return;
    const QRect plot = plotLayout.plot();
    if (done < shownColumns || done - shownColumns >= quint64(plot.width())) {
        update();
        return;
    }
    const int dx = int(done - shownColumns);
    shownColumns = done;
    scroll(-dx, 0, plot);
    // The boxes and the frame stay where they are: whatever the scroll moved of them
    // is drawn again.
    update(overlayRegion() + QRect(plot.right() - dx - 1, plot.top(), 2, plot.height()));
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
    arrangeLayout();
    if (labelsDirty) {
        labels.rebuild(graphList, font(), fontPixels);
        labelsDirty = false;
    }
    raster.setRowColours(plotLayout.rowColours());
    const unsigned divisions = hist.gridDivisions();
    raster.setGrid(gridGray, doShowOne || divisions == 0 ? 0 : std::max(1u, hist.windowLength() / divisions), 1);
    // The time grid is laid down as data arrives: a redrawn picture starts without one.
    raster.setGridStart(qint64(hist.completedColumns()));
    paintedSize = size();
    paintedSingle = doShowOne;
    paintedGraphs = graphList.size();
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

QRegion RenderArea::overlayRegion() const
{
    const int W = width();
    const int H = height();
    QRegion frame(0, 0, W - 1, 1);
    frame += QRect(0, H - 2, W - 1, 1);
    frame += QRect(0, 0, 1, H - 1);
    frame += QRect(W - 2, 0, 1, H - 1);
    return labels.region(plotLayout, showOneIndex) + frame;
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
    paintData(p, event->region() - overlayRegion());
    labels.paint(p, event->region(), plotLayout, showOneIndex);
    paintFrame(p);
    hist.clearNewColumns();
}

void RenderArea::paintLogo(QPainter &p, const QRegion &region)
{
    for (const QRect &r : region)
        p.fillRect(r, palette().brush(backgroundRole()));
    if (graphList.isEmpty())
        p.drawImage(std::max(0, width() / 2 - logo.width() / 2), std::max(0, height() / 2 - logo.height() / 2), logo);
}

// A region mostly made of one block (a whole repaint less the label boxes) is rendered
// in one piece and clipped; a scattered one rectangle by rectangle.
void RenderArea::paintData(QPainter &p, const QRegion &region)
{
    const QRegion data = region & plotLayout.plot();
    const QRect bounds = data.boundingRect();
    qint64 area = 0;
    for (const QRect &r : data)
        area += qint64(r.width()) * r.height();
    if (area * 2 > qint64(bounds.width()) * bounds.height()) {
        raster.render(strip, bounds, hist);
        p.save();
        p.setClipRegion(data, Qt::IntersectClip);
        p.drawImage(bounds.topLeft(), strip);
        p.restore();
        return;
    }
    for (const QRect &r : data) {
        raster.render(strip, r, hist);
        p.drawImage(r.topLeft(), strip);
    }
}

// Filled rather than stroked: a one-pixel rectangle outline costs a thousand times more.
void RenderArea::paintFrame(QPainter &p)
{
    const int W = width();
    const int H = height();
    p.fillRect(QRect(0, 0, W - 1, 1), Qt::black);
    p.fillRect(QRect(0, H - 2, W - 1, 1), Qt::black);
    p.fillRect(QRect(0, 0, 1, H - 1), Qt::black);
    p.fillRect(QRect(W - 2, 0, 1, H - 1), Qt::black);
}

#include "renderarea.h"

#include "graphicsdialog.h"

#include "config/daqconfig.h"

#include <QAction>
#include <QContextMenuEvent>
#include <QCursor>
#include <QDebug>
#include <QFontInfo>
#include <QLocale>
#include <QMenu>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace {
// Dark enough to read on both band colours; neighbouring one-channel bands differ.
const QRgb channelPalette[10] = {
    qRgb(31, 95, 191), qRgb(217, 72, 15), qRgb(43, 138, 62), qRgb(156, 54, 181), qRgb(201, 42, 42),
    qRgb(11, 114, 133), qRgb(92, 148, 13), qRgb(166, 30, 77), qRgb(54, 79, 199), qRgb(230, 119, 0),
};
// x, y and z of an IMU: red, green, blue as the axes are usually drawn.
const QRgb axisColours[3] = {qRgb(201, 42, 42), qRgb(43, 138, 62), qRgb(31, 95, 191)};

const QString degrees = QStringLiteral("\u00B0");
const QString degreesPerSecond = QStringLiteral("\u00B0/s");

QString formatScaleValue(double v)
{
    QLocale locale;
    locale.setNumberOptions(QLocale::OmitGroupSeparator);
    if (std::abs(v) >= 1000 && std::abs(v) < 1e7 && v == std::round(v))
        return locale.toString(qint64(v));
    return locale.toString(v, 'g', 4);
}
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
    describeChanged();
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

// Every channel its own colour within its band: an IMU's x, y, z in red, green, blue,
// the words of a several-channel graph from the palette in turn, and one-channel bands
// the next palette colour each. At most six channels of a graph are shown.
void RenderArea::assignChannelStyles()
{
    unsigned k = 0;
    int single = 0;
    for (int g = 0; g < graphList.size(); ++g) {
        const GraphConf &conf = graphList[g];
        const QRgb own = channelPalette[single % 10];
        if (!conf.isImu && conf.nchan == 1)
            ++single;
        for (unsigned j = 0; j < conf.nchan; ++j, ++k) {
            if (k >= unsigned(MaxChannels))
                continue;
            chGraph[k] = g;
            if (conf.isImu) {
                chColour[k] = axisColours[j % 3];
                chVisible[k] = j < 6 && (conf.displayAcc ? j < 3 : j >= 3);
            } else {
                chColour[k] = conf.nchan == 1 ? own : channelPalette[j % 10];
                chVisible[k] = j < 6;
            }
        }
    }
    totalChannels = k;
}

bool RenderArea::setConfigValid(unsigned windowLength, unsigned gridDivisions, bool keepData)
{
    assignChannelStyles();
    describeChanged();
    guardShowOne();
    if (totalChannels > unsigned(MaxChannels)) {
        qDebug() << "fatal error in setConfigValid()";
        return false;
    }
    qDebug() << "renderarea::setconfigvalid(): initialize with " << totalChannels;
    if (keepData)
        return true;
    hist.initialise(windowLength, gridDivisions, totalChannels);
    marks.clear();
    return true;
}

void RenderArea::setGraphUnit(int graph, double fullScale, const QString &unit)
{
    if (graph < 0 || graph >= graphList.size())
        return;
    graphList[graph].fullScale = fullScale;
    graphList[graph].unit = unit;
    describeChanged();
}

void RenderArea::setImuFullScales(int graph, double accFullScale, double gyroFullScale)
{
    if (graph < 0 || graph >= graphList.size() || !graphList[graph].isImu)
        return;
    graphList[graph].fullScale = accFullScale;
    graphList[graph].gyroFullScale = gyroFullScale;
    graphList[graph].unit = QStringLiteral("g");
    describeChanged();
}

void RenderArea::setFrameRate(unsigned framesPerSecond)
{
    frameRate = framesPerSecond;
    describeChanged();
}

// Display values are full scale at +-1: half the span of an ADC channel's range in
// volt, the IMU's ranges, and the raw 16-bit word of the AUX input.
void RenderArea::describeConfiguration(const daqConfig &conf)
{
    int g = 0;
    for (const adcChannel &c : conf.adc24)
        setGraphUnit(g++, (c.rangeMax - c.rangeMin) / 2, QStringLiteral("V"));
    for (const adcChannel &c : conf.adc16)
        setGraphUnit(g++, (c.rangeMax - c.rangeMin) / 2, QStringLiteral("V"));
    for (const imuChannel &imu : conf.imu6)
        setImuFullScales(g++, imu.accRange, imu.gyroRange);
    if (conf.auxActive())
        setGraphUnit(g, 32768, tr("counts"));
    setFrameRate(conf.sampleRate > 0 ? unsigned(conf.sampleRate) : 0);
}

// Scales, legends and margins are worked out again at the next paint.
void RenderArea::describeChanged()
{
    labelsDirty = true;
    update();
}

// An IMU band shows acceleration, rotation rate or orientation; without known ranges
// the normalised values are shown as they are.
std::pair<double, QString> RenderArea::shownScale(const GraphConf &g) const
{
    if (g.isImu && !g.displayAcc && g.displayEuler)
        return {180.0, degrees};
    if (g.unit.isEmpty())
        return {1.0, QString()};
    if (!g.isImu)
        return {g.fullScale, g.unit};
    return g.displayAcc ? std::make_pair(g.fullScale, g.unit) : std::make_pair(g.gyroFullScale, degreesPerSecond);
}

QString RenderArea::scaleText(int graph, bool top) const
{
    if (graph < 0 || graph >= graphList.size())
        return QString();
    // The band spans the range of its first shown channel.
    int first = -1;
    for (unsigned k = 0; k < totalChannels && k < unsigned(MaxChannels) && first < 0; ++k)
        if (chGraph[k] == graph && chVisible[k])
            first = int(k);
    const float normalised = first < 0 ? (top ? 1.0f : -1.0f) : (top ? chYMax[first] : chYMin[first]);
    const auto [fullScale, unit] = shownScale(graphList[graph]);
    const QString value = formatScaleValue(double(normalised) * fullScale);
    return unit.isEmpty() ? value : value + QLatin1Char(' ') + unit;
}

QString RenderArea::legendTitle(int graph) const
{
    return graph >= 0 && graph < graphList.size() ? titleOf(graphList[graph]) : QString();
}

QString RenderArea::titleOf(const GraphConf &g) const
{
    QString title = g.name;
    if (g.isImu)
        title += g.displayAcc ? tr(" : Acc") : g.displayEuler ? tr(" : Euler") : tr(" : Gyro");
    const QString unit = shownScale(g).second;
    return unit.isEmpty() ? title : title + QStringLiteral(" [") + unit + QLatin1Char(']');
}

BandLegend RenderArea::legendOf(int graph) const
{
    const GraphConf &g = graphList[graph];
    BandLegend legend;
    legend.title = titleOf(g);
    static const QString axes[3] = {QStringLiteral("x"), QStringLiteral("y"), QStringLiteral("z")};
    static const QString angles[3] = {QStringLiteral("\u03A8"), QStringLiteral("\u0398"), QStringLiteral("stepErr")};
    int j = 0;
    for (unsigned k = 0; k < totalChannels && k < unsigned(MaxChannels); ++k) {
        if (chGraph[k] != graph)
            continue;
        if (chVisible[k]) {
            legend.colours.push_back(chColour[k]);
            legend.names.push_back(g.isImu ? (g.eulerActive ? angles[j % 3] : axes[j % 3]) : QString::number(j + 1));
        }
        ++j;
    }
    if (legend.colours.size() == 1)
        legend.names.clear();
    return legend;
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

void RenderArea::addMarker(quint64 frame, const QString &label)
{
    // Two windows back a line and its label have left the chart for good.
    const quint64 newest = hist.framesReceived();
    const quint64 reach = 2 * quint64(hist.windowLength());
    marks.forgetBefore(newest > reach ? newest - reach : 0);
    marks.add(frame, label);
    // A marker set in frames already on the chart shows at once; one at the next frame
    // scrolls in with it.
    if (hist.columnOfFrame(frame) < shownColumns)
        update();
}

void RenderArea::clearMarkers()
{
    marks.clear();
    update();
}

QRect RenderArea::markerLabelRect(int i) const
{
    return marks.labelRect(i, raster, hist, bandFont) & plotLayout.plot();
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

// The bands divide the data area's height; below it (the time axis) is the last band.
int RenderArea::graphIndexAt(int y) const
{
    if (graphList.isEmpty())
        return 0;
    // The bands of all graphs at today's size, also while the plot still shows one graph
    // or has not been laid out again after a resize.
    PlotLayout bands;
    bands.arrange(size(), graphList.size(), false, plotLayout.gutter().width(), plotLayout.axis().height());
    return bands.bandAt(y);
}

void RenderArea::mousePressEvent(QMouseEvent *event)
{
    // The right button opens the context menu instead.
    if (graphList.isEmpty() || event->button() != Qt::LeftButton)
        return;
    guardShowOne();
    int i = showOneIndex;
    if (!doShowOne) {
        i = graphIndexAt(qRound(event->localPos().y()));
        qDebug() << "mouse press on graph" << i;
        showOneIndex = i;
    }
    openGraphOptionsFor(i);
}

void RenderArea::contextMenuEvent(QContextMenuEvent *event)
{
    if (graphList.isEmpty())
        return;
    guardShowOne();
    const int i = doShowOne ? showOneIndex : graphIndexAt(event->pos().y());
    const QString name = graphList[i].name;
    QMenu menu(this);
    QAction *options = menu.addAction(tr("Options of %1...").arg(name));
    QAction *only = menu.addAction(doShowOne ? tr("Show all graphs") : tr("Show only %1").arg(name));
    QAction *chosen = menu.exec(event->globalPos());
    if (chosen == options)
        openGraphOptionsFor(i);
    else if (chosen == only)
        showOnly(i, !doShowOne);
}

void RenderArea::openGraphOptions()
{
    if (graphList.isEmpty())
        return;
    if (graphList.size() == 1) {
        openGraphOptionsFor(0);
        return;
    }
    QMenu menu(this);
    for (int i = 0; i < graphList.size(); ++i)
        menu.addAction(QStringLiteral("%1  %2").arg(graphList[i].id + 1).arg(graphList[i].name))->setData(i);
    if (QAction *chosen = menu.exec(QCursor::pos()))
        openGraphOptionsFor(chosen->data().toInt());
}

void RenderArea::showOnly(int graph, bool only)
{
    if (graph < 0 || graph >= graphList.size())
        return;
    doShowOne = only;
    showOneIndex = graph;
    fullRedrawRequested = true;
    update();
}

void RenderArea::openGraphOptionsFor(int i)
{
    if (i < 0 || i >= graphList.size())
        return;
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
        fontPixels = QFontInfo(font()).pixelSize();
        describeChanged();
    }
    QWidget::changeEvent(event);
}


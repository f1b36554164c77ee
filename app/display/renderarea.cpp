#include "renderarea.h"

#include "graphicsdialog.h"

#include <QDebug>
#include <QFontInfo>
#include <QFontMetrics>
#include <QMouseEvent>
#include <QPainter>
#include <QVector>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

int RenderArea::gridCountdown = 0;

namespace {
const QColor bandWhite(255, 255, 255);
const QColor bandYellow(255, 255, 193);
const QColor gridGray(230, 230, 230);
const QColor labelGray(240, 240, 240);
}

RenderArea::RenderArea(QWidget *parent, QSize logoArea)
    : QWidget(parent)
{
    setBackgroundRole(QPalette::Base);
    setAutoFillBackground(true);
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
    if (height() != adoptedHeight || width() != adoptedWidth) {
        qDebug() << "parameter changed";
        adoptedWidth = width();
        adoptedHeight = height();
    }
    if (unsigned(width()) != hist.graphWidth())
        adoptGraphWidth(width());
    for (unsigned r = 0; r < count; ++r)
        hist.intake(rows + size_t(r) * stride);
}

void RenderArea::rebuildColumns()
{
    hist.rebuildColumns();
}

void RenderArea::applyScales(bool fullRedraw)
{
    if (hist.autoscaleState() == 2) {
        // Graphs whose options ask for autoscaling follow their tracked range; when no
        // graph asks, tracking was started by the program and applies to all channels.
        const bool anyAutoscale = std::any_of(graphList.begin(), graphList.end(),
                                              [](const GraphConf &g) { return g.autoscale; });
        for (int ch = 0; ch < MaxChannels; ++ch) {
            const bool follows = !anyAutoscale
                || (unsigned(ch) < totalChannels && chGraph[ch] < graphList.size()
                    && graphList[chGraph[ch]].autoscale);
            if (follows)
                setChannelRange(ch, hist.trackedMin(ch), hist.trackedMax(ch));
        }
    }
    // Sticky until painted: a later incremental request must not cancel a pending full one.
    fullRedrawRequested = fullRedrawRequested || fullRedraw;
    update();
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

// Chooses between scrolling the persistent picture and redrawing it whole; returns the
// number of columns to draw at the right edge.
int RenderArea::prepareBackingPixmap(int w, int h, bool &full)
{
    const int newColumns = int(std::min<unsigned>(hist.newColumns(), unsigned(w - 1)));
    if (adoptedWidth == w && adoptedHeight == h && !fullRedrawRequested && backing.size() == QSize(w, h)) {
        // The whole picture is the scroll area: with a smaller one Qt clips the moved
        // pixels to it and the leftmost columns would stay behind empty.
        if (newColumns > 0)
            backing.scroll(-newColumns, 0, backing.rect());
        full = false;
        return newColumns;
    }
    fullRedrawRequested = false;
    qDebug() << "############################################ resize";
    adoptedWidth = w;
    adoptedHeight = h;
    if (unsigned(w) != hist.graphWidth())
        adoptGraphWidth(w);
    if (backing.size() != QSize(w, h))
        backing = QPixmap(w, h);
    backing.fill(Qt::gray);
    full = true;
    return w - 1;
}

void RenderArea::paintEvent(QPaintEvent *)
{
    const int W = width();
    const int H = height();
    if (graphList.isEmpty()) {
        QPainter painter(this);
        painter.drawImage(std::max(0, W / 2 - logo.width() / 2), std::max(0, H / 2 - logo.height() / 2), logo);
        return;
    }
    if (W < 2 || H < 2)
        return;
    guardShowOne();
    bool full = false;
    int drawSpan = prepareBackingPixmap(W, H, full);

    QPainter p(&backing);
    p.setRenderHint(QPainter::Antialiasing, false);
    p.setFont(font());
    if (doShowOne != lastDoShowOne) {
        lastDoShowOne = doShowOne;
        qDebug() << "doShowOne is now " << (doShowOne ? "true" : "false");
        drawSpan = W - 1;
    }
    const int x0 = W - 1 - drawSpan;
    const int bandHeight = doShowOne ? H : H / graphList.size();
    if (doShowOne)
        paintSingleBand(p, x0);
    else
        paintBands(p, x0, drawSpan, full, bandHeight);
    hist.clearNewColumns();
    paintTraces(p, drawSpan, bandHeight);
    paintLabels(p, bandHeight);
    p.end();

    // The frame goes onto the screen only: kept out of the scrolled picture, its right
    // edge would otherwise travel left with the data and leave a trail of lines.
    QPainter screen(this);
    screen.drawPixmap(0, 0, backing);
    screen.setRenderHint(QPainter::Antialiasing, false);
    screen.setPen(Qt::black);
    screen.setBrush(Qt::NoBrush);
    screen.drawRect(0, 0, W - 2, H - 2);
}

void RenderArea::paintBands(QPainter &p, int x0, int drawSpan, bool full, int h)
{
    const int W = width();
    const int H = height();
    const int count = graphList.size();
    for (int g = 0; g < count; ++g)
        p.fillRect(QRect(x0, g * h, W - x0, h), g % 2 ? bandYellow : bandWhite);
    const int rest = count * h;
    if (rest <= H - 2)
        p.fillRect(QRect(x0, rest, W - x0, H - 1 - rest), count % 2 ? bandYellow : bandWhite);
    p.setPen(Qt::black);
    for (int g = 0; g < count; ++g) {
        const int y = (g + 1) * h;
        if (y < H)
            p.drawLine(x0, y, W, y);
    }
    p.setPen(gridGray);
    for (int g = 0; g < count; ++g)
        p.drawLine(x0, h / 2 + g * h, W, h / 2 + g * h);
    const unsigned divisions = hist.gridDivisions();
    if (full || divisions == 0)
        return;
    // The vertical grid is laid down column by column as data arrives, so it moves with it.
    for (int x = W - 1 - drawSpan; x <= W - 2; ++x) {
        if (gridCountdown <= 0) {
            gridCountdown = std::max(1, W / int(divisions));
            p.drawLine(x, 0, x, H);
        }
        --gridCountdown;
    }
}

void RenderArea::paintSingleBand(QPainter &p, int x0)
{
    const int W = width();
    const int H = height();
    p.fillRect(QRect(x0, 0, W - x0, H), bandWhite);
    p.setPen(gridGray);
    for (int k = 1; k <= 9; ++k)
        p.drawLine(x0, k * H / 10, W, k * H / 10);
}

namespace {
// Screen row of normalised value n in a band of height h starting at top.
inline int traceRow(float n, int top, int h)
{
    float offset = (n - 1.0f) * (-float(h) / 2.0f);
    if (!(offset > -1e6f))  // also catches NaN
        offset = -1e6f;
    else if (offset > 1e6f)
        offset = 1e6f;
    return std::clamp(top + int(offset), top + 2, std::max(top + 2, top + h - 2));
}
}

void RenderArea::paintTraces(QPainter &p, int drawSpan, int h)
{
    const int gw = int(hist.graphWidth());
    const unsigned window = hist.windowLength();
    const int first = gw - int(quint64(hist.ringFill()) * quint64(gw) / window);
    const int xBegin = std::max({first, gw - 1 - drawSpan, 0});
    const int xEnd = std::min(gw, width());
    if (xBegin >= xEnd)
        return;
    const unsigned channels = std::min(totalChannels, hist.channelsPerRow());
    QVector<QLine> &lines = traceLines;
    for (unsigned k = 0; k < channels; ++k) {
        const int g = chGraph[k];
        if (!chVisible[k] || g >= graphList.size() || (doShowOne && g != showOneIndex))
            continue;
        const int top = doShowOne ? 0 : g * h;
        const float scale = chYScale[k];
        const float offset = chYOffset[k];
        lines.resize(0);
        for (int x = xBegin; x < xEnd; ++x) {
            const unsigned c = hist.bufferColumn(unsigned(x));
            const int yHigh = traceRow(hist.columnMax(c, k) * scale + offset, top, h);
            const int yLow = traceRow(hist.columnMin(c, k) * scale + offset, top, h);
            lines.append(QLine(x, yHigh, x, yLow));
        }
        p.setPen(QPen(chColour[k], 1));
        p.drawLines(lines);
    }
}

QString RenderArea::labelText(const GraphConf &g) const
{
    if (!g.isImu)
        return g.name;
    if (g.displayAcc)
        return g.name + tr(" : Acc");
    return g.name + (g.displayEuler ? tr(" : Euler") : tr(" : Gyro"));
}

// The box also covers whatever text reaches beyond the nominal width, since text outside
// it would be scrolled along with the picture and smear.
int RenderArea::labelBoxWidth(const GraphConf &g, const QString &text) const
{
    const QFontMetrics fm(font());
    int box = text.length() * fontPixels * 3 / 4 + (g.isImu ? 65 : 0);
    int reach = 8 + fm.horizontalAdvance(text);
    if (g.isImu) {
        const QString last = g.eulerActive ? QStringLiteral("-stepErr") : QStringLiteral("-Z");
        reach = std::max(reach, fm.boundingRect(text).width() + 6 * fontPixels + fm.horizontalAdvance(last));
    }
    return std::max(box, reach + 2);
}

void RenderArea::paintLabels(QPainter &p, int h)
{
    const int B = fontPixels;
    if (doShowOne) {
        if (showOneIndex > 23 || showOneIndex >= graphList.size())
            return;
        const GraphConf &g = graphList[showOneIndex];
        const QString text = labelText(g);
        const QRect box(QPoint(0, 4), QPoint(labelBoxWidth(g, text) - 1, B + 7));
        p.fillRect(box, labelGray);
        p.setClipRect(box);
        p.setPen(Qt::black);
        p.drawText(4, B + 2, text);
        p.setClipping(false);
        return;
    }
    const QFontMetrics fm(font());
    for (int i = 0; i < graphList.size(); ++i) {
        const GraphConf &g = graphList[i];
        const int top = i * h;
        const QString text = labelText(g);
        const QRect box(QPoint(0, top + 4), QPoint(labelBoxWidth(g, text) - 1, top + 7 + B));
        p.fillRect(box, labelGray);
        p.setClipRect(box);
        p.setPen(Qt::black);
        p.drawText(8, top + 2 + B, text);
        if (g.isImu) {
            const int w = fm.boundingRect(text).width();
            const int s = 2 * B;
            const QColor colours[3] = {Qt::blue, Qt::green, Qt::red};
            const QString axes[3] = {QStringLiteral("-X"), QStringLiteral("-Y"), QStringLiteral("-Z")};
            const QString angles[3] = {QStringLiteral("-\u03A8"), QStringLiteral("-\u0398"), QStringLiteral("-stepErr")};
            for (int a = 0; a < 3; ++a) {
                p.setPen(colours[a]);
                p.drawText(w + (a + 1) * s, top + 2 + B, g.eulerActive ? angles[a] : axes[a]);
            }
        }
        p.setClipping(false);
    }
}

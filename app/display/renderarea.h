#pragma once

#include "graphconf.h"
#include "samplehistory.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QPixmap>
#include <QLine>
#include <QString>
#include <QVector>
#include <QWidget>

// The scrolling strip chart in the centre of the main window: one horizontal band per
// graph, drawn incrementally into a persistent pixmap that scrolls left as columns
// complete. Shows a logo while no graph exists; a click on a band opens its options.
class RenderArea : public QWidget
{
    Q_OBJECT

public:
    static constexpr int MaxGraphs = 24;
    static constexpr int MaxChannels = SampleHistory::MaxChannels;

    RenderArea(QWidget *parent, QSize logoArea);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    void clearGraphs();
    bool addGraph(unsigned int nchan, const QString &name, bool isImu, bool displayAcc);
    bool setConfigValid(unsigned windowLength, unsigned gridDivisions, bool keepData);
    void enqSamples(const float *rows, unsigned stride, unsigned count);
    void rebuildColumns();
    void applyScales(bool fullRedraw);
    void setLogo(const QImage &image);

    // Applies an accepted options dialog to graph i (what a click on its band leads to).
    void applyGraphOptions(int i, const GraphConf &record, int showOne);
    int graphIndexAt(int y) const;

    QList<bool> eulerFlags;

    SampleHistory &history() { return hist; }
    const SampleHistory &history() const { return hist; }
    const QList<GraphConf> &graphs() const { return graphList; }
    int graphCount() const { return graphList.size(); }
    unsigned channelCount() const { return totalChannels; }
    float yMin(int ch) const { return chYMin[ch]; }
    float yMax(int ch) const { return chYMax[ch]; }
    QColor channelColour(int ch) const { return chColour[ch]; }
    bool channelVisible(int ch) const { return chVisible[ch]; }
    int channelGraph(int ch) const { return chGraph[ch]; }
    bool showingOne() const { return doShowOne; }
    int shownGraph() const { return showOneIndex; }
    int fontPixelSize() const { return fontPixels; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void setChannelRange(int ch, float lo, float hi);
    void assignChannelStyles();
    void adoptGraphWidth(int w);
    int prepareBackingPixmap(int w, int h, bool &full);
    void paintBands(QPainter &p, int x0, int drawSpan, bool full, int bandHeight);
    void paintSingleBand(QPainter &p, int x0);
    void paintTraces(QPainter &p, int drawSpan, int bandHeight);
    void paintLabels(QPainter &p, int bandHeight);
    QString labelText(const GraphConf &g) const;
    int labelBoxWidth(const GraphConf &g, const QString &text) const;
    void guardShowOne();
    void updateAutoscaleTracking(const GraphConf &before, const GraphConf &after);

    SampleHistory hist;
    QList<GraphConf> graphList;
    QString graphNames[MaxChannels];
    int nextId = 0;
    int nextImuIndex = 0;
    int channelsInitialised = 0;
    unsigned totalChannels = 0;

    int chGraph[MaxChannels] = {};
    QColor chColour[MaxChannels];
    bool chVisible[MaxChannels] = {};
    float chYMin[MaxChannels];
    float chYMax[MaxChannels];
    float chYScale[MaxChannels];
    float chYOffset[MaxChannels];

    QPixmap backing;
    QVector<QLine> traceLines;  // kept between paints so drawing allocates nothing
    int adoptedWidth = 0;
    int adoptedHeight = 0;
    int fontPixels = 0;
    QImage logo;
    bool doShowOne = false;
    bool lastDoShowOne = false;
    int showOneIndex = 0;
    bool fullRedrawRequested = false;

    static int gridCountdown;  // shared, so that every chart's grid travels in step
};

#pragma once

#include "bandlabels.h"
#include "chartraster.h"
#include "graphconf.h"
#include "plotlayout.h"
#include "samplehistory.h"

#include <QColor>
#include <QImage>
#include <QList>
#include <QString>
#include <QWidget>

// The scrolling strip chart in the centre of the main window: one horizontal band per
// graph. New columns enter at the right: the widget scrolls its on-screen picture and
// paints only what the scroll exposed, every part drawn from the sample history alone.
// Shows a logo while no graph exists; a click on a band opens its options.
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
    const PlotLayout &layout() const { return plotLayout; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setChannelRange(int ch, float lo, float hi);
    void assignChannelStyles();
    void adoptGraphWidth(int w);
    void guardShowOne();
    void updateAutoscaleTracking(const GraphConf &before, const GraphConf &after);
    bool followTrackedRanges();

    void scrollToNewColumns();
    bool pictureIsCurrent() const;
    void preparePicture(const QRect &exposed);
    void rearrange();
    void arrangeLayout();
    void updateTraces();
    QRegion overlayRegion() const;
    void paintLogo(QPainter &p, const QRegion &region);
    void paintData(QPainter &p, const QRegion &region);
    void paintFrame(QPainter &p);

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

    PlotLayout plotLayout;
    ChartRaster raster;
    BandLabels labels;
    QImage strip;               // kept between paints so that painting allocates nothing
    int fontPixels = 0;
    QImage logo;
    bool doShowOne = false;
    bool lastDoShowOne = false;
    int showOneIndex = 0;
    bool fullRedrawRequested = false;
    bool labelsDirty = true;

    // What the picture on screen shows: the widget size, the band arrangement and the
    // newest column at the right edge. Anything else forces a whole repaint.
    QSize paintedSize;
    bool paintedSingle = false;
    int paintedGraphs = -1;
    quint64 shownColumns = 0;
};

#pragma once

#include "bandlegends.h"
#include "chartraster.h"
#include "graphconf.h"
#include "plotlayout.h"
#include "plotmarkers.h"
#include "samplehistory.h"
#include "timeaxis.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QString>
#include <QWidget>

class daqConfig;

// The scrolling strip chart in the centre of the main window: one horizontal band per
// graph with its scale on the left and its legend in the corner, and a time axis
// below. New columns enter at the right: the widget scrolls its on-screen picture and
// paints only what the scroll exposed, every part drawn from the sample history alone.
// Shows a logo while no graph exists. A click on a band opens its options; the context
// menu of a band offers them too.
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

    // What graph i's values mean, for its scale and legend: -1 ... +1 of the normalised
    // values spans -fullScale ... +fullScale in unit. Kept until the next clearGraphs.
    void setGraphUnit(int graph, double fullScale, const QString &unit);
    // IMU graph i: accelerometer full scale in g, gyroscope full scale in degrees per
    // second (orientation is always shown in degrees).
    void setImuFullScales(int graph, double accFullScale, double gyroFullScale);
    // Frames per second of the stream, for the time axis in seconds; 0 leaves the axis
    // without labels.
    void setFrameRate(unsigned framesPerSecond);
    // All of the above from a configuration whose graphs were added in the usual order:
    // 24-bit channels, 16-bit channels, IMUs, AUX.
    void describeConfiguration(const daqConfig &conf);
    // The scale written at the top (true) or bottom of graph i's band, unit included,
    // and the title of its legend.
    QString scaleText(int graph, bool top) const;
    QString legendTitle(int graph) const;

    // A labelled vertical line at `frame` (counted as history() counts its frames since
    // the last reset), drawn once that frame's column is on the chart; it scrolls with
    // the data. A new history (setConfigValid without keeping data) forgets all markers;
    // so does clearMarkers, which a restarted run calls.
    void addMarker(quint64 frame, const QString &label);
    void clearMarkers();
    const PlotMarkers &markers() const { return marks; }
    // Where marker i's label is drawn now (empty when it is not).
    QRect markerLabelRect(int i) const;

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
    // Where the legend of graph i sits (empty when it is not shown).
    QRect legendRect(int graph) const { return legends.rect(graph, plotLayout, showOneIndex); }

public slots:
    // For a toolbar action: a menu of the graphs at the cursor, then the options of
    // the chosen one (of the only one, without a menu).
    void openGraphOptions();
    // The options dialog of graph i, as a click on its band opens it.
    void openGraphOptionsFor(int graph);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void setChannelRange(int ch, float lo, float hi);
    void assignChannelStyles();
    void adoptGraphWidth(int w);
    void guardShowOne();
    void showOnly(int graph, bool only);
    void updateAutoscaleTracking(const GraphConf &before, const GraphConf &after);
    bool followTrackedRanges();
    void describeChanged();

    std::pair<double, QString> shownScale(const GraphConf &g) const;
    BandLegend legendOf(int graph) const;
    QString titleOf(const GraphConf &g) const;

    void scrollToNewColumns();
    bool pictureIsCurrent() const;
    void preparePicture(const QRect &exposed);
    void rearrange();
    void measureMargins();
    void arrangeLayout();
    void updateTraces();
    void paintLogo(QPainter &p, const QRegion &region);
    void paintData(QPainter &p, const QRegion &region);
    void paintMarkerLabels(QPainter &p, const QRegion &region);
    void paintAxis(QPainter &p, const QRegion &region);
    void paintGutter(QPainter &p, const QRegion &region);

    SampleHistory hist;
    QList<GraphConf> graphList;
    QString graphNames[MaxChannels];
    int nextId = 0;
    int nextImuIndex = 0;
    int channelsInitialised = 0;
    unsigned totalChannels = 0;
    unsigned frameRate = 0;

    int chGraph[MaxChannels] = {};
    QColor chColour[MaxChannels];
    bool chVisible[MaxChannels] = {};
    float chYMin[MaxChannels];
    float chYMax[MaxChannels];
    float chYScale[MaxChannels];
    float chYOffset[MaxChannels];

    PlotLayout plotLayout;
    ChartRaster raster;
    TimeAxis timeAxis;
    BandLegends legends;
    PlotMarkers marks;
    int gutterWidth = 0;
    int axisHeight = 0;
    int axisLabelWidth = 0;     // room a time label may take either side of its line
    bool axisLabelsFit = false;
    int fontPixels = 0;
    QFont bandFont;             // scales and legends: two lines fit in a band
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

#include "config/daqconfig.h"
#include "display/graphicsdialog.h"
#include "display/minmaxenvelope.h"
#include "display/renderarea.h"
#include "display/samplehistory.h"
#include "display/timeaxis.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <functional>
#include <numeric>
#include <random>
#include <utility>
#include <vector>

using Rows = std::vector<int>;

namespace {
const QRgb white = qRgb(255, 255, 255);
const QRgb yellow = qRgb(255, 255, 193);
const QRgb grid = qRgb(230, 230, 230);
const QRgb black = qRgb(0, 0, 0);

QImage snap(RenderArea &area) { return area.grab().toImage().convertToFormat(QImage::Format_RGB32); }
QRgb pixel(const QImage &image, int x, int y) { return image.pixel(x, y) | 0xff000000u; }
QRgb colour(const RenderArea &area, int channel) { return area.channelColour(channel).rgb() | 0xff000000u; }

// Sizes the widget so that its data area is w x h whatever the scale gutter and the
// time axis take; returns the data area's left edge.
int fitPlot(RenderArea &area, int w, int h)
{
    area.grab();
    area.resize(w + area.layout().gutter().width(), h + area.layout().axis().height());
    area.grab();
    return area.layout().plot().left();
}

// Graphs g0, g1, ... of the given channel counts over a window, the data area sized
// 400 x 300; returns its left edge.
int setUp(RenderArea &area, std::initializer_list<int> channels, unsigned window)
{
    int g = 0;
    for (int n : channels)
        area.addGraph(n, QStringLiteral("g%1").arg(g++), n == 6, true);
    return area.setConfigValid(window, 10, false) ? fitPlot(area, 400, 300) : -1;
}

// Whether column x runs through a legend box (which shows the channel colours too).
bool underLegend(const RenderArea &area, int x)
{
    for (int g = 0; g < area.graphCount(); ++g)
        if (!area.legendRect(g).isEmpty() && x >= area.legendRect(g).left() && x <= area.legendRect(g).right())
            return true;
    return false;
}

void feedConstant(RenderArea &area, const std::vector<float> &row, int count)
{
    for (int i = 0; i < count; ++i)
        area.enqSamples(row.data(), unsigned(row.size()), 1);
}

// Rows of column x that hold colour c, from row `from` to `to`.
Rows rowsOf(const QImage &image, int x, QRgb c, int from = 0, int to = INT_MAX)
{
    Rows rows;
    for (int y = from; y < std::min(to, image.height()); ++y)
        if (pixel(image, x, y) == c)
            rows.push_back(y);
    return rows;
}

// Acts on the next dialog or menu once it runs (it is opened from inside an event
// handler, so the action has to come from the event loop).
template <typename T>
void onNext(QObject *owner, std::function<void(T *)> action)
{
    auto *timer = new QTimer(owner);
    auto *clock = new QElapsedTimer;
    clock->start();
    QObject::connect(timer, &QTimer::timeout, owner, [timer, clock, action]() {
        T *shown = qobject_cast<T *>(QApplication::activePopupWidget());
        if (!shown)
            shown = qobject_cast<T *>(QApplication::activeModalWidget());
        if (!shown && clock->elapsed() < 10000)
            return;
        timer->stop();
        timer->deleteLater();
        delete clock;
        if (shown)
            action(shown);
    });
    timer->start(10);
}

// The title of the next graph options dialog, which is then closed with OK or Cancel.
void readTitleOfNextDialog(QObject *owner, QString *title, bool ok = false)
{
    onNext<graphicsDialog>(owner, [title, ok](graphicsDialog *dialog) {
        for (QLabel *label : dialog->findChildren<QLabel *>())
            if (label->text().startsWith("Edit Graphic"))
                *title = label->text();
        dialog->findChild<QDialogButtonBox *>()->button(ok ? QDialogButtonBox::Ok : QDialogButtonBox::Cancel)->click();
    });
}

template <typename T>
T *childWithText(QWidget *parent, const QString &text)
{
    for (T *child : parent->findChildren<T *>())
        if (child->text() == text)
            return child;
    return nullptr;
}

// Opens the context menu at pos and chooses the entry with the given text.
void chooseInContextMenu(QObject *owner, RenderArea &area, QPoint pos, const QString &text)
{
    onNext<QMenu>(owner, [text](QMenu *menu) {
        for (QAction *a : menu->actions())
            if (a->text() == text)
                menu->setActiveAction(a);
        if (menu->activeAction())
            QTest::keyClick(menu, Qt::Key_Return);
        else
            menu->close();   // the wrong menu: fail instead of waiting for ever
    });
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, area.mapToGlobal(pos));
    QApplication::sendEvent(&area, &event);
}

// The sample history behind the plot.
using Bar = std::pair<float, float>;
const unsigned longWindow = 600 * 4000;   // 600 s at 4000 frames/s
const quint64 spike = 1234567;

Bar bar(const SampleHistory &h, quint64 column, unsigned channel = 0)
{
    std::vector<float> lo(h.channelsPerRow()), hi(h.channelsPerRow());
    if (!h.columnExtremes(column, lo.data(), hi.data()))
        return {NAN, NAN};
    return {lo[channel], hi[channel]};
}

void feed(SampleHistory &h, const std::vector<float> &values)
{
    for (float v : values)
        h.intake(&v);
}

std::vector<float> ramp(int count)
{
    std::vector<float> values(count);
    std::iota(values.begin(), values.end(), 1.0f);
    return values;
}

enum Signal { Sine, Noise, Spike };

// Row r of a two-graph chart: a one-channel band and a three-channel band.
std::vector<float> signalRow(Signal kind, int r, std::mt19937 &random)
{
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    if (kind == Sine)
        return {0.8f * std::sin(0.01f * float(r)), 0.5f * std::sin(0.003f * float(r)), 0.3f, -0.3f};
    if (kind == Noise)
        return {noise(random), noise(random), noise(random), noise(random)};
    const float s = r % 997 == 500 ? 0.9f : 0.0f;
    return {s, -s, 0.0f, 0.5f};
}
}

Q_DECLARE_METATYPE(Signal)
Q_DECLARE_METATYPE(Bar)
Q_DECLARE_METATYPE(std::vector<float>)

class TestRenderArea : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
    }

    void knownTracesInKnownBands()
    {
        RenderArea area(nullptr, QSize(400, 300));
        const int left = setUp(area, {3, 1}, 400);
        area.applyScales(true);
        feedConstant(area, {0.5f, -0.5f, 0.9f, -0.9f}, 400);
        const QImage image = snap(area);
        QVERIFY(colour(area, 0) != colour(area, 1) && colour(area, 1) != colour(area, 2) && colour(area, 0) != colour(area, 2));
        // Band height 150: y = top + trunc((1 - n) * 75).
        const int rowOfChannel[4] = {37, 112, 7, 292};
        for (int x = left + 200; x < left + 398; x += 13) {
            if (pixel(image, x, 50) == grid || underLegend(area, x))
                continue;  // a time grid line
            for (int k = 0; k < 4; ++k) {
                Rows expected;
                for (int j = 0; j < 4; ++j)
                    if (colour(area, j) == colour(area, k))
                        expected.push_back(rowOfChannel[j]);
                std::sort(expected.begin(), expected.end());
                QCOMPARE(rowsOf(image, x, colour(area, k)), expected);
            }
            for (const auto &[y, c] : {std::pair{50, white}, {75, grid}, {150, black}, {200, yellow}, {225, grid}, {300, black}})
                QCOMPARE(pixel(image, x, y), c);   // bands, zero lines, separators, the time axis
        }
        QCOMPARE(pixel(image, left - 1, 100), black);              // the scale gutter's edge
        QCOMPARE(pixel(image, left + 399, 37), colour(area, 0));   // newest column
    }

    // A young ring fills from the right; once full, data reaches the left edge.
    void ringFillsAndPictureStaysWhole()
    {
        RenderArea area(nullptr, QSize(400, 300));
        const int left = setUp(area, {1}, 4000);
        const QRgb trace = colour(area, 0);
        area.applyScales(true);
        feedConstant(area, {0.5f}, 1000);
        QImage image = snap(area);
        for (int x = 150; x < 400; ++x)   // 1000 of 4000 rows: x >= 300
            QCOMPARE(rowsOf(image, left + x, trace), x >= 300 ? Rows{75} : Rows{});
        // Now 600 rows of +0.5, 400 of -0.5, 2600 of +0.5, 400 of -0.5.
        feedConstant(area, {-0.5f}, 400);
        snap(area);
        feedConstant(area, {0.5f}, 2600);
        snap(area);
        feedConstant(area, {-0.5f}, 400);
        image = snap(area);
        for (int x = 0; x < 400; ++x)
            if (x != 60 && x != 100 && x != 360 && !underLegend(area, left + x))   // not where levels join
                QCOMPARE(rowsOf(image, left + x, trace), Rows{x < 60 || (x > 100 && x < 360) ? 75 : 225});

        // Rows that arrive between a resize or a reconfiguration and the next paint, and
        // a full repaint requested before a later tick, leave no part of the picture stale.
        area.resize(left + 500, area.height());
        feedConstant(area, {-0.5f}, 10);
        QCOMPARE(area.history().graphWidth(), 500u);
        image = snap(area);
        QCOMPARE(image.width(), left + 500);
        for (int x = left + 450; x < left + 500; x += 7)   // the last 400 frames
            QCOMPARE(rowsOf(image, x, trace), Rows{225});
        area.clearGraphs();
        setUp(area, {1, 1}, 400);
        area.applyScales(true);
        feedConstant(area, {0.0f, 0.0f}, 10);
        area.applyScales(false);
        image = snap(area);
        for (int x = 0; x < area.width(); ++x)
            QCOMPARE(pixel(image, x, area.layout().bandTop(1)), black);
    }

    // Grid lines sit at fixed frame numbers with a tick on the time axis; a marker is a
    // dashed line at its frame's column with its label beside it. Both travel with the
    // data, the marker follows a resize, and a new history forgets it.
    void gridAndMarkersTravelWithTheData()
    {
        RenderArea area(nullptr, QSize(400, 300));
        int left = setUp(area, {1}, 4000);
        const QRgb magenta = PlotMarkers::Colour | 0xff000000u;
        const auto columns = [&area, &left](int width, QRgb c, int y, int y2) -> QString {
            const QImage image = snap(area);
            QStringList found;
            for (int x = left; x < left + width; ++x)
                if (pixel(image, x, y) == c && (pixel(image, x, y2) == c || (c == grid && pixel(image, x, y2) == black)))
                    found << QString::number(x - left);
            return found.join(' ');
        };
        feedConstant(area, {0.0f}, 2000);
        area.addMarker(area.history().framesReceived(), QStringLiteral("stimulus"));
        QCOMPARE(columns(400, magenta, 200, 290), QString());   // its column is not complete yet
        feedConstant(area, {0.0f}, 1000);
        QCOMPARE(columns(400, grid, 100, 301), QString("100 140 180 220 260 300 340 380"));
        QCOMPARE(columns(400, magenta, 200, 290), QString("300"));
        QCOMPARE(area.markerLabelRect(0).left(), left + 302);
        QCOMPARE(pixel(snap(area), area.markerLabelRect(0).left(), area.markerLabelRect(0).center().y()), magenta);
        feedConstant(area, {0.0f}, 300);   // 30 columns
        QCOMPARE(columns(400, grid, 100, 301), QString("70 110 150 190 230 270 310 350 390"));
        QCOMPARE(columns(400, magenta, 200, 290), QString("270"));
        area.resize(area.width() - 200, area.height());
        left = fitPlot(area, 200, 300);
        QCOMPARE(columns(200, magenta, 200, 290), QString("135"));   // frame 2000 of 3300 at 20 frames a column
        QVERIFY(area.setConfigValid(4000, 10, false));
        feedConstant(area, {0.0f}, 2000);
        QCOMPARE(columns(200, magenta, 200, 290), QString());
        QVERIFY(area.markers().markers().empty());
    }

    void timeAxisSteps_data()
    {
        QTest::addColumn<unsigned>("rate");
        QTest::addColumn<unsigned>("window");
        QTest::addColumn<quint64>("numerator");
        QTest::addColumn<quint64>("denominator");
        QTest::addColumn<QString>("third");
        QTest::newRow("10 s at 4000/s") << 4000u << 40000u << quint64(4000) << quint64(1) << "3 s";
        QTest::newRow("600 s: 100 s steps") << 4000u << 2400000u << quint64(400000) << quint64(1) << "300 s";
        QTest::newRow("7 s: 1 s steps") << 1000u << 7000u << quint64(1000) << quint64(1) << "3 s";
        QTest::newRow("half seconds") << 3u << 12u << quint64(3) << quint64(2) << "1.5 s";
        QTest::newRow("no rate: tenths of the window") << 0u << 4000u << quint64(400) << quint64(1) << QString();
    }

    void timeAxisSteps()
    {
        QFETCH(unsigned, rate);
        QFETCH(unsigned, window);
        TimeAxis axis;
        axis.configure(rate, window, 10);
        QTEST(axis.numerator(), "numerator");
        QTEST(axis.denominator(), "denominator");
        QTEST(axis.label(3), "third");
    }

    // Each band's scale is written beside it in the unit of what it shows; the legend
    // names the unit and shows the colour of every shown channel.
    void scalesNameTheirUnits_data()
    {
        QTest::addColumn<int>("graph");
        QTest::addColumn<int>("mode");  // IMU: 0 acceleration, 1 rotation rate, 2 orientation
        QTest::addColumn<QString>("top");
        QTest::addColumn<QString>("bottom");
        QTest::addColumn<QString>("legend");
        QTest::newRow("24-bit, volt") << 0 << 0 << "2.4 V" << "-2.4 V" << "strain [V]";
        QTest::newRow("16-bit, unipolar range") << 1 << 0 << "2.5 V" << "-2.5 V" << "supply [V]";
        QTest::newRow("IMU acceleration") << 2 << 0 << "6 g" << "-6 g" << "wrist : Acc [g]";
        QTest::newRow("IMU rotation rate") << 2 << 1 << "500 \u00B0/s" << "-500 \u00B0/s" << "wrist : Gyro [\u00B0/s]";
        QTest::newRow("IMU orientation") << 2 << 2 << "180 \u00B0" << "-180 \u00B0" << "wrist : Euler [\u00B0]";
        QTest::newRow("AUX, raw counts") << 3 << 0 << "32768 counts" << "-32768 counts" << "Aux [counts]";
        QTest::newRow("not described") << 4 << 0 << "1" << "-1" << "extra";
    }

    void scalesNameTheirUnits()
    {
        QFETCH(int, graph);
        QFETCH(int, mode);
        daqConfig conf;
        conf.sampleRate = 4000;
        conf.adc24 << adcChannel(-2.4, 2.4, 1, 0, "strain");
        conf.adc16 << adcChannel(0, 5, 1, 0, "supply");
        conf.imu6 << imuChannel(6, 500, "wrist");
        conf.aux << 2;
        RenderArea area(nullptr, QSize(400, 300));
        area.resize(500, 400);
        for (const auto &[channels, name] : {std::pair{1, "strain"}, {1, "supply"}, {6, "wrist"}, {2, "Aux"}, {1, "extra"}})
            area.addGraph(channels, name, channels == 6, true);
        QVERIFY(area.setConfigValid(4000, 10, false));
        area.describeConfiguration(conf);
        GraphConf options = area.graphs()[graph];
        options.displayAcc = mode == 0;
        options.displayEuler = mode == 2;
        area.applyGraphOptions(graph, options, -1);
        QTEST(area.scaleText(graph, true), "top");
        QTEST(area.scaleText(graph, false), "bottom");
        QTEST(area.legendTitle(graph), "legend");
        const QImage image = snap(area);
        int ink = 0;   // the scale's text in the gutter at the band's top
        for (int y = area.layout().bandTop(graph) + 1; y < area.layout().bandTop(graph) + 12; ++y)
            for (int x = 0; x < area.layout().gutter().width() - 1; ++x)
                ink += qGray(image.pixel(x, y)) < 100;
        QVERIFY(ink > 5);
        const QRect legend = area.legendRect(graph);
        for (int k = 0; k < int(area.channelCount()); ++k) {
            bool seen = area.channelGraph(k) != graph || !area.channelVisible(k);
            for (int y = legend.top(); y <= legend.bottom() && !seen; ++y)
                for (int x = legend.left(); x <= legend.right() && !seen; ++x)
                    seen = pixel(image, x, y) == colour(area, k);
            QVERIFY2(seen, qPrintable(QString::number(k)));
        }
    }

    // Five bands of 60 rows: a click edits the graph of its band, the last one too.
    void clickEditsItsBand_data()
    {
        QTest::addColumn<int>("y");
        QTest::addColumn<int>("graph");
        for (const auto &[y, graph] : {std::pair{0, 0}, {59, 0}, {60, 1}, {179, 2}, {240, 4}, {299, 4}})
            QTest::addRow("y %d", y) << y << graph;
    }

    void clickEditsItsBand()
    {
        QFETCH(int, y);
        QFETCH(int, graph);
        RenderArea area(nullptr, QSize(400, 300));
        const int left = setUp(area, {1, 1, 1, 1, 1}, 100);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        QCOMPARE(area.graphIndexAt(y), graph);
        QCOMPARE(area.layout().bandAt(y), graph);
        QString title;
        readTitleOfNextDialog(this, &title);
        QTest::mouseClick(&area, Qt::LeftButton, {}, QPoint(left + 200, y));
        QCOMPARE(title, QStringLiteral("Edit Graphic: %1").arg(graph + 1));
        QVERIFY(!area.showingOne());
    }

    // The options are reached from a band's context menu and, for a toolbar, from a
    // menu of all graphs; the context menu also shows one band alone and all again.
    void contextMenuAndToolbarOpenOptions()
    {
        RenderArea area(nullptr, QSize(400, 300));
        const int left = setUp(area, {1, 1, 1}, 100);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        chooseInContextMenu(this, area, QPoint(left + 100, 150), QStringLiteral("Show only g1"));
        QVERIFY(area.showingOne());
        QCOMPARE(area.shownGraph(), 1);
        chooseInContextMenu(this, area, QPoint(left + 100, 10), QStringLiteral("Show all graphs"));
        QVERIFY(!area.showingOne());
        QString title;
        readTitleOfNextDialog(this, &title);
        chooseInContextMenu(this, area, QPoint(left + 100, 250), QStringLiteral("Options of g2..."));
        QCOMPARE(title, QStringLiteral("Edit Graphic: 3"));
        onNext<QMenu>(this, [](QMenu *menu) {
            menu->setActiveAction(menu->actions().value(1));
            QTest::keyClick(menu, Qt::Key_Return);
        });
        readTitleOfNextDialog(this, &title);
        area.openGraphOptions();
        QCOMPARE(title, QStringLiteral("Edit Graphic: 2"));
    }

    void eulerChoiceAndSingleGraphMode()
    {
        RenderArea area(nullptr, QSize(400, 300));
        const int left = setUp(area, {1, 6, 6}, 400);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        onNext<graphicsDialog>(this, [](graphicsDialog *dialog) {
            QVERIFY(!childWithText<QCheckBox>(dialog, QStringLiteral("Autoscaling"))->isVisibleTo(dialog));
            childWithText<QRadioButton>(dialog, QStringLiteral("Display Euler"))->click();
            childWithText<QCheckBox>(dialog, QStringLiteral("Show only this graph"))->setChecked(true);
            dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok)->click();
        });
        QTest::mouseClick(&area, Qt::LeftButton, {}, QPoint(left + 100, 250));
        QCOMPARE(area.eulerFlags, QList<bool>({false, true}));
        QVERIFY(area.graphs()[2].eulerActive && area.graphs()[2].displayEuler && area.showingOne());
        QCOMPARE(area.shownGraph(), 2);
        for (int k = 7; k < 13; ++k)
            QCOMPARE(area.channelVisible(k), k >= 10);
        QCOMPARE(area.legendTitle(2), QStringLiteral("g2 : Euler [\u00B0]"));

        std::vector<float> row(13, 0.0f);
        row[0] = -0.5f;   // the ADC graph, not shown
        row[10] = 0.5f, row[11] = -0.2f, row[12] = -0.8f;   // IMU2's orientation angles
        feedConstant(area, row, 400);
        const QImage image = snap(area);
        for (int x = left + 250; x < left + 398; x += 17) {   // the one graph fills the data area
            if (underLegend(area, x))
                continue;
            QCOMPARE(rowsOf(image, x, colour(area, 10)), Rows{75});
            QCOMPARE(rowsOf(image, x, colour(area, 11)), Rows{180});
            QCOMPARE(rowsOf(image, x, colour(area, 12)), Rows{270});
            QVERIFY(pixel(image, x, 30) == grid && pixel(image, x, 60) == grid && pixel(image, x, 40) == white);
        }

        // A click while one graph is shown edits that graph; untouched radio buttons
        // preselect the gyroscope, so the orientation display is switched off.
        QString title;
        readTitleOfNextDialog(this, &title, true);
        QTest::mouseClick(&area, Qt::LeftButton, {}, QPoint(left + 100, 10));
        QCOMPARE(title, QStringLiteral("Edit Graphic: 3"));
        QCOMPARE(area.eulerFlags, QList<bool>({false, false}));
        QVERIFY(!area.showingOne());
        // Options of a graph that is no IMU leave the orientation flags alone.
        GraphConf imu = area.graphs()[1];
        imu.displayAcc = false;
        imu.displayEuler = true;
        area.applyGraphOptions(1, imu, -1);
        area.applyGraphOptions(0, area.graphs()[0], -1);
        QCOMPARE(area.eulerFlags, QList<bool>({true, false}));

        // Showing one graph ends with that graph: painting never addresses it again.
        area.applyGraphOptions(2, area.graphs()[2], 2);
        area.clearGraphs();
        QVERIFY(!area.showingOne());
        setUp(area, {1}, 400);
        feedConstant(area, {0.5f}, 400);
        QCOMPARE(rowsOf(snap(area), left + 301, colour(area, 0)), Rows{75});
    }

    void autoscaleFollowsTrackedRange()
    {
        RenderArea area(nullptr, QSize(400, 300));
        const int left = setUp(area, {1, 1}, 400);
        area.history().setAutoscaleState(0);
        feedConstant(area, {0.9f, -0.9f}, 2);   // autoscale tracks from the next frame on
        GraphConf conf = area.graphs()[0];
        conf.autoscale = true;
        area.applyGraphOptions(0, conf, -1);
        QCOMPARE(area.history().autoscaleState(), 1);
        for (int i = 0; i < 400; ++i)
            feedConstant(area, {0.2f + 0.2f * float(i % 2), 0.5f}, 1);
        area.applyScales(false);
        QCOMPARE(area.history().autoscaleState(), 2);
        QVERIFY(qAbs(area.yMin(0) - 0.2f) < 1e-6f && qAbs(area.yMax(0) - 0.4f) < 1e-6f);
        QVERIFY(area.yMin(1) == -1.0f && area.yMax(1) == 1.0f);
        QCOMPARE(area.scaleText(0, true), QStringLiteral("0.4"));
        QCOMPARE(area.scaleText(0, false), QStringLiteral("0.2"));
        // At the extremes of the range the clamp holds the trace inside its band.
        const Rows rows = rowsOf(snap(area), left + 301, colour(area, 0), 0, 150);
        QVERIFY(rows.front() == 2 && rows.back() == 148);
        conf.autoscale = false;
        area.applyGraphOptions(0, conf, -1);
        QVERIFY(area.yMin(0) == -1.0f && area.yMax(0) == 1.0f && area.history().autoscaleState() == 0);

    }

    // The picture on screen, built by scrolling and painting only the exposed strips,
    // equals a whole repaint of the same data.
    void scrolledPictureEqualsRepaint_data()
    {
        QTest::addColumn<unsigned>("window");
        QTest::addColumn<int>("rowsPerTick");
        QTest::addColumn<Signal>("kind");
        QTest::addColumn<unsigned>("rate");
        QTest::addColumn<int>("markerEvery");
        QTest::newRow("sines, several columns a tick") << 4000u << 120 << Sine << 400u << 0;
        QTest::newRow("noise, several columns a tick") << 4000u << 120 << Noise << 0u << 0;
        QTest::newRow("noise, a column every few ticks") << 40000u << 53 << Noise << 4000u << 0;
        QTest::newRow("spikes, stretched frames") << 300u << 7 << Spike << 30u << 0;
        QTest::newRow("sines with markers") << 4000u << 120 << Sine << 400u << 7;
    }

    void scrolledPictureEqualsRepaint()
    {
        QFETCH(unsigned, window);
        QFETCH(int, rowsPerTick);
        QFETCH(Signal, kind);
        QFETCH(unsigned, rate);
        QFETCH(int, markerEvery);
        RenderArea area(nullptr, QSize(400, 300));
        setUp(area, {1, 3}, window);
        area.resize(400, 300);
        area.setFrameRate(rate);
        area.show();
        QVERIFY(QTest::qWaitForWindowExposed(&area));
        area.applyScales(true);
        std::mt19937 random(7);
        for (int tick = 0, r = 0; tick < 60; ++tick) {
            if (markerEvery && tick % markerEvery == 3)
                area.addMarker(area.history().framesReceived(), QStringLiteral("event %1").arg(tick));
            for (int i = 0; i < rowsPerTick; ++i, ++r)
                feedConstant(area, signalRow(kind, r, random), 1);
            area.applyScales(false);
            if (tick % 3 == 0)
                QCoreApplication::processEvents();
        }
        QCoreApplication::processEvents();
        const QImage screen = QGuiApplication::primaryScreen()->grabWindow(area.winId()).toImage();
        QVERIFY(area.history().completedColumns() > 20);
        QCOMPARE(screen.convertToFormat(QImage::Format_RGB32), snap(area));
    }

    // After a resize every column is drawn anew from the envelope: noise still fills
    // its band and a one-frame spike still shows, in its own column.
    void noiseAndSpikeAfterResize_data()
    {
        QTest::addColumn<unsigned>("window");
        QTest::addColumn<int>("width");
        QTest::newRow("narrower") << 40000u << 257;
        QTest::newRow("wider") << 40000u << 777;
        QTest::newRow("more columns than frames") << 300u << 640;
    }

    void noiseAndSpikeAfterResize()
    {
        QFETCH(unsigned, window);
        QFETCH(int, width);
        RenderArea area(nullptr, QSize(400, 300));
        setUp(area, {1, 1}, window);
        std::mt19937 random(3);
        std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
        const unsigned spike = window / 3;
        std::vector<float> values;
        for (unsigned f = 0; f <= window; ++f) {
            values.push_back(f < window ? noise(random) : 0.0f);
            feedConstant(area, {values.back(), f == spike ? 0.9f : 0.0f}, 1);
            if (f == window - 1) {
                snap(area);
                area.resize(width, 300);
            }
        }
        const QImage image = snap(area);
        const quint64 done = area.history().completedColumns();
        const int left = area.layout().plot().left();
        const int h = area.layout().bandHeight();
        width = area.layout().plot().width();
        const auto rowOf = [h](float v) { return std::clamp(int((1.0f - v) * (float(h) / 2.0f)), 2, h - 2); };
        Rows spikeColumns;
        for (int x = 0; x < width; ++x) {
            if (pixel(image, left + x, h + int((1.0f - 0.9f) * (float(h) / 2.0f))) == colour(area, 1))
                spikeColumns.push_back(x);
            if (underLegend(area, left + x))
                continue;
            // The noise bar reaches at least the extremes of the column's own frames.
            const qint64 j = qint64(done) - width + x;
            const qint64 last = ((j + 1) * window + width - 1) / width;
            const qint64 first = std::min((j * window + width - 1) / width, last - 1);   // a stretched frame repeats
            const auto [lo, hi] = std::minmax_element(values.begin() + first, values.begin() + last);
            const Rows bar = rowsOf(image, left + x, colour(area, 0), rowOf(*hi), rowOf(*lo) + 1);
            QVERIFY2(int(bar.size()) == rowOf(*lo) - rowOf(*hi) + 1, qPrintable(QString::number(x)));
        }
        // Its own column and at most one on either side; a frame stretched over several
        // columns covers them all and joins the next one.
        const qint64 own = qint64(quint64(spike) * unsigned(width) / window) - qint64(done) + width;
        QVERIFY2(!spikeColumns.empty(), "spike hidden");
        QVERIFY(spikeColumns.front() >= own - 1 && spikeColumns.back() <= own + (width + int(window) - 1) / int(window));
        QVERIFY(std::find(spikeColumns.begin(), spikeColumns.end(), int(own)) != spikeColumns.end());
    }

    // The sample history behind the plot.

    // Each column holds its own frames and the frame before them, so bars join.
    void columnsSpanTheirFramesAndThePreviousOne_data()
    {
        QTest::addColumn<unsigned>("window");
        QTest::addColumn<unsigned>("width");
        QTest::addColumn<std::vector<float>>("values");
        QTest::addColumn<quint64>("completed");
        QTest::addColumn<quint64>("column");
        QTest::addColumn<Bar>("expected");
        // 10 frames a column: the first column holds 10 values, every later one 11.
        QTest::newRow("decimate, first") << 8000u << 800u << ramp(10) << quint64(1) << quint64(0) << Bar(1, 10);
        QTest::newRow("decimate, later") << 8000u << 800u << ramp(8000) << quint64(800) << quint64(799) << Bar(7990, 8000);
        QTest::newRow("uneven 1000/333") << 1000u << 333u << ramp(1000) << quint64(333) << quint64(1) << Bar(4, 7);
        // 8 columns a frame: a segment from the previous value, then seven points.
        QTest::newRow("interpolate, one frame") << 100u << 800u << std::vector<float>{0.5f} << quint64(8) << quint64(7) << Bar(0.5f, 0.5f);
        QTest::newRow("interpolate, segment") << 100u << 800u << std::vector<float>{0.5f, -0.25f} << quint64(16) << quint64(8) << Bar(-0.25f, 0.5f);
        QTest::newRow("interpolate, point") << 100u << 800u << std::vector<float>{0.5f, -0.25f} << quint64(16) << quint64(15) << Bar(-0.25f, -0.25f);
        QTest::newRow("one frame a column") << 50u << 50u << std::vector<float>{3, 1, 4, 1, 5} << quint64(5) << quint64(2) << Bar(1, 4);
    }

    void columnsSpanTheirFramesAndThePreviousOne()
    {
        QFETCH(unsigned, window);
        QFETCH(unsigned, width);
        QFETCH(std::vector<float>, values);
        QFETCH(quint64, completed);
        QFETCH(quint64, column);
        SampleHistory h;
        QVERIFY(h.initialise(window, 10, 1));
        h.setGraphWidth(width);
        feed(h, values);
        QCOMPARE(h.completedColumns(), completed);
        QCOMPARE(h.newColumns(), unsigned(completed));
        QTEST(bar(h, column), "expected");
    }

    void fillRestartAndLimits()
    {
        SampleHistory h;
        QVERIFY(!h.initialise(100, 10, 145));
        QCOMPARE(h.channelsPerRow(), 0u);
        QCOMPARE(h.windowLength(), 8000u);

        QVERIFY(h.initialise(100, 10, 2));
        const float row[2] = {0.1f, 0.2f};
        for (int i = 0; i < 250; ++i)
            h.intake(row);
        // Without a width there are no columns, only frames.
        QCOMPARE(h.completedColumns(), quint64(0));
        QCOMPARE(h.ringFill(), 100u);
        h.setGraphWidth(10);
        QCOMPARE(h.completedColumns(), quint64(25));
        QCOMPARE(h.newColumns(), 0u);
        QCOMPARE(bar(h, 24, 1), Bar(0.2f, 0.2f));

        // Start: frame and column counts begin again, nothing old is shown.
        h.setRingFill(0);
        QCOMPARE(h.ringFill(), 0u);
        QCOMPARE(h.completedColumns(), quint64(0));
        QVERIFY(std::isnan(bar(h, 0).first));
        const float fresh[2] = {-0.5f, 0.5f};
        h.intake(fresh);
        QCOMPARE(bar(h, 0, 0), Bar(-0.5f, -0.5f));

        QVERIFY(h.initialise(0, 10, 1));
        QCOMPARE(h.windowLength(), 1u);
    }

    // A long window at the device's highest rate with every channel: the envelope
    // must stay small, and a one-frame spike must show at any width.
    void longWindowKeepsEverySpike()
    {
        SampleHistory h;
        QVERIFY(h.initialise(longWindow, 10, SampleHistory::MaxChannels));
        QVERIFY2(h.memoryBytes() < (std::size_t(100) << 20), qPrintable(QString::number(h.memoryBytes())));
        QVERIFY(h.envelope().baseBlock() > 1);
        std::vector<float> row(SampleHistory::MaxChannels, 0.0f);
        for (quint64 f = 0; f < longWindow + 500; ++f) {
            row[77] = f == spike ? 0.9f : 0.0f;
            h.intake(row.data());
        }
        for (unsigned width : {1920u, 1000u, 333u, 7u}) {
            h.setGraphWidth(width);
            std::vector<quint64> hits;
            for (quint64 j = h.completedColumns() - width; j < h.completedColumns(); ++j) {
                const Bar b = bar(h, j, 77);
                QCOMPARE(b.first, 0.0f);
                if (b.second == 0.9f)
                    hits.push_back(j);
            }
            // Its own column, and only the blocks that touch a column can widen it.
            const quint64 own = spike * width / longWindow;
            QVERIFY2(std::find(hits.begin(), hits.end(), own) != hits.end(), qPrintable(QString::number(width)));
            QVERIFY(hits.front() + 1 >= own && hits.back() <= own + 1);
        }
    }
};

QTEST_MAIN(TestRenderArea)
#include "tst_renderarea.moc"

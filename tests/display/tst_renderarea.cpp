#include "config/daqconfig.h"
#include "display/graphicsdialog.h"
#include "display/renderarea.h"
#include "display/timeaxis.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFontDatabase>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScreen>
#include <QRadioButton>
#include <QtTest>

#include <cmath>
#include <functional>
#include <map>
#include <random>
#include <vector>

namespace {
const QRgb white = qRgb(255, 255, 255);
const QRgb yellow = qRgb(255, 255, 193);
const QRgb grid = qRgb(230, 230, 230);
const QRgb black = qRgb(0, 0, 0);

QImage snap(RenderArea &area)
{
    return area.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

QRgb pixel(const QImage &image, int x, int y)
{
    return image.pixel(x, y) | 0xff000000u;
}

QRgb colour(const RenderArea &area, int channel)
{
    return area.channelColour(channel).rgb() | 0xff000000u;
}

// Sizes the widget so that its data area is w x h whatever the scale gutter and the
// time axis take; returns the gutter's width, the data area's left edge.
int fitPlot(RenderArea &area, int w, int h)
{
    area.grab();
    const int gutter = area.layout().gutter().width();
    area.resize(w + gutter, h + area.layout().axis().height());
    area.grab();
    return area.layout().plot().left();
}

// Whether column x runs through a legend box (which shows the channel colours too).
bool underLegend(const RenderArea &area, int x)
{
    for (int g = 0; g < area.graphCount(); ++g) {
        const QRect r = area.legendRect(g);
        if (!r.isEmpty() && x >= r.left() && x <= r.right())
            return true;
    }
    return false;
}

// Rows holding colour c in column x, as the channels' values predict: every channel
// of that colour at its row.
std::vector<int> expectedRows(const RenderArea &area, QRgb c, const std::map<int, int> &rowOfChannel)
{
    std::vector<int> rows;
    for (const auto &[channel, row] : rowOfChannel)
        if ((area.channelColour(channel).rgb() | 0xff000000u) == c)
            rows.push_back(row);
    std::sort(rows.begin(), rows.end());
    return rows;
}

// Graphs g0, g1, ... of the given channel counts over a window, the data area sized
// 400 x 300; returns its left edge.
int setUp(RenderArea &area, std::initializer_list<int> channels, unsigned window)
{
    int g = 0;
    for (int n : channels)
        area.addGraph(n, QStringLiteral("g%1").arg(g++), false, true);
    return area.setConfigValid(window, 10, false) ? fitPlot(area, 400, 300) : -1;
}

void feedConstant(RenderArea &area, const std::vector<float> &row, int count)
{
    for (int i = 0; i < count; ++i)
        area.enqSamples(row.data(), unsigned(row.size()), 1);
}

// Rows of the first column at or after x0 that hold colour c.
std::vector<int> rowsOf(const QImage &image, int x, QRgb c)
{
    std::vector<int> rows;
    for (int y = 0; y < image.height(); ++y)
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

// The title of the next graph options dialog, which is then cancelled.
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

// Chooses the menu entry with the given text.
void choose(QMenu *menu, const QString &text)
{
    for (QAction *a : menu->actions())
        if (a->text() == text)
            menu->setActiveAction(a);
    QTest::keyClick(menu, Qt::Key_Return);
}

void contextMenuAt(RenderArea &area, QPoint pos)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, area.mapToGlobal(pos));
    QApplication::sendEvent(&area, &event);
}

// What the window system shows of the widget: the picture built by scrolls and
// partial repaints, not a fresh paint.
QImage onScreen(RenderArea &area)
{
    QCoreApplication::processEvents();
    return QGuiApplication::primaryScreen()->grabWindow(area.winId()).toImage().convertToFormat(QImage::Format_RGB32);
}

enum Signal { Sine, Noise, Spike };

// Row r of a two-graph chart: a one-channel band and a three-channel band.
std::vector<float> signalRow(Signal kind, int r, std::mt19937 &random)
{
    std::uniform_real_distribution<float> noise(-1.0f, 1.0f);
    switch (kind) {
    case Sine:
        return {0.8f * std::sin(0.01f * float(r)), 0.5f * std::sin(0.003f * float(r)), 0.3f, -0.3f};
    case Noise:
        return {noise(random), noise(random), noise(random), noise(random)};
    case Spike:
        break;
    }
    const float s = r % 997 == 500 ? 0.9f : 0.0f;
    return {s, -s, 0.0f, 0.5f};
}

// Rows of band [top, top + h) holding colour c in column x.
int rowsInBand(const QImage &image, int x, int top, int h, QRgb c)
{
    int n = 0;
    for (int y = top; y < top + h; ++y)
        n += pixel(image, x, y) == c;
    return n;
}
}

Q_DECLARE_METATYPE(Signal)

class TestRenderArea : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase()
    {
        QLocale::setDefault(QLocale::c());
    }

    void capacityLimits()
    {
        RenderArea area(nullptr, QSize(400, 300));
        for (int g = 0; g < 24; ++g)
            QVERIFY(area.addGraph(6, QStringLiteral("G%1").arg(g), g % 8 == 0, true));
        QVERIFY(!area.addGraph(1, QStringLiteral("extra"), true, true));
        QCOMPARE(area.graphCount(), 24);
        QCOMPARE(area.eulerFlags.size(), 3);
        QCOMPARE(area.graphs().last().id, 23);
        QCOMPARE(area.graphs()[16].imuIndex, 2);
        QVERIFY(area.setConfigValid(500, 10, false));
        QCOMPARE(area.channelCount(), 144u);

        area.clearGraphs();
        QVERIFY(area.eulerFlags.isEmpty());
        for (int g = 0; g < 23; ++g)
            area.addGraph(6, QStringLiteral("G"), false, true);
        area.addGraph(7, QStringLiteral("wide"), false, true);
        QTest::ignoreMessage(QtDebugMsg, "fatal error in setConfigValid()");
        QVERIFY(!area.setConfigValid(9000, 10, false));
        QCOMPARE(area.history().windowLength(), 500u);
        QCOMPARE(area.history().channelsPerRow(), 144u);
        QCOMPARE(area.graphs().first().id, 0);
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
        const std::map<int, int> rowOfChannel{{0, 37}, {1, 112}, {2, 7}, {3, 292}};
        for (int x = left + 200; x < left + 398; x += 13) {
            if (pixel(image, x, 50) == grid || underLegend(area, x))
                continue;  // a time grid line
            for (int k = 0; k < 4; ++k)
                QCOMPARE(rowsOf(image, x, colour(area, k)), expectedRows(area, colour(area, k), rowOfChannel));
            QCOMPARE(pixel(image, x, 50), white);
            QCOMPARE(pixel(image, x, 75), grid);
            QCOMPARE(pixel(image, x, 150), black);
            QCOMPARE(pixel(image, x, 200), yellow);
            QCOMPARE(pixel(image, x, 225), grid);
            QCOMPARE(pixel(image, x, 300), black);  // the time axis
        }
        QCOMPARE(pixel(image, left - 1, 100), black);  // the scale gutter's edge
        QCOMPARE(pixel(image, left + 399, 37), colour(area, 0));  // newest column
    }

    void youngRingFillsFromTheRight()
    {
        RenderArea area(nullptr, QSize(400, 300));
        const int left = setUp(area, {1}, 4000);
        const QRgb trace = colour(area, 0);
        area.applyScales(true);
        feedConstant(area, {0.5f}, 1000);
        QImage image = snap(area);
        // 1000 of 4000 rows: only the rightmost quarter (x >= 300) holds data.
        for (int x = 300; x < 400; ++x)
            QCOMPARE(rowsOf(image, left + x, trace), std::vector<int>({75}));
        for (int x = 150; x < 300; ++x)
            QVERIFY(rowsOf(image, left + x, trace).empty());
        QCOMPARE(pixel(image, left + 200, 150), grid);

        // 40 new columns scroll in from the right.
        feedConstant(area, {-0.5f}, 400);
        image = snap(area);
        for (int x = 260; x < 360; ++x) {
            const std::vector<int> rows = rowsOf(image, left + x, trace);
            QVERIFY2(!rows.empty() && rows.front() == 75, qPrintable(QString::number(x)));
        }
        QVERIFY(rowsOf(image, left + 259, trace).empty());
        for (int x = 361; x < 400; ++x)
            QCOMPARE(rowsOf(image, left + x, trace), std::vector<int>({225}));

        // Once the window is full, data reaches the left edge: the window now holds
        // 600 rows of +0.5, 400 of -0.5, 2600 of +0.5, 400 of -0.5.
        feedConstant(area, {0.5f}, 2600);
        snap(area);
        feedConstant(area, {-0.5f}, 400);
        image = snap(area);
        const auto expect = [](int x) { return x < 60 || (x > 100 && x < 360) ? 75 : 225; };
        for (int x = 0; x < 400; ++x) {
            if (x == 60 || x == 100 || x == 360 || underLegend(area, left + x))
                continue;  // columns that join the two levels, and the legend
            QVERIFY2(rowsOf(image, left + x, trace) == std::vector<int>({expect(x)}), qPrintable(QString::number(x)));
        }
    }

    // Grid lines sit at fixed frame numbers (a tenth of the window apart, or round
    // seconds once the frame rate is known), with a tick on the time axis, and travel
    // with the data.
    void gridLinesTravelWithTheData()
    {
        RenderArea area(nullptr, QSize(400, 300));
        const int left = setUp(area, {1}, 4000);
        const auto lines = [&area, left](const QImage &image) {
            std::vector<int> found;
            for (int x = left; x < left + 400; ++x)
                if (pixel(image, x, 100) == grid) {
                    found.push_back(x - left);
                    if (pixel(image, x, 301) != black)
                        return std::vector<int>();  // no tick under the line
                }
            return found;
        };
        feedConstant(area, {0.0f}, 3000);
        const std::vector<int> before = lines(snap(area));
        QCOMPARE(before, std::vector<int>({100, 140, 180, 220, 260, 300, 340, 380}));
        feedConstant(area, {0.0f}, 300);  // 30 columns
        QCOMPARE(lines(snap(area)), std::vector<int>({70, 110, 150, 190, 230, 270, 310, 350, 390}));
    }

    // A marker is a dashed line at its frame's column with its label beside it; it
    // travels with the data, follows a resize, and a new history forgets it.
    void markerTravelsWithTheData()
    {
        RenderArea area(nullptr, QSize(400, 300));
        int left = setUp(area, {1}, 4000);
        const QRgb magenta = PlotMarkers::Colour | 0xff000000u;
        const auto markerColumns = [&area, magenta](int from, int width) {
            const QImage image = snap(area);
            std::vector<int> found;
            for (int x = from; x < from + width; ++x)
                if (pixel(image, x, 200) == magenta && pixel(image, x, 290) == magenta)
                    found.push_back(x - from);
            return found;
        };
        feedConstant(area, {0.0f}, 2000);
        area.addMarker(area.history().framesReceived(), QStringLiteral("stimulus"));
        QVERIFY(markerColumns(left, 400).empty());  // its column is not complete yet
        feedConstant(area, {0.0f}, 500);
        QCOMPARE(markerColumns(left, 400), std::vector<int>({350}));
        const QRect label = area.markerLabelRect(0);
        QCOMPARE(label.left(), left + 352);
        QCOMPARE(pixel(snap(area), label.left(), label.center().y()), magenta);
        feedConstant(area, {0.0f}, 300);
        QCOMPARE(markerColumns(left, 400), std::vector<int>({320}));
        area.resize(area.width() - 200, area.height());
        left = fitPlot(area, 200, 300);
        QCOMPARE(markerColumns(left, 200), std::vector<int>({160}));  // frame 2000 of 2800 at 20 frames a column
        QVERIFY(area.setConfigValid(4000, 10, false));
        feedConstant(area, {0.0f}, 2000);
        QVERIFY(markerColumns(left, 200).empty());
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

    // Each band's scale is written beside it in the unit of what it shows.
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
        area.addGraph(1, "strain", false, true);
        area.addGraph(1, "supply", false, true);
        area.addGraph(6, "wrist", true, true);
        area.addGraph(2, "Aux", false, true);
        area.addGraph(1, "extra", false, true);
        QVERIFY(area.setConfigValid(4000, 10, false));
        area.describeConfiguration(conf);
        GraphConf options = area.graphs()[graph];
        options.displayAcc = mode == 0;
        options.displayEuler = mode == 2;
        area.applyGraphOptions(graph, options, -1);
        QTEST(area.scaleText(graph, true), "top");
        QTEST(area.scaleText(graph, false), "bottom");
        const QImage image = snap(area);
        // The scale's text is in the gutter at the band's top; the legend names the
        // unit and shows the colour of every shown channel.
        const int top = area.layout().bandTop(graph);
        int ink = 0;
        for (int y = top + 1; y < top + 12; ++y)
            for (int x = 0; x < area.layout().gutter().width() - 1; ++x)
                ink += qGray(image.pixel(x, y)) < 100;
        QVERIFY(ink > 5);
        const QRect legend = area.legendRect(graph);
        QVERIFY(!legend.isEmpty());
        for (unsigned k = 0; k < area.channelCount(); ++k) {
            if (area.channelGraph(int(k)) != graph || !area.channelVisible(int(k)))
                continue;
            bool seen = false;
            for (int y = legend.top(); y <= legend.bottom() && !seen; ++y)
                for (int x = legend.left(); x <= legend.right() && !seen; ++x)
                    seen = pixel(image, x, y) == colour(area, int(k));
            QVERIFY2(seen, qPrintable(QString::number(k)));
        }
        QTEST(area.legendTitle(graph), "legend");
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

        onNext<QMenu>(this, [](QMenu *menu) { choose(menu, QStringLiteral("Show only g1")); });
        contextMenuAt(area, QPoint(left + 100, 150));
        QVERIFY(area.showingOne());
        QCOMPARE(area.shownGraph(), 1);
        onNext<QMenu>(this, [](QMenu *menu) { choose(menu, QStringLiteral("Show all graphs")); });
        contextMenuAt(area, QPoint(left + 100, 10));
        QVERIFY(!area.showingOne());

        QString title;
        onNext<QMenu>(this, [](QMenu *menu) { choose(menu, QStringLiteral("Options of g2...")); });
        readTitleOfNextDialog(this, &title);
        contextMenuAt(area, QPoint(left + 100, 250));
        QCOMPARE(title, QStringLiteral("Edit Graphic: 3"));
        onNext<QMenu>(this, [](QMenu *menu) { choose(menu, QStringLiteral("2  g1")); });
        readTitleOfNextDialog(this, &title);
        area.openGraphOptions();
        QCOMPARE(title, QStringLiteral("Edit Graphic: 2"));
    }

    void eulerChoiceAndSingleGraphMode()
    {
        RenderArea area(nullptr, QSize(400, 300));
        area.resize(400, 300);
        area.addGraph(1, QStringLiteral("adc"), false, true);
        area.addGraph(6, QStringLiteral("IMU1"), true, true);
        area.addGraph(6, QStringLiteral("IMU2"), true, true);
        QVERIFY(area.setConfigValid(400, 10, false));
        const int left = fitPlot(area, 400, 300);
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
        QVERIFY(area.graphs()[2].eulerActive && area.graphs()[2].displayEuler);
        QVERIFY(area.showingOne());
        QCOMPARE(area.shownGraph(), 2);
        for (int k = 7; k < 13; ++k)
            QCOMPARE(area.channelVisible(k), k >= 10);

        std::vector<float> row(13, 0.0f);
        row[0] = -0.5f;   // the ADC graph, not shown
        row[10] = 0.5f;   // IMU2 first orientation angle
        row[11] = -0.2f;
        row[12] = -0.8f;
        feedConstant(area, row, 400);
        const QImage image = snap(area);
        // The one graph fills the data area: h = 300.
        for (int x = left + 250; x < left + 398; x += 17) {
            if (underLegend(area, x))
                continue;
            QCOMPARE(rowsOf(image, x, colour(area, 10)), std::vector<int>({75}));
            QCOMPARE(rowsOf(image, x, colour(area, 11)), std::vector<int>({180}));
            QCOMPARE(rowsOf(image, x, colour(area, 12)), std::vector<int>({270}));
            QCOMPARE(pixel(image, x, 30), grid);
            QCOMPARE(pixel(image, x, 60), grid);
            QCOMPARE(pixel(image, x, 40), white);
        }
        QCOMPARE(area.legendTitle(2), QStringLiteral("IMU2 : Euler [\u00B0]"));

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
        area.addGraph(1, QStringLiteral("g"), false, true);
        QVERIFY(area.setConfigValid(400, 10, false));
        feedConstant(area, {0.5f}, 400);
        QCOMPARE(rowsOf(snap(area), fitPlot(area, 400, 300) + 301, colour(area, 0)), std::vector<int>({75}));
    }

    void autoscaleOptionFollowsTrackedRange()
    {
        RenderArea area(nullptr, QSize(400, 300));
        const int left = setUp(area, {1, 1}, 400);
        area.history().setAutoscaleState(0);
        GraphConf conf = area.graphs()[0];
        conf.autoscale = true;
        area.applyGraphOptions(0, conf, -1);
        QCOMPARE(area.history().autoscaleState(), 1);
        for (int i = 0; i < 400; ++i) {
            const float row[2] = {0.2f + 0.2f * float(i % 2), 0.5f};
            area.enqSamples(row, 2, 1);
        }
        area.applyScales(false);
        QCOMPARE(area.history().autoscaleState(), 2);
        QVERIFY(qAbs(area.yMin(0) - 0.2f) < 1e-6f);
        QVERIFY(qAbs(area.yMax(0) - 0.4f) < 1e-6f);
        QCOMPARE(area.yMin(1), -1.0f);
        QCOMPARE(area.yMax(1), 1.0f);
        QCOMPARE(area.scaleText(0, true), QStringLiteral("0.4"));
        QCOMPARE(area.scaleText(0, false), QStringLiteral("0.2"));
        // 0.3 sits mid-band (row 75 of a 150-row band), at the extremes the clamp holds.
        const QImage image = snap(area);
        std::vector<int> rows = rowsOf(image, left + 301, colour(area, 0));
        rows.erase(std::remove_if(rows.begin(), rows.end(), [](int y) { return y >= 150; }), rows.end());
        QCOMPARE(rows.front(), 2);
        QCOMPARE(rows.back(), 148);

        conf = area.graphs()[0];
        conf.autoscale = false;
        area.applyGraphOptions(0, conf, -1);
        QCOMPARE(area.yMin(0), -1.0f);
        QCOMPARE(area.yMax(0), 1.0f);
        QCOMPARE(area.history().autoscaleState(), 0);
    }

    void flatRangeIsWidened()
    {
        RenderArea area(nullptr, QSize(400, 300));
        const int left = setUp(area, {2}, 400);
        area.history().setAutoscaleState(1);
        feedConstant(area, {0.0f, 0.3f}, 400);
        area.applyScales(true);
        QVERIFY(area.yMin(0) < 0.0f && area.yMax(0) > 0.0f);
        QVERIFY(area.yMax(0) - area.yMin(0) < 1e-11f);
        QVERIFY(area.yMin(1) < 0.3f && area.yMax(1) > 0.3f);
        const QImage image = snap(area);
        // Both flat traces sit mid-band; the later channel is drawn over the earlier.
        QCOMPARE(rowsOf(image, left + 301, colour(area, 1)), std::vector<int>({150}));
        QVERIFY(rowsOf(image, left + 301, colour(area, 0)).empty());
    }

    // Rows that arrive between a resize or a reconfiguration and the next paint, and
    // a full repaint requested before a later tick, leave no part of the picture stale.
    void pictureStaysWhole()
    {
        RenderArea area(nullptr, QSize(400, 300));
        const int left = setUp(area, {1}, 1000);
        feedConstant(area, {0.5f}, 1000);
        snap(area);
        area.resize(left + 500, area.height());
        feedConstant(area, {0.5f}, 10);
        QCOMPARE(area.history().graphWidth(), 500u);
        QImage image = snap(area);
        QCOMPARE(image.width(), left + 500);
        for (int x = left + 300; x < left + 500; x += 11)
            QCOMPARE(rowsOf(image, x, colour(area, 0)), std::vector<int>({75}));

        area.clearGraphs();
        setUp(area, {1, 1}, 400);
        area.applyScales(true);
        feedConstant(area, {0.0f, 0.0f}, 10);
        area.applyScales(false);
        image = snap(area);
        const int separator = area.layout().bandTop(1);
        for (int x = 0; x < area.width(); ++x)
            QCOMPARE(pixel(image, x, separator), black);
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
        int r = 0;
        for (int tick = 0; tick < 60; ++tick) {
            if (markerEvery && tick % markerEvery == 3)
                area.addMarker(area.history().framesReceived(), QStringLiteral("event %1").arg(tick));
            for (int i = 0; i < rowsPerTick; ++i, ++r) {
                const std::vector<float> row = signalRow(kind, r, random);
                area.enqSamples(row.data(), unsigned(row.size()), 1);
            }
            area.applyScales(false);
            if (tick % 3 == 0)
                QCoreApplication::processEvents();
        }
        const QImage screen = onScreen(area);
        QVERIFY(area.history().completedColumns() > 20);
        QCOMPARE(screen, snap(area));
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
            const float row[2] = {values.back(), f == spike ? 0.9f : 0.0f};
            area.enqSamples(row, 2, 1);
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
        const int spikeRow = h + int((1.0f - 0.9f) * (float(h) / 2.0f));
        std::vector<int> spikeColumns;
        for (int x = 0; x < width; ++x) {
            if (pixel(image, left + x, spikeRow) == colour(area, 1))
                spikeColumns.push_back(x);
            if (underLegend(area, left + x))
                continue;
            // The noise bar reaches at least the extremes of the column's own frames.
            const qint64 j = qint64(done) - width + x;
            qint64 first = (j * window + width - 1) / width;
            const qint64 last = ((j + 1) * window + width - 1) / width;
            if (first == last)
                --first;  // a stretched frame: the column repeats it
            const auto [lo, hi] = std::minmax_element(values.begin() + first, values.begin() + last);
            const int top = std::clamp(int((1.0f - *hi) * (float(h) / 2.0f)), 2, h - 2);
            const int bottom = std::clamp(int((1.0f - *lo) * (float(h) / 2.0f)), 2, h - 2);
            QVERIFY2(rowsInBand(image, left + x, top, bottom - top + 1, colour(area, 0)) == bottom - top + 1,
                     qPrintable(QString::number(x)));
        }
        // Its own column and at most one on either side; a frame stretched over several
        // columns covers them all and joins the next one.
        const qint64 own = qint64(quint64(spike) * unsigned(width) / window) - qint64(done) + width;
        const int stretch = (width + int(window) - 1) / int(window);
        QVERIFY2(!spikeColumns.empty(), "spike hidden");
        QVERIFY(spikeColumns.front() >= own - 1 && spikeColumns.back() <= own + stretch);
        QVERIFY(std::find(spikeColumns.begin(), spikeColumns.end(), int(own)) != spikeColumns.end());
    }

};

QTEST_MAIN(TestRenderArea)
#include "tst_renderarea.moc"

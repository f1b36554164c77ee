#include "icons.h"

#include "painting.h"

#include <QRadialGradient>

namespace {

const QPointF kCenter(32, 32);

// A round plate carrying a white symbol: status and help icons share it.
void drawDisc(QPainter &p, const Tone &tone)
{
    fillTone(p, circle(kCenter, 28), tone);
    addGloss(p, QRectF(4, 4, 56, 56));
}

void drawQuestionMark(QPainter &p, const QColor &color)
{
    strokeSymbol(p, questionMarkHook(QPointF(32, 32), 1.0), color);
    fillPlain(p, circle(QPointF(32, 47), 4.5), color);
}

void drawLed(QPainter &p, const Tone &tone)
{
    fillTone(p, circle(kCenter, 28), Palette::steel);
    QRadialGradient glow(QPointF(27, 25), 26);
    glow.setColorAt(0.0, tone.light.lighter(115));
    glow.setColorAt(0.55, tone.base);
    glow.setColorAt(1.0, tone.edge);
    p.save();
    p.setBrush(glow);
    p.setPen(QPen(tone.edge, 2));
    p.drawEllipse(kCenter, 21, 21);
    p.restore();
    addGloss(p, QRectF(11, 11, 42, 42));
}

QPainterPath pagePath(const QRectF &r, qreal fold)
{
    return polygon({r.topLeft(), QPointF(r.right() - fold, r.top()), QPointF(r.right(), r.top() + fold),
                    r.bottomRight(), r.bottomLeft()});
}

void drawPage(QPainter &p, const QRectF &r, qreal fold)
{
    fillTone(p, pagePath(r, fold), Palette::paper);
    const QPointF corner(r.right() - fold, r.top());
    fillTone(p, polygon({corner, corner + QPointF(0, fold), corner + QPointF(fold, fold)}),
             Tone{Palette::paper.base, Palette::grey.light, Palette::paper.edge});
}

// A floppy disk in the box (x, y, size); reused small as a badge.
void drawFloppy(QPainter &p, const QRectF &r)
{
    const qreal u = r.width() / 48.0;
    auto at = [&](qreal x, qreal y) { return r.topLeft() + QPointF(x * u, y * u); };
    QPainterPath body = polygon({at(0, 0), at(40, 0), at(48, 8), at(48, 48), at(0, 48)});
    fillTone(p, body, Palette::blue, kEdge * u < 2 ? 2 : kEdge * u);
    fillTone(p, roundedRect(QRectF(at(11, 0), at(35, 15)), 1.5 * u), Palette::steel, 0);
    fillPlain(p, roundedRect(QRectF(at(26, 3), at(31, 12)), 1 * u), Palette::slate.base);
    fillTone(p, roundedRect(QRectF(at(7, 25), at(41, 46)), 2 * u), Palette::paper, 0);
    if (u > 0.7) {
        QPainterPath lines;
        lines.moveTo(at(13, 32));
        lines.lineTo(at(35, 32));
        lines.moveTo(at(13, 39));
        lines.lineTo(at(35, 39));
        strokeSymbol(p, lines, Palette::blue.light, 2.5 * u);
    }
}

void drawPlusBadge(QPainter &p, const QPointF &c)
{
    fillTone(p, circle(c, 13), Palette::green);
    QPainterPath plus;
    plus.moveTo(c + QPointF(-6.5, 0));
    plus.lineTo(c + QPointF(6.5, 0));
    plus.moveTo(c + QPointF(0, -6.5));
    plus.lineTo(c + QPointF(0, 6.5));
    strokeSymbol(p, plus, Palette::symbol, 5);
}

// Plug and socket laid out along the x axis around the centre, then turned by 45 degrees.
void drawPlugPair(QPainter &p, qreal gap)
{
    p.save();
    p.translate(kCenter);
    p.rotate(-45);
    const qreal half = gap / 2;
    QPainterPath cables;
    cables.moveTo(-38, 0);
    cables.lineTo(-12 - half, 0);
    cables.moveTo(12 + half, 0);
    cables.lineTo(38, 0);
    strokeSymbol(p, cables, Palette::slate.edge, 7);
    strokeSymbol(p, cables, Palette::slate.light, 3);
    for (int y : {-6, 6})
        fillTone(p, roundedRect(QRectF(-4 - half, y - 2.5, 10, 5), 1), Palette::steel, 1.5);
    fillTone(p, roundedRect(QRectF(-22 - half, -12, 18, 24), 4), Palette::slate);
    fillTone(p, roundedRect(QRectF(4 + half, -13, 18, 26), 4), Palette::slate);
    p.restore();
}

} // namespace

void drawPower(QPainter &p)
{
    drawDisc(p, Palette::red);
    strokeSymbol(p, powerSymbol(QPointF(32, 33.5), 14), Palette::symbol, 7.5);
}

void drawPlay(QPainter &p)
{
    fillTone(p, polygon({{17, 9}, {56, 32}, {17, 55}}), Palette::green, 4);
    addGloss(p, QRectF(14, 10, 30, 40));
}

void drawPause(QPainter &p)
{
    fillTone(p, roundedRect(QRectF(14, 10, 13, 44), 3.5), Palette::blue);
    fillTone(p, roundedRect(QRectF(37, 10, 13, 44), 3.5), Palette::blue);
}

void drawRecord(QPainter &p)
{
    fillTone(p, circle(kCenter, 22), Palette::red);
    addGloss(p, QRectF(10, 10, 44, 44));
}

void drawProcessStop(QPainter &p)
{
    fillTone(p, polygon({{22, 4}, {42, 4}, {60, 22}, {60, 42}, {42, 60}, {22, 60}, {4, 42}, {4, 22}}),
             Palette::red);
    QPainterPath cross;
    cross.moveTo(21, 21);
    cross.lineTo(43, 43);
    cross.moveTo(43, 21);
    cross.lineTo(21, 43);
    strokeSymbol(p, cross, Palette::symbol, 8);
}

void drawNewFile(QPainter &p)
{
    drawPage(p, QRectF(9, 4, 38, 52), 12);
    drawPlusBadge(p, QPointF(46, 47));
}

void drawOpenFile(QPainter &p)
{
    const Tone back{Palette::amber.base, Palette::amber.base.darker(115), Palette::amber.edge};
    fillTone(p, polygon({{5, 12}, {22, 12}, {27, 18}, {55, 18}, {55, 52}, {5, 52}}), back);
    fillTone(p, roundedRect(QRectF(12, 22, 38, 24), 1), Palette::paper, 2);
    fillTone(p, polygon({{13, 29}, {61, 29}, {53, 54}, {4, 54}}), Palette::amber);
}

void drawSave(QPainter &p)
{
    drawFloppy(p, QRectF(8, 8, 48, 48));
}

void drawSaveLog(QPainter &p)
{
    drawPage(p, QRectF(7, 3, 38, 52), 11);
    QPainterPath lines;
    for (int y : {19, 27, 35}) {
        lines.moveTo(14, y);
        lines.lineTo(y == 19 ? 30 : 38, y);
    }
    strokeSymbol(p, lines, Palette::grey.base, 3.5);
    drawFloppy(p, QRectF(31, 31, 30, 30));
}

void drawHardware(QPainter &p)
{
    QPainterPath pins;
    for (int i = 0; i < 4; ++i) {
        const qreal t = 17 + i * 9;
        pins.addRoundedRect(QRectF(t, 5, 5, 12), 1, 1);
        pins.addRoundedRect(QRectF(t, 47, 5, 12), 1, 1);
        pins.addRoundedRect(QRectF(5, t, 12, 5), 1, 1);
        pins.addRoundedRect(QRectF(47, t, 12, 5), 1, 1);
    }
    fillTone(p, pins, Palette::steel, 2);
    fillTone(p, roundedRect(QRectF(12, 12, 40, 40), 5), Palette::slate);
    fillPlain(p, circle(QPointF(21, 21), 3), Palette::slate.light);
    fillTone(p, roundedRect(QRectF(24, 24, 16, 16), 2), Palette::blue, 2);
}

void drawWifiConfig(QPainter &p)
{
    const QPointF base(20, 42);
    QPainterPath waves;
    for (qreal r : {12.0, 24.0}) {
        const QRectF ring(base.x() - r, base.y() - r, 2 * r, 2 * r);
        waves.arcMoveTo(ring, 45);
        waves.arcTo(ring, 45, 90);
    }
    strokeSymbol(p, waves, Palette::blue.base, 7);
    fillPlain(p, circle(base, 5.5), Palette::blue.base);
    fillTone(p, gearPath(QPointF(46, 46), 16, 11.5, 5, 8), Palette::grey);
}

void drawStatusOk(QPainter &p)
{
    drawDisc(p, Palette::green);
    QPainterPath tick;
    tick.moveTo(18, 33);
    tick.lineTo(28, 43);
    tick.lineTo(46, 22);
    strokeSymbol(p, tick, Palette::symbol, 8);
}

void drawStatusProblem(QPainter &p)
{
    fillTone(p, polygon({{32, 5}, {60, 56}, {4, 56}}), Palette::amber, 4);
    QPainterPath bar;
    bar.moveTo(32, 22);
    bar.lineTo(32, 38);
    strokeSymbol(p, bar, Palette::ink, 7);
    fillPlain(p, circle(QPointF(32, 47.5), 4), Palette::ink);
}

void drawHelp(QPainter &p)
{
    drawDisc(p, Palette::blue);
    drawQuestionMark(p, Palette::symbol);
}

void drawQuestion(QPainter &p)
{
    drawDisc(p, Palette::grey);
    drawQuestionMark(p, Palette::symbol);
}

void drawLedGreen(QPainter &p)
{
    drawLed(p, Palette::green);
}

void drawLedRed(QPainter &p)
{
    drawLed(p, Palette::red);
}

void drawConnect(QPainter &p)
{
    drawPlugPair(p, -10);
}

void drawDisconnect(QPainter &p)
{
    drawPlugPair(p, 10);
    QPainterPath spark;
    spark.moveTo(22, 22);
    spark.lineTo(17, 17);
    spark.moveTo(42, 42);
    spark.lineTo(47, 47);
    strokeSymbol(p, spark, Palette::red.base, 4);
}

void drawClear(QPainter &p)
{
    QPainterPath floor;
    floor.moveTo(8, 57);
    floor.lineTo(56, 57);
    strokeSymbol(p, floor, Palette::grey.base, 3.5);
    p.save();
    p.translate(34, 32);
    p.rotate(-40);
    fillTone(p, roundedRect(QRectF(-2, -11, 26, 22), 3), Palette::blue);
    fillTone(p, roundedRect(QRectF(-26, -11, 24, 22), 3), Palette::rubber);
    p.restore();
}

void drawSettings(QPainter &p)
{
    fillTone(p, gearPath(kCenter, 29, 21, 9, 8), Palette::grey);
    fillTone(p, circle(kCenter, 9).subtracted(circle(kCenter, 5)), Palette::steel, 0);
}

void drawTools(QPainter &p)
{
    p.save();
    p.translate(kCenter);
    p.rotate(45);
    p.scale(1.1, 1.1);
    QPainterPath wrench = roundedRect(QRectF(-28, -6.5, 40, 13), 6.5);
    wrench = wrench.united(circle(QPointF(15, 0), 15));
    wrench = wrench.subtracted(roundedRect(QRectF(15, -6, 20, 12), 2));
    wrench = wrench.subtracted(circle(QPointF(-21, 0), 3));
    fillTone(p, wrench, Palette::grey);
    p.restore();
}

// A strip chart with its trace, and a gear for its options.
void drawGraphOptions(QPainter &p)
{
    fillTone(p, roundedRect(QRectF(3, 8, 50, 42), 4), Palette::paper);
    QPainterPath trace;
    trace.moveTo(9, 34);
    trace.cubicTo(16, 12, 22, 12, 28, 29);
    trace.cubicTo(33, 43, 40, 40, 47, 18);
    strokeSymbol(p, trace, Palette::blue.base, 4);
    fillTone(p, gearPath(QPointF(46, 46), 16, 11.5, 5, 8), Palette::grey);
}

// A flag on a pole: an event marked in the recording.
void drawMarker(QPainter &p)
{
    fillTone(p, roundedRect(QRectF(14, 4, 6, 56), 2), Palette::slate);
    const Tone magenta{QColor(240, 90, 200), QColor(200, 0, 159), QColor(120, 0, 95)};
    fillTone(p, polygon({{20, 7}, {56, 16}, {20, 31}}), magenta);
}

#include "pictures.h"

#include "painting.h"

#include <QFont>
#include <QFontDatabase>
#include <QLinearGradient>
#include <QRadialGradient>
#include <QtMath>

namespace {

// The "K" on a 100-unit square: a stem and two arms meeting in a notch.
QPainterPath letterK()
{
    QPainterPath k = polygon({{25, 18}, {42, 18}, {42, 82}, {25, 82}});
    k = k.united(polygon({{40, 48}, {63, 18}, {83, 18}, {40, 71}}));
    k = k.united(polygon({{49, 46}, {62, 38}, {84, 82}, {64, 82}}));
    return k.simplified();
}

// The brand mark: a blue rounded square with a white K and a thin signal trace.
void drawMark(QPainter &p, const QRectF &r, bool trace)
{
    p.save();
    p.translate(r.topLeft());
    p.scale(r.width() / 100.0, r.height() / 100.0);
    fillTone(p, roundedRect(QRectF(3, 3, 94, 94), 20), Palette::blue, 3);
    fillPlain(p, letterK(), Palette::symbol);
    if (trace) {
        QPainterPath wave;
        wave.moveTo(16, 89);
        for (int x = 16; x <= 84; x += 2)
            wave.lineTo(x, 89 - 3 * qSin((x - 16) * 0.185));
        strokeSymbol(p, wave, Palette::green.light, 2.5);
    }
    p.restore();
}

bool haveFonts()
{
    return !QFontDatabase().families().isEmpty();
}

// The word "Kestrova" as a filled path left-aligned in r; nothing when no font is available.
void drawWordmark(QPainter &p, const QRectF &r, int pixelSize)
{
    if (!haveFonts())
        return;
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixelSize);
    font.setBold(true);
    QPainterPath text;
    text.addText(0, 0, font, QStringLiteral("Kestrova"));
    const QRectF box = text.boundingRect();
    const qreal scale = qMin(1.0, r.width() / box.width());
    p.save();
    p.translate(r.left() - box.left() * scale, r.center().y() - box.center().y() * scale);
    p.scale(scale, scale);
    fillTone(p, text, Tone{Palette::blue.base.lighter(115), Palette::blue.edge, Palette::blue.edge}, 0);
    p.restore();
}

// A small box with a front panel, as seen from slightly above and to the left.
struct BoxStyle {
    Tone body;
    QColor top;
    QColor side;
};

void drawBox(QPainter &p, const BoxStyle &s, const QRectF &front, qreal depth)
{
    const QPointF d(depth, -depth * 0.8);
    fillTone(p, polygon({front.topLeft(), front.topLeft() + d, front.topRight() + d, front.topRight()}),
             Tone{s.top.lighter(110), s.top, s.body.edge}, 3);
    fillTone(p, polygon({front.topRight(), front.topRight() + d, front.bottomRight() + d, front.bottomRight()}),
             Tone{s.side, s.side.darker(120), s.body.edge}, 3);
    fillTone(p, roundedRect(front, 6), s.body, 3);
}

void drawScrews(QPainter &p, const QRectF &front)
{
    const qreal m = 9;
    for (const QPointF &c : {front.topLeft() + QPointF(m, m), front.topRight() + QPointF(-m, m),
                             front.bottomLeft() + QPointF(m, -m), front.bottomRight() + QPointF(-m, -m)})
        fillTone(p, circle(c, 3.5), Palette::steel, 1.5);
}

void drawLamp(QPainter &p, const QPointF &c, qreal r, const Tone &tone)
{
    QRadialGradient glow(c - QPointF(r * 0.3, r * 0.3), r * 1.3);
    glow.setColorAt(0.0, tone.light.lighter(120));
    glow.setColorAt(1.0, tone.base);
    p.save();
    p.setBrush(glow);
    p.setPen(QPen(tone.edge, 1.5));
    p.drawEllipse(c, r, r);
    p.restore();
}

void drawUsbPort(QPainter &p, const QRectF &r)
{
    fillTone(p, roundedRect(r, 3), Palette::steel, 2);
    fillPlain(p, roundedRect(r.adjusted(4, 4, -4, -4), 1.5), Palette::slate.edge);
}

void drawRoundSocket(QPainter &p, const QPointF &c, qreal r)
{
    fillTone(p, circle(c, r), Palette::steel, 2);
    fillPlain(p, circle(c, r * 0.6), Palette::slate.edge);
    fillPlain(p, circle(c, r * 0.2), Palette::steel.base);
}

} // namespace

void drawLogoLarge(QPainter &p)
{
    if (!haveFonts()) {
        drawMark(p, QRectF(64, 0, 128, 128), true);
        return;
    }
    drawMark(p, QRectF(2, 20, 88, 88), true);
    drawWordmark(p, QRectF(98, 20, 154, 88), 34);
}

void drawLogoToolbar(QPainter &p)
{
    drawMark(p, QRectF(0, 0, 32, 32), false);
    drawWordmark(p, QRectF(37, 0, 90, 32), 19);
}

void drawAppIcon(QPainter &p)
{
    drawMark(p, QRectF(0, 0, 256, 256), true);
}

void drawDeviceKestrova(QPainter &p)
{
    const QRectF front(22, 104, 186, 110);
    QPainterPath antenna;
    antenna.moveTo(196, 92);
    antenna.lineTo(196, 28);
    strokeSymbol(p, antenna, Palette::slate.edge, 11);
    strokeSymbol(p, antenna, Palette::slate.light, 5);
    drawBox(p, BoxStyle{Palette::blue, Palette::blue.light, Palette::blue.edge.lighter(130)}, front, 30);
    drawScrews(p, front);
    drawMark(p, QRectF(40, 124, 44, 44), false);
    drawLamp(p, QPointF(112, 134), 7, Palette::green);
    drawLamp(p, QPointF(136, 134), 7, Palette::amber);
    drawLamp(p, QPointF(160, 134), 7, Tone{Palette::grey.light, Palette::grey.base, Palette::grey.edge});
    drawUsbPort(p, QRectF(104, 164, 40, 22));
    fillTone(p, roundedRect(QRectF(156, 164, 32, 22), 3), Palette::slate, 2);
}

void drawDeviceVortiq(QPainter &p)
{
    p.fillRect(QRectF(0, 0, 256, 256), Qt::white);
    const QRectF front(20, 96, 190, 118);
    const Tone body{QColor(0x8a, 0x92, 0x9c), QColor(0x56, 0x5e, 0x68), QColor(0x26, 0x2b, 0x31)};
    drawBox(p, BoxStyle{body, QColor(0xa8, 0xb0, 0xb8), QColor(0x44, 0x4a, 0x52)}, front, 28);
    drawScrews(p, front);
    fillTone(p, polygon({{21.5, 118}, {208.5, 118}, {208.5, 130}, {21.5, 130}}), Palette::amber, 0);
    for (int i = 0; i < 4; ++i)
        drawRoundSocket(p, QPointF(48 + i * 36, 166), 12);
    drawLamp(p, QPointF(186, 154), 7, Palette::red);
    drawUsbPort(p, QRectF(170, 174, 28, 18));
}

void drawSearching(QPainter &p)
{
    const QPointF lens(104, 104);
    const qreal radius = 70;
    p.save();
    p.translate(lens);
    p.rotate(45);
    fillTone(p, roundedRect(QRectF(radius, -14, 108, 28), 12), Palette::slate, 4);
    fillTone(p, roundedRect(QRectF(radius + 2, -18, 24, 36), 5), Palette::grey, 4);
    p.restore();
    QRadialGradient glass(lens - QPointF(24, 24), radius * 1.4);
    glass.setColorAt(0.0, QColor(255, 255, 255, 230));
    glass.setColorAt(1.0, QColor(0xc8, 0xdc, 0xf6, 200));
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(glass);
    p.drawEllipse(lens, radius, radius);
    p.restore();
    QPainterPath wave;
    wave.moveTo(lens.x() - 48, lens.y() + 6);
    for (int x = -48; x <= 48; x += 2)
        wave.lineTo(lens.x() + x, lens.y() + 6 - 22 * qSin(x * 0.085) * qExp(-x * x / 1400.0));
    strokeSymbol(p, wave, Palette::blue.base, 6);
    fillTone(p, circle(lens, radius + 10).subtracted(circle(lens, radius)), Palette::grey, 4);
    QPainterPath shine;
    const QRectF inner(lens.x() - radius + 14, lens.y() - radius + 14, 2 * radius - 28, 2 * radius - 28);
    shine.arcMoveTo(inner, 110);
    shine.arcTo(inner, 110, 55);
    strokeSymbol(p, shine, QColor(255, 255, 255, 220), 8);
}

// Palette and drawing helpers shared by every image, so the set keeps one look:
// top-lit vertical gradients, a darker outline of the same hue, round strokes.
#pragma once

#include <QColor>
#include <QPainter>
#include <QPainterPath>
#include <QPointF>
#include <QRectF>

#include <initializer_list>

// Three shades of one colour: gradient top, gradient bottom, outline.
struct Tone {
    QColor light;
    QColor base;
    QColor edge;
};

namespace Palette {
extern const Tone blue;
extern const Tone green;
extern const Tone red;
extern const Tone amber;
extern const Tone grey;
extern const Tone slate;
extern const Tone steel;
extern const Tone paper;
extern const Tone rubber;
extern const QColor ink;    // dark symbol colour on light shapes
extern const QColor symbol; // white symbol colour on dark shapes
}

// Outline width on the 64-unit icon grid: one pixel at 16 px, two at 32 px.
constexpr qreal kEdge = 3.0;
// Width of a white symbol stroked onto a filled disc or plate.
constexpr qreal kSymbol = 7.0;

void fillTone(QPainter &p, const QPainterPath &shape, const Tone &tone, qreal edge = kEdge);
void strokeSymbol(QPainter &p, const QPainterPath &path, const QColor &color, qreal width = kSymbol);
void fillPlain(QPainter &p, const QPainterPath &shape, const QColor &color);
void addGloss(QPainter &p, const QRectF &disc);

QPainterPath circle(const QPointF &center, qreal radius);
QPainterPath roundedRect(const QRectF &r, qreal radius);
QPainterPath polygon(std::initializer_list<QPointF> points);
QPainterPath gearPath(const QPointF &center, qreal outer, qreal root, qreal hole, int teeth);
QPainterPath questionMarkHook(const QPointF &center, qreal scale);
QPainterPath powerSymbol(const QPointF &center, qreal radius);

#include "painting.h"

#include <QLinearGradient>
#include <QPolygonF>
#include <QtMath>

namespace Palette {
const Tone blue{QColor(0x6f, 0xa8, 0xf2), QColor(0x25, 0x5f, 0xc4), QColor(0x15, 0x36, 0x78)};
const Tone green{QColor(0x7c, 0xd6, 0x6c), QColor(0x2e, 0x9a, 0x3a), QColor(0x1a, 0x5c, 0x22)};
const Tone red{QColor(0xf4, 0x7a, 0x6a), QColor(0xcc, 0x2e, 0x24), QColor(0x7a, 0x16, 0x12)};
const Tone amber{QColor(0xff, 0xd8, 0x5c), QColor(0xf0, 0xa0, 0x1c), QColor(0x8a, 0x55, 0x08)};
const Tone grey{QColor(0xb4, 0xbb, 0xc4), QColor(0x78, 0x82, 0x8e), QColor(0x40, 0x47, 0x50)};
const Tone slate{QColor(0x6a, 0x78, 0x8a), QColor(0x35, 0x40, 0x4e), QColor(0x1c, 0x23, 0x2c)};
const Tone steel{QColor(0xe8, 0xec, 0xf0), QColor(0x9a, 0xa6, 0xb2), QColor(0x46, 0x50, 0x5a)};
const Tone paper{QColor(0xff, 0xff, 0xff), QColor(0xe2, 0xe8, 0xef), QColor(0x5a, 0x64, 0x70)};
const Tone rubber{QColor(0xff, 0x9c, 0xa8), QColor(0xe0, 0x52, 0x6a), QColor(0x80, 0x20, 0x30)};
const QColor ink(0x2a, 0x22, 0x10);
const QColor symbol(Qt::white);
}

void fillTone(QPainter &p, const QPainterPath &shape, const Tone &tone, qreal edge)
{
    const QRectF box = shape.boundingRect();
    QLinearGradient grad(box.topLeft(), box.bottomLeft());
    grad.setColorAt(0.0, tone.light);
    grad.setColorAt(1.0, tone.base);
    p.save();
    p.setBrush(grad);
    if (edge > 0)
        p.setPen(QPen(tone.edge, edge, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    else
        p.setPen(Qt::NoPen);
    p.drawPath(shape);
    p.restore();
}

void strokeSymbol(QPainter &p, const QPainterPath &path, const QColor &color, qreal width)
{
    p.save();
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(color, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(path);
    p.restore();
}

void fillPlain(QPainter &p, const QPainterPath &shape, const QColor &color)
{
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(color);
    p.drawPath(shape);
    p.restore();
}

// A soft highlight on the upper half of a round shape.
void addGloss(QPainter &p, const QRectF &disc)
{
    const QRectF hl(disc.left() + disc.width() * 0.18, disc.top() + disc.height() * 0.07,
                    disc.width() * 0.64, disc.height() * 0.42);
    QLinearGradient grad(hl.topLeft(), hl.bottomLeft());
    grad.setColorAt(0.0, QColor(255, 255, 255, 170));
    grad.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(grad);
    p.drawEllipse(hl);
    p.restore();
}

QPainterPath circle(const QPointF &center, qreal radius)
{
    QPainterPath path;
    path.addEllipse(center, radius, radius);
    return path;
}

QPainterPath roundedRect(const QRectF &r, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(r, radius, radius);
    return path;
}

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QVector<QPointF>(points)));
    path.closeSubpath();
    return path;
}

// Teeth are trapezoids: wide at the root, narrower at the tip.
QPainterPath gearPath(const QPointF &center, qreal outer, qreal root, qreal hole, int teeth)
{
    const qreal step = 2 * M_PI / teeth;
    QPolygonF outline;
    for (int i = 0; i < teeth; ++i) {
        const qreal a = i * step;
        const qreal angles[4] = {a - step * 0.30, a - step * 0.17, a + step * 0.17, a + step * 0.30};
        const qreal radii[4] = {root, outer, outer, root};
        for (int k = 0; k < 4; ++k)
            outline << center + QPointF(qCos(angles[k]) * radii[k], qSin(angles[k]) * radii[k]);
    }
    QPainterPath gear;
    gear.addPolygon(outline);
    gear.closeSubpath();
    return gear.subtracted(circle(center, hole));
}

// The hook and stem of a question mark, without its dot; scale 1 spans about 26 units.
QPainterPath questionMarkHook(const QPointF &c, qreal s)
{
    QPainterPath path;
    const QRectF arc(c.x() - 9 * s, c.y() - 15 * s, 18 * s, 17 * s);
    path.arcMoveTo(arc, 165);
    path.arcTo(arc, 165, -225);
    path.quadTo(c + QPointF(0, 3 * s), c + QPointF(0, 7 * s));
    return path;
}

QPainterPath powerSymbol(const QPointF &c, qreal r)
{
    QPainterPath path;
    const QRectF ring(c.x() - r, c.y() - r, 2 * r, 2 * r);
    path.arcMoveTo(ring, 125);
    path.arcTo(ring, 125, 290);
    path.moveTo(c + QPointF(0, -r * 1.2));
    path.lineTo(c + QPointF(0, -r * 0.15));
    return path;
}

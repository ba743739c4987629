#include "Artwork.h"
#include "Painting.h"

#include <QPainterPath>

namespace Artwork {
namespace {

// A D-sub plug seen from the front with its cable hood below.
void drawPlug(QPainter &p) {
    // Cable leaving the hood.
    QLinearGradient cable(QPointF(19.5, 0), QPointF(26.5, 0));
    cable.setColorAt(0.0, QColor(0x1c, 0x20, 0x25));
    cable.setColorAt(0.45, QColor(0x6b, 0x74, 0x7e));
    cable.setColorAt(1.0, QColor(0x15, 0x18, 0x1c));
    p.setPen(Qt::NoPen);
    p.setBrush(cable);
    p.drawRect(QRectF(19.5, 36, 7, 10));

    // Moulded plastic hood, narrowing towards the cable.
    QPainterPath hood;
    hood.moveTo(8.5, 20);
    hood.lineTo(37.5, 20);
    hood.lineTo(32.5, 38.5);
    hood.quadTo(32, 40, 30.5, 40);
    hood.lineTo(15.5, 40);
    hood.quadTo(14, 40, 13.5, 38.5);
    hood.closeSubpath();
    QLinearGradient plastic(QPointF(8, 0), QPointF(38, 0));
    plastic.setColorAt(0.0, QColor(0x12, 0x3e, 0x7a));
    plastic.setColorAt(0.35, QColor(0x4f, 0x95, 0xe8));
    plastic.setColorAt(0.55, QColor(0x2d, 0x73, 0xcc));
    plastic.setColorAt(1.0, QColor(0x0d, 0x30, 0x63));
    p.setPen(QPen(QColor(0x0a, 0x22, 0x46), 0.7));
    p.setBrush(plastic);
    p.drawPath(hood);
    // Grip ribs.
    for (int i = 0; i < 3; ++i) {
        const qreal y = 27 + i * 3.6;
        const qreal inset = (y - 20) * 0.27;
        p.setPen(QPen(QColor(0x08, 0x1f, 0x40, 170), 0.7));
        p.drawLine(QPointF(12 + inset, y), QPointF(34 - inset, y));
        p.setPen(QPen(QColor(255, 255, 255, 70), 0.6));
        p.drawLine(QPointF(12 + inset, y + 0.8), QPointF(34 - inset, y + 0.8));
    }

    // Mounting flange with its two thumbscrews.
    p.setPen(QPen(QColor(0x3b, 0x42, 0x4a), 0.7));
    p.setBrush(Painting::metal(QPointF(0, 8), QPointF(0, 21)));
    p.drawRoundedRect(QRectF(2.5, 8, 41, 13), 2, 2);
    for (qreal x : {6.8, 39.2}) {
        const QPointF s(x, 14.5);
        QRadialGradient knurl(s, 4.4, s + QPointF(-1.2, -1.5));
        knurl.setColorAt(0.0, QColor(0xff, 0xff, 0xff));
        knurl.setColorAt(0.6, QColor(0xa6, 0xae, 0xb7));
        knurl.setColorAt(1.0, QColor(0x4b, 0x53, 0x5c));
        p.setPen(QPen(QColor(0x2c, 0x32, 0x38), 0.6));
        p.setBrush(knurl);
        p.drawEllipse(s, 3.8, 3.8);
        p.setPen(QPen(QColor(0x2c, 0x32, 0x38), 0.9));
        p.drawLine(s + QPointF(-2.2, 0), s + QPointF(2.2, 0));
    }

    // The D-shaped shell and the insulator with its nine pins.
    auto dShape = [](QRectF r, qreal slant, qreal round) {
        QPainterPath d;
        d.moveTo(r.left() + round, r.top());
        d.lineTo(r.right() - round, r.top());
        d.quadTo(r.right(), r.top(), r.right() - 0.2, r.top() + round);
        d.lineTo(r.right() - slant, r.bottom() - round);
        d.quadTo(r.right() - slant - 0.3, r.bottom(), r.right() - slant - round, r.bottom());
        d.lineTo(r.left() + slant + round, r.bottom());
        d.quadTo(r.left() + slant + 0.3, r.bottom(), r.left() + slant, r.bottom() - round);
        d.lineTo(r.left() + 0.2, r.top() + round);
        d.quadTo(r.left(), r.top(), r.left() + round, r.top());
        return d;
    };
    p.setPen(QPen(QColor(0x30, 0x36, 0x3d), 0.8));
    p.setBrush(Painting::metal(QPointF(10, 5), QPointF(36, 22)));
    p.drawPath(dShape(QRectF(9.5, 5.5, 27, 15.5), 3.2, 2.6));
    QLinearGradient insulator(QPointF(0, 7.5), QPointF(0, 19));
    insulator.setColorAt(0.0, QColor(0x0b, 0x0d, 0x10));
    insulator.setColorAt(1.0, QColor(0x35, 0x3b, 0x42));
    p.setPen(Qt::NoPen);
    p.setBrush(insulator);
    p.drawPath(dShape(QRectF(11.8, 7.6, 22.4, 11.4), 2.6, 2.0));
    auto pin = [&](qreal x, qreal y) {
        QRadialGradient gold(QPointF(x, y), 1.6, QPointF(x - 0.5, y - 0.6));
        gold.setColorAt(0.0, QColor(0xff, 0xf6, 0xc2));
        gold.setColorAt(0.6, QColor(0xe0, 0xb0, 0x3a));
        gold.setColorAt(1.0, QColor(0x8a, 0x62, 0x10));
        p.setBrush(gold);
        p.drawEllipse(QPointF(x, y), 1.35, 1.35);
    };
    for (int i = 0; i < 5; ++i)
        pin(15.0 + i * 4.0, 11.0);
    for (int i = 0; i < 4; ++i)
        pin(17.0 + i * 4.0, 15.5);
}

// The classic database drum: a steel cylinder in three bands.
void drawDrum(QPainter &p) {
    const qreal left = 8.5, right = 37.5, top = 7, bottom = 39, ry = 4.6;
    const qreal w = right - left;
    QLinearGradient steel(QPointF(left, 0), QPointF(right, 0));
    steel.setColorAt(0.00, QColor(0x3d, 0x52, 0x6b));
    steel.setColorAt(0.22, QColor(0xa9, 0xc0, 0xda));
    steel.setColorAt(0.40, QColor(0xf1, 0xf6, 0xfc));
    steel.setColorAt(0.62, QColor(0x9d, 0xb5, 0xd0));
    steel.setColorAt(1.00, QColor(0x30, 0x44, 0x5c));

    QPainterPath body;
    body.moveTo(left, top);
    body.lineTo(left, bottom);
    body.arcTo(QRectF(left, bottom - ry, w, 2 * ry), 180, 180);
    body.lineTo(right, top);
    body.closeSubpath();
    p.setPen(QPen(QColor(0x22, 0x33, 0x47), 0.8));
    p.setBrush(steel);
    p.drawPath(body);

    // Seams between the platters: a shadow line and a highlight under it.
    for (qreal y : {top + (bottom - top) / 3.0, top + 2 * (bottom - top) / 3.0}) {
        QPainterPath seam;
        seam.arcMoveTo(QRectF(left, y - ry, w, 2 * ry), 180);
        seam.arcTo(QRectF(left, y - ry, w, 2 * ry), 180, 180);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0x1e, 0x2e, 0x40, 200), 0.9));
        p.drawPath(seam);
        p.setPen(QPen(QColor(255, 255, 255, 150), 0.7));
        p.drawPath(seam.translated(0, 1.0));
    }

    QLinearGradient lid(QPointF(left, top - ry), QPointF(right, top + ry));
    lid.setColorAt(0.0, QColor(0xfb, 0xfd, 0xff));
    lid.setColorAt(0.6, QColor(0xc9, 0xd8, 0xe8));
    lid.setColorAt(1.0, QColor(0x8a, 0xa2, 0xbe));
    p.setPen(QPen(QColor(0x22, 0x33, 0x47), 0.8));
    p.setBrush(lid);
    p.drawEllipse(QRectF(left, top - ry, w, 2 * ry));
    p.setPen(QPen(QColor(255, 255, 255, 180), 0.6));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRectF(left + 4, top - ry + 1.5, w - 8, 2 * ry - 3));
}

QImage indicator(const std::function<void(QPainter &)> &drawObject, bool ok) {
    const QImage object = Painting::withShadow(Painting::supersampled({46, 46}, 8, drawObject),
                                               {0.8, 1.4}, 1, QColor(0, 0, 0, 120));
    const QImage base = ok ? object : Painting::desaturated(object, 0.55);
    const QImage mark = Painting::supersampled({46, 46}, 8, [&](QPainter &p) {
        if (ok)
            Painting::drawOkBadge(p, QPointF(36.5, 36.5), 7.2);
        else
            Painting::drawCrossOut(p, QRectF(2, 2, 42, 42), 3.6);
    });
    QImage out = base;
    QPainter p(&out);
    p.drawImage(0, 0, mark);
    return out;
}

} // namespace

QImage connector(bool connected) {
    return indicator(drawPlug, connected);
}

QImage database(bool saving) {
    return indicator(drawDrum, saving);
}

} // namespace Artwork

#include "Artwork.h"
#include "Painting.h"

#include <QPainterPath>

namespace Artwork {
namespace {

struct LensColours {
    QColor core, mid, edge;
    bool lit;
};

LensColours coloursOf(LampColour colour) {
    switch (colour) {
    case LampColour::Blue:
        return {QColor(0xe4, 0xf6, 0xff), QColor(0x2f, 0x9b, 0xff), QColor(0x06, 0x2c, 0x80), true};
    case LampColour::Red:
        return {QColor(0xff, 0xeb, 0xd8), QColor(0xff, 0x2e, 0x1c), QColor(0x70, 0x05, 0x03), true};
    case LampColour::Green:
        return {QColor(0xf0, 0xff, 0xe0), QColor(0x3c, 0xe0, 0x1a), QColor(0x08, 0x5e, 0x04), true};
    case LampColour::Off:
        return {QColor(0x74, 0x7a, 0x80), QColor(0x44, 0x49, 0x4f), QColor(0x17, 0x1a, 0x1d),
                false};
    case LampColour::Neutral:
        return {QColor(0xf4, 0xf6, 0xf8), QColor(0xbc, 0xc3, 0xcb), QColor(0x5f, 0x67, 0x70),
                false};
    }
    return {};
}

void drawBezel(QPainter &p, QPointF c) {
    // Outer chromed ring: a turned finish (conical) lit from the top left.
    QConicalGradient turned(c, 45);
    const QColor light(0xf6, 0xf8, 0xfa), dark(0x7d, 0x87, 0x92);
    for (int i = 0; i <= 8; ++i)
        turned.setColorAt(i / 8.0, i % 2 ? dark : light);
    p.setPen(QPen(QColor(0x26, 0x2c, 0x32, 200), 0.7));
    p.setBrush(turned);
    p.drawEllipse(c, 28.3, 28.3);
    QLinearGradient shade(c + QPointF(-20, -20), c + QPointF(20, 20));
    shade.setColorAt(0.0, QColor(255, 255, 255, 120));
    shade.setColorAt(0.5, QColor(255, 255, 255, 0));
    shade.setColorAt(1.0, QColor(0, 0, 0, 110));
    p.setPen(Qt::NoPen);
    p.setBrush(shade);
    p.drawEllipse(c, 28.0, 28.0);

    // Chamfer sloping into the housing: dark where the light cannot reach.
    QLinearGradient chamfer(c + QPointF(-18, -18), c + QPointF(18, 18));
    chamfer.setColorAt(0.0, QColor(0x34, 0x3a, 0x41));
    chamfer.setColorAt(0.55, QColor(0x9a, 0xa3, 0xad));
    chamfer.setColorAt(1.0, QColor(0xf2, 0xf5, 0xf8));
    p.setBrush(chamfer);
    p.drawEllipse(c, 24.6, 24.6);

    p.setBrush(QColor(0x0e, 0x10, 0x13));
    p.drawEllipse(c, 22.4, 22.4);
}

void drawLens(QPainter &p, QPointF c, const LensColours &k) {
    const qreal r = 21.2;
    QPainterPath lensPath;
    lensPath.addEllipse(c, r, r);
    p.save();
    p.setClipPath(lensPath);

    QRadialGradient body(c, r, c + QPointF(-3.5, -5.5));
    body.setColorAt(0.0, k.core);
    body.setColorAt(k.lit ? 0.42 : 0.35, k.mid);
    body.setColorAt(1.0, k.edge);
    p.setPen(Qt::NoPen);
    p.setBrush(body);
    p.drawEllipse(c, r, r);

    if (k.lit) {
        // The filament's bloom and a brighter rim where light leaves the glass.
        QRadialGradient bloom(c, 13);
        bloom.setColorAt(0.0, QColor(255, 255, 255, 170));
        bloom.setColorAt(0.35, QColor(k.core.red(), k.core.green(), k.core.blue(), 110));
        bloom.setColorAt(1.0, QColor(255, 255, 255, 0));
        p.setBrush(bloom);
        p.drawEllipse(c, 13, 13);
        QColor rim = k.mid;
        rim.setAlpha(150);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(rim, 1.6));
        p.drawEllipse(c, r - 0.8, r - 0.8);
    }

    // Fresnel rings moulded into the lens.
    for (qreal ring = 4.0; ring < r - 1; ring += 3.2) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0, 0, 0, k.lit ? 26 : 34), 0.55));
        p.drawEllipse(c + QPointF(0.35, 0.45), ring, ring);
        p.setPen(QPen(QColor(255, 255, 255, k.lit ? 40 : 22), 0.5));
        p.drawEllipse(c, ring, ring);
    }

    // Reflections of the room on the domed glass.
    QLinearGradient gloss(QPointF(0, c.y() - 19.5), QPointF(0, c.y() - 3));
    gloss.setColorAt(0.0, QColor(255, 255, 255, k.lit ? 215 : 175));
    gloss.setColorAt(1.0, QColor(255, 255, 255, 8));
    p.setPen(Qt::NoPen);
    p.setBrush(gloss);
    p.drawEllipse(QRectF(c.x() - 13.5, c.y() - 19.5, 27, 16.5));
    QLinearGradient lower(QPointF(0, c.y() + 19), QPointF(0, c.y() + 11));
    lower.setColorAt(0.0, QColor(255, 255, 255, k.lit ? 90 : 45));
    lower.setColorAt(1.0, QColor(255, 255, 255, 0));
    p.setBrush(lower);
    p.drawEllipse(QRectF(c.x() - 11, c.y() + 10, 22, 9.5));
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawEllipse(c + QPointF(-8.2, -12.0), 1.5, 1.5);
    p.restore();

    // Inner shadow of the seat over the rim of the lens.
    QRadialGradient seat(c, r + 0.2);
    seat.setColorAt(0.86, QColor(0, 0, 0, 0));
    seat.setColorAt(1.0, QColor(0, 0, 0, 120));
    p.setBrush(seat);
    p.drawEllipse(c, r, r);
}

} // namespace

QImage lamp(LampColour colour) {
    const LensColours k = coloursOf(colour);
    const QPointF c(32, 31);
    const QImage body = Painting::supersampled({64, 64}, 8, [&](QPainter &p) {
        drawBezel(p, c);
        drawLens(p, c, k);
    });
    return Painting::withShadow(body, {0, 1.6}, 2, QColor(0, 0, 0, 150));
}

} // namespace Artwork

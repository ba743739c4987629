#include "Artwork.h"
#include "Painting.h"

#include <QPainterPath>
#include <QtMath>

namespace Artwork {
namespace {

// A toothed wheel centred on `c`, outer radius `r`.
QPainterPath gear(QPointF c, qreal r, int teeth) {
    QPainterPath path;
    const qreal inner = r * 0.78;
    for (int i = 0; i < teeth * 4; ++i) {
        const qreal a = 2 * M_PI * i / (teeth * 4);
        const qreal rr = (i % 4 == 1 || i % 4 == 2) ? r : inner;
        const QPointF p = c + QPointF(rr * qCos(a), rr * qSin(a));
        if (i == 0)
            path.moveTo(p);
        else
            path.lineTo(p);
    }
    path.closeSubpath();
    QPainterPath hole;
    hole.addEllipse(c, r * 0.34, r * 0.34);
    return path.subtracted(hole);
}

} // namespace

QImage editorCorner() {
    const QSize size(164, 112);
    QImage out = Painting::supersampled(size, 4, [&](QPainter &p) {
        const QRectF tile(0.5, 0.5, size.width() - 1, size.height() - 1);
        QLinearGradient sky(tile.topLeft(), tile.bottomLeft());
        sky.setColorAt(0.0, QColor(0x10, 0x3a, 0x6c));
        sky.setColorAt(1.0, QColor(0x06, 0x17, 0x2e));
        p.setPen(QPen(QColor(0x06, 0x1d, 0x40), 1));
        p.setBrush(sky);
        p.drawRoundedRect(tile, 8, 8);

        // A steel gear behind the product mark.
        const QPainterPath wheel = gear(QPointF(112, 44), 34, 10);
        p.setPen(QPen(QColor(0x2a, 0x3c, 0x52), 1.2));
        p.setBrush(Painting::metal(QPointF(78, 10), QPointF(146, 78)));
        p.drawPath(wheel);

        QLinearGradient accent(QPointF(0, 0), QPointF(size.width(), 0));
        accent.setColorAt(0.0, QColor(0xff, 0xa8, 0x2a));
        accent.setColorAt(1.0, QColor(0x4c, 0xd6, 0xff, 120));
        p.setPen(Qt::NoPen);
        p.setBrush(accent);
        p.drawRect(QRectF(10, 84, size.width() - 20, 2));
    });

    QPainter p(&out);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    p.drawImage(QPointF(15, 15), Painting::shadowOf(productMark(58), 3, QColor(0, 0, 0, 170)));
    p.drawImage(QPointF(14, 13), productMark(58));
    Painting::drawGlowText(p, QRectF(0, 86, size.width(), 24), Qt::AlignCenter,
                           QStringLiteral("Configuraci\u00f3n"), Painting::font(15, QFont::Bold),
                           Qt::white, QColor(0, 0, 0, 200), 2);
    return out;
}

QImage helpBadge() {
    const QSize size(24, 24);
    QImage out = Painting::supersampled(size, 8, [&](QPainter &p) {
        QRadialGradient ball(QPointF(9, 8), 14);
        ball.setColorAt(0.0, QColor(0x6c, 0xb4, 0xff));
        ball.setColorAt(1.0, QColor(0x14, 0x55, 0xa8));
        p.setPen(QPen(QColor(0x0a, 0x2c, 0x5e), 1));
        p.setBrush(ball);
        p.drawEllipse(QRectF(1, 1, 22, 22));
    });
    QPainter p(&out);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    p.setPen(Qt::white);
    p.setFont(Painting::font(17, QFont::Bold));
    p.drawText(QRectF(0, 0, 24, 24), Qt::AlignCenter, QStringLiteral("?"));
    return out;
}

} // namespace Artwork

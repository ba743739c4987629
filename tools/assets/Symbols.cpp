#include "Symbols.h"
#include "Painting.h"

#include <QPainterPath>

namespace Symbols {

const QColor kLine(0x9c, 0xcc, 0xff, 95);
const QColor kLineFaint(0x9c, 0xcc, 0xff, 55);
const QColor kFill(0x9c, 0xcc, 0xff, 18);

void drawGrid(QPainter &p, QSize size) {
    for (int x = 0; x <= size.width(); x += 10) {
        const bool major = x % 50 == 0;
        p.setPen(QPen(QColor(0x7f, 0xb4, 0xff, major ? 26 : 10), major ? 0.8 : 0.5));
        p.drawLine(QPointF(x, 0), QPointF(x, size.height()));
    }
    for (int y = 0; y <= size.height(); y += 10) {
        const bool major = y % 50 == 0;
        p.setPen(QPen(QColor(0x7f, 0xb4, 0xff, major ? 26 : 10), major ? 0.8 : 0.5));
        p.drawLine(QPointF(0, y), QPointF(size.width(), y));
    }
}

void drawVessel(QPainter &p, QRectF r, qreal level) {
    const qreal dome = r.width() * 0.28;
    QPainterPath shell;
    shell.moveTo(r.left(), r.bottom());
    shell.lineTo(r.left(), r.top() + dome);
    shell.cubicTo(r.left(), r.top(), r.right(), r.top(), r.right(), r.top() + dome);
    shell.lineTo(r.right(), r.bottom());
    shell.closeSubpath();
    p.setPen(QPen(kLine, 2));
    p.setBrush(kFill);
    p.drawPath(shell);
    const QRectF liquid(r.left() + 1, r.bottom() - (r.height() - dome) * level, r.width() - 2,
                        (r.height() - dome) * level - 1);
    QLinearGradient g(liquid.topLeft(), liquid.bottomLeft());
    g.setColorAt(0.0, QColor(0x3f, 0x9c, 0xff, 70));
    g.setColorAt(1.0, QColor(0x3f, 0x9c, 0xff, 25));
    p.setPen(Qt::NoPen);
    p.setBrush(g);
    p.drawRect(liquid);
    p.setPen(QPen(QColor(0x9c, 0xcc, 0xff, 120), 1, Qt::DashLine));
    p.drawLine(liquid.topLeft(), liquid.topRight());
    // Support legs.
    p.setPen(QPen(kLine, 2));
    p.drawLine(QPointF(r.left() + 6, r.bottom()), QPointF(r.left() + 2, r.bottom() + 12));
    p.drawLine(QPointF(r.right() - 6, r.bottom()), QPointF(r.right() - 2, r.bottom() + 12));
}

void drawPump(QPainter &p, QPointF c, qreal r) {
    p.setPen(QPen(kLine, 2));
    p.setBrush(kFill);
    p.drawEllipse(c, r, r);
    QPainterPath tri;
    tri.moveTo(c + QPointF(-r * 0.5, -r * 0.7));
    tri.lineTo(c + QPointF(r * 0.85, 0));
    tri.lineTo(c + QPointF(-r * 0.5, r * 0.7));
    tri.closeSubpath();
    p.setBrush(QColor(0x9c, 0xcc, 0xff, 45));
    p.drawPath(tri);
}

void drawValve(QPainter &p, QPointF c, bool vertical) {
    const qreal s = 9;
    QPainterPath v;
    if (vertical) {
        v.moveTo(c + QPointF(-s * 0.8, -s));
        v.lineTo(c + QPointF(s * 0.8, -s));
        v.lineTo(c + QPointF(-s * 0.8, s));
        v.lineTo(c + QPointF(s * 0.8, s));
    } else {
        v.moveTo(c + QPointF(-s, -s * 0.8));
        v.lineTo(c + QPointF(-s, s * 0.8));
        v.lineTo(c + QPointF(s, -s * 0.8));
        v.lineTo(c + QPointF(s, s * 0.8));
    }
    v.closeSubpath();
    p.setPen(QPen(kLine, 2));
    p.setBrush(QColor(0x0c, 0x26, 0x48));
    p.drawPath(v);
    const QPointF stem = vertical ? QPointF(-s * 1.6, 0) : QPointF(0, -s * 1.6);
    p.drawLine(c, c + stem);
    p.drawLine(c + stem + (vertical ? QPointF(0, -4) : QPointF(-5, 0)),
               c + stem + (vertical ? QPointF(0, 4) : QPointF(5, 0)));
}

void drawExchanger(QPainter &p, QRectF r) {
    p.setPen(QPen(kLine, 2));
    p.setBrush(kFill);
    p.drawRoundedRect(r, r.height() / 2, r.height() / 2);
    QPainterPath coil;
    coil.moveTo(r.left() + 10, r.center().y());
    const int turns = 6;
    const qreal step = (r.width() - 20) / turns;
    for (int i = 0; i < turns; ++i) {
        const qreal x = r.left() + 10 + i * step;
        coil.lineTo(x + step / 2, r.top() + 8 + (i % 2) * (r.height() - 16));
        coil.lineTo(x + step, r.center().y());
    }
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0xff, 0xb4, 0x3c, 110), 1.6));
    p.drawPath(coil);
}

void drawInstrument(QPainter &p, QPointF c, const QString &kind, const QString &number) {
    p.setPen(QPen(kLineFaint, 1.2));
    p.setBrush(QColor(0x08, 0x1c, 0x36));
    p.drawEllipse(c, 15, 15);
    p.drawLine(c + QPointF(-15, 0), c + QPointF(15, 0));
    p.setPen(QColor(0xb8, 0xdc, 0xff, 150));
    p.setFont(Painting::font(8.5, QFont::Bold, "DejaVu Sans"));
    p.drawText(QRectF(c.x() - 15, c.y() - 13, 30, 12), Qt::AlignCenter, kind);
    p.setFont(Painting::font(8, QFont::Normal, "DejaVu Sans"));
    p.drawText(QRectF(c.x() - 15, c.y() + 1, 30, 12), Qt::AlignCenter, number);
}

void drawFlowArrow(QPainter &p, QPointF tip, qreal degrees) {
    p.save();
    p.translate(tip);
    p.rotate(-degrees);
    QPainterPath a;
    a.moveTo(0, 0);
    a.lineTo(-9, -4.5);
    a.lineTo(-9, 4.5);
    a.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0x9c, 0xcc, 0xff, 130));
    p.drawPath(a);
    p.restore();
}

void drawPipe(QPainter &p, const QList<QPointF> &pts) {
    QPainterPath path(pts.first());
    for (int i = 1; i < pts.size(); ++i)
        path.lineTo(pts[i]);
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(0x05, 0x12, 0x25, 160), 6, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPath(path);
    p.setPen(QPen(kLine, 2.2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    p.drawPath(path);
}

void drawTap(QPainter &p, QPointF from, QPointF to) {
    p.setPen(QPen(kLineFaint, 1.1, Qt::DashLine));
    p.drawLine(from, to);
}

void drawScrew(QPainter &p, QPointF c) {
    QRadialGradient head(c, 6, c + QPointF(-1.8, -2));
    head.setColorAt(0.0, QColor(0xe8, 0xee, 0xf4));
    head.setColorAt(0.7, QColor(0x7a, 0x86, 0x94));
    head.setColorAt(1.0, QColor(0x33, 0x3c, 0x47));
    p.setPen(QPen(QColor(0x02, 0x08, 0x12, 200), 1));
    p.setBrush(head);
    p.drawEllipse(c, 5.5, 5.5);
    p.setPen(QPen(QColor(0x20, 0x27, 0x30), 1.4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(c + QPointF(-3.2, 2.0), c + QPointF(3.2, -2.0));
    p.setPen(QPen(QColor(255, 255, 255, 120), 0.6));
    p.drawLine(c + QPointF(-3.0, 2.9), c + QPointF(3.4, -1.1));
}

} // namespace Symbols

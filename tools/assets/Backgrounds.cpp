#include "Artwork.h"
#include "Painting.h"

#include <QPainterPath>
#include <QtMath>

namespace Artwork {
namespace {

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

// A vertical vessel with a domed head and its liquid level.
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

// Bow-tie valve on a horizontal (or vertical) line.
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

// Instrument bubble with its tag, as on a P&ID.
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

void drawPlant(QPainter &p) {
    auto pipe = [&](const QList<QPointF> &pts) {
        QPainterPath path(pts.first());
        for (int i = 1; i < pts.size(); ++i)
            path.lineTo(pts[i]);
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0x05, 0x12, 0x25, 160), 6, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        p.drawPath(path);
        p.setPen(QPen(kLine, 2.2, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
        p.drawPath(path);
    };

    // Feed tanks to pump, exchanger and the process vessel, with a return line.
    pipe({{95, 350}, {95, 372}, {250, 372}});
    pipe({{190, 350}, {190, 372}});
    pipe({{250, 372}, {278, 372}});
    pipe({{314, 372}, {382, 372}});
    pipe({{498, 372}, {600, 372}, {600, 350}});
    pipe({{600, 236}, {600, 212}, {140, 212}, {140, 262}});
    pipe({{640, 300}, {676, 300}});
    drawVessel(p, QRectF(60, 255, 70, 95), 0.62);
    drawVessel(p, QRectF(158, 280, 64, 70), 0.40);
    drawVessel(p, QRectF(562, 236, 76, 114), 0.55);
    drawPump(p, QPointF(296, 372), 18);
    drawExchanger(p, QRectF(382, 354, 116, 36));
    drawValve(p, QPointF(238, 372), false);
    drawValve(p, QPointF(545, 372), false);
    drawValve(p, QPointF(380, 212), false);
    drawValve(p, QPointF(140, 240), true);
    drawFlowArrow(p, QPointF(352, 372), 0);
    drawFlowArrow(p, QPointF(580, 372), 0);
    drawFlowArrow(p, QPointF(300, 212), 180);
    drawFlowArrow(p, QPointF(676, 300), 0);

    // Instrument taps.
    auto tap = [&](QPointF from, QPointF to) {
        p.setPen(QPen(kLineFaint, 1.1, Qt::DashLine));
        p.drawLine(from, to);
    };
    tap(QPointF(130, 300), QPointF(44, 300));
    drawInstrument(p, QPointF(32, 300), "LT", "101");
    tap(QPointF(296, 354), QPointF(296, 318));
    drawInstrument(p, QPointF(296, 303), "PT", "102");
    tap(QPointF(440, 354), QPointF(440, 318));
    drawInstrument(p, QPointF(440, 303), "TT", "103");
    tap(QPointF(480, 212), QPointF(480, 248));
    drawInstrument(p, QPointF(480, 263), "FT", "104");
    tap(QPointF(638, 270), QPointF(662, 250));
    drawInstrument(p, QPointF(670, 240), "LT", "105");
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

// The picture glyph of the placeholders: a frame with hills and a sun.
void drawPictureGlyph(QPainter &p, QRectF r, QColor ink, qreal pen) {
    p.setPen(QPen(ink, pen, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawRoundedRect(r, r.width() * 0.08, r.width() * 0.08);
    QPainterPath hills;
    hills.moveTo(r.left() + r.width() * 0.08, r.bottom() - r.height() * 0.12);
    hills.lineTo(r.left() + r.width() * 0.38, r.top() + r.height() * 0.42);
    hills.lineTo(r.left() + r.width() * 0.58, r.top() + r.height() * 0.66);
    hills.lineTo(r.left() + r.width() * 0.70, r.top() + r.height() * 0.54);
    hills.lineTo(r.right() - r.width() * 0.08, r.bottom() - r.height() * 0.12);
    hills.closeSubpath();
    QColor fill = ink;
    fill.setAlpha(ink.alpha() / 3);
    p.setBrush(fill);
    p.drawPath(hills);
    p.drawEllipse(QPointF(r.left() + r.width() * 0.74, r.top() + r.height() * 0.28),
                  r.width() * 0.08, r.width() * 0.08);
}

} // namespace

QImage welcome() {
    const QSize size(700, 530);
    QImage out = Painting::supersampled(size, 2, [&](QPainter &p) {
        QRadialGradient base(QPointF(350, 250), 470, QPointF(350, 200));
        base.setColorAt(0.0, QColor(0x1d, 0x52, 0x8c));
        base.setColorAt(0.55, QColor(0x0e, 0x2b, 0x52));
        base.setColorAt(1.0, QColor(0x05, 0x11, 0x24));
        p.fillRect(QRectF(QPointF(0, 0), size), base);
        drawGrid(p, size);
        drawPlant(p);

        // Soft light from above and a darker floor for the name plate.
        QLinearGradient floor(QPointF(0, 395), QPointF(0, 530));
        floor.setColorAt(0.0, QColor(0, 0, 0, 0));
        floor.setColorAt(0.35, QColor(0x02, 0x0a, 0x18, 120));
        floor.setColorAt(1.0, QColor(0x02, 0x0a, 0x18, 170));
        p.fillRect(QRectF(0, 395, 700, 135), floor);

        // Bevelled frame of the panel.
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(255, 255, 255, 60), 1));
        p.drawRect(QRectF(0.5, 0.5, 699, 529));
        p.setPen(QPen(QColor(0, 0, 0, 150), 3));
        p.drawRect(QRectF(2.5, 2.5, 695, 525));
        p.setPen(QPen(QColor(0x7f, 0xb4, 0xff, 60), 1));
        p.drawRect(QRectF(5.5, 5.5, 689, 519));
        for (QPointF s : {QPointF(16, 16), QPointF(684, 16), QPointF(16, 514), QPointF(684, 514)})
            drawScrew(p, s);
    });

    QPainter p(&out);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    const QFont title = Painting::font(46, QFont::Bold);
    const QString name = QStringLiteral("Korvane Direct");
    const qreal nameWidth = QFontMetricsF(title).horizontalAdvance(name);
    Painting::drawGlowText(p, QPointF((700 - nameWidth) / 2, 452), name, title,
                           QColor(0xf2, 0xf7, 0xff), QColor(0x3f, 0x9c, 0xff, 150), 6, {0, 0});

    QLinearGradient rule(QPointF(170, 0), QPointF(530, 0));
    rule.setColorAt(0.0, QColor(0xff, 0xb4, 0x3c, 0));
    rule.setColorAt(0.5, QColor(0xff, 0xb4, 0x3c, 200));
    rule.setColorAt(1.0, QColor(0xff, 0xb4, 0x3c, 0));
    p.fillRect(QRectF(170, 466, 360, 1.5), rule);

    QFont sub = Painting::font(15, QFont::Bold);
    sub.setLetterSpacing(QFont::AbsoluteSpacing, 9);
    const QString scada = QStringLiteral("SCADA");
    const qreal subWidth = QFontMetricsF(sub).horizontalAdvance(scada) - 9;
    p.setFont(sub);
    p.setPen(QColor(0x9c, 0xc6, 0xf2, 150));
    p.drawText(QPointF((700 - subWidth) / 2, 492), scada);
    return out.convertToFormat(QImage::Format_RGB32);
}

QImage noImage() {
    const QSize size(700, 530);
    QImage out = Painting::supersampled(size, 2, [&](QPainter &p) {
        QLinearGradient bg(QPointF(0, 0), QPointF(0, size.height()));
        bg.setColorAt(0.0, QColor(0xee, 0xf1, 0xf4));
        bg.setColorAt(1.0, QColor(0xcd, 0xd4, 0xdb));
        p.fillRect(QRectF(QPointF(0, 0), size), bg);
        p.setPen(QPen(QColor(0x8a, 0x96, 0xa3, 28), 1));
        for (int d = -size.height(); d < size.width(); d += 18)
            p.drawLine(QPointF(d, size.height()), QPointF(d + size.height(), 0));

        const QRectF card(200, 140, 300, 250);
        QPainterPath cardPath;
        cardPath.addRoundedRect(card, 14, 14);
        p.fillPath(cardPath.translated(0, 3), QColor(0, 0, 0, 22));
        p.fillPath(cardPath, QColor(0xf8, 0xfa, 0xfc, 235));
        p.setPen(QPen(QColor(0x9a, 0xa5, 0xb1), 2, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawPath(cardPath);
        drawPictureGlyph(p, QRectF(295, 180, 110, 88), QColor(0x8a, 0x96, 0xa3), 4);
    });
    QPainter p(&out);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    p.setPen(QColor(0x5f, 0x6b, 0x78));
    p.setFont(Painting::font(30, QFont::Bold));
    p.drawText(QRectF(200, 285, 300, 44), Qt::AlignCenter, QStringLiteral("Sin imagen"));
    p.setPen(QColor(0x7d, 0x88, 0x94));
    p.setFont(Painting::font(14));
    p.drawText(QRectF(200, 330, 300, 24), Qt::AlignCenter,
               QStringLiteral("Imagen de fondo de 700 \u00d7 530 p\u00edxeles"));
    return out.convertToFormat(QImage::Format_RGB32);
}

QImage noImageIcon() {
    QImage out = Painting::supersampled({64, 64}, 8, [&](QPainter &p) {
        const QRectF tile(2.5, 2.5, 59, 59);
        QLinearGradient bg(tile.topLeft(), tile.bottomLeft());
        bg.setColorAt(0.0, QColor(0xf4, 0xf6, 0xf8));
        bg.setColorAt(1.0, QColor(0xd8, 0xde, 0xe4));
        p.setBrush(bg);
        p.setPen(QPen(QColor(0x98, 0xa3, 0xae), 1.3, Qt::DashLine));
        p.drawRoundedRect(tile, 8, 8);
        drawPictureGlyph(p, QRectF(18, 10, 28, 22), QColor(0x87, 0x93, 0xa0), 1.8);
    });
    QPainter p(&out);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    p.setPen(QColor(0x5f, 0x6b, 0x78));
    QFont f = Painting::font(10, QFont::Bold, "DejaVu Sans Condensed");
    f.setHintingPreference(QFont::PreferFullHinting);
    p.setFont(f);
    p.drawText(QRectF(2, 36, 60, 12), Qt::AlignCenter, QStringLiteral("Sin"));
    p.drawText(QRectF(2, 47, 60, 12), Qt::AlignCenter, QStringLiteral("imagen"));
    return out;
}

} // namespace Artwork

#include "Artwork.h"
#include "Painting.h"
#include "Symbols.h"

#include <QPainterPath>
#include <QtMath>

namespace Artwork {
namespace {

using namespace Symbols;

void drawPlant(QPainter &p) {
    // Feed tanks to pump, exchanger and the process vessel, with a return line.
    drawPipe(p, {{95, 350}, {95, 372}, {250, 372}});
    drawPipe(p, {{190, 350}, {190, 372}});
    drawPipe(p, {{250, 372}, {278, 372}});
    drawPipe(p, {{314, 372}, {382, 372}});
    drawPipe(p, {{498, 372}, {600, 372}, {600, 350}});
    drawPipe(p, {{600, 236}, {600, 212}, {140, 212}, {140, 262}});
    drawPipe(p, {{640, 300}, {676, 300}});
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
    drawTap(p, QPointF(130, 300), QPointF(44, 300));
    drawInstrument(p, QPointF(32, 300), "LT", "101");
    drawTap(p, QPointF(296, 354), QPointF(296, 318));
    drawInstrument(p, QPointF(296, 303), "PT", "102");
    drawTap(p, QPointF(440, 354), QPointF(440, 318));
    drawInstrument(p, QPointF(440, 303), "TT", "103");
    drawTap(p, QPointF(480, 212), QPointF(480, 248));
    drawInstrument(p, QPointF(480, 263), "FT", "104");
    drawTap(p, QPointF(638, 270), QPointF(662, 250));
    drawInstrument(p, QPointF(670, 240), "LT", "105");
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

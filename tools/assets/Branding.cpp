#include "Artwork.h"
#include "Painting.h"

#include <QPainterPath>
#include <QtMath>

namespace Artwork {
namespace {

QPointF onCircle(QPointF c, qreal r, qreal degrees) {
    const qreal a = qDegreesToRadians(degrees);
    return c + QPointF(r * qCos(a), -r * qSin(a));
}

// The product mark: a blue enamel tile carrying a dial gauge. `s` is the
// side of the square it fills; fine ticks are left out on small sizes.
void drawMark(QPainter &p, qreal s, bool detailed) {
    const QRectF tile(0.5, 0.5, s - 1, s - 1);
    const qreal round = s * 0.22;
    QLinearGradient enamel(tile.topLeft(), tile.bottomLeft());
    enamel.setColorAt(0.0, QColor(0x4c, 0x9c, 0xf0));
    enamel.setColorAt(0.55, QColor(0x14, 0x55, 0xa8));
    enamel.setColorAt(1.0, QColor(0x0a, 0x2c, 0x5e));
    p.setPen(QPen(QColor(0x06, 0x1d, 0x40), s / 48.0));
    p.setBrush(enamel);
    p.drawRoundedRect(tile, round, round);

    // Glassy highlight on the upper half.
    QPainterPath gloss;
    gloss.addRoundedRect(tile.adjusted(s * 0.05, s * 0.04, -s * 0.05, -s * 0.50), round * 0.8,
                         round * 0.8);
    QLinearGradient shine(tile.topLeft(), QPointF(tile.left(), tile.top() + s * 0.5));
    shine.setColorAt(0.0, QColor(255, 255, 255, 120));
    shine.setColorAt(1.0, QColor(255, 255, 255, 10));
    p.setPen(Qt::NoPen);
    p.setBrush(shine);
    p.drawPath(gloss);

    const QPointF c(s / 2, s * 0.57);
    const qreal r = s * 0.33;
    const QRectF arcBox(c.x() - r, c.y() - r, 2 * r, 2 * r);
    const qreal penW = s * 0.075;
    // Scale from 210 to -30 degrees; the last third is the red zone.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 235), penW, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(arcBox, 210 * 16, -170 * 16);
    QConicalGradient zone(c, 0);
    zone.setColorAt(0.0, QColor(0xff, 0x3b, 0x2a));
    zone.setColorAt(0.12, QColor(0xff, 0xb4, 0x3c));
    zone.setColorAt(0.92, QColor(0xff, 0x3b, 0x2a));
    p.setPen(QPen(QBrush(zone), penW, Qt::SolidLine, Qt::FlatCap));
    p.drawArc(arcBox, 40 * 16, -70 * 16);

    if (detailed) {
        for (int i = 0; i <= 8; ++i) {
            const qreal a = 210 - i * 30;
            p.setPen(QPen(QColor(255, 255, 255, 200), s * 0.022, Qt::SolidLine, Qt::RoundCap));
            p.drawLine(onCircle(c, r - penW * 0.9, a), onCircle(c, r - penW * 1.9, a));
        }
    }

    // Needle with a shadow, pointing into the upper range.
    const qreal needleAngle = 55;
    const QPointF tip = onCircle(c, r * 0.92, needleAngle);
    QPainterPath needle;
    needle.moveTo(tip);
    needle.lineTo(onCircle(c, s * 0.045, needleAngle + 90));
    needle.lineTo(onCircle(c, s * 0.10, needleAngle + 180));
    needle.lineTo(onCircle(c, s * 0.045, needleAngle - 90));
    needle.closeSubpath();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 0, 0, 90));
    p.drawPath(needle.translated(s * 0.015, s * 0.025));
    QLinearGradient amber(c, tip);
    amber.setColorAt(0.0, QColor(0xff, 0xd0, 0x70));
    amber.setColorAt(1.0, QColor(0xff, 0x8c, 0x1a));
    p.setBrush(amber);
    p.drawPath(needle);
    QRadialGradient hub(c, s * 0.075, c + QPointF(-s * 0.02, -s * 0.02));
    hub.setColorAt(0.0, Qt::white);
    hub.setColorAt(1.0, QColor(0xb9, 0xc6, 0xd6));
    p.setBrush(hub);
    p.setPen(QPen(QColor(0x0a, 0x2c, 0x5e), s * 0.012));
    p.drawEllipse(c, s * 0.07, s * 0.07);
}

} // namespace

QImage productMark(int size) {
    return Painting::supersampled({size, size}, 8,
                                  [&](QPainter &p) { drawMark(p, size, size >= 40); });
}

QImage trayIcon() {
    return productMark(32);
}

QImage productPicture() {
    QImage out(64, 64, QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.drawImage(4, 3, productMark(56));
    p.end();
    return Painting::withShadow(out, {0, 1.5}, 2, QColor(0, 0, 0, 140));
}

QImage banner() {
    const QSize size(885, 46);
    QImage out = Painting::supersampled(size, 2, [&](QPainter &p) {
        QLinearGradient sky(QPointF(0, 0), QPointF(size.width(), 0));
        sky.setColorAt(0.0, QColor(0x06, 0x17, 0x2e));
        sky.setColorAt(0.30, QColor(0x10, 0x3a, 0x6c));
        sky.setColorAt(0.70, QColor(0x0c, 0x2e, 0x58));
        sky.setColorAt(1.0, QColor(0x07, 0x1a, 0x33));
        p.fillRect(QRectF(QPointF(0, 0), size), sky);

        // Faint trend chart between the name and the tag line: grid and two traces.
        const qreal chartLeft = 300, chartRight = 680;
        QLinearGradient gridFade(QPointF(chartLeft, 0), QPointF(chartRight, 0));
        gridFade.setColorAt(0.0, QColor(0x7f, 0xb8, 0xff, 0));
        gridFade.setColorAt(0.5, QColor(0x7f, 0xb8, 0xff, 34));
        gridFade.setColorAt(1.0, QColor(0x7f, 0xb8, 0xff, 0));
        p.setPen(QPen(QBrush(gridFade), 0.6));
        for (qreal x = chartLeft; x < chartRight; x += 14)
            p.drawLine(QPointF(x, 4), QPointF(x, 40));
        for (int y = 8; y < 42; y += 8)
            p.drawLine(QPointF(chartLeft, y), QPointF(chartRight, y));
        auto trace = [&](qreal base, qreal amp, qreal phase, QColor colour) {
            QPainterPath path;
            for (qreal x = chartLeft; x <= chartRight; x += 3) {
                const qreal t = (x - chartLeft) / 60.0;
                const qreal y = base - amp * (0.6 * qSin(t + phase) + 0.3 * qSin(2.7 * t + phase) +
                                              0.1 * qSin(7.1 * t));
                if (x == chartLeft)
                    path.moveTo(x, y);
                else
                    path.lineTo(x, y);
            }
            QLinearGradient fade(QPointF(chartLeft, 0), QPointF(chartRight, 0));
            QColor clear = colour;
            clear.setAlpha(0);
            fade.setColorAt(0.0, clear);
            fade.setColorAt(0.35, colour);
            fade.setColorAt(0.65, colour);
            fade.setColorAt(1.0, clear);
            p.setBrush(Qt::NoBrush);
            p.setPen(QPen(QBrush(fade), 1.3));
            p.drawPath(path);
        };
        trace(24, 10, 0.0, QColor(0x4c, 0xd6, 0xff, 120));
        trace(27, 6, 2.0, QColor(0xff, 0xb4, 0x3c, 90));

        // Glass finish: light on the upper half, shade at the bottom.
        QLinearGradient glass(QPointF(0, 0), QPointF(0, size.height()));
        glass.setColorAt(0.0, QColor(255, 255, 255, 60));
        glass.setColorAt(0.48, QColor(255, 255, 255, 14));
        glass.setColorAt(0.5, QColor(255, 255, 255, 0));
        glass.setColorAt(1.0, QColor(0, 0, 0, 70));
        p.fillRect(QRectF(QPointF(0, 0), size), glass);
        p.setPen(QPen(QColor(255, 255, 255, 70), 1));
        p.drawLine(QPointF(0, 0.5), QPointF(size.width(), 0.5));

        // Accent line along the bottom edge.
        QLinearGradient accent(QPointF(0, 0), QPointF(size.width(), 0));
        accent.setColorAt(0.0, QColor(0xff, 0xa8, 0x2a));
        accent.setColorAt(0.45, QColor(0x4c, 0xd6, 0xff, 200));
        accent.setColorAt(1.0, QColor(0x4c, 0xd6, 0xff, 0));
        p.fillRect(QRectF(0, size.height() - 2, size.width(), 2), accent);
    });

    QPainter p(&out);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    p.drawImage(QPointF(6, 3), Painting::shadowOf(productMark(38), 2, QColor(0, 0, 0, 160)));
    p.drawImage(QPointF(5, 2), productMark(38));

    const QColor glow(0, 0, 0, 200);
    const QFont name = Painting::font(25, QFont::Bold);
    const QFont direct = Painting::font(25, QFont::Normal);
    const QFont version = Painting::font(17, QFont::Bold);
    const qreal baseline = 31;
    qreal x = 52;
    Painting::drawGlowText(p, QPointF(x, baseline), QStringLiteral("Korvane"), name, Qt::white,
                           glow, 2);
    x += QFontMetricsF(name).horizontalAdvance(QStringLiteral("Korvane "));
    Painting::drawGlowText(p, QPointF(x, baseline), QStringLiteral("Direct"), direct,
                           QColor(0xcf, 0xe4, 0xff), glow, 2);
    x += QFontMetricsF(direct).horizontalAdvance(QStringLiteral("Direct ")) + 2;
    Painting::drawGlowText(p, QPointF(x, baseline), QStringLiteral("1.2"), version,
                           QColor(0xff, 0xb4, 0x3c), glow, 2);

    const QFont tag = Painting::font(12, QFont::Normal);
    Painting::drawGlowText(p, QRectF(560, 6, 312, 34), Qt::AlignRight | Qt::AlignVCenter,
                           QStringLiteral("SCADA  \u00b7  Supervisi\u00f3n y control de planta"),
                           tag, QColor(0xb7, 0xd3, 0xf2), glow, 2);
    return out.convertToFormat(QImage::Format_RGB32);
}

} // namespace Artwork

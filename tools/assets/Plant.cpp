// The demo's plant screen: a water treatment line drawn as a simplified
// P&ID, with a place beside each piece of equipment for the lamp of its
// running input and beside each instrument for its value panel, and a strip
// of status and alarm lamps along the bottom. The places are those of the
// demo's Config.ini (tools/simulator/bundle-env.sh): lamps are 64 x 64 and
// panels 150 x 30, at the left and top given here.
#include "Artwork.h"
#include "Painting.h"
#include "Symbols.h"

#include <QPainterPath>
#include <QtMath>

namespace Artwork {
namespace {

using namespace Symbols;

const QColor kCaption(0xc8, 0xe2, 0xff, 210);
const QColor kTag(0xff, 0xc8, 0x6e, 200);

void caption(QPainter &p, const QRectF &box, const QString &text, int flags = Qt::AlignLeft) {
    p.setPen(kCaption);
    p.setFont(Painting::font(10.5, QFont::Bold, "DejaVu Sans Condensed"));
    p.drawText(box, flags | Qt::AlignVCenter, text);
}

void tag(QPainter &p, QPointF at, const QString &text) {
    p.setPen(kTag);
    p.setFont(Painting::font(9.5, QFont::Bold, "DejaVu Sans"));
    p.drawText(at, text);
}

// A faint round seat where a lamp goes, so that the place reads even with
// the lamp switched off in the settings.
void lampSeat(QPainter &p, QPointF topLeft) {
    p.setPen(QPen(QColor(0x9c, 0xcc, 0xff, 40), 1));
    p.setBrush(QColor(0x02, 0x0a, 0x18, 90));
    p.drawEllipse(QRectF(topLeft + QPointF(2, 2), QSizeF(60, 60)));
}

// A recessed slot for a value panel.
void panelSeat(QPainter &p, QPointF topLeft) {
    p.setPen(QPen(QColor(0x9c, 0xcc, 0xff, 50), 1));
    p.setBrush(QColor(0x02, 0x0a, 0x18, 120));
    p.drawRect(QRectF(topLeft - QPointF(2, 2), QSizeF(154, 34)));
}

void drawFan(QPainter &p, QPointF c, qreal r) {
    p.setPen(QPen(kLine, 2));
    p.setBrush(kFill);
    p.drawEllipse(c, r, r);
    p.setBrush(QColor(0x9c, 0xcc, 0xff, 45));
    for (int i = 0; i < 3; ++i) {
        p.save();
        p.translate(c);
        p.rotate(i * 120);
        QPainterPath blade;
        blade.moveTo(0, 0);
        blade.cubicTo(r * 0.2, -r * 0.5, r * 0.75, -r * 0.45, r * 0.8, -r * 0.1);
        blade.closeSubpath();
        p.drawPath(blade);
        p.restore();
    }
    p.drawEllipse(c, 3, 3);
}

void drawBulb(QPainter &p, QPointF c) {
    p.setPen(QPen(kLine, 2));
    p.setBrush(kFill);
    p.drawEllipse(c + QPointF(0, -4), 14, 14);
    p.drawRect(QRectF(c.x() - 7, c.y() + 10, 14, 10));
    p.setPen(QPen(QColor(0xff, 0xd2, 0x6e, 120), 1.5));
    for (int i = 0; i < 5; ++i) {
        const qreal a = qDegreesToRadians(-160.0 + i * 35.0);
        const QPointF dir(qCos(a), qSin(a));
        p.drawLine(c + QPointF(0, -4) + dir * 19, c + QPointF(0, -4) + dir * 25);
    }
}

void drawCompressor(QPainter &p, QPointF c, qreal r) {
    p.setPen(QPen(kLine, 2));
    p.setBrush(kFill);
    p.drawEllipse(c, r, r);
    QPainterPath t;
    t.moveTo(c + QPointF(-r * 0.55, -r * 0.8));
    t.lineTo(c + QPointF(r * 0.55, -r * 0.45));
    t.lineTo(c + QPointF(r * 0.55, r * 0.45));
    t.lineTo(c + QPointF(-r * 0.55, r * 0.8));
    t.closeSubpath();
    p.setBrush(QColor(0x9c, 0xcc, 0xff, 45));
    p.drawPath(t);
}

// The reactor's mixer: motor on the head, shaft and impeller inside.
void drawAgitator(QPainter &p, QRectF motor, qreal shaftBottom) {
    const qreal x = motor.center().x();
    p.setPen(QPen(kLine, 2));
    p.drawLine(QPointF(x, motor.bottom()), QPointF(x, shaftBottom));
    p.drawLine(QPointF(x - 16, shaftBottom - 5), QPointF(x + 16, shaftBottom + 5));
    p.drawLine(QPointF(x - 16, shaftBottom + 5), QPointF(x + 16, shaftBottom - 5));
    p.setBrush(QColor(0x0c, 0x26, 0x48));
    p.drawRoundedRect(motor, 3, 3);
    p.setPen(QColor(0xb8, 0xdc, 0xff, 170));
    p.setFont(Painting::font(10, QFont::Bold, "DejaVu Sans"));
    p.drawText(motor, Qt::AlignCenter, QStringLiteral("M"));
}

void drawProcess(QPainter &p) {
    // Tank, two pumps in parallel, inlet valve, stirred reactor, outlet
    // valve and flow meter to the distribution network.
    drawPipe(p, {{118, 280}, {165, 280}});
    drawPipe(p, {{165, 220}, {165, 340}});
    drawPipe(p, {{165, 220}, {183, 220}});
    drawPipe(p, {{165, 340}, {183, 340}});
    drawPipe(p, {{217, 220}, {245, 220}, {245, 340}, {217, 340}});
    drawPipe(p, {{245, 280}, {330, 280}});
    drawPipe(p, {{385, 332}, {385, 380}, {690, 380}});
    drawVessel(p, QRectF(26, 160, 92, 160), 0.6);
    drawVessel(p, QRectF(330, 150, 110, 182), 0.5);
    drawAgitator(p, QRectF(372, 118, 26, 22), 268);
    drawPump(p, QPointF(200, 220), 17);
    drawPump(p, QPointF(200, 340), 17);
    drawValve(p, QPointF(285, 280), false);
    drawValve(p, QPointF(455, 380), false);
    drawFlowArrow(p, QPointF(318, 280), 0);
    drawFlowArrow(p, QPointF(690, 380), 0);

    // Services: ventilation, lighting and the air compressor that feeds the
    // reactor's diffuser.
    drawFan(p, QPointF(60, 78), 22);
    drawBulb(p, QPointF(270, 78));
    drawCompressor(p, QPointF(610, 78), 22);
    drawPipe(p, {{610, 100}, {610, 190}, {440, 190}});
    drawFlowArrow(p, QPointF(446, 190), 180);

    drawTap(p, QPointF(118, 190), QPointF(127, 182));
    drawInstrument(p, QPointF(140, 176), "LT", "101");
    drawTap(p, QPointF(610, 150), QPointF(632, 150));
    drawInstrument(p, QPointF(647, 150), "PT", "102");
    drawTap(p, QPointF(440, 262), QPointF(463, 262));
    drawInstrument(p, QPointF(478, 262), "TT", "103");
    drawTap(p, QPointF(560, 380), QPointF(560, 367));
    drawInstrument(p, QPointF(560, 352), "FT", "104");

    tag(p, QPointF(48, 152), QStringLiteral("TK-101"));
    tag(p, QPointF(362, 108), QStringLiteral("R-101"));
    p.setPen(kCaption);
    p.setFont(Painting::font(9.5, QFont::Bold, "DejaVu Sans Condensed"));
    p.drawText(QRectF(590, 360, 96, 14), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("A DISTRIBUCION"));
}

} // namespace

QImage plantScreen() {
    const QSize size(700, 530);
    QImage out = Painting::supersampled(size, 2, [&](QPainter &p) {
        QRadialGradient base(QPointF(350, 230), 520, QPointF(350, 180));
        base.setColorAt(0.0, QColor(0x16, 0x3f, 0x6e));
        base.setColorAt(0.6, QColor(0x0b, 0x24, 0x45));
        base.setColorAt(1.0, QColor(0x04, 0x0e, 0x1e));
        p.fillRect(QRectF(QPointF(0, 0), size), base);
        drawGrid(p, size);

        // Title bar.
        p.fillRect(QRectF(0, 0, 700, 36), QColor(0x02, 0x0a, 0x18, 150));
        p.setPen(QPen(QColor(0xff, 0xb4, 0x3c, 150), 1));
        p.drawLine(QPointF(0, 36), QPointF(700, 36));

        drawProcess(p);

        // Lamp seats of the equipment (inputs 1 to 8) and panel seats.
        for (QPointF at :
             {QPointF(168, 138), QPointF(168, 362), QPointF(446, 112), QPointF(253, 196),
              QPointF(423, 308), QPointF(508, 46), QPointF(90, 46), QPointF(300, 46)})
            lampSeat(p, at);
        for (QPointF at :
             {QPointF(500, 270), QPointF(536, 204), QPointF(10, 346), QPointF(536, 400)})
            panelSeat(p, at);

        // Status and alarm strip (inputs 9 to 16).
        const QRectF strip(6, 434, 688, 92);
        p.setPen(QPen(QColor(0x9c, 0xcc, 0xff, 60), 1));
        p.setBrush(QColor(0x02, 0x0a, 0x18, 140));
        p.drawRoundedRect(strip, 6, 6);
        for (int i = 0; i < 8; ++i)
            lampSeat(p, QPointF(18 + 86 * i, 455));
    });

    QPainter p(&out);
    p.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
    p.setPen(QColor(0xf2, 0xf7, 0xff));
    p.setFont(Painting::font(16, QFont::Bold));
    p.drawText(QRectF(16, 0, 520, 36), Qt::AlignLeft | Qt::AlignVCenter,
               QStringLiteral("PLANTA DE TRATAMIENTO DE AGUA  \u00b7  L\u00cdNEA 1"));
    p.setPen(QColor(0x9c, 0xc6, 0xf2, 170));
    p.setFont(Painting::font(11, QFont::Bold));
    p.drawText(QRectF(480, 0, 204, 36), Qt::AlignRight | Qt::AlignVCenter,
               QStringLiteral("SALA DE CONTROL"));

    // Captions of the equipment lamps.
    caption(p, QRectF(236, 162, 90, 16), QStringLiteral("BOMBA B-1"));
    caption(p, QRectF(236, 386, 90, 16), QStringLiteral("BOMBA B-2"));
    caption(p, QRectF(512, 136, 80, 16), QStringLiteral("AGITADOR"));
    caption(p, QRectF(319, 222, 90, 16), QStringLiteral("VALVULA V-1"));
    caption(p, QRectF(405, 390, 100, 16), QStringLiteral("VALVULA V-2"), Qt::AlignHCenter);
    caption(p, QRectF(560, 102, 100, 16), QStringLiteral("COMPRESOR"), Qt::AlignHCenter);
    caption(p, QRectF(158, 70, 90, 16), QStringLiteral("VENTILACION"));
    caption(p, QRectF(368, 70, 90, 16), QStringLiteral("ILUMINACION"));
    // Captions of the value panels.
    caption(p, QRectF(500, 302, 150, 16), QStringLiteral("TEMPERATURA R-101"), Qt::AlignHCenter);
    caption(p, QRectF(536, 236, 150, 16), QStringLiteral("PRESION DE AIRE"), Qt::AlignHCenter);
    caption(p, QRectF(10, 378, 150, 16), QStringLiteral("NIVEL TK-101"), Qt::AlignHCenter);
    caption(p, QRectF(440, 408, 92, 16), QStringLiteral("CAUDAL"), Qt::AlignRight);

    const char *const alarms[] = {"NIVEL ALTO",   "NIVEL BAJO", "TERMICO B-1", "TERMICO B-2",
                                  "PRESION ALTA", "EMERGENCIA", "AVISO",       "ALARMA"};
    for (int i = 0; i < 8; ++i)
        caption(p, QRectF(8 + 86 * i, 438, 84, 16), QString::fromLatin1(alarms[i]),
                Qt::AlignHCenter);
    return out.convertToFormat(QImage::Format_RGB32);
}

} // namespace Artwork

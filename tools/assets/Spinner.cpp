#include "Artwork.h"
#include "Painting.h"

#include <QtMath>

namespace Artwork {

QList<QImage> waitFrames() {
    // Twelve spokes; the bright head moves one spoke per frame and leaves a
    // fading tail. Drawn on white, the colour of the command window.
    constexpr int kSpokes = 12;
    const QSize size(40, 40);
    const QPointF c(20, 20);
    QList<QImage> frames;
    for (int frame = 0; frame < kSpokes; ++frame) {
        frames << Painting::supersampled(
                      size, 8,
                      [&](QPainter &p) {
                          for (int i = 0; i < kSpokes; ++i) {
                              const int age = (frame - i + kSpokes) % kSpokes;
                              const qreal t = 1.0 - age / qreal(kSpokes);
                              const qreal a = qDegreesToRadians(90.0 - i * 360.0 / kSpokes);
                              const QPointF dir(qCos(a), -qSin(a));
                              const QColor head(0x1f, 0x6f, 0xd6), tail(0xc9, 0xd6, 0xe6);
                              QColor colour = Painting::mix(tail, head, qPow(t, 2.2));
                              p.setPen(QPen(colour, 3.6 + 0.6 * t, Qt::SolidLine, Qt::RoundCap));
                              p.drawLine(c + dir * 9.0, c + dir * 17.0);
                          }
                      },
                      Qt::white)
                      .convertToFormat(QImage::Format_RGB32);
    }
    return frames;
}

} // namespace Artwork

#pragma once

#include <QColor>
#include <QFont>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <functional>

// Drawing helpers shared by all the artwork: supersampled rendering, blur and
// soft shadows, metal finishes, status badges and the red cross-out.
namespace Painting {

using DrawFn = std::function<void(QPainter &)>;

// Draws in the coordinates of `size` on a canvas `scale` times larger and
// scales the result down: finer edges than plain antialiasing on tiny icons.
QImage supersampled(QSize size, int scale, const DrawFn &draw, QColor fill = Qt::transparent);

// Three box-blur passes each way, close to a gaussian; outside is transparent.
QImage blurred(const QImage &image, int radius);

// A soft shadow in `color` of everything opaque in `shape`.
QImage shadowOf(const QImage &shape, int radius, QColor color);

// `body` over its own soft shadow moved by `offset`.
QImage withShadow(const QImage &body, QPointF offset, int radius, QColor color);

QColor mix(const QColor &a, const QColor &b, qreal t);
QImage desaturated(const QImage &image, qreal amount);

// Polished steel along the line from `from` to `to`.
QLinearGradient metal(QPointF from, QPointF to);

// A round green badge with a white tick.
void drawOkBadge(QPainter &p, QPointF centre, qreal radius);
// The red "prohibited" ring with its slash, over the whole of `area`.
void drawCrossOut(QPainter &p, const QRectF &area, qreal width);

QFont font(qreal pixelSize, int weight = QFont::Normal, const QString &family = "Liberation Sans");

// Text with a soft dark glow behind it, for light text on busy backgrounds.
void drawGlowText(QPainter &p, const QRectF &box, int flags, const QString &text, const QFont &f,
                  QColor color, QColor glow, int glowRadius, QPointF glowOffset = {0, 1});
// The same with the text's baseline starting at `origin`.
void drawGlowText(QPainter &p, QPointF origin, const QString &text, const QFont &f, QColor color,
                  QColor glow, int glowRadius, QPointF glowOffset = {0, 1});

} // namespace Painting

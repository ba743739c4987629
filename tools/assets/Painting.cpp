#include "Painting.h"

#include <QFontMetricsF>
#include <QPainterPath>
#include <algorithm>
#include <vector>

namespace Painting {

QImage supersampled(QSize size, int scale, const DrawFn &draw, QColor fill) {
    QImage big(size * scale, QImage::Format_ARGB32_Premultiplied);
    big.fill(fill);
    {
        QPainter p(&big);
        p.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform |
                         QPainter::TextAntialiasing);
        p.scale(scale, scale);
        draw(p);
    }
    // Halving repeatedly averages every source pixel; one big jump would skip some.
    QImage out = big;
    while (out.width() > size.width() * 2)
        out = out.scaled(out.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return out.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
        .convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

namespace {

// One box pass along rows (or columns) of premultiplied ARGB with a running sum.
void boxPass(QImage &img, int radius, bool horizontal) {
    const int w = img.width(), h = img.height();
    const int lines = horizontal ? h : w, len = horizontal ? w : h;
    const int span = 2 * radius + 1;
    std::vector<quint32> src(len);
    for (int line = 0; line < lines; ++line) {
        for (int i = 0; i < len; ++i)
            src[i] = horizontal ? reinterpret_cast<const quint32 *>(img.constScanLine(line))[i]
                                : reinterpret_cast<const quint32 *>(img.constScanLine(i))[line];
        int sum[4] = {0, 0, 0, 0};
        auto add = [&](int i, int sign) {
            if (i < 0 || i >= len)
                return;
            const quint32 px = src[i];
            for (int c = 0; c < 4; ++c)
                sum[c] += sign * int((px >> (8 * c)) & 0xff);
        };
        for (int i = -radius; i <= radius; ++i)
            add(i, 1);
        for (int i = 0; i < len; ++i) {
            quint32 px = 0;
            for (int c = 0; c < 4; ++c)
                px |= quint32((sum[c] + span / 2) / span) << (8 * c);
            if (horizontal)
                reinterpret_cast<quint32 *>(img.scanLine(line))[i] = px;
            else
                reinterpret_cast<quint32 *>(img.scanLine(i))[line] = px;
            add(i - radius, -1);
            add(i + radius + 1, 1);
        }
    }
}

} // namespace

QImage blurred(const QImage &image, int radius) {
    QImage img = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (radius < 1)
        return img;
    for (int i = 0; i < 3; ++i) {
        boxPass(img, radius, true);
        boxPass(img, radius, false);
    }
    return img;
}

QImage shadowOf(const QImage &shape, int radius, QColor color) {
    QImage tinted(shape.size(), QImage::Format_ARGB32_Premultiplied);
    tinted.fill(Qt::transparent);
    QPainter p(&tinted);
    p.drawImage(0, 0, shape);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(tinted.rect(), color);
    p.end();
    return blurred(tinted, radius);
}

QImage withShadow(const QImage &body, QPointF offset, int radius, QColor color) {
    QImage out(body.size(), QImage::Format_ARGB32_Premultiplied);
    out.fill(Qt::transparent);
    QPainter p(&out);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.drawImage(offset, shadowOf(body, radius, color));
    p.drawImage(0, 0, body);
    return out;
}

QColor mix(const QColor &a, const QColor &b, qreal t) {
    return QColor::fromRgbF(
        a.redF() + (b.redF() - a.redF()) * t, a.greenF() + (b.greenF() - a.greenF()) * t,
        a.blueF() + (b.blueF() - a.blueF()) * t, a.alphaF() + (b.alphaF() - a.alphaF()) * t);
}

QImage desaturated(const QImage &image, qreal amount) {
    QImage out = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < out.height(); ++y) {
        auto *line = reinterpret_cast<QRgb *>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            const QRgb px = line[x];
            const int grey = qGray(px);
            auto towards = [&](int c) { return int(c + (grey - c) * amount); };
            line[x] = qRgba(towards(qRed(px)), towards(qGreen(px)), towards(qBlue(px)), qAlpha(px));
        }
    }
    return out.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QLinearGradient metal(QPointF from, QPointF to) {
    QLinearGradient g(from, to);
    g.setColorAt(0.00, QColor(0xfd, 0xfe, 0xff));
    g.setColorAt(0.22, QColor(0xd3, 0xd9, 0xdf));
    g.setColorAt(0.48, QColor(0x8f, 0x99, 0xa4));
    g.setColorAt(0.62, QColor(0xc4, 0xcb, 0xd2));
    g.setColorAt(0.80, QColor(0xe6, 0xea, 0xee));
    g.setColorAt(1.00, QColor(0x5a, 0x63, 0x6d));
    return g;
}

void drawOkBadge(QPainter &p, QPointF c, qreal r) {
    p.save();
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 235));
    p.drawEllipse(c, r + 1.2, r + 1.2);
    QRadialGradient g(c + QPointF(-r * 0.35, -r * 0.45), r * 1.5);
    g.setColorAt(0.0, QColor(0x9b, 0xf0, 0x6e));
    g.setColorAt(0.5, QColor(0x2f, 0xb5, 0x2a));
    g.setColorAt(1.0, QColor(0x12, 0x6b, 0x16));
    p.setBrush(g);
    p.setPen(QPen(QColor(0x0d, 0x4f, 0x10), r * 0.08));
    p.drawEllipse(c, r, r);
    QPainterPath tick;
    tick.moveTo(c + QPointF(-r * 0.48, r * 0.02));
    tick.lineTo(c + QPointF(-r * 0.12, r * 0.38));
    tick.lineTo(c + QPointF(r * 0.50, -r * 0.36));
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(Qt::white, r * 0.26, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawPath(tick);
    p.restore();
}

void drawCrossOut(QPainter &p, const QRectF &area, qreal width) {
    p.save();
    const QPointF c = area.center();
    const qreal r = std::min(area.width(), area.height()) / 2 - width / 2;
    const qreal d = r * 0.7071;
    QPainterPath sign;
    sign.addEllipse(c, r, r);
    sign.moveTo(c + QPointF(-d, -d));
    sign.lineTo(c + QPointF(d, d));
    // A white rim keeps the sign readable over any picture.
    p.setBrush(Qt::NoBrush);
    p.setPen(QPen(QColor(255, 255, 255, 210), width + 2.2, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(sign);
    QLinearGradient red(area.topLeft(), area.bottomRight());
    red.setColorAt(0.0, QColor(0xff, 0x5a, 0x4a));
    red.setColorAt(1.0, QColor(0xb3, 0x12, 0x0c));
    p.setPen(QPen(QBrush(red), width, Qt::SolidLine, Qt::FlatCap));
    p.drawPath(sign);
    p.restore();
}

QFont font(qreal pixelSize, int weight, const QString &family) {
    QFont f(family);
    f.setPixelSize(qRound(pixelSize));
    f.setWeight(QFont::Weight(weight));
    f.setStyleStrategy(QFont::PreferAntialias);
    f.setHintingPreference(QFont::PreferNoHinting);
    return f;
}

namespace {

// Blurs what `paintGlow` draws (in the painter's coordinates) under `area`
// and lays it on the painter's device.
void glowUnder(QPainter &p, const QRectF &area, int radius,
               const std::function<void(QPainter &)> &paintGlow) {
    const QRect device = p.transform().mapRect(area).toAlignedRect().adjusted(
        -3 * radius, -3 * radius, 3 * radius, 3 * radius);
    QImage layer(device.size(), QImage::Format_ARGB32_Premultiplied);
    layer.fill(Qt::transparent);
    {
        QPainter lp(&layer);
        lp.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
        lp.translate(-device.topLeft());
        lp.setTransform(p.transform(), true);
        paintGlow(lp);
    }
    p.save();
    p.resetTransform();
    p.drawImage(device.topLeft(), blurred(layer, radius));
    p.restore();
}

} // namespace

void drawGlowText(QPainter &p, const QRectF &box, int flags, const QString &text, const QFont &f,
                  QColor color, QColor glow, int glowRadius, QPointF glowOffset) {
    glowUnder(p, box, glowRadius, [&](QPainter &lp) {
        lp.setFont(f);
        lp.setPen(glow);
        lp.drawText(box.translated(glowOffset), flags, text);
    });
    p.setFont(f);
    p.setPen(color);
    p.drawText(box, flags, text);
}

void drawGlowText(QPainter &p, QPointF origin, const QString &text, const QFont &f, QColor color,
                  QColor glow, int glowRadius, QPointF glowOffset) {
    const QRectF ink =
        QFontMetricsF(f).boundingRect(text).translated(origin).adjusted(-2, -2, 2, 2);
    glowUnder(p, ink, glowRadius, [&](QPainter &lp) {
        lp.setFont(f);
        lp.setPen(glow);
        lp.drawText(origin + glowOffset, text);
    });
    p.setFont(f);
    p.setPen(color);
    p.drawText(origin, text);
}

} // namespace Painting

#pragma once

#include <QColor>
#include <QList>
#include <QPainter>
#include <QRectF>
#include <QString>

// Process symbols in the style of a P&ID, drawn in light blue lines over the
// dark blue of the backgrounds: vessels, pumps, valves, instruments, pipes.
namespace Symbols {

extern const QColor kLine;
extern const QColor kLineFaint;
extern const QColor kFill;

// The faint blueprint grid behind everything.
void drawGrid(QPainter &p, QSize size);
// A vertical vessel with a domed head and its liquid level (0..1).
void drawVessel(QPainter &p, QRectF r, qreal level);
void drawPump(QPainter &p, QPointF c, qreal r);
// Bow-tie valve on a horizontal (or vertical) line.
void drawValve(QPainter &p, QPointF c, bool vertical);
void drawExchanger(QPainter &p, QRectF r);
// Instrument bubble with its tag, as on a P&ID.
void drawInstrument(QPainter &p, QPointF c, const QString &kind, const QString &number);
void drawFlowArrow(QPainter &p, QPointF tip, qreal degrees);
// A pipe along the points, with a dark casing under the line.
void drawPipe(QPainter &p, const QList<QPointF> &points);
// A dashed instrument tap.
void drawTap(QPainter &p, QPointF from, QPointF to);
void drawScrew(QPainter &p, QPointF c);

} // namespace Symbols

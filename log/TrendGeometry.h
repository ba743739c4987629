#pragma once

#include "log/TrendData.h"
#include "log/TrendSeries.h"

#include <QList>
#include <QPolygonF>
#include <QString>

// The shapes of a trend plot, computed apart from any widget: time to x,
// the sample-and-hold steps of an analog value, the on bands of an input,
// and the ticks of the axes.
struct TimeAxis {
    qint64 from = 0;
    qint64 to = 1;
    double left = 0;
    double width = 1;

    double x(double t) const { return left + (t - double(from)) * width / double(to - from); }
    double t(double px) const { return double(from) + (px - left) * double(to - from) / width; }
};

namespace TrendGeometry {

// Steps of analog value k (0..3): each value holds, level, until the next
// entry and the last one until the data's hold time; x in pixels, y the
// scaled value. A raw 0 breaks the line (a gap). An entry holding several
// rows draws its lowest and highest value as a vertical stroke.
QList<QPolygonF> steps(const TrendData &data, int k, const TrendSeries &series,
                       const TimeAxis &axis);

// Lowest and highest scaled value of k shown between from and to; nothing
// when no value is shown there.
std::optional<std::pair<double, double>>
valueRange(const TrendData &data, int k, const TrendSeries &series, qint64 from, qint64 to);

// Where input n (1..16) is on, as x intervals. partial: the input was on
// only for part of a pixel column.
struct Band {
    double x0;
    double x1;
    bool partial;
};
QList<Band> bands(const TrendData &data, int n, const TimeAxis &axis);

struct Tick {
    double pos;
    QString label;
};
// Ticks of the time axis at least minSpacing pixels apart, on round times;
// the label carries the date on the first tick and where the day changes.
QList<Tick> timeTicks(const TimeAxis &axis, double minSpacing);
// About `count` round values between lo and hi.
QList<double> valueTicks(double lo, double hi, int count);

} // namespace TrendGeometry

#include "log/TrendGeometry.h"

#include "log/TrendTime.h"

#include <algorithm>
#include <cmath>

namespace TrendGeometry {
namespace {

// A polyline that skips repeated points.
void append(QPolygonF &line, double x, double y) {
    if (line.isEmpty() || line.last() != QPointF(x, y))
        line.append(QPointF(x, y));
}

// The entry's lowest and highest scaled value other than a gap.
std::optional<std::pair<double, double>> envelope(const TrendEntry &e, int k,
                                                  const TrendSeries &series) {
    const auto lo = series.value(e.min[size_t(k)]);
    const auto hi = series.value(e.max[size_t(k)]);
    if (!lo || !hi)
        return std::nullopt;
    return std::make_pair(std::min(*lo, *hi), std::max(*lo, *hi));
}

} // namespace

QList<QPolygonF> steps(const TrendData &data, int k, const TrendSeries &series,
                       const TimeAxis &axis) {
    QList<QPolygonF> out;
    QPolygonF line;
    auto flush = [&] {
        if (!line.isEmpty())
            out.append(line);
        line.clear();
    };
    std::optional<double> held;
    double heldX = axis.x(double(data.from));
    if (data.before)
        held = series.value(data.before->last[size_t(k)]);
    for (const TrendEntry &e : data.entries) {
        const double x = axis.x(double(e.t));
        if (held) {
            append(line, heldX, *held);
            append(line, x, *held);
        }
        if (const auto env = e.rows > 1 ? envelope(e, k, series) : std::nullopt) {
            append(line, x, env->first);
            append(line, x, env->second);
        }
        held = series.value(e.last[size_t(k)]);
        if (held)
            append(line, x, *held);
        else
            flush(); // a gap starts here
        heldX = x;
    }
    if (held) {
        const double end = std::max(heldX, axis.x(double(data.holdUntil)));
        append(line, heldX, *held);
        append(line, end, *held);
    }
    flush();
    return out;
}

std::optional<std::pair<double, double>>
valueRange(const TrendData &data, int k, const TrendSeries &series, qint64 from, qint64 to) {
    std::optional<std::pair<double, double>> range;
    auto take = [&](double v) {
        if (!range)
            range = std::make_pair(v, v);
        range->first = std::min(range->first, v);
        range->second = std::max(range->second, v);
    };
    // The value in force where the view starts, then every entry in view.
    if (const TrendEntry *first = data.at(from))
        if (const auto v = series.value(first->last[size_t(k)]))
            take(*v);
    for (const TrendEntry &e : data.entries) {
        if (e.t < from)
            continue;
        if (e.t > to)
            break;
        if (const auto v = series.value(e.last[size_t(k)]))
            take(*v);
        if (const auto env = envelope(e, k, series)) {
            take(env->first);
            take(env->second);
        }
    }
    return range;
}

QList<Band> bands(const TrendData &data, int n, const TimeAxis &axis) {
    const quint16 bit = quint16(1u << (n - 1));
    QList<Band> out;
    auto add = [&](double x0, double x1, bool partial) {
        if (!out.isEmpty() && out.last().partial == partial && x0 <= out.last().x1 + 0.5) {
            out.last().x1 = std::max(out.last().x1, x1);
            return;
        }
        out.append({x0, x1, partial});
    };
    bool on = data.before && (data.before->lastInputs & bit);
    double onX = axis.x(double(data.from));
    for (const TrendEntry &e : data.entries) {
        const double x = axis.x(double(e.t));
        if (on)
            add(onX, x, false);
        const bool nowOn = e.lastInputs & bit;
        // On for part of the entry only: a flash that must stay visible.
        if ((e.anyOn & bit) && (e.anyOff & bit) && e.rows > 1 && !nowOn)
            add(x, x + 1, true);
        on = nowOn;
        onX = x;
    }
    if (on)
        add(onX, std::max(onX, axis.x(double(data.holdUntil))), false);
    return out;
}

QList<Tick> timeTicks(const TimeAxis &axis, double minSpacing) {
    static const qint64 kSteps[] = {1,     2,     5,      10,     15,      30,      60,      120,
                                    300,   600,   900,    1800,   3600,    7200,    10800,   21600,
                                    43200, 86400, 172800, 604800, 2592000, 7776000, 31536000};
    const double pxPerSecond = axis.width / double(axis.to - axis.from);
    qint64 step = kSteps[std::size(kSteps) - 1];
    for (qint64 s : kSteps)
        if (double(s) * pxPerSecond >= minSpacing) {
            step = s;
            break;
        }
    QList<Tick> out;
    qint64 t = axis.from - ((axis.from % step) + step) % step;
    if (t < axis.from)
        t += step;
    qint64 lastDay = std::numeric_limits<qint64>::min();
    for (; t <= axis.to && out.size() < 200; t += step) {
        const QByteArray text = TrendTime::text(t); // yyyy-mm-dd hh:mm:ss
        const QString date =
            QString::fromLatin1(text.mid(8, 2) + '/' + text.mid(5, 2) + '/' + text.left(4));
        QString label;
        if (step >= 86400)
            label = date;
        else {
            label = QString::fromLatin1(step < 60 ? text.mid(11, 8) : text.mid(11, 5));
            const qint64 day = t / 86400;
            if (day != lastDay)
                label += u'\n' + date;
            lastDay = day;
        }
        out.append({axis.x(double(t)), label});
    }
    return out;
}

QList<double> valueTicks(double lo, double hi, int count) {
    QList<double> out;
    if (!(hi > lo) || count < 1)
        return out;
    const double raw = (hi - lo) / count;
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    // The largest round step at most the raw step, so that there are never
    // fewer ticks than asked for.
    double step = magnitude;
    for (double f : {1.0, 2.0, 2.5, 5.0})
        if (f * magnitude <= raw)
            step = f * magnitude;
    for (double v = std::ceil(lo / step) * step; v <= hi + step * 1e-9; v += step)
        out.append(std::abs(v) < step * 1e-9 ? 0.0 : v);
    return out;
}

} // namespace TrendGeometry

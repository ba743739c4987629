#include "log/TrendPlot.h"

#include "log/TrendTime.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kLeft = 74;
constexpr double kRight = 14;
constexpr double kTop = 8;
constexpr double kAxis = 34;
constexpr double kGap = 8;
constexpr qint64 kShortestView = 10;
constexpr qint64 kLongestView = qint64(60) * 365 * 86400;

const QColor kInputOn(46, 125, 50);
const QColor kAlarmOn(211, 47, 47);
const QColor kGrid(224, 224, 224);

QString dateText(qint64 t) {
    return TrendTime::toDateTime(t).toString(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
}

} // namespace

TrendPlot::TrendPlot(QWidget *parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Grafico"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setMinimumSize(480, 360);
    setAttribute(Qt::WA_OpaquePaintEvent);
}

QColor TrendPlot::seriesColour(int k) {
    static const QColor colours[] = {QColor(31, 119, 180), QColor(217, 115, 13),
                                     QColor(44, 160, 44), QColor(148, 103, 189)};
    return colours[k & 3];
}

void TrendPlot::setData(std::shared_ptr<const TrendData> data) {
    m_data = std::move(data);
    invalidate();
}

void TrendPlot::setView(qint64 from, qint64 to) {
    if (to - from < kShortestView)
        to = from + kShortestView;
    if (from == m_from && to == m_to)
        return;
    m_from = from;
    m_to = to;
    invalidate();
}

void TrendPlot::setSeries(const std::array<TrendSeries, 4> &series, QChar decimalPoint) {
    m_series = series;
    m_decimalPoint = decimalPoint;
    invalidate();
}

void TrendPlot::setSeriesVisible(int k, bool on) {
    m_visible[size_t(k)] = on;
    invalidate();
}

void TrendPlot::setNotice(const QString &text) {
    if (text == m_notice)
        return;
    m_notice = text;
    invalidate();
}

void TrendPlot::resetValueZoom() {
    m_valueZoom = {};
    invalidate();
}

void TrendPlot::invalidate() {
    m_dirty = true;
    update();
}

int TrendPlot::columns() const {
    return std::max(1, int(layout(size()).area.width()));
}

TrendPlot::Layout TrendPlot::layout(const QSize &size) const {
    Layout l;
    const double w = size.width(), h = size.height();
    l.rowHeight = std::clamp((h - kTop - kAxis) / 40.0, 9.0, 14.0);
    const double stripHeight = 16 * l.rowHeight;
    l.area =
        QRectF(kLeft, kTop, std::max(1.0, w - kLeft - kRight), std::max(1.0, h - kTop - kAxis));
    l.strip = QRectF(l.area.left(), l.area.bottom() - stripHeight, l.area.width(), stripHeight);
    int shown = 0;
    for (bool v : m_visible)
        shown += v ? 1 : 0;
    const double lanesHeight = l.strip.top() - kGap - l.area.top();
    const double laneHeight = shown ? (lanesHeight - kGap * (shown - 1)) / shown : 0;
    double y = l.area.top();
    for (int k = 0; k < 4; ++k) {
        if (!m_visible[size_t(k)])
            continue;
        l.lanes[size_t(k)] = QRectF(l.area.left(), y, l.area.width(), laneHeight);
        y += laneHeight + kGap;
    }
    return l;
}

std::pair<double, double> TrendPlot::laneRange(int k) const {
    if (m_valueZoom[size_t(k)])
        return *m_valueZoom[size_t(k)];
    std::optional<std::pair<double, double>> r;
    if (m_data)
        r = TrendGeometry::valueRange(*m_data, k, m_series[size_t(k)], m_from, m_to);
    if (!r)
        return {0.0, 1.0};
    double lo = r->first, hi = r->second;
    const double pad = hi > lo ? (hi - lo) * 0.08 : std::max(1.0, std::abs(hi) * 0.1);
    return {lo - pad, hi + pad};
}

QString TrendPlot::dataMessage() const {
    if (!m_data)
        return QString();
    if (!m_data->error.isEmpty())
        return m_data->error;
    if (m_data->empty() && !m_data->before)
        return QStringLiteral("No hay registros en el rango elegido");
    if (m_data->empty())
        return QStringLiteral("No hay registros en el rango elegido: se mantienen los valores "
                              "del ") +
               dateText(m_data->before->t);
    return QString();
}

void TrendPlot::render(QPainter &painter, const QSize &size) const {
    paintPlot(painter, size);
}

QImage TrendPlot::image(const QSize &size) const {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter p(&image);
    paintPlot(p, size);
    return image;
}

void TrendPlot::paintPlot(QPainter &p, const QSize &size) const {
    p.save();
    p.fillRect(QRect(QPoint(0, 0), size), Qt::white);
    p.setRenderHint(QPainter::Antialiasing, false);
    const Layout l = layout(size);
    const TimeAxis axis{m_from, m_to, l.area.left(), l.area.width()};

    // Time grid and labels.
    QFont small = font();
    small.setPixelSize(11);
    p.setFont(small);
    const auto ticks = TrendGeometry::timeTicks(axis, 110);
    for (const auto &tick : ticks) {
        p.setPen(kGrid);
        p.drawLine(QPointF(tick.pos, l.area.top()), QPointF(tick.pos, l.area.bottom()));
        p.setPen(Qt::black);
        p.drawLine(QPointF(tick.pos, l.area.bottom()), QPointF(tick.pos, l.area.bottom() + 4));
        p.drawText(QRectF(tick.pos - 60, l.area.bottom() + 4, 120, kAxis - 4),
                   Qt::AlignHCenter | Qt::AlignTop, tick.label);
    }

    for (int k = 0; k < 4; ++k)
        if (m_visible[size_t(k)])
            paintLane(p, l, k, axis);
    paintStrip(p, l, axis);

    // What the data says, then the window's notice, over the lanes.
    QString message = dataMessage();
    if (!m_notice.isEmpty())
        message = message.isEmpty() ? m_notice : m_notice + u'\n' + message;
    if (!message.isEmpty()) {
        QFont big = font();
        big.setPixelSize(15);
        big.setBold(true);
        p.setFont(big);
        const QRectF box(l.area.left(), l.area.top(), l.area.width(),
                         std::max(40.0, l.strip.top() - l.area.top()));
        QRectF text = p.boundingRect(box, Qt::AlignCenter | Qt::TextWordWrap, message);
        text.adjust(-12, -8, 12, 8);
        p.fillRect(text, QColor(255, 255, 255, 230));
        p.setPen(QColor(90, 90, 90));
        p.drawRect(text);
        p.setPen(Qt::black);
        p.drawText(box, Qt::AlignCenter | Qt::TextWordWrap, message);
    }
    p.restore();
}

void TrendPlot::paintLane(QPainter &p, const Layout &l, int k, const TimeAxis &axis) const {
    const QRectF lane = l.lanes[size_t(k)];
    if (lane.height() < 4)
        return;
    const auto [lo, hi] = laneRange(k);
    auto y = [&, lo = lo, hi = hi](double v) {
        return lane.bottom() - (v - lo) * lane.height() / (hi - lo);
    };
    const TrendSeries &series = m_series[size_t(k)];
    const QColor colour = seriesColour(k);

    QFont small = font();
    small.setPixelSize(11);
    p.setFont(small);
    const int tickCount = std::clamp(int(lane.height() / 30), 2, 8);
    for (double v : TrendGeometry::valueTicks(lo, hi, tickCount)) {
        const double py = y(v);
        p.setPen(kGrid);
        p.drawLine(QPointF(lane.left(), py), QPointF(lane.right(), py));
        p.setPen(Qt::black);
        p.drawLine(QPointF(lane.left() - 4, py), QPointF(lane.left(), py));
        p.drawText(QRectF(0, py - 8, lane.left() - 6, 16), Qt::AlignRight | Qt::AlignVCenter,
                   series.text(v, m_decimalPoint));
    }

    p.save();
    p.setClipRect(lane.adjusted(0, -1, 1, 1));
    if (m_data && series.b != 0) {
        // Steps are level and upright lines. A wide pen would be stroked as
        // one outline per polyline, which over thousands of envelope strokes
        // costs seconds; one-pixel lines go straight to the raster, and three
        // of them, a pixel apart, make the two-pixel line the eye needs.
        p.setPen(QPen(colour, 0));
        for (const QPolygonF &line : TrendGeometry::steps(*m_data, k, series, axis)) {
            QPolygonF mapped;
            mapped.reserve(line.size());
            for (const QPointF &pt : line)
                mapped.append(QPointF(std::round(pt.x()), std::round(y(pt.y()))));
            for (const QPointF offset : {QPointF(0, 0), QPointF(1, 0), QPointF(0, 1)}) {
                if (mapped.size() == 1)
                    p.drawPoint(mapped.first() + offset);
                else
                    p.drawPolyline(mapped.translated(offset));
            }
        }
    }
    p.restore();

    p.setPen(QColor(120, 120, 120));
    p.setBrush(Qt::NoBrush);
    p.drawRect(lane);
    QFont bold = font();
    bold.setPixelSize(12);
    bold.setBold(true);
    p.setFont(bold);
    QString label = series.label(k + 1);
    if (series.b == 0)
        label += QStringLiteral("  (B = 0: sin escala)");
    const QRectF labelBox = p.boundingRect(lane.adjusted(6, 3, -6, -3), Qt::AlignLeft, label);
    p.fillRect(labelBox.adjusted(-3, -1, 3, 1), QColor(255, 255, 255, 210));
    p.setPen(colour.darker(120));
    p.drawText(labelBox, Qt::AlignLeft, label);
}

void TrendPlot::paintStrip(QPainter &p, const Layout &l, const TimeAxis &axis) const {
    QFont small = font();
    small.setPixelSize(std::min(11, int(l.rowHeight)));
    p.setFont(small);
    for (int n = 1; n <= 16; ++n) {
        const QRectF row(l.strip.left(), l.strip.top() + (n - 1) * l.rowHeight, l.strip.width(),
                         l.rowHeight);
        if (n % 2 == 0)
            p.fillRect(row, QColor(246, 246, 246));
        p.setPen(n == 16 ? kAlarmOn : Qt::black);
        p.drawText(QRectF(0, row.top(), row.left() - 6, row.height()),
                   Qt::AlignRight | Qt::AlignVCenter, QStringLiteral("E%1").arg(n));
        if (!m_data)
            continue;
        const QColor on = n == 16 ? kAlarmOn : kInputOn;
        const QRectF band = row.adjusted(0, 1.5, 0, -1.5);
        for (const auto &b : TrendGeometry::bands(*m_data, n, axis)) {
            const double x0 = std::max(b.x0, row.left());
            const double x1 = std::min(std::max(b.x1, b.x0 + 1), row.right());
            if (x1 <= x0)
                continue;
            p.fillRect(QRectF(x0, band.top(), x1 - x0, band.height()),
                       b.partial ? on.lighter(150) : on);
        }
    }
    p.setPen(QColor(120, 120, 120));
    p.setBrush(Qt::NoBrush);
    p.drawRect(l.strip);
}

QString TrendPlot::readout(qint64 t) const {
    QString text = dateText(t);
    if (!m_data)
        return text;
    const TrendEntry *e = m_data->at(t);
    const double span = double(m_data->to - m_data->from) / std::max(1, m_data->columns);
    const bool inColumn = e && !m_data->exact && e->rows > 1 && double(t - e->t) < span;
    for (int k = 0; k < 4; ++k) {
        if (!m_visible[size_t(k)])
            continue;
        const TrendSeries &s = m_series[size_t(k)];
        QString value = QStringLiteral("--");
        if (e && t <= m_data->holdUntil) {
            if (const auto v = s.value(e->last[size_t(k)]))
                value = s.text(*v, m_decimalPoint);
            const auto lo = s.value(e->min[size_t(k)]), hi = s.value(e->max[size_t(k)]);
            if (inColumn && lo && hi && *lo != *hi)
                value = s.text(std::min(*lo, *hi), m_decimalPoint) + QStringLiteral(" a ") +
                        s.text(std::max(*lo, *hi), m_decimalPoint);
        }
        text += QStringLiteral("   Valor %1: %2").arg(k + 1).arg(value);
        if (!s.unit.isEmpty())
            text += u' ' + s.unit;
    }
    QStringList on;
    if (e && t <= m_data->holdUntil)
        for (int n = 1; n <= 16; ++n)
            if (e->inputOn(n) || (inColumn && (e->anyOn >> (n - 1) & 1)))
                on << QString::number(n);
    text += QStringLiteral("   Entradas activas: ") +
            (on.isEmpty() ? QStringLiteral("ninguna") : on.join(QStringLiteral(", ")));
    return text;
}

void TrendPlot::paintEvent(QPaintEvent *) {
    const qreal dpr = devicePixelRatioF();
    if (m_dirty || m_cache.size() != size() * dpr) {
        m_cache = QPixmap(size() * dpr);
        m_cache.setDevicePixelRatio(dpr);
        QPainter cp(&m_cache);
        paintPlot(cp, size());
        m_dirty = false;
    }
    QPainter p(this);
    p.drawPixmap(0, 0, m_cache);
    const Layout l = layout(size());
    if (m_cursor && l.area.contains(*m_cursor)) {
        p.setPen(QPen(QColor(60, 60, 60), 1, Qt::DashLine));
        p.drawLine(QPointF(m_cursor->x(), l.area.top()), QPointF(m_cursor->x(), l.area.bottom()));
    }
    if (m_dragStart && m_cursor) {
        const QRectF band = QRectF(*m_dragStart, *m_cursor).normalized().intersected(l.area);
        p.fillRect(band, QColor(30, 100, 200, 40));
        p.setPen(QColor(30, 100, 200));
        p.drawRect(band);
    }
}

void TrendPlot::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    invalidate();
}

void TrendPlot::changeView(qint64 from, qint64 to) {
    const qint64 span = std::clamp(to - from, kShortestView, kLongestView);
    if (to - from != span) {
        const qint64 mid = from + (to - from) / 2;
        from = mid - span / 2;
        to = from + span;
    }
    setView(from, to);
    emit viewChanged(m_from, m_to);
}

void TrendPlot::zoomAround(double x, double factor) {
    const Layout l = layout(size());
    const TimeAxis axis{m_from, m_to, l.area.left(), l.area.width()};
    const double t = axis.t(std::clamp(x, l.area.left(), l.area.right()));
    const double from = t - (t - double(m_from)) * factor;
    const double to = t + (double(m_to) - t) * factor;
    changeView(qint64(std::llround(from)), qint64(std::llround(to)));
}

void TrendPlot::wheelEvent(QWheelEvent *event) {
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0) {
        event->ignore();
        return;
    }
    if (event->modifiers() & Qt::ShiftModifier) {
        const qint64 shift = qint64(double(m_to - m_from) * 0.1 * -notches);
        changeView(m_from + shift, m_to + shift);
    } else {
        zoomAround(event->position().x(), std::pow(0.8, notches));
    }
    event->accept();
}

void TrendPlot::mousePressEvent(QMouseEvent *event) {
    const Layout l = layout(size());
    if (!l.area.contains(event->position()))
        return;
    if (event->button() == Qt::LeftButton)
        m_dragStart = event->position();
    else if (event->button() == Qt::RightButton || event->button() == Qt::MiddleButton)
        m_panLast = event->position();
}

void TrendPlot::mouseMoveEvent(QMouseEvent *event) {
    m_cursor = event->position();
    const Layout l = layout(size());
    if (m_panLast) {
        const double dx = event->position().x() - m_panLast->x();
        m_panLast = event->position();
        const qint64 shift = qint64(std::llround(-dx * double(m_to - m_from) / l.area.width()));
        if (shift != 0)
            changeView(m_from + shift, m_to + shift);
    }
    if (l.area.contains(*m_cursor)) {
        const TimeAxis axis{m_from, m_to, l.area.left(), l.area.width()};
        emit cursorMoved(readout(qint64(std::llround(axis.t(m_cursor->x())))));
    } else {
        emit cursorMoved(QString());
    }
    update();
}

void TrendPlot::mouseReleaseEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton && m_dragStart) {
        const Layout l = layout(size());
        const QRectF band =
            QRectF(*m_dragStart, event->position()).normalized().intersected(l.area);
        m_dragStart.reset();
        if (band.width() >= 5) {
            // A rectangle inside one lane zooms its values as well.
            for (int k = 0; k < 4; ++k) {
                const QRectF lane = l.lanes[size_t(k)];
                if (m_visible[size_t(k)] && band.height() >= 5 && lane.contains(band)) {
                    const auto [lo, hi] = laneRange(k);
                    auto value = [&, lo = lo, hi = hi](double py) {
                        return lo + (lane.bottom() - py) * (hi - lo) / lane.height();
                    };
                    m_valueZoom[size_t(k)] =
                        std::make_pair(value(band.bottom()), value(band.top()));
                }
            }
            const TimeAxis axis{m_from, m_to, l.area.left(), l.area.width()};
            changeView(qint64(std::llround(axis.t(band.left()))),
                       qint64(std::llround(axis.t(band.right()))));
        }
        update();
    }
    if (event->button() == Qt::RightButton || event->button() == Qt::MiddleButton)
        m_panLast.reset();
}

void TrendPlot::mouseDoubleClickEvent(QMouseEvent *) {
    resetValueZoom();
}

void TrendPlot::leaveEvent(QEvent *) {
    m_cursor.reset();
    emit cursorMoved(QString());
    update();
}

void TrendPlot::keyPressEvent(QKeyEvent *event) {
    const qint64 step = (m_to - m_from) / 10;
    switch (event->key()) {
    case Qt::Key_Left:
        changeView(m_from - step, m_to - step);
        break;
    case Qt::Key_Right:
        changeView(m_from + step, m_to + step);
        break;
    case Qt::Key_Plus:
        zoomAround(width() / 2.0, 0.8);
        break;
    case Qt::Key_Minus:
        zoomAround(width() / 2.0, 1.25);
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

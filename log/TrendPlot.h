#pragma once

#include "log/TrendData.h"
#include "log/TrendGeometry.h"
#include "log/TrendSeries.h"

#include <QPixmap>
#include <QWidget>
#include <array>
#include <memory>
#include <optional>

// The plot of the trend window, drawn with QPainter: one lane per analog
// value shown (steps scaled as the panels show them, with the unit), the
// strip of the sixteen inputs under them and the time axis. The mouse wheel
// and a dragged rectangle zoom, the right or middle button pans, and a
// cursor reads the time and values under the mouse.
class TrendPlot : public QWidget {
    Q_OBJECT
public:
    explicit TrendPlot(QWidget *parent = nullptr);

    void setData(std::shared_ptr<const TrendData> data);
    const TrendData *data() const { return m_data.get(); }
    void setView(qint64 from, qint64 to);
    qint64 viewFrom() const { return m_from; }
    qint64 viewTo() const { return m_to; }
    void setSeries(const std::array<TrendSeries, 4> &series, QChar decimalPoint);
    void setSeriesVisible(int k, bool on);
    bool seriesVisible(int k) const { return m_visible[size_t(k)]; }
    // A line shown over the plot (loading, errors); empty to clear.
    void setNotice(const QString &text);
    QString notice() const { return m_notice; }
    // What the plot says about the data itself (no rows in the range...).
    QString dataMessage() const;
    void resetValueZoom();

    // The width, in pixels, of the time axis: one column per pixel.
    int columns() const;
    // The plot without the cursor, for a picture or a printed page.
    void render(QPainter &painter, const QSize &size) const;
    QImage image(const QSize &size) const;
    // Time and values at time t, as the cursor reads them.
    QString readout(qint64 t) const;

    static QColor seriesColour(int k);

signals:
    // The operator zoomed or panned.
    void viewChanged(qint64 from, qint64 to);
    void cursorMoved(const QString &text);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    struct Layout {
        QRectF area; // the time axis spans area.left()..area.right()
        std::array<QRectF, 4> lanes;
        QRectF strip;
        double rowHeight = 12;
    };
    Layout layout(const QSize &size) const;
    void paintPlot(QPainter &p, const QSize &size) const;
    void paintLane(QPainter &p, const Layout &l, int k, const TimeAxis &axis) const;
    void paintStrip(QPainter &p, const Layout &l, const TimeAxis &axis) const;
    std::pair<double, double> laneRange(int k) const;
    void changeView(qint64 from, qint64 to);
    void zoomAround(double x, double factor);
    void invalidate();

    std::shared_ptr<const TrendData> m_data;
    qint64 m_from = 0;
    qint64 m_to = 3600;
    std::array<TrendSeries, 4> m_series;
    std::array<bool, 4> m_visible{true, true, true, true};
    std::array<std::optional<std::pair<double, double>>, 4> m_valueZoom;
    QChar m_decimalPoint = u'.';
    QString m_notice;

    QPixmap m_cache;
    bool m_dirty = true;
    std::optional<QPointF> m_cursor;
    std::optional<QPointF> m_dragStart; // zoom rectangle
    std::optional<QPointF> m_panLast;
};

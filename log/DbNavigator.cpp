#include "log/DbNavigator.h"

#include "common/Guard.h"
#include "log/ResultSet.h"

#include <QPainter>
#include <QPainterPath>
#include <QToolButton>

namespace {

// The classic navigator glyphs: triangles with a bar at the ends, and a
// circular arrow for refresh.
QIcon glyph(DbNavigator::Button b) {
    QPixmap pixmap(16, 16);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(Qt::black);
    auto triangle = [&](bool left, double x) {
        QPainterPath path;
        if (left) {
            path.moveTo(x + 5, 3);
            path.lineTo(x, 8);
            path.lineTo(x + 5, 13);
        } else {
            path.moveTo(x, 3);
            path.lineTo(x + 5, 8);
            path.lineTo(x, 13);
        }
        path.closeSubpath();
        p.drawPath(path);
    };
    switch (b) {
    case DbNavigator::First:
        p.drawRect(QRectF(4, 3, 2, 10));
        triangle(true, 7);
        break;
    case DbNavigator::Prior:
        triangle(true, 5.5);
        break;
    case DbNavigator::Next:
        triangle(false, 5.5);
        break;
    case DbNavigator::Last:
        triangle(false, 4);
        p.drawRect(QRectF(10, 3, 2, 10));
        break;
    case DbNavigator::Refresh: {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(Qt::black, 1.8));
        p.drawArc(QRectF(3, 3, 10, 10), 100 * 16, 280 * 16);
        p.setPen(Qt::NoPen);
        p.setBrush(Qt::black);
        QPainterPath head;
        head.moveTo(7, 0.5);
        head.lineTo(11, 3.2);
        head.lineTo(7, 6);
        head.closeSubpath();
        p.drawPath(head);
        break;
    }
    }
    return QIcon(pixmap);
}

} // namespace

DbNavigator::DbNavigator(ResultSet &set, QWidget *parent) : QWidget(parent), m_set(set) {
    const char *names[] = {"Primero", "Anterior", "Siguiente", "Ultimo", "Actualizar"};
    const QString hints[] = {QStringLiteral("Primer registro"), QStringLiteral("Registro anterior"),
                             QStringLiteral("Registro siguiente"),
                             QStringLiteral("Ultimo registro"), QStringLiteral("Actualizar datos")};
    for (int b = First; b <= Refresh; ++b) {
        auto *button = new QToolButton(this);
        button->setObjectName(QLatin1String(names[b]));
        button->setIcon(glyph(Button(b)));
        button->setToolTip(hints[b]);
        button->setAutoRepeat(b == Prior || b == Next);
        connect(button, &QToolButton::clicked, this, [this, b] { click(Button(b)); });
        m_buttons[b] = button;
    }
    connect(&m_set, &ResultSet::reset, this, &DbNavigator::updateButtons);
    connect(&m_set, &ResultSet::currentChanged, this, &DbNavigator::updateButtons);
    connect(&m_set, &ResultSet::rowsInserted, this, &DbNavigator::updateButtons);
    connect(&m_set, &ResultSet::rowsRemoved, this, &DbNavigator::updateButtons);
    connect(&m_set, &ResultSet::busyChanged, this, &DbNavigator::updateButtons);
    updateButtons();
}

void DbNavigator::click(Button b) {
    emit used();
    guarded(this, [&] {
        switch (b) {
        case First:
            m_set.first();
            break;
        case Prior:
            m_set.prior();
            break;
        case Next:
            m_set.next();
            break;
        case Last:
            m_set.last();
            break;
        case Refresh:
            m_set.refresh();
            break;
        }
    });
}

void DbNavigator::updateButtons() {
    const bool open = m_set.isOpen();
    m_buttons[First]->setEnabled(open && !m_set.bof());
    m_buttons[Prior]->setEnabled(open && !m_set.bof());
    m_buttons[Next]->setEnabled(open && !m_set.eof());
    m_buttons[Last]->setEnabled(open && !m_set.eof());
    m_buttons[Refresh]->setEnabled(open);
}

void DbNavigator::resizeEvent(QResizeEvent *event) {
    QWidget::resizeEvent(event);
    const int n = int(m_buttons.size());
    for (int b = 0; b < n; ++b) {
        const int left = width() * b / n;
        m_buttons[b]->setGeometry(left, 0, width() * (b + 1) / n - left, height());
    }
}

#include "config/PagePantalla.h"

#include "common/AppError.h"
#include "common/PixelFont.h"
#include "config/EditorState.h"
#include "config/LayoutDrag.h"
#include "view/PictureLoader.h"

#include <QLabel>
#include <QMouseEvent>

PagePantalla::PagePantalla(EditorState &state, QWidget *parent) : QWidget(parent), m_state(state) {
    setObjectName(QStringLiteral("Hoja_Pantalla"));

    Fondo2 = new QLabel(this);
    Fondo2->setObjectName(QStringLiteral("Fondo2"));
    Fondo2->setGeometry(0, 0, 700, 530);
    Fondo2->setScaledContents(true);
    Fondo2->setPixmap(QPixmap(QStringLiteral(":/builtin/welcome.jpg")));

    const QPixmap lamp(QStringLiteral(":/builtin/lamp.png"));
    for (int n = 1; n <= 16; ++n) {
        auto *icon = new QLabel(this);
        icon->setObjectName(QStringLiteral("Icono%1").arg(n));
        icon->setGeometry(0, 0, 64, 64);
        icon->setScaledContents(true);
        icon->setPixmap(lamp);
        icon->setCursor(Qt::PointingHandCursor);
        icon->setToolTip(QStringLiteral("Icono %1 - Arrastrar y Soltar donde corresponda").arg(n));
        icon->installEventFilter(this);
        icon->hide();
        Icono[n - 1] = icon;
    }
    for (int n = 1; n <= 4; ++n) {
        // Looks like the main window's value panels.
        auto *panel = new QLabel(QStringLiteral("0"), this);
        panel->setObjectName(QStringLiteral("Panel%1").arg(n));
        panel->setGeometry(0, 0, 150, 30);
        panel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        panel->setAlignment(Qt::AlignCenter);
        panel->setAutoFillBackground(true);
        QPalette pal = panel->palette();
        pal.setColor(QPalette::Window, Qt::black);
        pal.setColor(QPalette::WindowText, QColor(0, 255, 0));
        panel->setPalette(pal);
        panel->setFont(pixelFont(QStringLiteral("Verdana"), 21));
        panel->setCursor(Qt::PointingHandCursor);
        panel->setToolTip(QStringLiteral("Panel %1 - Arrastrar y Soltar donde corresponda").arg(n));
        panel->installEventFilter(this);
        panel->hide();
        Panel[n - 1] = panel;
    }

    Nota_Pantalla = new QLabel(QStringLiteral("Arrastre y Suelte los Iconos y Paneles, activados "
                                              "previamente, en los lugares que correspondan"),
                               this);
    Nota_Pantalla->setObjectName(QStringLiteral("Nota_Pantalla"));
    Nota_Pantalla->setGeometry(0, 538, 700, 22);
    Nota_Pantalla->setAlignment(Qt::AlignCenter);
}

void PagePantalla::placeControls() {
    for (int n = 0; n < 16; ++n)
        Icono[n]->move(m_state.Icons[n].X, m_state.Icons[n].Y);
    for (int n = 0; n < 4; ++n)
        Panel[n]->move(m_state.Panels[n].X, m_state.Panels[n].Y);
}

void PagePantalla::showPage(QStringList &failures) {
    try {
        Fondo2->setPixmap(PictureLoader::load(m_state.Imagen));
    } catch (const AppError &e) {
        failures << e.text();
    }
    // Only "No" hides: an odd flag such as "si" shows here.
    for (int n = 0; n < 16; ++n) {
        QLabel *icon = Icono[n];
        const EditorState::Icon &state = m_state.Icons[n];
        const bool shown = state.Ico != QLatin1String("No");
        icon->setEnabled(shown);
        icon->setVisible(shown);
        if (!shown)
            continue;
        try {
            icon->setPixmap(PictureLoader::load(state.Off));
        } catch (const AppError &e) {
            failures << e.text();
        }
    }
    for (int n = 0; n < 4; ++n) {
        const bool shown = m_state.Panels[n].Panel != QLatin1String("No");
        Panel[n]->setEnabled(shown);
        Panel[n]->setVisible(shown);
    }
}

int PagePantalla::controlIndex(const QObject *object) const {
    for (int i = 0; i < 16; ++i) {
        if (Icono[i] == object)
            return i;
    }
    for (int i = 0; i < 4; ++i) {
        if (Panel[i] == object)
            return 16 + i;
    }
    return -1;
}

QWidget *PagePantalla::control(int index) const {
    return index < 16 ? static_cast<QWidget *>(Icono[index]) : Panel[index - 16];
}

void PagePantalla::record(int index, QPoint place) {
    if (index < 16) {
        m_state.Icons[index].X = place.x();
        m_state.Icons[index].Y = place.y();
    } else {
        m_state.Panels[index - 16].X = place.x();
        m_state.Panels[index - 16].Y = place.y();
    }
}

// While a button is held the pressed control keeps the mouse: moves and the
// release come to it even when the cursor has left it.
bool PagePantalla::eventFilter(QObject *watched, QEvent *event) {
    const QEvent::Type type = event->type();
    if (type != QEvent::MouseButtonPress && type != QEvent::MouseMove &&
        type != QEvent::MouseButtonRelease)
        return QWidget::eventFilter(watched, event);
    const int index = controlIndex(watched);
    if (index < 0)
        return QWidget::eventFilter(watched, event);

    QWidget *widget = control(index);
    const QPoint mouse = static_cast<QMouseEvent *>(event)->position().toPoint();
    const DragBounds bounds = index < 16 ? DragBounds::icon() : DragBounds::panel();
    if (type == QEvent::MouseButtonPress) {
        LayoutDrag::press(m_state, mouse);
    } else if (type == QEvent::MouseMove) {
        const LayoutDrag::Step step = LayoutDrag::move(m_state, bounds, widget->pos(), mouse);
        widget->move(step.place);
        // A drag that a bound ended keeps the clamped place, so that what
        // the page shows is what the save writes.
        if (step.ended)
            record(index, step.place);
    } else {
        QPoint place;
        if (LayoutDrag::release(m_state, widget->pos(), mouse, &place)) {
            widget->move(place);
            record(index, place);
        }
    }
    event->accept();
    return true;
}

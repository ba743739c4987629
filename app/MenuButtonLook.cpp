#include "app/MenuButtonLook.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPushButton>
#include <QWidget>

namespace {
const char *kLookProperty = "korvaneLook";
}

MenuButtonLook::MenuButtonLook(QWidget *panel, QList<QPushButton *> buttons, QObject *parent)
    : QObject(parent), m_panel(panel), m_buttons(std::move(buttons)) {
    m_panel->setMouseTracking(true);
    m_panel->installEventFilter(this);
    for (QPushButton *b : m_buttons) {
        b->setMouseTracking(true);
        b->installEventFilter(this);
    }
}

void MenuButtonLook::apply(QPushButton *button, Look look) {
    QPalette palette = button->palette();
    QColor colour(0, 0, 0);
    if (look == Look::Hover)
        colour = QColor(0, 0, 255);
    else if (look == Look::Pressed)
        colour = QColor(255, 0, 0);
    palette.setColor(QPalette::ButtonText, colour);
    button->setPalette(palette);
    QFont font = button->font();
    font.setUnderline(look != Look::Plain);
    button->setFont(font);
    button->setProperty(kLookProperty, int(look));
}

MenuButtonLook::Look MenuButtonLook::lookOf(const QPushButton *button) {
    return Look(button->property(kLookProperty).toInt());
}

bool MenuButtonLook::eventFilter(QObject *watched, QEvent *event) {
    const auto type = event->type();
    if (watched == m_panel) {
        // A move a button did not take reaches the panel too: only a move
        // over the panel's own background resets the buttons.
        if (type == QEvent::MouseMove) {
            const auto *move = static_cast<QMouseEvent *>(event);
            QWidget *under = m_panel->childAt(move->position().toPoint());
            if (!m_buttons.contains(qobject_cast<QPushButton *>(under))) {
                for (QPushButton *b : m_buttons)
                    apply(b, Look::Plain);
            }
        }
        return false;
    }
    auto *button = qobject_cast<QPushButton *>(watched);
    if (!button)
        return false;
    if (type == QEvent::MouseMove || type == QEvent::MouseButtonRelease)
        apply(button, Look::Hover);
    else if (type == QEvent::MouseButtonPress)
        apply(button, Look::Pressed);
    return false;
}

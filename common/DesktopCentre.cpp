#include "common/DesktopCentre.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

void centreOnDesktop(QWidget *window, const QWidget *shownWindow) {
    const QScreen *screen = shownWindow ? shownWindow->screen() : window->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QSize frame = window->size();
    if (shownWindow && shownWindow->isVisible()) {
        const QWidget *top = shownWindow->window();
        frame += top->frameGeometry().size() - top->geometry().size();
    }
    const QRect area = screen->availableGeometry();
    // move() places the frame's top-left corner.
    window->move(area.x() + (area.width() - frame.width()) / 2,
                 area.y() + (area.height() - frame.height()) / 2);
}

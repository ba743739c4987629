#include "app/AppSetup.h"

#include "common/AppInfo.h"

#include <QApplication>

void configureApplication() {
    QApplication::setApplicationName(AppInfo::title());
    // No application display name: on X11 Qt appends it to every window
    // title ("Envio de Comando — Korvane Direct 1.2"), and each window's
    // title must read exactly as the program gives it.
    //
    // The window may be hidden to the notification area while a message box
    // comes and goes: only the close question ends the program.
    QApplication::setQuitOnLastWindowClosed(false);
}

#include "app/TFMain.h"
#include "common/AppInfo.h"
#include "log/TFDM.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(AppInfo::title());
    QApplication::setApplicationDisplayName(AppInfo::title());
    // The window may be hidden to the notification area while a message box
    // comes and goes: only the close question ends the program.
    QApplication::setQuitOnLastWindowClosed(false);

    // The data module opens nothing when it is made; the connection opens
    // at the first logger tick or viewer window.
    TFDM fdm;
    TFMain window(QCoreApplication::applicationDirPath(), fdm);
    if (window.refusedAsSecondCopy())
        return 0;
    window.show();
    return app.exec();
}

#include "app/AppSetup.h"
#include "app/TFMain.h"
#include "log/TFDM.h"

#include <QApplication>

int main(int argc, char *argv[]) {
    QApplication app(argc, argv);
    configureApplication();

    // The data module opens nothing when it is made; the connection opens
    // at the first logger tick or viewer window.
    TFDM fdm;
    TFMain window(QCoreApplication::applicationDirPath(), fdm);
    if (window.refusedAsSecondCopy())
        return 0;
    window.show();
    return app.exec();
}

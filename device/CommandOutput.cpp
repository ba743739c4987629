#include "device/CommandOutput.h"

#include "common/MessageBoxes.h"
#include "device/ComSerie.h"
#include "device/TFEspera.h"

namespace CommandFrames {

QByteArray allOff() {
    return QByteArrayLiteral(":01100000FF00020000EF\r\n");
}

QByteArray output(int n) {
    // Bit n-1 of the command word; the check characters are part of the text.
    static const char *const kFrames[8] = {
        ":01100000FF00020001EE", ":01100000FF00020002ED", ":01100000FF00020004EB",
        ":01100000FF00020008E7", ":01100000FF00020010DF", ":01100000FF00020020CF",
        ":01100000FF00020040AF", ":01100000FF000200806F",
    };
    if (n < 1 || n > 8)
        return {};
    return QByteArray(kFrames[n - 1]) + "\r\n";
}

} // namespace CommandFrames

void commandButtonClick(QWidget *mainWindow, ComSerie &port, TFDM *fdm, int n,
                        const CommandTiming &timing) {
    if (!port.connected()) {
        MessageBoxes::error(mainWindow,
                            QStringLiteral("Falla envio de comando. El equipo no esta conectado!"));
        return;
    }
    if (CommandFrames::output(n).isEmpty())
        return;
    auto *espera = new TFEspera(port, fdm, mainWindow, timing);
    espera->CommandNumber = n;
    // exec() frees the window once it has closed itself.
    espera->setAttribute(Qt::WA_DeleteOnClose);
    espera->exec();
}

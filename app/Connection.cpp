// The connection lifecycle of the main window: connect, disconnect, the
// editor's guard, the close question and the look of each state.
#include "app/TFMain.h"

#include "common/Guard.h"
#include "common/MessageBoxes.h"
#include "config/TFConfig.h"
#include "log/PeriodicLogger.h"
#include "view/PictureLoader.h"

#include <QAction>
#include <QCloseEvent>
#include <QLabel>
#include <QTimer>

namespace {
const QString kCommFailure = QStringLiteral(
    "Falla de comunicacion, verifique configuracion Puerto Serie y que su PLC este conectado y "
    "funcionando!");
}

void TFMain::Conectar1Click() {
    stopReconnecting();
    m_poll->resetNoiseCount();
    m_poll->resetLinkWatch();
    Lbl_Ruido->hide();
    Lbl_SinRespuesta->hide();
    bool ok = Com_Serie.open();
    if (ok) {
        m_poll->Reloj_Principal.start();
        ok = m_configStore->flush();
    }
    if (!ok) {
        MessageBoxes::error(this, kCommFailure);
        Com_Serie.close();
        m_poll->Reloj_Principal.stop();
    }
}

void TFMain::stopPolling() {
    m_poll->Reloj_Principal.stop();
    m_display->Reloj_Graficos.stop();
    Com_Serie.close();
}

void TFMain::Desconectar1Click() {
    const auto answer = MessageBoxes::show(
        this, MessageBoxes::Kind::Warning,
        QStringLiteral("Atencion: Va a deconectar el equipo del SCADA.\n ¿Desea continuar con la "
                       "desconexion?"),
        MessageBoxes::Buttons::YesNo);
    if (answer == MessageBoxes::Answer::Yes)
        stopPolling();
}

void TFMain::ConfigComunicacion1Click() {
    if (Com_Serie.connected()) {
        const auto answer = MessageBoxes::show(
            this, MessageBoxes::Kind::Warning,
            QStringLiteral("Atencion: El equipo esta conectado al sistema, si continua se "
                           "desconectará.\n ¿Desea continuar con la configuración?"),
            MessageBoxes::Buttons::YesNo);
        if (answer != MessageBoxes::Answer::Yes)
            return;
        stopPolling();
    }
    stopReconnecting(); // the operator is changing the port settings
    auto *editor = new TFConfig(
        m_settings.ExeDir, m_player.get(), [this](const AppliedSettings &s) { applySettings(s); },
        this);
    editor->setAttribute(Qt::WA_DeleteOnClose);
    editor->exec();
}

void TFMain::onPortFailed() {
    if (!Com_Serie.connected())
        return;
    // The device went away (a USB adapter pulled out, a line closed): leave
    // the connected state, say so once, after the step that found it, and
    // open the port again by itself as soon as the device is back, so that
    // the station recovers without anybody at the screen.
    m_poll->Reloj_Principal.stop();
    Com_Serie.close();
    MessageBoxes::post(this, MessageBoxes::Kind::Error, kCommFailure);
    Lbl_Reconexion->show();
    Reloj_Reconexion.start();
}

void TFMain::Reloj_ReconexionTimer() {
    if (Com_Serie.connected() || !Com_Serie.open())
        return;
    stopReconnecting();
    m_poll->resetLinkWatch();
    m_poll->Reloj_Principal.start();
}

void TFMain::stopReconnecting() {
    Reloj_Reconexion.stop();
    Lbl_Reconexion->hide();
}

QString TFMain::noiseText(int count) {
    return QStringLiteral("Respuestas con ruido: %1").arg(count);
}

void TFMain::onNoisyReply(int count) {
    Lbl_Ruido->setText(noiseText(count));
    Lbl_Ruido->show();
}

void TFMain::Com_SerieAfterOpen() {
    Conectar1->setEnabled(false);
    Desconectar1->setEnabled(true);
    setStatus(QStringLiteral("SISTEMA CONECTADO..."), QColor(0, 0, 255));
    const QString img = m_settings.ExeDir + QStringLiteral("/img/");
    try {
        ImgConectado->setPixmap(PictureLoader::load(img + QStringLiteral("comon.png")));
        ImgConectado->setToolTip(QStringLiteral("Conectado a Puerto Serie..."));
        setDatabasePicture(TimerDB().isActive() && !m_logger->failing());
    } catch (const std::exception &) {
        reportMissingPictures();
    }
}

void TFMain::setDatabasePicture(bool saving) {
    const QString img = m_settings.ExeDir + QStringLiteral("/img/");
    ImgBase->setPixmap(PictureLoader::load(
        img + (saving ? QStringLiteral("dbon.png") : QStringLiteral("dboff.png"))));
    ImgBase->setToolTip(saving ? QStringLiteral("Guardando Registros...")
                               : QStringLiteral("No se estan guardando datos!"));
}

// The logger lost or found the database again while connected: the picture
// follows at once instead of waiting for the next connect or disconnect.
void TFMain::showDatabaseState() {
    if (!Com_Serie.connected())
        return;
    try {
        setDatabasePicture(TimerDB().isActive() && !m_logger->failing());
    } catch (const std::exception &) {
        reportMissingPictures();
    }
}

// From the event loop: the connect that found the pictures missing goes on
// and starts the poll at once.
void TFMain::reportMissingPictures() {
    MessageBoxes::post(this, MessageBoxes::Kind::Warning,
                       QStringLiteral("Faltan imagenes del sistema!"));
}

void TFMain::Com_SerieAfterClose() {
    Lbl_SinRespuesta->hide();
    Conectar1->setEnabled(true);
    Desconectar1->setEnabled(false);
    setStatus(QStringLiteral("SISTEMA DESCONECTADO!"), QColor(255, 0, 0));
    const QString img = m_settings.ExeDir + QStringLiteral("/img/");
    try {
        ImgConectado->setPixmap(PictureLoader::load(img + QStringLiteral("comoff.png")));
        ImgConectado->setToolTip(QStringLiteral("Sin conexion con puerto serie!"));
        setDatabasePicture(false);
    } catch (const std::exception &) {
        reportMissingPictures();
    }
}

bool TFMain::FormCloseQuery() {
    const QString question =
        QStringLiteral("La aplicacion se cerrara y terminara cualquier comunicacion iniciada con "
                       "el dispositivo.\n¿Desea continuar y salir de la aplicacion? - ") +
        (Com_Serie.connected() ? QStringLiteral("(Hay una comunicacion iniciada)")
                               : QStringLiteral("(No hay comunicacion iniciada)"));
    const auto answer = MessageBoxes::show(this, MessageBoxes::Kind::Confirm, question,
                                           MessageBoxes::Buttons::YesNo);
    if (answer != MessageBoxes::Answer::Yes)
        return false;
    stopReconnecting();
    Com_Serie.close();
    m_quit();
    return true;
}

void TFMain::closeEvent(QCloseEvent *event) {
    if (m_refused) {
        event->accept();
        return;
    }
    if (FormCloseQuery())
        event->accept();
    else
        event->ignore();
}

#include "device/TFEspera.h"

#include "common/AppError.h"
#include "common/AppInfo.h"
#include "common/MessageBoxes.h"
#include "common/Resources.h"
#include "device/ComSerie.h"
#include "device/CommandOutput.h"
#include "log/LogStatements.h"
#include "log/TFDM.h"

#include <QCloseEvent>
#include <QFile>
#include <QKeyEvent>
#include <QLabel>
#include <QMovie>
#include <QScreen>
#include <QThread>

namespace {
const QString kGifResource = QStringLiteral(":/builtin/espera.gif");
}

TFEspera::TFEspera(ComSerie &port, TFDM *fdm, QWidget *parent, const CommandTiming &timing)
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint),
      Txt_Aviso(new QLabel(this)), Gif(new QLabel(this)),
      Reloj_Ejecuta(new IntervalTimer(QStringLiteral("Reloj_Ejecuta"), timing.executeMs, this)),
      Reloj_Espera(new IntervalTimer(QStringLiteral("Reloj_Espera"), timing.closeMs, this)),
      m_port(port), m_fdm(fdm), m_pauseMs(timing.pauseMs) {
    setObjectName(QStringLiteral("FEspera"));
    initBuiltinResources();
    setWindowTitle(QStringLiteral("Envio de Comando"));
    setFixedSize(329, 100);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);

    Gif->setObjectName(QStringLiteral("Gif"));
    Gif->setGeometry(16, 18, 64, 64);
    Gif->setAlignment(Qt::AlignCenter);
    if (QFile::exists(kGifResource)) {
        m_movie = new QMovie(kGifResource, QByteArray(), this);
        Gif->setMovie(m_movie);
        m_movie->start();
    }

    Txt_Aviso->setObjectName(QStringLiteral("Txt_Aviso"));
    Txt_Aviso->setText(QStringLiteral("Enviando Instrucciones al Equipo!"));
    QFont bold = Txt_Aviso->font();
    bold.setBold(true);
    Txt_Aviso->setFont(bold);
    Txt_Aviso->setGeometry(92, 38, 229, 24);

    if (const QScreen *s = screen())
        move(s->availableGeometry().center() - rect().center());

    connect(Reloj_Ejecuta, &QTimer::timeout, this, &TFEspera::Reloj_EjecutaTimer);
    connect(Reloj_Espera, &QTimer::timeout, this, &TFEspera::Reloj_EsperaTimer);
    Reloj_Ejecuta->start();
}

bool TFEspera::writeFrame(const QByteArray &frame, QString &failure) {
    if (m_port.writeText(frame))
        return true;
    failure = QStringLiteral("Falla envio de comando. %1").arg(m_port.errorString());
    return false;
}

void TFEspera::Reloj_EjecutaTimer() {
    // The sequence runs once, whatever happens in it: an output is never
    // pulsed again without the operator.
    Reloj_Ejecuta->stop();
    const QByteArray command = CommandFrames::output(CommandNumber);
    if (command.isEmpty()) {
        closeByProgram();
        return;
    }

    // The pauses block the whole user-interface thread on purpose: no poll
    // request may go out between the three frames.
    QString failure;
    bool commandSent = false;
    if (writeFrame(CommandFrames::allOff(), failure)) {
        QThread::msleep(m_pauseMs);
        if (writeFrame(command, failure)) {
            commandSent = true;
            QThread::msleep(m_pauseMs);
            writeFrame(CommandFrames::allOff(), failure);
        }
    }

    // Only a command that went out is recorded, and only on a connection
    // that is already open: the command window never opens it.
    if (commandSent && m_fdm && m_fdm->isOpen()) {
        try {
            m_fdm->SQLEntrada.run(LogStatements::escrituraInsert(CommandNumber));
        } catch (const AppError &e) {
            if (!failure.isEmpty())
                failure += u'\n';
            failure += e.text();
        }
    }

    if (!failure.isEmpty()) {
        MessageBoxes::showTitled(this, MessageBoxes::Kind::Error, AppInfo::title(), failure);
        closeByProgram();
        return;
    }
    Reloj_Espera->start();
}

void TFEspera::Reloj_EsperaTimer() {
    closeByProgram();
}

void TFEspera::closeByProgram() {
    Reloj_Ejecuta->stop();
    Reloj_Espera->stop();
    m_closingByProgram = true;
    done(QDialog::Accepted);
}

void TFEspera::reject() {
    if (m_closingByProgram)
        QDialog::reject();
}

void TFEspera::closeEvent(QCloseEvent *event) {
    if (!m_closingByProgram) {
        event->ignore();
        return;
    }
    QDialog::closeEvent(event);
}

void TFEspera::keyPressEvent(QKeyEvent *event) {
    // Esc would reject the dialog; the window closes only by itself.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

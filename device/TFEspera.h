#pragma once

#include "common/IntervalTimer.h"
#include "device/CommandOutput.h"

#include <QDialog>

class ComSerie;
class QLabel;
class QMovie;
class TFDM;

// FEspera: the small modal window shown while a command pulse is sent. It
// sends the pulse at the first tick of Reloj_Ejecuta and closes itself at
// the tick of Reloj_Espera; the operator cannot close it.
class TFEspera : public QDialog {
    Q_OBJECT
public:
    // fdm may be null: nothing is recorded then.
    TFEspera(ComSerie &port, TFDM *fdm, QWidget *parent = nullptr,
             const CommandTiming &timing = {});

    int CommandNumber = 0; // output 1..8, set before the window is shown

    QLabel *const Txt_Aviso;
    QLabel *const Gif;
    IntervalTimer *const Reloj_Ejecuta;
    IntervalTimer *const Reloj_Espera;

    // Closes the window from the program (the only way it closes).
    void closeByProgram();

public slots:
    void Reloj_EjecutaTimer();
    void Reloj_EsperaTimer();
    void reject() override;

protected:
    void closeEvent(QCloseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    bool writeFrame(const QByteArray &frame, QString &failure);

    ComSerie &m_port;
    TFDM *m_fdm;
    int m_pauseMs;
    QMovie *m_movie = nullptr;
    bool m_closingByProgram = false;
};

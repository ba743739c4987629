#pragma once

#include "config/FileDialogs.h"
#include "notify/SendNotice.h"

#include <QWidget>
#include <array>

class AlarmPlayer;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
template <typename T> class QFutureWatcher;
struct EditorState;
struct EditorForm;

// "Alarmas": the alarm sound with its test, and the two e-mail notices with
// the mail server settings and a test send for each.
class PageAlarma : public QWidget {
    Q_OBJECT
public:
    // player: the main window's alarm player, which the alarm box and the
    // test drive; may be null.
    PageAlarma(EditorState &state, const FileChooser &chooseFile, AlarmPlayer *player,
               QWidget *parent = nullptr);

    // Load steps 14 to 16: the alarm, the server settings, the two notices.
    void load();
    void fillForm(EditorForm &form) const;

    void CheckAlarma1Click(bool ticked);
    void Boton_BuscaAlarma1Click();
    void Boton_TestAlarma1Click();
    void check_envioClick(int notice, bool ticked);
    void boton_envioClick(int notice);

    bool sending(int notice) const;
    // Limits of a test exchange (tests make them short).
    void setSmtpTimeouts(const SmtpTimeouts &timeouts) { m_timeouts = timeouts; }

    static QString testQuestion();

    QCheckBox *CheckAlarma1 = nullptr;
    QLineEdit *Texto_Alarma1 = nullptr;
    QPushButton *Boton_BuscaAlarma1 = nullptr;
    QPushButton *Boton_TestAlarma1 = nullptr;

    QLineEdit *texto_smtp = nullptr;
    QLineEdit *texto_puerto = nullptr;
    QLineEdit *texto_email = nullptr;
    QComboBox *texto_tiempo_envio = nullptr;
    QLineEdit *texto_usuario = nullptr;
    QLineEdit *texto_clave = nullptr;
    QLineEdit *texto_destino = nullptr;

    std::array<QCheckBox *, 2> check_envio{};
    std::array<QLineEdit *, 2> texto_asunto{};
    std::array<QLineEdit *, 2> texto_mensaje{};
    std::array<QPushButton *, 2> boton_envio{};
    std::array<QLabel *, 2> Etiqueta_Enviando{}; // "Enviando..." while a test is out

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    struct SendResult {
        bool sent = false;
        QString error;
    };
    void testSent(int notice, const SendResult &result);
    void updateNoticeControls(int notice);

    EditorState &m_state;
    const FileChooser &m_chooseFile;
    AlarmPlayer *m_player;
    SmtpTimeouts m_timeouts;
    std::array<QFutureWatcher<SendResult> *, 2> m_sends{};
};

#include "config/PageAlarma.h"

#include "common/AppError.h"
#include "common/Guard.h"
#include "common/MessageBoxes.h"
#include "config/EditorState.h"
#include "config/EditorWidgets.h"
#include "config/SettingsSave.h"
#include "notify/AlarmPlayer.h"
#include "notify/Notices.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFutureWatcher>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QtConcurrent/QtConcurrentRun>

using namespace EditorWidgets;

namespace {
const QString kProbar = QStringLiteral("Probar Alarma");
const QString kDetener = QStringLiteral("Detener Alarma!");

QFrame *panel(QWidget *parent, const char *name, const QRect &geometry) {
    auto *f = new QFrame(parent);
    f->setObjectName(QLatin1String(name));
    f->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    f->setGeometry(geometry);
    return f;
}
} // namespace

QString PageAlarma::testQuestion() {
    return QStringLiteral("Debe guardar los cambios, si ya guardo los cambios haga click en Yes, "
                          "sino presione No y guarde los cambios");
}

PageAlarma::PageAlarma(EditorState &state, const FileChooser &chooseFile, AlarmPlayer *player,
                       QWidget *parent)
    : QWidget(parent), m_state(state), m_chooseFile(chooseFile), m_player(player) {
    setObjectName(QStringLiteral("Hoja_Alarma"));

    QGroupBox *alarm =
        group(this, "Grupo_Alarma", QStringLiteral(" Alarma Sonora  "), {12, 6, 674, 136});
    CheckAlarma1 = checkBox(alarm, "CheckAlarma1", QStringLiteral("Habilitar Alarma "), {20, 30});
    note(alarm, QStringLiteral("Alarma activada por la entrada 16 de Dravik"), {210, 31});
    label(alarm, QStringLiteral("MP3:"), {20, 70});
    Texto_Alarma1 = edit(alarm, "Texto_Alarma1", {66, 66, 368, 27});
    Texto_Alarma1->setReadOnly(true);
    Texto_Alarma1->installEventFilter(this);
    note(alarm, QStringLiteral("Ubicacion en disco del archivo de sonido MP3"), {68, 98});
    Boton_BuscaAlarma1 =
        button(alarm, "Boton_BuscaAlarma1", QStringLiteral("Examinar"), {444, 65, 92, 29});
    Boton_BuscaAlarma1->setToolTip(QStringLiteral("Buscar MP3 para Alarma 1"));
    Boton_TestAlarma1 = button(alarm, "Boton_TestAlarma1", kProbar, {544, 65, 120, 29});
    Boton_TestAlarma1->setToolTip(QStringLiteral("Probar Alarma 1"));
    for (QWidget *w :
         {static_cast<QWidget *>(Texto_Alarma1), static_cast<QWidget *>(Boton_BuscaAlarma1),
          static_cast<QWidget *>(Boton_TestAlarma1)})
        w->setEnabled(false);

    QGroupBox *mail =
        group(this, "Grupo_Mail", QStringLiteral("  Avisos por E-mail  "), {12, 148, 674, 414});
    QFrame *server = panel(mail, "Panel_Servidor", {10, 24, 654, 172});
    QLabel *heading = label(server,
                            QStringLiteral("Configurar el servidor de salida de tu sistema de "
                                           "correo electronico."),
                            {10, 6});
    QFont bold = heading->font();
    bold.setBold(true);
    heading->setFont(bold);
    heading->adjustSize();
    struct Field {
        QLineEdit **edit;
        const char *name;
        const char *label;
        QRect geometry;
    };
    const Field fields[] = {
        {&texto_smtp, "texto_smtp", "Server SMTP", {124, 34, 200, 27}},
        {&texto_puerto, "texto_puerto", "Puerto", {454, 34, 80, 27}},
        {&texto_email, "texto_email", "E-mail", {124, 68, 200, 27}},
        {&texto_usuario, "texto_usuario", "Usuario", {124, 102, 200, 27}},
        {&texto_clave, "texto_clave", "Clave", {454, 102, 190, 27}},
        {&texto_destino, "texto_destino", "E-mail Destino", {124, 136, 520, 27}},
    };
    for (const Field &f : fields) {
        const int labelX = f.geometry.x() < 300 ? 10 : 340;
        label(server, QString::fromLatin1(f.label), {labelX, f.geometry.y() + 4});
        *f.edit = edit(server, f.name, f.geometry);
    }
    label(server, QStringLiteral("Re-envio cada"), {340, 72});
    texto_tiempo_envio =
        dropDown(server, "texto_tiempo_envio",
                 {QStringLiteral("1 Hora"), QStringLiteral("2 Horas"), QStringLiteral("4 Horas"),
                  QStringLiteral("8 Horas"), QStringLiteral("12 Horas")},
                 {454, 68, 120, 27});
    texto_clave->setEchoMode(QLineEdit::Password);
    // One "*" per character, as the operator expects from a password box.
    texto_clave->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));

    QFrame *notices = panel(mail, "Panel_Envios", {10, 204, 654, 200});
    for (int i = 0; i < 2; ++i) {
        const int n = i + 1;
        const int x = 10 + 322 * i;
        const QByteArray suffix = QByteArray::number(n);
        check_envio[i] = checkBox(notices, ("check_envio" + suffix).constData(),
                                  QStringLiteral("Habilitar Envio %1").arg(n), {x, 10});
        note(notices, QStringLiteral("Envio activado por la entrada %1 de Dravik").arg(14 + n),
             {x, 36});
        label(notices, QStringLiteral("Asunto %1").arg(n), {x, 70});
        texto_asunto[i] =
            edit(notices, ("texto_asunto" + suffix).constData(), {x + 86, 66, 218, 27});
        label(notices, QStringLiteral("Mensaje %1").arg(n), {x, 106});
        texto_mensaje[i] =
            edit(notices, ("texto_mensaje" + suffix).constData(), {x + 86, 102, 218, 27});
        boton_envio[i] = button(notices, ("boton_envio" + suffix).constData(),
                                QStringLiteral("Probar Envio %1").arg(n), {x + 86, 146, 136, 29});
        Etiqueta_Enviando[i] = note(notices, QStringLiteral("Enviando..."), {x + 230, 152},
                                    ("Etiqueta_Enviando" + suffix).constData());
        Etiqueta_Enviando[i]->hide();
        for (QWidget *w :
             {static_cast<QWidget *>(texto_asunto[i]), static_cast<QWidget *>(texto_mensaje[i]),
              static_cast<QWidget *>(boton_envio[i])})
            w->setEnabled(false);
        connect(check_envio[i], &QCheckBox::toggled, this,
                [this, n](bool ticked) { check_envioClick(n, ticked); });
        connect(boton_envio[i], &QPushButton::clicked, this, [this, n] { boton_envioClick(n); });
    }

    connect(CheckAlarma1, &QCheckBox::toggled, this, &PageAlarma::CheckAlarma1Click);
    connect(Boton_BuscaAlarma1, &QPushButton::clicked, this, &PageAlarma::Boton_BuscaAlarma1Click);
    connect(Boton_TestAlarma1, &QPushButton::clicked, this, &PageAlarma::Boton_TestAlarma1Click);
}

void PageAlarma::load() {
    Texto_Alarma1->setText(m_state.Alarma1MP3);
    if (m_state.Alarma1 == 1) {
        CheckAlarma1->setChecked(true);
    } else {
        CheckAlarma1->setChecked(false);
        Texto_Alarma1->setEnabled(false);
        Boton_BuscaAlarma1->setEnabled(false);
        Boton_TestAlarma1->setEnabled(false);
        m_state.Alarma1 = 0;
    }

    texto_smtp->setText(m_state.ServerSMTP);
    texto_email->setText(m_state.Email);
    texto_usuario->setText(m_state.UsuarioMail);
    texto_clave->setText(m_state.ClaveMail);
    texto_destino->setText(m_state.EmailDestino);
    texto_puerto->setText(m_state.PuertoSMTP);
    selectPosition(texto_tiempo_envio, m_state.ReEnvio);

    const int flags[] = {m_state.HabilitaMail1, m_state.HabilitaMail2};
    const QString subjects[] = {m_state.Asunto1, m_state.Asunto2};
    const QString bodies[] = {m_state.Mensaje1, m_state.Mensaje2};
    for (int i = 0; i < 2; ++i) {
        if (flags[i] == 1) {
            check_envio[i]->setChecked(true);
        } else {
            check_envio[i]->setChecked(false);
            texto_asunto[i]->setEnabled(false);
            texto_mensaje[i]->setEnabled(false);
        }
        texto_asunto[i]->setText(subjects[i]);
        texto_mensaje[i]->setText(bodies[i]);
        texto_asunto[i]->setCursorPosition(0);
        texto_mensaje[i]->setCursorPosition(0);
    }
}

void PageAlarma::CheckAlarma1Click(bool ticked) {
    m_state.Alarma1 = ticked ? 1 : 0;
    Texto_Alarma1->setEnabled(ticked);
    Boton_BuscaAlarma1->setEnabled(ticked);
    Boton_TestAlarma1->setEnabled(ticked);
    // The file name takes effect at the player's next open only.
    if (m_player) {
        m_player->setEnabled(ticked);
        m_player->setFileName(m_state.Alarma1MP3);
    }
}

void PageAlarma::Boton_BuscaAlarma1Click() {
    const QString path = m_chooseFile(this, FileDialogs::alarmaDialogo());
    if (path.isEmpty())
        return;
    m_state.Alarma1MP3 = path;
    Texto_Alarma1->setText(path);
}

// The caption is the only record of a running test.
void PageAlarma::Boton_TestAlarma1Click() {
    if (!m_player)
        return;
    guarded(this, [this] {
        if (Boton_TestAlarma1->text() == kProbar) {
            m_player->setFileName(m_state.Alarma1MP3);
            m_player->Open();
            m_player->Play();
            Boton_TestAlarma1->setText(kDetener);
        } else {
            Boton_TestAlarma1->setText(kProbar);
            m_player->Stop();
        }
    });
}

bool PageAlarma::eventFilter(QObject *watched, QEvent *event) {
    if (watched == Texto_Alarma1 && event->type() == QEvent::MouseButtonDblClick &&
        Texto_Alarma1->isEnabled()) {
        Boton_BuscaAlarma1Click();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void PageAlarma::check_envioClick(int notice, bool ticked) {
    const int i = notice - 1;
    (notice == 1 ? m_state.HabilitaMail1 : m_state.HabilitaMail2) = ticked ? 1 : 0;
    texto_asunto[i]->setEnabled(ticked);
    texto_mensaje[i]->setEnabled(ticked);
    updateNoticeControls(notice);
}

bool PageAlarma::sending(int notice) const {
    return m_sends[notice - 1] != nullptr;
}

void PageAlarma::updateNoticeControls(int notice) {
    const int i = notice - 1;
    boton_envio[i]->setEnabled(check_envio[i]->isChecked() && !sending(notice));
    Etiqueta_Enviando[i]->setVisible(sending(notice));
}

// A test goes out with the texts as they stand in the fields, on a thread of
// its own: the window and the station's timers go on meanwhile.
void PageAlarma::boton_envioClick(int notice) {
    const int i = notice - 1;
    if (!check_envio[i]->isChecked() || sending(notice))
        return;
    MailMessage message;
    const bool composed = guarded(this, [&] {
        message = composeMail(texto_email->text(), texto_destino->text(), texto_smtp->text(),
                              texto_puerto->text(), texto_usuario->text(), texto_clave->text(),
                              texto_asunto[i]->text(), texto_mensaje[i]->text());
    });
    if (!composed)
        return;
    if (MessageBoxes::show(this, MessageBoxes::Kind::Warning, testQuestion(),
                           MessageBoxes::Buttons::YesNo) != MessageBoxes::Answer::Yes)
        return;

    auto *watcher = new QFutureWatcher<SendResult>(this);
    m_sends[i] = watcher;
    updateNoticeControls(notice);
    connect(watcher, &QFutureWatcher<SendResult>::finished, this, [this, notice, watcher] {
        m_sends[notice - 1] = nullptr;
        const SendResult result = watcher->result();
        watcher->deleteLater();
        updateNoticeControls(notice);
        testSent(notice, result);
    });
    const SmtpTimeouts timeouts = m_timeouts;
    watcher->setFuture(QtConcurrent::run([message, timeouts] {
        SendResult r;
        r.sent = sendMail(message, &r.error, timeouts);
        return r;
    }));
}

void PageAlarma::testSent(int notice, const SendResult &result) {
    if (result.sent) {
        MessageBoxes::show(this, MessageBoxes::Kind::Plain,
                           QStringLiteral("El Mensaje %1 se envió correctamente").arg(notice));
    } else {
        MessageBoxes::show(this, MessageBoxes::Kind::Error, Notices::resendErrorText(),
                           MessageBoxes::Buttons::Yes);
    }
}

void PageAlarma::fillForm(EditorForm &form) const {
    form.smtp = texto_smtp->text();
    form.email = texto_email->text();
    form.port = texto_puerto->text();
    form.resend = listPosition(texto_tiempo_envio);
    form.user = texto_usuario->text();
    form.password = texto_clave->text();
    form.to = texto_destino->text();
    form.subject1 = texto_asunto[0]->text();
    form.body1 = texto_mensaje[0]->text();
    form.subject2 = texto_asunto[1]->text();
    form.body2 = texto_mensaje[1]->text();
}

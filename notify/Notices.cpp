#include "notify/Notices.h"

#include "app/RuntimeSettings.h"
#include "common/AppError.h"
#include "common/AppInfo.h"
#include "common/MessageBoxes.h"
#include "notify/MailSender.h"
#include "notify/SendNotice.h"
#include "view/InputState.h"

namespace {
constexpr int kHourMs = 3600 * 1000;
}

Notices::Notices(const RuntimeSettings &settings, QWidget *boxParent, QObject *parent)
    : QObject(parent), m_settings(settings), m_boxParent(boxParent),
      Reloj_Mails1(QStringLiteral("Reloj_Mails1"), kHourMs, this),
      Reloj_Mails2(QStringLiteral("Reloj_Mails2"), kHourMs, this) {
    connect(&Reloj_Mails1, &QTimer::timeout, this, &Notices::Reloj_Mails1Timer);
    connect(&Reloj_Mails2, &QTimer::timeout, this, &Notices::Reloj_Mails2Timer);
    for (int notice = 1; notice <= 2; ++notice) {
        auto *sender = new MailSender(this);
        connect(sender, &MailSender::finished, this,
                [this, notice](bool sent, const QString &error) { finished(notice, sent, error); });
        m_senders[notice - 1] = sender;
    }
}

bool Notices::sending(int notice) const {
    return m_senders[notice - 1]->busy();
}

IntervalTimer &Notices::timer(int notice) {
    return notice == 1 ? Reloj_Mails1 : Reloj_Mails2;
}

int Notices::resendIntervalMs(int resendIndex) {
    static const int hours[] = {1, 2, 4, 8, 12};
    if (resendIndex < 0 || resendIndex > 4)
        return kHourMs;
    return hours[resendIndex] * kHourMs;
}

QString Notices::resendErrorText() {
    return QStringLiteral(
        "Se produjo un error en el envio de mensajes por e-mail, revise configuracion");
}

void Notices::evaluate(int notice, const InputState &inputs) {
    const int enabled = notice == 1 ? m_settings.Mail1Enabled : m_settings.Mail2Enabled;
    if (enabled != 1)
        return;
    IntervalTimer &t = timer(notice);
    if (!inputs.isOn(notice == 1 ? 15 : 16)) {
        t.stop();
        m_firstPending[notice - 1] = false;
        return;
    }
    if (t.isActive())
        return;
    send(notice, true); // the first send of an episode fails silently
    t.setInterval(m_intervalOverrideMs > 0 ? m_intervalOverrideMs
                                           : resendIntervalMs(m_settings.ResendIndex));
    t.start();
}

void Notices::Reloj_Mails1Timer() {
    send(1, false);
}
void Notices::Reloj_Mails2Timer() {
    send(2, false);
}

void Notices::send(int notice, bool firstSend) {
    MailSender *sender = m_senders[notice - 1];
    if (sender->busy()) {
        // One send per notice at a time. A resend tick while the last one
        // is still out adds nothing; a new episode's first send follows it.
        if (firstSend)
            m_firstPending[notice - 1] = true;
        return;
    }
    const QString subject = notice == 1 ? m_settings.Mail1Subject : m_settings.Mail2Subject;
    const QString body = notice == 1 ? m_settings.Mail1Body : m_settings.Mail2Body;
    MailMessage message;
    try {
        // Composed from the settings as they are now: the editor may have
        // changed them since the episode began.
        message = composeNotice(m_settings, subject, body);
    } catch (const AppError &e) {
        emit attempted(notice, firstSend, false, e.text());
        if (!firstSend)
            showOnce(notice, AppInfo::title(), e.text(), false);
        return;
    }
    m_inFlightFirst[notice - 1] = firstSend;
    sender->send(message, m_timeouts);
    emit handedOver(notice, firstSend);
}

void Notices::finished(int notice, bool sent, const QString &error) {
    const bool firstSend = m_inFlightFirst[notice - 1];
    emit attempted(notice, firstSend, sent, error);
    if (!sent && !firstSend)
        showOnce(notice, QStringLiteral("Error"), resendErrorText(), true);
    if (m_firstPending[notice - 1]) {
        m_firstPending[notice - 1] = false;
        send(notice, true);
    }
}

// The box is shown from the event loop, after the tick's handler has returned:
// a timer does not fire again while its own handler waits in a modal box, and
// resends must go on at their period while nobody closes it. A failure while
// the notice's box is still up adds no second box.
void Notices::showOnce(int notice, const QString &title, const QString &text, bool yesButton) {
    if (m_boxOpen[notice - 1])
        return;
    m_boxOpen[notice - 1] = true;
    QMetaObject::invokeMethod(
        this,
        [this, notice, title, text, yesButton] {
            MessageBoxes::showTitled(m_boxParent, MessageBoxes::Kind::Error, title, text,
                                     yesButton ? MessageBoxes::Buttons::Yes
                                               : MessageBoxes::Buttons::Ok);
            m_boxOpen[notice - 1] = false;
        },
        Qt::QueuedConnection);
}

#pragma once

#include "common/IntervalTimer.h"
#include "notify/SendNotice.h"

#include <QObject>
#include <QString>
#include <array>

class MailSender;
class QWidget;
struct InputState;
struct RuntimeSettings;

// The two e-mail notices: notice 1 follows input 15, notice 2 input 16. The
// resend timer is the only memory of an episode: running means the notice went
// out for the current "on" period of its input.
//
// Each notice is composed on the window thread from the settings of the
// moment and handed to a sender of its own, which runs the SMTP exchange on
// another thread: at most one send per notice is in flight, and its result
// comes back to the window thread.
class Notices : public QObject {
    Q_OBJECT
public:
    Notices(const RuntimeSettings &settings, QWidget *boxParent, QObject *parent = nullptr);

    // One display pass for notice 1 or 2: stops the resend timer when the input
    // is off; sends at once and starts the timer when the input is on and the
    // timer stopped. Does nothing unless the notice is enabled (exactly 1).
    // Never throws: a failed first send is silent. The send is handed over
    // before evaluate() returns; the exchange itself goes on meanwhile.
    void evaluate(int notice, const InputState &inputs);

    IntervalTimer &timer(int notice);

    // Resend period for a stored choice: 0..4 give 1, 2, 4, 8, 12 hours, any
    // other value 1 hour.
    static int resendIntervalMs(int resendIndex);

    // Tests only: a short resend period, short SMTP time limits.
    void setResendIntervalOverrideMs(int ms) { m_intervalOverrideMs = ms; }
    void setTimeouts(const SmtpTimeouts &timeouts) { m_timeouts = timeouts; }

    // A send of this notice is in flight.
    bool sending(int notice) const;

    static QString resendErrorText();

public slots:
    // Resend with the settings as they are now. A failure is shown in an error
    // box; while a notice's box is up, its further failures add no other box.
    void Reloj_Mails1Timer();
    void Reloj_Mails2Timer();

signals:
    // A send was handed to the notice's sender.
    void handedOver(int notice, bool firstSend);
    // After every attempt, first sends and resends alike, on the window thread.
    void attempted(int notice, bool firstSend, bool sent, const QString &error);

private:
    void send(int notice, bool firstSend);
    void finished(int notice, bool sent, const QString &error);
    void showOnce(int notice, const QString &title, const QString &text, bool yesButton);

    const RuntimeSettings &m_settings;
    QWidget *m_boxParent;
    IntervalTimer Reloj_Mails1;
    IntervalTimer Reloj_Mails2;
    std::array<bool, 2> m_boxOpen{}; // a resend error box is waiting or open
    std::array<MailSender *, 2> m_senders{};
    std::array<bool, 2> m_inFlightFirst{}; // the send in flight is a first send
    // A new episode began while the last send still ran: its first send
    // goes out when that one is done.
    std::array<bool, 2> m_firstPending{};
    SmtpTimeouts m_timeouts;
    int m_intervalOverrideMs = 0;
};

#pragma once

#include "notify/MailMessage.h"
#include "notify/SendNotice.h"

#include <QObject>
#include <atomic>
#include <memory>
#include <thread>

// Sends one message at a time on a thread of its own, so that a mail server
// that is slow or stalls never holds up the window, the poll or the alarm.
// The result comes back as finished() on the thread that owns the sender.
class MailSender : public QObject {
    Q_OBJECT
public:
    explicit MailSender(QObject *parent = nullptr);
    // Cancels a send in flight and waits for its thread (about a second at
    // most: the exchange looks at the cancel flag while it waits).
    ~MailSender() override;

    // Hands the message over and returns at once; false (and nothing sent)
    // while the previous send is still in flight.
    bool send(const MailMessage &message, const SmtpTimeouts &timeouts = {});
    bool busy() const { return m_busy; }

signals:
    void finished(bool sent, const QString &error);

private:
    std::thread m_thread;
    std::shared_ptr<std::atomic<bool>> m_cancel;
    bool m_busy = false;
};

#include "notify/MailSender.h"

MailSender::MailSender(QObject *parent)
    : QObject(parent), m_cancel(std::make_shared<std::atomic<bool>>(false)) {}

MailSender::~MailSender() {
    m_cancel->store(true);
    if (m_thread.joinable())
        m_thread.join();
}

bool MailSender::send(const MailMessage &message, const SmtpTimeouts &timeouts) {
    if (m_busy)
        return false;
    if (m_thread.joinable())
        m_thread.join(); // the previous send has already reported
    m_busy = true;
    m_thread = std::thread([this, message, timeouts, cancel = m_cancel] {
        QString error;
        const bool sent = sendMail(message, &error, timeouts, cancel.get());
        // Posted to the owner's thread; the destructor waits for this thread
        // before the object goes, and a result still queued then is dropped.
        QMetaObject::invokeMethod(
            this,
            [this, sent, error] {
                m_busy = false;
                emit finished(sent, error);
            },
            Qt::QueuedConnection);
    });
    return true;
}

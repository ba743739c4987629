#pragma once

#include "notify/MailMessage.h"

#include <QString>
#include <atomic>

struct RuntimeSettings;

// Limits of one SMTP exchange, so that a server that accepts the connection
// and then falls silent cannot hold the window for ever.
struct SmtpTimeouts {
    int connectMs = 10000;
    int totalMs = 30000;
};

// The port text as a whole number; any other text fails with the conversion's
// own message, before anything goes over the network.
int smtpPortNumber(const QString &text);

// Composes a message from scratch in the fixed order: sender, subject, body,
// sender's display name (the sender address), recipients, server, user,
// password and, last, the port. Throws AppError when the port text is not a
// whole number.
MailMessage composeMail(const QString &from, const QString &recipients, const QString &server,
                        const QString &port, const QString &user, const QString &password,
                        const QString &subject, const QString &body);

// The same, with the connection values of the running settings.
MailMessage composeNotice(const RuntimeSettings &settings, const QString &subject,
                          const QString &body);

// One complete SMTP exchange on a connection of its own: TLS from the start on
// port 465, STARTTLS whenever the server offers it (certificates are not
// verified, but once TLS was offered a failed handshake ends the exchange),
// one RCPT TO per recipient, the message, QUIT. With a user given, it
// authenticates with AUTH LOGIN when the server offers it, else with AUTH
// PLAIN when offered, else goes on without authentication; a server that
// offers authentication without LOGIN costs a second connection. Blocks until
// done, or until *cancel turns true. On failure returns false and, when error
// is given, a text saying why. Safe to call from any thread.
bool sendMail(const MailMessage &message, QString *error, const SmtpTimeouts &timeouts = {},
              const std::atomic<bool> *cancel = nullptr);

#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <QStringList>

// One e-mail notice as it is about to be sent: envelope, connection and text.
struct MailMessage {
    QString fromAddress;
    QString fromName;
    QString subject;
    QString body;
    QStringList recipients;
    QString host;
    int port = 25;
    QString user;
    QString password;
};

// Recipients written as "a, b,c": blanks trimmed, empty entries dropped.
QStringList splitRecipients(const QString &text);

// An address that can go into a header and an SMTP command as it is: not
// empty, no blanks, control characters, angle brackets or commas.
bool isUsableAddress(const QString &address);

// The message as it is handed over after DATA: header fields, a blank line and
// the body, every line ended by CR LF. Control characters in header values
// become blanks, so nothing typed in a subject can start a header field of its
// own. Non-ASCII subjects are sent as RFC 2047 encoded words, non-ASCII bodies
// as quoted-printable UTF-8.
QByteArray buildMessage(const MailMessage &message, const QDateTime &now);

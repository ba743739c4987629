#pragma once

#include <QJsonObject>
#include <QList>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace TestSupport {

// The test SMTP server (tests/support/smtp_server.py on Debian's aiosmtpd)
// as a child process on a free port of 127.0.0.1; its events arrive as
// JSON lines.
class SmtpSink {
public:
    explicit SmtpSink(const QStringList &options = {});
    ~SmtpSink();

    int port() const { return m_port; }
    QString portText() const { return QString::number(m_port); }

    QList<QJsonObject> events(const QString &kind);
    bool waitFor(const QString &kind, int count, int timeoutMs = 5000);
    // Reads what the server has written so far without running the event loop.
    void readNow(int waitMs);

private:
    void pump();

    QProcess m_process;
    int m_port = 0;
    QList<QJsonObject> m_events;
};

// A port on 127.0.0.1 that nobody listens on: bound once, then released.
int deadPort();

} // namespace TestSupport

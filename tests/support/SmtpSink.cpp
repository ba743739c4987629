#include "tests/support/SmtpSink.h"

#include "tests/support/TestSupport.h"

#include <QJsonDocument>
#include <QTest>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace TestSupport {

SmtpSink::SmtpSink(const QStringList &options) {
    m_process.setProgram(QStringLiteral("/usr/bin/python3"));
    m_process.setArguments(QStringList{sourceDir() + "/tests/support/smtp_server.py"} + options);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    while (m_port == 0 && m_process.waitForReadyRead(10000))
        pump();
}

SmtpSink::~SmtpSink() {
    m_process.kill();
    m_process.waitForFinished(5000);
}

QList<QJsonObject> SmtpSink::events(const QString &kind) {
    pump();
    QList<QJsonObject> out;
    for (const QJsonObject &e : m_events) {
        if (e.value("event").toString() == kind)
            out.append(e);
    }
    return out;
}

bool SmtpSink::waitFor(const QString &kind, int count, int timeoutMs) {
    return QTest::qWaitFor([&] { return events(kind).size() >= count; }, timeoutMs);
}

void SmtpSink::readNow(int waitMs) {
    m_process.waitForReadyRead(waitMs);
    pump();
}

void SmtpSink::pump() {
    while (m_process.canReadLine()) {
        const QByteArray line = m_process.readLine().trimmed();
        if (line.startsWith("PORT "))
            m_port = line.mid(5).toInt();
        else if (!line.isEmpty())
            m_events.append(QJsonDocument::fromJson(line).object());
    }
}

int deadPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    ::bind(fd, reinterpret_cast<sockaddr *>(&addr), len);
    ::getsockname(fd, reinterpret_cast<sockaddr *>(&addr), &len);
    ::close(fd);
    return ntohs(addr.sin_port);
}

} // namespace TestSupport

#include "notify/SendNotice.h"

#include "app/RuntimeSettings.h"
#include "common/AppError.h"

#include <QDateTime>
#include <QRegularExpression>
#include <curl/curl.h>

#include <cstring>
#include <memory>
#include <mutex>

namespace {

void initCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

// A host name or address literal that cannot change the meaning of the URL.
bool isUsableHost(const QString &host) {
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9._:\\-\\[\\]]+$"));
    return pattern.match(host).hasMatch();
}

QByteArray urlFor(const QString &host, int port) {
    QString h = host;
    if (h.contains(u':') && !h.startsWith(u'['))
        h = u'[' + h + u']';
    // 465 is the port of SMTP inside TLS from the first byte.
    const QString scheme = port == 465 ? QStringLiteral("smtps") : QStringLiteral("smtp");
    return QStringLiteral("%1://%2:%3").arg(scheme, h).arg(port).toUtf8();
}

struct Upload {
    QByteArray data;
    qsizetype offset = 0;
};

size_t readUpload(char *buffer, size_t size, size_t count, void *userdata) {
    auto *upload = static_cast<Upload *>(userdata);
    const size_t room = size * count;
    const size_t left = size_t(upload->data.size() - upload->offset);
    const size_t n = qMin(room, left);
    std::memcpy(buffer, upload->data.constData() + upload->offset, n);
    upload->offset += qsizetype(n);
    return n;
}

struct CurlDeleter {
    void operator()(CURL *curl) const { curl_easy_cleanup(curl); }
};
struct ListDeleter {
    void operator()(curl_slist *list) const { curl_slist_free_all(list); }
};

bool fail(QString *error, const QString &text) {
    if (error)
        *error = text;
    return false;
}

} // namespace

int smtpPortNumber(const QString &text) {
    bool ok = false;
    const int port = text.trimmed().toInt(&ok, 10);
    if (!ok)
        throw AppError(QStringLiteral("'%1' is not a valid integer value").arg(text));
    return port;
}

MailMessage composeMail(const QString &from, const QString &recipients, const QString &server,
                        const QString &port, const QString &user, const QString &password,
                        const QString &subject, const QString &body) {
    MailMessage m;
    m.fromAddress = from;
    m.subject = subject;
    m.body = body;
    m.fromName = from;
    m.recipients = splitRecipients(recipients);
    m.host = server.trimmed();
    m.user = user;
    m.password = password;
    m.port = smtpPortNumber(port);
    return m;
}

MailMessage composeNotice(const RuntimeSettings &s, const QString &subject, const QString &body) {
    return composeMail(s.MailFrom, s.MailTo, s.SmtpServer, s.SmtpPort, s.SmtpUser, s.SmtpPassword,
                       subject, body);
}

namespace {

enum class Auth { None, Login, Plain };

// What the server's EHLO reply offered for authentication; the latest AUTH
// line counts (after STARTTLS the server greets again).
struct AuthOffer {
    bool offered = false;
    bool login = false;
    bool plain = false;
};

int traceServer(CURL *, curl_infotype type, char *data, size_t size, void *userdata) {
    if (type != CURLINFO_HEADER_IN)
        return 0;
    auto *offer = static_cast<AuthOffer *>(userdata);
    const QByteArray text(data, qsizetype(size));
    for (const QByteArray &raw : text.split('\n')) {
        const QByteArray line = raw.trimmed().toUpper();
        // "250-AUTH LOGIN PLAIN", or the old form "250-AUTH=LOGIN".
        if (line.size() < 9 || !line.startsWith("250") || line.mid(4, 4) != "AUTH" ||
            (line.at(8) != ' ' && line.at(8) != '='))
            continue;
        const QList<QByteArray> mechanisms = line.mid(9).simplified().split(' ');
        offer->offered = true;
        offer->login = mechanisms.contains("LOGIN");
        offer->plain = mechanisms.contains("PLAIN");
    }
    return 0;
}

int checkCancel(void *userdata, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
    const auto *cancel = static_cast<const std::atomic<bool> *>(userdata);
    return cancel && cancel->load() ? 1 : 0;
}

// One exchange on a fresh connection; CURLE_OK when the message went out.
CURLcode exchange(const MailMessage &m, Auth auth, curl_slist *rcpt, AuthOffer &offer,
                  QString *error, const SmtpTimeouts &timeouts, const std::atomic<bool> *cancel) {
    initCurlOnce();
    // A new handle per attempt: nothing of a failed exchange carries over.
    std::unique_ptr<CURL, CurlDeleter> curl(curl_easy_init());
    if (!curl) {
        fail(error, QStringLiteral("No se pudo preparar el envío de correo"));
        return CURLE_FAILED_INIT;
    }
    CURL *c = curl.get();

    Upload upload{buildMessage(m, QDateTime::currentDateTime()), 0};
    char errorBuffer[CURL_ERROR_SIZE] = {};
    const QByteArray url = urlFor(m.host, m.port);
    const QByteArray from = '<' + m.fromAddress.toUtf8() + '>';
    const QByteArray user = m.user.toUtf8();
    const QByteArray password = m.password.toUtf8();

    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorBuffer);
    curl_easy_setopt(c, CURLOPT_URL, url.constData());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "smtp,smtps");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(c, CURLOPT_FRESH_CONNECT, 1L);
    curl_easy_setopt(c, CURLOPT_CONNECTTIMEOUT_MS, long(timeouts.connectMs));
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, long(timeouts.totalMs));
    // Opportunistic TLS: take it whenever offered, without a trusted
    // certificate; libcurl never goes on in clear once STARTTLS was accepted.
    curl_easy_setopt(c, CURLOPT_USE_SSL, long(CURLUSESSL_TRY));
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYPEER, 0L);
    curl_easy_setopt(c, CURLOPT_SSL_VERIFYHOST, 0L);
    if (auth != Auth::None) {
        curl_easy_setopt(c, CURLOPT_USERNAME, user.constData());
        curl_easy_setopt(c, CURLOPT_PASSWORD, password.constData());
        curl_easy_setopt(c, CURLOPT_LOGIN_OPTIONS,
                         auth == Auth::Login ? "AUTH=LOGIN" : "AUTH=PLAIN");
    }
    // The server's replies are read for the mechanisms it offers; nothing is
    // printed.
    curl_easy_setopt(c, CURLOPT_VERBOSE, 1L);
    curl_easy_setopt(c, CURLOPT_DEBUGFUNCTION, traceServer);
    curl_easy_setopt(c, CURLOPT_DEBUGDATA, &offer);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, checkCancel);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, const_cast<std::atomic<bool> *>(cancel));
    curl_easy_setopt(c, CURLOPT_MAIL_FROM, from.constData());
    curl_easy_setopt(c, CURLOPT_MAIL_RCPT, rcpt);
    curl_easy_setopt(c, CURLOPT_UPLOAD, 1L);
    curl_easy_setopt(c, CURLOPT_READFUNCTION, readUpload);
    curl_easy_setopt(c, CURLOPT_READDATA, &upload);
    curl_easy_setopt(c, CURLOPT_INFILESIZE_LARGE, curl_off_t(upload.data.size()));

    const CURLcode result = curl_easy_perform(c);
    curl.reset(); // QUIT and close
    if (result != CURLE_OK) {
        const QString detail = errorBuffer[0] ? QString::fromUtf8(errorBuffer)
                                              : QString::fromUtf8(curl_easy_strerror(result));
        fail(error, QStringLiteral("Error en el envío por SMTP: %1").arg(detail));
    }
    return result;
}

} // namespace

bool sendMail(const MailMessage &m, QString *error, const SmtpTimeouts &timeouts,
              const std::atomic<bool> *cancel) {
    if (!isUsableHost(m.host))
        return fail(error, QStringLiteral("Servidor SMTP no válido: \"%1\"").arg(m.host));
    if (m.port < 1 || m.port > 65535)
        return fail(error, QStringLiteral("Puerto SMTP fuera de rango: %1").arg(m.port));
    if (!isUsableAddress(m.fromAddress))
        return fail(error,
                    QStringLiteral("Dirección de remitente no válida: \"%1\"").arg(m.fromAddress));
    if (m.recipients.isEmpty())
        return fail(error, QStringLiteral("No hay ningún destinatario"));
    std::unique_ptr<curl_slist, ListDeleter> rcpt;
    for (const QString &to : m.recipients) {
        if (!isUsableAddress(to))
            return fail(error, QStringLiteral("Dirección de destino no válida: \"%1\"").arg(to));
        rcpt.reset(curl_slist_append(rcpt.release(), ('<' + to.toUtf8() + '>').constData()));
    }

    AuthOffer offer;
    if (m.user.isEmpty())
        return exchange(m, Auth::None, rcpt.get(), offer, error, timeouts, cancel) == CURLE_OK;
    // LOGIN first; when the server offers it, its answer stands.
    const CURLcode first = exchange(m, Auth::Login, rcpt.get(), offer, error, timeouts, cancel);
    if (first == CURLE_OK)
        return true;
    if (first != CURLE_LOGIN_DENIED || offer.login || (cancel && cancel->load()))
        return false;
    // No LOGIN offered: PLAIN carries the same secret; a server that offers
    // neither, or no authentication at all, gets the message without it.
    AuthOffer again;
    return exchange(m, offer.plain ? Auth::Plain : Auth::None, rcpt.get(), again, error, timeouts,
                    cancel) == CURLE_OK;
}

// The notice's message and one SMTP exchange, against a real SMTP server on
// 127.0.0.1 (tests/support/smtp_server.py on Debian's aiosmtpd).
#include "app/RuntimeSettings.h"
#include "common/AppError.h"
#include "notify/MailMessage.h"
#include "notify/SendNotice.h"
#include "tests/support/SmtpSink.h"
#include "tests/support/TestSupport.h"

#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QTimeZone>
#include <QtTest>

using TestSupport::deadPort;
using TestSupport::SmtpSink;

namespace {

MailMessage messageTo(int port, const QString &to = QStringLiteral("dest@ejemplo.com")) {
    return composeMail(QStringLiteral("planta@ejemplo.com"), to, QStringLiteral("127.0.0.1"),
                       QString::number(port), QString(), QString(), QStringLiteral("Asunto"),
                       QStringLiteral("Cuerpo"));
}

QList<QByteArray> headerLines(const QByteArray &message) {
    return message.left(message.indexOf("\r\n\r\n")).split('\n');
}

const QDateTime kNow(QDate(2025, 2, 13), QTime(10, 5, 9), QTimeZone(3600));

} // namespace

class TestSmtp : public QObject {
    Q_OBJECT

private slots:
    void messageLayout();
    void headerValuesCannotInject();
    void longAndAccentedTexts();
    void composeConvertsPortFirst();
    void deliveredAndDecoded();
    void authLoginFreshConnectionEachTime();
    void authenticationFollowsWhatTheServerOffers_data();
    void authenticationFollowsWhatTheServerOffers();
    void startTlsWithSelfSignedCertificate();
    void failedStartTlsNeverFallsBackToClear();
    void hangingServerTimesOut();
    void deadPortFailsQuickly();
};

void TestSmtp::messageLayout() {
    MailMessage m;
    m.fromAddress = m.fromName = QStringLiteral("planta@ejemplo.com");
    m.recipients = splitRecipients(QStringLiteral(" a@x.com , ,b@y.com,"));
    QCOMPARE(m.recipients, (QStringList{"a@x.com", "b@y.com"}));
    m.subject = QStringLiteral("Entrada 15 activa");
    m.body = QStringLiteral("linea 1\nlinea 2\r\nlinea 3\r.empieza con punto");
    const QByteArray bytes = buildMessage(m, kNow);

    QVERIFY(!QRegularExpression(QStringLiteral("[^\r]\n"))
                 .match(QString::fromLatin1(bytes))
                 .hasMatch());
    QVERIFY(!bytes.contains("\r\r"));
    QStringList names;
    for (const QByteArray &line : headerLines(bytes))
        names.append(QString::fromLatin1(line.left(line.indexOf(':'))));
    QCOMPARE(names, (QStringList{"From", "To", "Subject", "Date", "Message-ID", "MIME-Version",
                                 "Content-Type", "Content-Transfer-Encoding"}));
    QVERIFY(bytes.startsWith("From: \"planta@ejemplo.com\" <planta@ejemplo.com>\r\n"
                             "To: a@x.com, b@y.com\r\nSubject: Entrada 15 activa\r\n"
                             "Date: Thu, 13 Feb 2025 10:05:09 +0100\r\n"));
    QVERIFY(bytes.contains("\r\nContent-Type: text/plain; charset=UTF-8\r\n"
                           "Content-Transfer-Encoding: 7bit\r\n\r\n"
                           "linea 1\r\nlinea 2\r\nlinea 3\r\n.empieza con punto\r\n"));
    QVERIFY(bytes.endsWith("punto\r\n"));

    // Negative offsets and the same inputs give the same bytes.
    const QDateTime west(QDate(2024, 12, 1), QTime(23, 0, 0), QTimeZone(-3 * 3600 - 1800));
    QVERIFY(buildMessage(m, west).contains("\r\nDate: Sun, 01 Dec 2024 23:00:00 -0330\r\n"));
    QCOMPARE(buildMessage(m, kNow), bytes);
}

void TestSmtp::headerValuesCannotInject() {
    MailMessage m;
    m.fromAddress = QStringLiteral("planta@ejemplo.com");
    m.fromName = QStringLiteral("Planta \"Norte\"\r\nBcc: spy@evil.com");
    m.recipients = {QStringLiteral("a@x.com")};
    m.subject = QStringLiteral("Alarma\r\nBcc: spy@evil.com\nX-Evil: 1\rY: 2");
    m.body = QStringLiteral("ok");
    const QByteArray bytes = buildMessage(m, kNow);
    for (const QByteArray &line : headerLines(bytes)) {
        QVERIFY2(!line.startsWith("Bcc") && !line.startsWith("X-Evil") && !line.startsWith("Y:"),
                 line.constData());
    }
    QVERIFY(bytes.contains("Subject: Alarma  Bcc: spy@evil.com X-Evil: 1 Y: 2\r\n"));
    QVERIFY(bytes.contains("From: \"Planta \\\"Norte\\\"  Bcc: spy@evil.com\" <planta"));

    // An address with a line break never reaches the server: refused before connecting.
    QString error;
    MailMessage bad = messageTo(1, QStringLiteral("a@x.com\r\nRCPT TO:<spy@evil.com>"));
    QVERIFY(!sendMail(bad, &error));
    QVERIFY2(error.contains(QStringLiteral("no válida")), qPrintable(error));
    bad = messageTo(1);
    bad.fromAddress = QStringLiteral("planta@ejemplo.com>\r\nRSET");
    QVERIFY(!sendMail(bad, &error));
    QVERIFY2(error.contains(QStringLiteral("remitente")), qPrintable(error));
}

void TestSmtp::longAndAccentedTexts() {
    MailMessage m;
    m.fromAddress = m.fromName = QStringLiteral("planta@ejemplo.com");
    m.recipients = {QStringLiteral("a@x.com")};
    m.subject = QStringLiteral("Presión baja en la válvula ñandú ").repeated(8);
    m.body = QStringLiteral("Señal = €\n") + QString(200, u'x') + QStringLiteral("\n fin  ");
    const QByteArray bytes = buildMessage(m, kNow);
    const int headerEnd = int(bytes.indexOf("\r\n\r\n"));

    // Every encoded word is at most 75 characters and holds whole characters.
    static const QRegularExpression word(QStringLiteral("=\\?UTF-8\\?B\\?([A-Za-z0-9+/=]*)\\?="));
    int words = 0;
    auto it = word.globalMatch(QString::fromLatin1(bytes.left(headerEnd)));
    while (it.hasNext()) {
        const auto match = it.next();
        QVERIFY(match.capturedLength() <= 75);
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString part = utf8.decode(QByteArray::fromBase64(match.captured(1).toLatin1()));
        QVERIFY(!utf8.hasError());
        QVERIFY(!part.isEmpty());
        ++words;
    }
    QVERIFY(words > 5);
    QVERIFY(bytes.contains("Content-Transfer-Encoding: quoted-printable\r\n"));
    for (const QByteArray &line : bytes.split('\n'))
        QVERIFY2(line.size() <= 77, line.constData()); // 76 characters and the CR
    QVERIFY(bytes.contains("Se=C3=B1al =3D =E2=82=AC\r\n"));
    QVERIFY(bytes.endsWith(" fin =20\r\n")); // trailing blanks survive transport
}

void TestSmtp::composeConvertsPortFirst() {
    RuntimeSettings s;
    s.MailFrom = QStringLiteral("planta@ejemplo.com");
    s.MailTo = QStringLiteral("a@x.com,b@y.com");
    s.SmtpServer = QStringLiteral(" mail.ejemplo.com ");
    s.SmtpUser = QStringLiteral("usuario");
    s.SmtpPassword = QStringLiteral("clave");
    s.SmtpPort = QStringLiteral("587");
    const MailMessage m = composeNotice(s, QStringLiteral("S"), QStringLiteral("B"));
    QCOMPARE(m.fromName, s.MailFrom);
    QCOMPARE(m.recipients.size(), 2);
    QCOMPARE(m.host, QStringLiteral("mail.ejemplo.com"));
    QCOMPARE(m.port, 587);

    for (const char *text : {"abc", "", "25a", "2.5", "99999999999"}) {
        s.SmtpPort = QString::fromLatin1(text);
        try {
            composeNotice(s, QStringLiteral("S"), QStringLiteral("B"));
            QFAIL(text);
        } catch (const AppError &e) {
            QCOMPARE(e.text(), QStringLiteral("'%1' is not a valid integer value").arg(text));
        }
    }
}

void TestSmtp::deliveredAndDecoded() {
    SmtpSink server;
    QVERIFY(server.port() > 0);
    MailMessage m = messageTo(server.port(), QStringLiteral("uno@ejemplo.com, dos@ejemplo.com"));
    m.subject = QStringLiteral("Alarma: presión baja – válvula Nº 3\r\nBcc: spy@evil.com");
    m.body = QStringLiteral("Línea 1\n.\nLínea 3");
    QString error;
    QVERIFY2(sendMail(m, &error), qPrintable(error));
    QVERIFY(server.waitFor("message", 1));
    const QJsonObject got = server.events("message").first();
    QCOMPARE(got.value("rcpt_tos").toArray().size(), 2);
    QCOMPARE(got.value("rcpt_tos").toArray().at(1).toString(), QStringLiteral("dos@ejemplo.com"));
    QCOMPARE(got.value("mail_from").toString(), QStringLiteral("planta@ejemplo.com"));
    QCOMPARE(got.value("subject").toString(),
             QStringLiteral("Alarma: presión baja – válvula Nº 3  Bcc: spy@evil.com"));
    QCOMPARE(got.value("body").toString().replace("\r\n", "\n"),
             QStringLiteral("Línea 1\n.\nLínea 3\n"));
    QVERIFY(!got.value("headers").toArray().contains(QStringLiteral("Bcc")));
    QCOMPARE(got.value("to").toString(), QStringLiteral("uno@ejemplo.com, dos@ejemplo.com"));
    QCOMPARE(server.events("message").size(), 1);
}

void TestSmtp::authLoginFreshConnectionEachTime() {
    SmtpSink server({"--auth", "operador:s3creta"});
    MailMessage m = messageTo(server.port());
    m.user = QStringLiteral("operador");
    m.password = QStringLiteral("mala");
    QString error;
    QVERIFY(!sendMail(m, &error));
    QVERIFY(!error.isEmpty());
    m.password = QStringLiteral("s3creta");
    QVERIFY2(sendMail(m, &error), qPrintable(error));
    QVERIFY(server.waitFor("message", 1));
    const auto auths = server.events("auth");
    QCOMPARE(auths.size(), 2);
    QCOMPARE(auths[0].value("ok").toBool(), false);
    QCOMPARE(auths[1].value("mechanism").toString(), QStringLiteral("LOGIN"));
    QCOMPARE(server.events("message").first().value("auth").toString(), QStringLiteral("operador"));
    QCOMPARE(server.events("connect").size(), 2);

    // Without a user the exchange goes on unauthenticated, and this server refuses it.
    m.user.clear();
    QVERIFY(!sendMail(m, &error));
    QCOMPARE(server.events("message").size(), 1);
}

void TestSmtp::authenticationFollowsWhatTheServerOffers_data() {
    QTest::addColumn<QStringList>("server");
    QTest::addColumn<QString>("password");
    QTest::addColumn<bool>("delivered");
    QTest::addColumn<QString>("mechanism"); // of the accepted AUTH, empty for none
    QTest::addColumn<int>("connections");
    const QStringList auth{"--auth", "operador:s3creta"};
    QTest::newRow("LOGIN and PLAIN: LOGIN") << auth << "s3creta" << true << "LOGIN" << 1;
    QTest::newRow("PLAIN only") << (auth + QStringList{"--mechanisms", "PLAIN"}) << "s3creta"
                                << true << "PLAIN" << 2;
    QTest::newRow("PLAIN only, wrong password")
        << (auth + QStringList{"--mechanisms", "PLAIN"}) << "mala" << false << "" << 2;
    QTest::newRow("no AUTH offered")
        << QStringList{"--no-auth-offer"} << "s3creta" << true << "" << 1;
    QTest::newRow("only an unknown mechanism")
        << (auth + QStringList{"--mechanisms", "XTEST", "--auth-optional"}) << "s3creta" << true
        << "" << 2;
}

void TestSmtp::authenticationFollowsWhatTheServerOffers() {
    QFETCH(QStringList, server);
    QFETCH(QString, password);
    QFETCH(bool, delivered);
    QFETCH(QString, mechanism);
    QFETCH(int, connections);
    SmtpSink sink(server);
    MailMessage m = messageTo(sink.port());
    m.user = QStringLiteral("operador");
    m.password = password;
    QString error;
    QVERIFY2(sendMail(m, &error) == delivered, qPrintable(error));
    if (delivered) {
        QVERIFY(sink.waitFor("message", 1));
        const QJsonValue auth = sink.events("message").first().value("auth");
        QCOMPARE(auth.toString(), mechanism.isEmpty() ? QString() : QStringLiteral("operador"));
    }
    sink.readNow(200);
    QStringList accepted, tried;
    for (const QJsonObject &e : sink.events("auth")) {
        tried << e.value("mechanism").toString();
        if (e.value("ok").toBool())
            accepted << e.value("mechanism").toString();
    }
    QCOMPARE(accepted, mechanism.isEmpty() ? QStringList() : QStringList{mechanism});
    QVERIFY2(!tried.contains("XTEST"), qPrintable(tried.join(',')));
    QCOMPARE(int(sink.events("connect").size()), connections);
}

void TestSmtp::startTlsWithSelfSignedCertificate() {
    QTemporaryDir dir;
    const QString cert = dir.filePath("cert.pem"), key = dir.filePath("key.pem");
    QCOMPARE(QProcess::execute("openssl", {"req", "-x509", "-newkey", "ec", "-pkeyopt",
                                           "ec_paramgen_curve:prime256v1", "-nodes", "-keyout", key,
                                           "-out", cert, "-days", "1", "-subj", "/CN=smtp.test"}),
             0);
    SmtpSink server({"--tls", cert, key, "--auth", "operador:s3creta"});
    MailMessage m = messageTo(server.port());
    m.user = QStringLiteral("operador");
    m.password = QStringLiteral("s3creta");
    QString error;
    QVERIFY2(sendMail(m, &error), qPrintable(error));
    QVERIFY(server.waitFor("message", 1));
    QVERIFY(server.events("auth").first().value("tls").toBool());
    QVERIFY(server.events("message").first().value("tls").toBool());
}

void TestSmtp::failedStartTlsNeverFallsBackToClear() {
    SmtpSink server({"--bad-starttls"});
    MailMessage m = messageTo(server.port());
    m.user = QStringLiteral("operador");
    m.password = QStringLiteral("s3creta");
    QString error;
    QVERIFY(!sendMail(m, &error));
    QVERIFY(server.waitFor("starttls", 1));
    QTest::qWait(200);
    QCOMPARE(server.events("plaintext-after-starttls").size(), 0);
    QCOMPARE(server.events("plaintext").size(), 0);
    QCOMPARE(server.events("connect").size(), 1); // no second try in clear either
}

void TestSmtp::hangingServerTimesOut() {
    SmtpSink server({"--hang"});
    QElapsedTimer clock;
    clock.start();
    QString error;
    QVERIFY(!sendMail(messageTo(server.port()), &error, SmtpTimeouts{1000, 1500}));
    QVERIFY2(error.contains(QStringLiteral("timed out")), qPrintable(error));
    QVERIFY(clock.elapsed() < 10000);
    QVERIFY(server.waitFor("connect", 1));
}

void TestSmtp::deadPortFailsQuickly() {
    const int port = deadPort();
    QVERIFY(port > 0);
    QElapsedTimer clock;
    clock.start();
    QString error;
    QVERIFY(!sendMail(messageTo(port), &error));
    QVERIFY2(error.contains(QStringLiteral("connect"), Qt::CaseInsensitive), qPrintable(error));
    QVERIFY(clock.elapsed() < 5000);
}

QTEST_MAIN(TestSmtp)
#include "tst_smtp.moc"

// The e-mail notices' episodes and resends against a real SMTP server on
// 127.0.0.1 (tests/support/smtp_server.py on Debian's aiosmtpd).
#include "app/RuntimeSettings.h"
#include "common/AppInfo.h"
#include "common/MessageBoxes.h"
#include "notify/AlarmControl.h"
#include "notify/AlarmPlayer.h"
#include "notify/Notices.h"
#include "tests/support/SmtpSink.h"
#include "tests/support/TestSupport.h"
#include "view/InputState.h"

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

using TestSupport::SmtpSink;

namespace {

InputState inputs(bool in15, bool in16) {
    InputState s;
    s.bits[14] = in15 ? 1 : 0;
    s.bits[15] = in16 ? 1 : 0;
    return s;
}

RuntimeSettings mailSettings(const SmtpSink &server) {
    RuntimeSettings s;
    s.SmtpServer = QStringLiteral("127.0.0.1");
    s.SmtpPort = server.portText();
    s.MailFrom = QStringLiteral("planta@ejemplo.com");
    s.MailTo = QStringLiteral("uno@ejemplo.com, dos@ejemplo.com");
    s.SmtpUser = QStringLiteral("operador");
    s.SmtpPassword = QStringLiteral("s3creta");
    s.Mail1Subject = QStringLiteral("Entrada 15 activa");
    s.Mail1Body = QStringLiteral("Mensaje 1");
    s.Mail2Subject = QStringLiteral("Entrada 16 activa");
    s.Mail2Body = QStringLiteral("Mensaje 2");
    return s;
}

struct Attempt {
    int notice;
    bool first;
    bool sent;
    QString error;
};

QList<Attempt> *recordAttempts(Notices &notices, QList<Attempt> *log) {
    QObject::connect(&notices, &Notices::attempted, &notices,
                     [log](int n, bool first, bool sent, const QString &error) {
                         log->append({n, first, sent, error});
                     });
    return log;
}

} // namespace

class TestNotices : public QObject {
    Q_OBJECT

private slots:
    void resendPeriodTable();
    void oneMessagePerEpisode();
    void wrongPasswordSilentFirstThenResendBoxes();
    void openErrorBoxIsNotStacked();
    void badPortTextSkippedAtFirstReportedAtResend();
    void aStallingServerHoldsUpNothing();
    void notice2IsHandedOverBeforeTheAlarmStarts();
};

void TestNotices::resendPeriodTable() {
    const int hour = 3600 * 1000;
    const QList<QPair<int, int>> table{{0, 1},  {1, 2}, {2, 4}, {3, 8},
                                       {4, 12}, {5, 1}, {7, 1}, {-1, 1}};
    for (const auto &[index, hours] : table)
        QCOMPARE(Notices::resendIntervalMs(index), hours * hour);

    RuntimeSettings s;
    Notices notices(s, nullptr);
    QCOMPARE(notices.timer(1).objectName(), QStringLiteral("Reloj_Mails1"));
    QCOMPARE(notices.timer(2).objectName(), QStringLiteral("Reloj_Mails2"));
    QVERIFY(!notices.timer(1).isActive() && !notices.timer(2).isActive());
}

void TestNotices::oneMessagePerEpisode() {
    SmtpSink server;
    RuntimeSettings s = mailSettings(server);
    s.SmtpUser.clear();
    s.Mail1Enabled = 1;
    s.ResendIndex = 3;
    TestSupport::BoxRecorder boxes;
    Notices notices(s, nullptr);

    for (int pass = 0; pass < 3; ++pass) {
        notices.evaluate(1, inputs(true, true));
        notices.evaluate(2, inputs(true, true)); // notice 2 not enabled
    }
    QVERIFY(server.waitFor("message", 1));
    QTest::qWait(200);
    QCOMPARE(server.events("message").size(), 1);
    const QJsonObject first = server.events("message").first();
    QCOMPARE(first.value("subject").toString(), s.Mail1Subject);
    QCOMPARE(first.value("rcpt_tos").toArray().size(), 2);
    QVERIFY(notices.timer(1).isActive());
    QCOMPARE(notices.timer(1).interval(), 8 * 3600 * 1000);
    QVERIFY(!notices.timer(2).isActive());

    // Off ends the episode; on again sends at once.
    notices.evaluate(1, inputs(false, true));
    QVERIFY(!notices.timer(1).isActive());
    notices.evaluate(1, inputs(true, false));
    QVERIFY(server.waitFor("message", 2));

    // Switched off while resending: the display pass no longer touches the timer.
    s.Mail1Enabled = 0;
    notices.evaluate(1, inputs(false, false));
    QVERIFY(notices.timer(1).isActive());
    QCOMPARE(server.events("connect").size(), 2);
    QCOMPARE(boxes.count(), 0);
}

void TestNotices::wrongPasswordSilentFirstThenResendBoxes() {
    SmtpSink server({"--auth", "operador:s3creta"});
    RuntimeSettings s = mailSettings(server);
    s.SmtpPassword = QStringLiteral("equivocada");
    s.Mail2Enabled = 1;
    TestSupport::BoxRecorder boxes;
    Notices notices(s, nullptr);
    QList<Attempt> attempts;
    recordAttempts(notices, &attempts);
    notices.setResendIntervalOverrideMs(300);

    notices.evaluate(2, inputs(false, true));
    QVERIFY(notices.sending(2)); // handed over; the exchange runs meanwhile
    QTRY_COMPARE_WITH_TIMEOUT(attempts.size(), 1, 5000);
    QVERIFY(attempts[0].first && !attempts[0].sent);
    QCOMPARE(boxes.count(), 0);
    QVERIFY(notices.timer(2).isActive());

    QVERIFY(QTest::qWaitFor([&] { return boxes.count() >= 2; }, 5000));
    for (const auto &box : boxes.boxes()) {
        QCOMPARE(box.text, Notices::resendErrorText());
        QCOMPARE(box.kind, MessageBoxes::Kind::Error);
        QCOMPARE(box.title, QStringLiteral("Error"));
        QCOMPARE(box.buttons, MessageBoxes::Buttons::Yes);
    }
    QVERIFY(notices.timer(2).isActive());

    // A resend composes from the settings as they are at its tick.
    s.SmtpPassword = QStringLiteral("s3creta");
    QVERIFY(server.waitFor("message", 1));
    notices.evaluate(2, inputs(false, false));
    QVERIFY(!notices.timer(2).isActive());
    QCOMPARE(server.events("message").first().value("subject").toString(), s.Mail2Subject);
    // Every attempt had a connection of its own.
    QCOMPARE(server.events("connect").size(), server.events("auth").size());
}

void TestNotices::openErrorBoxIsNotStacked() {
    SmtpSink server({"--auth", "operador:s3creta"});
    RuntimeSettings s = mailSettings(server);
    s.SmtpPassword = QStringLiteral("equivocada");
    s.Mail1Enabled = 1;
    Notices notices(s, nullptr);
    QList<Attempt> attempts;
    recordAttempts(notices, &attempts);
    notices.setResendIntervalOverrideMs(150);

    // The first box stays open a while, as a real modal box would: timers run on.
    int shown = 0;
    int attemptsWhileOpen = 0;
    MessageBoxes::setHandler([&](const MessageBoxes::Box &) {
        if (++shown == 1) {
            const int before = int(attempts.size());
            QTest::qWait(900);
            attemptsWhileOpen = int(attempts.size()) - before;
        }
        return MessageBoxes::Answer::Yes;
    });
    notices.evaluate(1, inputs(true, false));
    QVERIFY(QTest::qWaitFor([&] { return shown >= 2; }, 5000));
    MessageBoxes::setHandler({});
    notices.evaluate(1, inputs(false, false));

    QVERIFY2(attemptsWhileOpen >= 2, qPrintable(QString::number(attemptsWhileOpen)));
    QCOMPARE(shown, 2); // one while open, and the next failure after it closed
}

void TestNotices::badPortTextSkippedAtFirstReportedAtResend() {
    RuntimeSettings s;
    s.SmtpPort = QStringLiteral("abc");
    s.Mail1Enabled = 1;
    TestSupport::BoxRecorder boxes;
    Notices notices(s, nullptr);
    QList<Attempt> attempts;
    recordAttempts(notices, &attempts);
    notices.setResendIntervalOverrideMs(200);

    notices.evaluate(1, inputs(true, false)); // completes, silently
    QCOMPARE(boxes.count(), 0);
    QVERIFY(notices.timer(1).isActive());
    QCOMPARE(attempts.size(), 1);
    QCOMPARE(attempts[0].error, QStringLiteral("'abc' is not a valid integer value"));

    QVERIFY(QTest::qWaitFor([&] { return boxes.count() >= 1; }, 3000));
    notices.evaluate(1, inputs(false, false));
    QCOMPARE(boxes.boxes().first().title, AppInfo::title());
    QCOMPARE(boxes.boxes().first().text, QStringLiteral("'abc' is not a valid integer value"));
    QCOMPARE(boxes.boxes().first().buttons, MessageBoxes::Buttons::Ok);
}

void TestNotices::aStallingServerHoldsUpNothing() {
    SmtpSink server({"--hang"});
    RuntimeSettings s = mailSettings(server);
    s.SmtpUser.clear();
    s.Mail1Enabled = 1;
    s.Mail2Enabled = 1;
    TestSupport::BoxRecorder boxes;
    Notices notices(s, nullptr);
    notices.setTimeouts(SmtpTimeouts{1000, 2500});
    notices.setResendIntervalOverrideMs(250);
    QList<Attempt> attempts;
    recordAttempts(notices, &attempts);
    // Stands for the poll: it must keep its pace while the server stalls.
    QTimer poll;
    poll.setInterval(50);
    int ticks = 0;
    connect(&poll, &QTimer::timeout, [&] { ++ticks; });
    poll.start();

    notices.evaluate(1, inputs(true, true));
    notices.evaluate(2, inputs(true, true));
    QVERIFY(notices.sending(1) && notices.sending(2));
    QVERIFY(notices.timer(1).isActive() && notices.timer(2).isActive());
    QVERIFY(server.waitFor("connect", 2));
    const int ticksBefore = ticks;
    QTest::qWait(800);
    // Resend ticks came meanwhile, but one send per notice is in flight.
    QVERIFY(notices.sending(1) && notices.sending(2));
    server.readNow(0);
    QCOMPARE(server.events("connect").size(), 2);
    QVERIFY2(ticks - ticksBefore >= 10, qPrintable(QString::number(ticks - ticksBefore)));

    // The first sends time out silently; a resend that fails shows its box,
    // one per notice however many ticks fail while it is up.
    boxes.holdOpenFor(1200);
    QTRY_VERIFY_WITH_TIMEOUT(boxes.count() >= 1, 12000);
    QTRY_COMPARE_WITH_TIMEOUT(boxes.openNow(), 0, 6000);
    notices.evaluate(1, inputs(false, false));
    notices.evaluate(2, inputs(false, false));
    QVERIFY(attempts.size() >= 3);
    QVERIFY(attempts[0].first && !attempts[0].sent);
    QVERIFY(attempts[1].first && !attempts[1].sent);
    QVERIFY(boxes.mostOpenAtOnce() <= 2);
    for (const auto &box : boxes.boxes())
        QCOMPARE(box.text, Notices::resendErrorText());
}

void TestNotices::notice2IsHandedOverBeforeTheAlarmStarts() {
    QTemporaryDir dir;
    const QString sound = dir.filePath("alarma.mp3");
    QCOMPARE(QProcess::execute(
                 "sox", {"-n", "-r", "44100", "-c", "1", sound, "synth", "1.5", "sine", "660"}),
             0);
    // A server that never answers: the alarm must not wait for it.
    SmtpSink server({"--hang"});
    RuntimeSettings s = mailSettings(server);
    s.SmtpUser.clear();
    s.Mail2Enabled = 1;
    s.AlarmEnabled = 1;
    TestSupport::BoxRecorder boxes;
    AlarmPlayer player;
    openAlarmAtStartup(player, sound);
    AlarmControl alarm(player, s, nullptr);
    Notices notices(s, nullptr);
    notices.setTimeouts(SmtpTimeouts{1000, 1000});
    bool playingAtHandOver = true;
    connect(&notices, &Notices::handedOver, [&](int notice, bool first) {
        QCOMPARE(notice, 2);
        QVERIFY(first);
        playingAtHandOver = player.isPlaying();
    });

    // The display pass's order.
    const InputState in = inputs(false, true);
    notices.evaluate(1, in);
    notices.evaluate(2, in);
    alarm.evaluate(in);
    QVERIFY(!playingAtHandOver);
    QVERIFY(notices.sending(2));
    QVERIFY(player.isPlaying()); // at once, while the exchange still waits
    QVERIFY(server.waitFor("connect", 1));
    QTRY_VERIFY_WITH_TIMEOUT(!notices.sending(2), 5000);
    QCOMPARE(boxes.count(), 0); // a first send fails silently
}

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestNotices test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_notices.moc"

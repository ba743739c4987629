// The alarm player on the real SDL mixer (dummy audio driver) with MP3 files
// made by sox at test time, and the display pass's alarm step that loops it.
#include "app/RuntimeSettings.h"
#include "common/AppError.h"
#include "common/AppInfo.h"
#include "notify/AlarmControl.h"
#include "notify/AlarmPlayer.h"
#include "tests/support/TestSupport.h"
#include "view/InputState.h"

#include <QApplication>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>

namespace {

// Every completion notice, and whether it came on the GUI thread.
struct NoticeLog {
    explicit NoticeLog(AlarmPlayer &player) {
        QObject::connect(&player, &AlarmPlayer::completionNotice, &player,
                         [this](AlarmPlayer::Result r) {
                             results.append(r);
                             onGuiThread &= QThread::currentThread() == qApp->thread();
                         });
    }
    int count(AlarmPlayer::Result r) const { return int(results.count(r)); }
    bool waitFor(AlarmPlayer::Result r, int n, int timeoutMs = 4000) {
        return QTest::qWaitFor([&] { return count(r) >= n; }, timeoutMs);
    }
    QList<AlarmPlayer::Result> results;
    bool onGuiThread = true;
};

InputState input16(bool on) {
    InputState s;
    s.bits[15] = on ? 1 : 0;
    return s;
}

QString openError(AlarmPlayer &player, const QString &path) {
    player.setFileName(path);
    try {
        player.Open();
    } catch (const AppError &e) {
        return e.text();
    }
    return QString();
}

} // namespace

class TestAlarmPlayer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase();
    void openFailuresLeaveNoFileOpen();
    void unavailableAudioDeviceFailsOpenClearly();
    void playsToTheEndAndNotifiesOnce();
    void stopKeepsThePositionAndPlayResumes();
    void playWhilePlayingSupersedes();
    void reopeningWhilePlayingLeavesNoStaleNotice();
    void controlLoopsWhileInput16IsOn();
    void controlLeavesPlayerAloneWhenAlarmDisabled();
    void playerWithoutFileReportedOnce();

private:
    QTemporaryDir m_dir;
    QString m_short, m_long, m_garbage;
};

void TestAlarmPlayer::initTestCase() {
    QVERIFY(m_dir.isValid());
    m_short = m_dir.filePath("corto.mp3");
    m_long = m_dir.filePath("largo.mp3");
    m_garbage = m_dir.filePath("basura.mp3");
    QCOMPARE(QProcess::execute(
                 "sox", {"-n", "-r", "44100", "-c", "1", m_short, "synth", "0.4", "sine", "880"}),
             0);
    QCOMPARE(QProcess::execute(
                 "sox", {"-n", "-r", "44100", "-c", "1", m_long, "synth", "1.5", "sine", "660"}),
             0);
    QByteArray noise;
    for (int i = 0; i < 4096; ++i)
        noise.append(char((i * 7919) % 251));
    TestSupport::writeFile(m_garbage, noise);
}

void TestAlarmPlayer::openFailuresLeaveNoFileOpen() {
    AlarmPlayer player;
    QVERIFY_THROWS_EXCEPTION(AppError, player.Play());
    QVERIFY_THROWS_EXCEPTION(AppError, player.Stop());

    QString text = openError(player, m_dir.filePath("no-existe.mp3"));
    QVERIFY2(text.startsWith(QStringLiteral("No se encuentra el archivo de sonido")),
             qPrintable(text));
    QVERIFY(text.contains(QStringLiteral("no-existe.mp3")));
    QVERIFY(!player.isOpen());

    QVERIFY(openError(player, m_short).isEmpty());
    QVERIFY(player.isOpen());
    // A bad file closes the good one first; nothing is open afterwards.
    text = openError(player, m_garbage);
    QVERIFY2(text.contains(QStringLiteral("no es un sonido MP3")), qPrintable(text));
    QVERIFY(!player.isOpen());
    QVERIFY_THROWS_EXCEPTION(AppError, player.Play());
}

void TestAlarmPlayer::unavailableAudioDeviceFailsOpenClearly() {
    const QByteArray driver = qgetenv("SDL_AUDIODRIVER");
    qputenv("SDL_AUDIODRIVER", "no-such-driver");
    {
        AlarmPlayer player;
        const QString text = openError(player, m_short);
        QVERIFY2(text.startsWith(QStringLiteral("No se pudo iniciar el sistema de sonido")),
                 qPrintable(text));
        QVERIFY(!player.isOpen());
    }
    qputenv("SDL_AUDIODRIVER", driver);
    AlarmPlayer player; // the device is tried again at the next open
    QVERIFY(openError(player, m_short).isEmpty());
}

void TestAlarmPlayer::playsToTheEndAndNotifiesOnce() {
    AlarmPlayer player;
    NoticeLog log(player);
    QVERIFY(openError(player, m_short).isEmpty());
    player.Play();
    QVERIFY(player.isPlaying()); // returns at once, the notice comes later
    QVERIFY(log.results.isEmpty());
    QVERIFY(log.waitFor(AlarmPlayer::Result::Successful, 1));
    QTest::qWait(400);
    QCOMPARE(log.results, QList<AlarmPlayer::Result>{AlarmPlayer::Result::Successful});
    QVERIFY(log.onGuiThread);
    QVERIFY(!player.isPlaying());

    // At the end: Play starts again from the beginning.
    player.Play();
    QTest::qWait(100);
    QVERIFY(player.positionSeconds() < 0.3);
    QVERIFY(log.waitFor(AlarmPlayer::Result::Successful, 2));

    // The one-shot choice: no notice for this Play, the default again after it.
    player.setNotifyNext(false);
    player.Play();
    QTest::qWait(900);
    QCOMPARE(log.count(AlarmPlayer::Result::Successful), 2);
    player.Play();
    QVERIFY(log.waitFor(AlarmPlayer::Result::Successful, 3));
}

void TestAlarmPlayer::stopKeepsThePositionAndPlayResumes() {
    AlarmPlayer player;
    NoticeLog log(player);
    QVERIFY(openError(player, m_long).isEmpty());
    player.Stop(); // nothing playing: no effect, no notice
    player.Play();
    QTest::qWait(600);
    player.Stop();
    const double stoppedAt = player.positionSeconds();
    QVERIFY2(stoppedAt > 0.2 && stoppedAt < 1.2, qPrintable(QString::number(stoppedAt)));
    QVERIFY(log.waitFor(AlarmPlayer::Result::Aborted, 1));
    QTest::qWait(400);
    QVERIFY(qAbs(player.positionSeconds() - stoppedAt) < 0.01);

    player.Play();
    QTest::qWait(50);
    QVERIFY(player.positionSeconds() >= stoppedAt - 0.01);
    QVERIFY(log.waitFor(AlarmPlayer::Result::Successful, 1));
    QCOMPARE(log.results, (QList<AlarmPlayer::Result>{AlarmPlayer::Result::Aborted,
                                                      AlarmPlayer::Result::Successful}));
}

void TestAlarmPlayer::playWhilePlayingSupersedes() {
    AlarmPlayer player;
    NoticeLog log(player);
    QVERIFY(openError(player, m_short).isEmpty());
    player.Play();
    QTest::qWait(100);
    const double before = player.positionSeconds();
    player.Play();
    QVERIFY(player.positionSeconds() >= before); // goes on, no restart
    QVERIFY(log.waitFor(AlarmPlayer::Result::Successful, 1));
    QTest::qWait(300);
    QCOMPARE(log.results, (QList<AlarmPlayer::Result>{AlarmPlayer::Result::Superseded,
                                                      AlarmPlayer::Result::Successful}));
}

void TestAlarmPlayer::reopeningWhilePlayingLeavesNoStaleNotice() {
    AlarmPlayer player;
    NoticeLog log(player);
    QVERIFY(openError(player, m_short).isEmpty());
    player.Play();
    QTest::qWait(150);
    QVERIFY(openError(player, m_long).isEmpty());
    QVERIFY(!player.isPlaying());
    QTest::qWait(700); // past the end of the first file
    QCOMPARE(log.count(AlarmPlayer::Result::Successful), 0);
    QCOMPARE(log.count(AlarmPlayer::Result::Aborted), 1);
    QCOMPARE(player.positionSeconds(), 0.0);
}

void TestAlarmPlayer::controlLoopsWhileInput16IsOn() {
    AlarmPlayer player;
    NoticeLog log(player);
    RuntimeSettings settings;
    settings.AlarmEnabled = 1;
    AlarmControl control(player, settings, nullptr);
    openAlarmAtStartup(player, m_short);
    QVERIFY(player.isEnabled());
    QCOMPARE(player.fileName(), m_short);

    // One pass per poll cycle; the file is much shorter than the time it stays on.
    for (int pass = 0; pass < 8; ++pass) {
        control.evaluate(input16(true));
        QTest::qWait(250);
    }
    QVERIFY2(log.count(AlarmPlayer::Result::Successful) >= 2,
             qPrintable(QString::number(log.count(AlarmPlayer::Result::Successful))));
    QVERIFY(player.isPlaying());

    control.evaluate(input16(false));
    QVERIFY(!player.isPlaying());
    const int ends = log.count(AlarmPlayer::Result::Successful);
    QTest::qWait(700);
    QVERIFY(!player.isPlaying());
    QCOMPARE(log.count(AlarmPlayer::Result::Successful), ends);
}

void TestAlarmPlayer::controlLeavesPlayerAloneWhenAlarmDisabled() {
    AlarmPlayer player;
    RuntimeSettings settings;
    settings.AlarmEnabled = 2;
    AlarmControl control(player, settings, nullptr);
    TestSupport::BoxRecorder boxes;
    control.evaluate(input16(true)); // no file open, yet nothing is reported
    QTest::qWait(50);
    QCOMPARE(boxes.count(), 0);
    openAlarmAtStartup(player, m_long);
    control.evaluate(input16(true));
    QVERIFY(!player.isPlaying());
    player.Play();
    control.evaluate(input16(false));
    QVERIFY(player.isPlaying());
}

void TestAlarmPlayer::playerWithoutFileReportedOnce() {
    AlarmPlayer player;
    RuntimeSettings settings;
    settings.AlarmEnabled = 1;
    AlarmControl control(player, settings, nullptr);
    TestSupport::BoxRecorder boxes;
    QVERIFY_THROWS_EXCEPTION(AppError, openAlarmAtStartup(player, m_dir.filePath("no-existe.mp3")));
    for (int pass = 0; pass < 30; ++pass) {
        control.evaluate(input16(pass % 3 != 0));
        QTest::qWait(5);
    }
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.boxes().first().title, AppInfo::title());
    QCOMPARE(boxes.boxes().first().kind, MessageBoxes::Kind::Error);
    QVERIFY(boxes.lastText().contains(QStringLiteral("No hay ningún archivo de sonido")));

    // Once the player works again, a later failure is reported again.
    openAlarmAtStartup(player, m_long);
    control.evaluate(input16(true));
    control.evaluate(input16(false));
    QVERIFY_THROWS_EXCEPTION(AppError, openAlarmAtStartup(player, m_garbage));
    control.evaluate(input16(true));
    control.evaluate(input16(true));
    QTest::qWait(50);
    QCOMPARE(boxes.count(), 2);
}

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("SDL_AUDIODRIVER"))
        qputenv("SDL_AUDIODRIVER", "dummy");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TestAlarmPlayer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_alarm_player.moc"

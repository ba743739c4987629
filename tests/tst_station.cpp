// The station as a whole, through the main window's own wiring: poll,
// display pass, notices, alarm and logger against the simulated controller,
// a real SMTP server and a real database, with boxes nobody clicks.
#include "app/TFMain.h"
#include "log/PeriodicLogger.h"
#include "log/TFDM.h"
#include "notify/AlarmPlayer.h"
#include "notify/Notices.h"
#include "tests/support/Simulator.h"
#include "tests/support/SmtpSink.h"
#include "tests/support/TestSupport.h"

#include <QDir>
#include <QJsonObject>
#include <QLabel>
#include <QtTest>
#include <sqlite3.h>

using TestSupport::BoxRecorder;
using TestSupport::ExeDir;
using TestSupport::Simulator;
using TestSupport::SmtpSink;

namespace {

int countRows(const QString &db, const char *where) {
    sqlite3 *h = nullptr;
    int n = -1;
    if (sqlite3_open_v2(QFile::encodeName(db).constData(), &h, SQLITE_OPEN_READONLY, nullptr) ==
        SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        const QByteArray sql = QByteArray("select count(*) from Lectura where ") + where;
        if (sqlite3_prepare_v2(h, sql.constData(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close_v2(h);
    return n;
}

} // namespace

class TstStation : public QObject {
    Q_OBJECT

    struct Rig {
        ExeDir dir;
        Simulator sim;
        SmtpSink mail{{"--no-auth-offer"}};
        TFDM fdm;
        std::unique_ptr<TFMain> window;

        bool start(const QByteArray &extra) {
            if (!sim.start() || mail.port() == 0)
                return false;
            dir.writeConfig(
                "[Comunicacion]\nDataBits=3\nStopBits=0\nFlowControl=2\n[Puertos]\nCOM1=" +
                sim.devicePath().toUtf8() +
                "\n[Alarmas]\nServerSMTP=127.0.0.1\nPuertoSMTP=" + mail.portText().toUtf8() +
                "\nEmail=planta@ejemplo.com\nEmailDestino=jefe@ejemplo.com\n" + extra);
            window = std::make_unique<TFMain>(dir.path(), fdm);
            window->setQuitHandler([] {});
            window->show();
            return !window->refusedAsSecondCopy();
        }
        TFMain &w() { return *window; }
        QString db() const { return dir.file("db/Korvane.db3"); }
    };

private slots:
    void notice2GoesOutBeforeTheAlarmInTheSamePass() {
        BoxRecorder boxes;
        Rig r;
        QVERIFY(r.start("HabilitaMail2=1\nAlarma1=1\n"));
        TFMain &w = r.w();
        int passes = 0, passAtHandOver = -1, passFirstPlaying = -1;
        bool playingAtHandOver = true;
        connect(&w.notices(), &Notices::handedOver, this, [&](int notice, bool first) {
            if (notice == 2 && first && passAtHandOver < 0) {
                passAtHandOver = passes;
                playingAtHandOver = w.PlayAlarma1().isPlaying();
            }
        });
        // Connected after the window's own handler: runs right after each pass.
        connect(&w.display().Reloj_Graficos, &QTimer::timeout, this, [&] {
            ++passes;
            if (passFirstPlaying < 0 && w.PlayAlarma1().isPlaying())
                passFirstPlaying = passes;
        });

        QVERIFY(r.sim.command("in 16 1"));
        w.Conectar1Click();
        QTRY_VERIFY_WITH_TIMEOUT(passFirstPlaying > 0, 5000);
        // The pass that saw input 16 handed notice 2 over, then started the
        // alarm; the mail server's answer was not waited for.
        QVERIFY(!playingAtHandOver);
        QCOMPARE(passFirstPlaying, passAtHandOver + 1);
        QVERIFY(r.mail.waitFor("message", 1));
        QCOMPARE(r.mail.events("message").first().value("subject").toString(),
                 QString("Asunto Mensaje 2"));
        QCOMPARE(boxes.count(), 0);
    }

    void theStationGoesOnBehindAnOpenBox() {
        BoxRecorder boxes;
        Rig r;
        // Lamp 1's on picture is missing: the first pass that shows input 1
        // on reports it, and nobody clicks the box for a while.
        QVERIFY(r.start("HabilitaMail2=1\nAlarma1=1\n[Iconos]\nIco1=Si\nOn1=" +
                        r.dir.file("img/no-existe.png").toUtf8() + "\n[Comunicacion]\nDB=Si\n"));
        TFMain &w = r.w();
        w.logger().arm(true, 1);
        QVERIFY(r.sim.command("in 1 1"));
        boxes.holdOpenUntilReleased();
        bool alarmBehind = false, noticeBehind = false, rowBehind = false;
        int framesBehind = 0;
        boxes.whileOpen([&](QMessageBox *) {
            const double from = Simulator::now();
            QVERIFY(r.sim.command("in 16 1"));
            alarmBehind = QTest::qWaitFor([&] { return w.PlayAlarma1().isPlaying(); }, 5000);
            noticeBehind = r.mail.waitFor("message", 1, 5000);
            rowBehind =
                QTest::qWaitFor([&] { return countRows(r.db(), "bit16 = 'Si'") >= 1; }, 5000);
            for (const auto &frame : r.sim.frames())
                framesBehind += frame.t > from;
            boxes.release();
        });
        w.Conectar1Click();
        QTRY_COMPARE_WITH_TIMEOUT(boxes.count(), 1, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(boxes.openNow(), 0, 20000);
        QVERIFY(boxes.lastText().contains("no-existe.png"));
        QVERIFY(alarmBehind);
        QVERIFY(noticeBehind);
        QVERIFY(rowBehind);
        QVERIFY2(framesBehind >= 6, qPrintable(QString::number(framesBehind)));
        QCOMPARE(boxes.count(), 1);
    }

    void loggingResumesBehindItsOwnBox() {
        BoxRecorder boxes;
        Rig r;
        QVERIFY(r.start("[Comunicacion]\nDB=Si\n"));
        TFMain &w = r.w();
        w.logger().arm(true, 1);
        w.Conectar1Click();
        QVERIFY(r.sim.command("analog 1 5"));
        QTRY_VERIFY_WITH_TIMEOUT(countRows(r.db(), "word3 = 5") == 1, 5000);
        QCOMPARE(w.ImgBase->toolTip(), QString("Guardando Registros..."));

        // The database goes away; its box stays open while it comes back.
        const QString dbDir = r.dir.file("db"), aside = r.dir.file("db-fuera");
        boxes.holdOpenUntilReleased();
        QString tipWhileFailing;
        bool storedBehind = false;
        boxes.whileOpen([&](QMessageBox *) {
            tipWhileFailing = w.ImgBase->toolTip();
            QVERIFY(QDir().rename(aside, dbDir));
            QVERIFY(r.sim.command("analog 1 6"));
            storedBehind =
                QTest::qWaitFor([&] { return countRows(r.db(), "word3 = 6") == 1; }, 5000);
            boxes.release();
        });
        QVERIFY(QDir().rename(dbDir, aside));
        QTRY_COMPARE_WITH_TIMEOUT(boxes.count(), 1, 5000);
        QTRY_COMPARE_WITH_TIMEOUT(boxes.openNow(), 0, 10000);
        QCOMPARE(tipWhileFailing, QString("No se estan guardando datos!"));
        QVERIFY(storedBehind);
        QVERIFY(w.TimerDB().isActive());
        QCOMPARE(w.ImgBase->toolTip(), QString("Guardando Registros..."));
        QCOMPARE(boxes.count(), 1);
    }
};

QTEST_MAIN(TstStation)
#include "tst_station.moc"

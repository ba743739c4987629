#include "device/ComSerie.h"
#include "device/CommandOutput.h"
#include "device/TFEspera.h"
#include "log/TFDM.h"
#include "tests/support/Simulator.h"
#include "tests/support/TestSupport.h"

#include <QFile>
#include <QKeyEvent>
#include <QMovie>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <sqlite3.h>

namespace {

const QByteArray kAllOff = ":01100000FF00020000EF";

QList<QStringList> escrituraRows(const QString &path) {
    QList<QStringList> rows;
    sqlite3 *db = nullptr;
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr) ==
            SQLITE_OK &&
        sqlite3_prepare_v2(db, "select * from Escritura order by rowid", -1, &stmt, nullptr) ==
            SQLITE_OK) {
        while (sqlite3_step(stmt) == SQLITE_ROW) {
            QStringList row;
            for (int i = 0; i < sqlite3_column_count(stmt); ++i)
                row << QString::fromUtf8(
                    reinterpret_cast<const char *>(sqlite3_column_text(stmt, i)));
            rows << row;
        }
    }
    sqlite3_finalize(stmt);
    sqlite3_close_v2(db);
    return rows;
}

// The main window's side of a command: the port on the simulator's line and
// the data module on a copy of the installed database.
struct Rig {
    TestSupport::ExeDir exe;
    TestSupport::Simulator sim;
    ComSerie port;
    TFDM fdm;
    QWidget mainWindow;

    bool connect() {
        QString error;
        if (!sim.start({}, &error)) {
            qWarning() << error;
            return false;
        }
        const QString device = sim.devicePath();
        port.setDeviceResolver([device](const QString &) { return device; });
        return port.open();
    }
    QString db() const { return exe.file("db/Korvane.db3"); }
    QList<QByteArray> lines() const {
        QList<QByteArray> out;
        for (const auto &f : sim.frames())
            out << f.text;
        return out;
    }
    bool windowGone() const { return mainWindow.findChildren<TFEspera *>().isEmpty(); }
};

} // namespace

class TstCommandOutput : public QObject {
    Q_OBJECT

private slots:
    void pulseIsSentAndRecorded();
    void notRecordedBeforeTheConnectionOpens();
    void refusedWhileDisconnected();
    void failuresEndTheCommandOnce_data();
    void failuresEndTheCommandOnce();
    void pulsesLeaveNothingBehind();
};

void TstCommandOutput::pulseIsSentAndRecorded() {
    TestSupport::BoxRecorder boxes;
    Rig rig;
    QVERIFY(rig.connect());
    rig.fdm.ensureOpen(rig.db());

    // The operator tries to close the window while it waits.
    bool stayedOpen = false;
    QString caption;
    QTimer::singleShot(300, [&] {
        QPointer<TFEspera> w = rig.mainWindow.findChild<TFEspera *>();
        if (!w)
            return;
        caption = w->windowTitle();
        w->close();
        QKeyEvent esc(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &esc);
        stayedOpen = w && w->isVisible();
    });
    const double clicked = TestSupport::Simulator::now();
    commandButtonClick(&rig.mainWindow, rig.port, &rig.fdm, 5);
    const double closed = TestSupport::Simulator::now();
    QVERIFY(stayedOpen);
    QCOMPARE(caption, QStringLiteral("Envio de Comando"));
    QVERIFY(rig.windowGone());
    QVERIFY(closed - clicked > 1.4); // 750 ms, the pulse, 750 ms

    QVERIFY(rig.sim.waitForFrames(3, 2000));
    QCOMPARE(rig.lines(), QList<QByteArray>({kAllOff, ":01100000FF00020010DF", kAllOff}));
    const auto frames = rig.sim.frames();
    for (int i = 1; i < 3; ++i) {
        const double gap = frames[i].t - frames[i - 1].t;
        QVERIFY2(gap > 0.08 && gap < 1.0, qPrintable(QString::number(gap)));
    }
    QVERIFY(rig.sim.waitForOutputs(2, 2000));
    QCOMPARE(rig.sim.outputs().mid(rig.sim.outputs().size() - 2), QList<QByteArray>({"10", "00"}));

    const auto rows = escrituraRows(rig.db());
    QCOMPARE(rows.size(), 1);
    QCOMPARE(rows[0].mid(1), QStringList({"-", "-", "-", "-", "Si", "-", "-", "-"}));
    QVERIFY(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")
                .match(rows[0].at(0))
                .hasMatch());
    QCOMPARE(boxes.count(), 0);
}

void TstCommandOutput::notRecordedBeforeTheConnectionOpens() {
    TestSupport::BoxRecorder boxes;
    Rig rig;
    QVERIFY(rig.connect());
    commandButtonClick(&rig.mainWindow, rig.port, &rig.fdm, 8);
    QVERIFY(rig.sim.waitForFrames(3, 2000));
    QCOMPARE(rig.lines().at(1), QByteArray(":01100000FF000200806F"));
    QVERIFY(!rig.fdm.isOpen()); // the command never opens it
    QVERIFY(escrituraRows(rig.db()).isEmpty());
    QCOMPARE(boxes.count(), 0);
}

void TstCommandOutput::refusedWhileDisconnected() {
    TestSupport::BoxRecorder boxes;
    Rig rig;
    QVERIFY(rig.sim.start());
    rig.fdm.ensureOpen(rig.db());
    commandButtonClick(&rig.mainWindow, rig.port, &rig.fdm, 1);
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.boxes().at(0).kind, MessageBoxes::Kind::Error);
    QCOMPARE(boxes.lastText(),
             QStringLiteral("Falla envio de comando. El equipo no esta conectado!"));
    QVERIFY(rig.windowGone());
    QTest::qWait(300);
    QVERIFY(rig.sim.frames().isEmpty());
    QVERIFY(escrituraRows(rig.db()).isEmpty());
}

void TstCommandOutput::failuresEndTheCommandOnce_data() {
    QTest::addColumn<bool>("portLost");
    QTest::newRow("port lost") << true;
    QTest::newRow("database locked") << false;
}

// A failure inside the sequence is reported once, the window closes and
// the output is not pulsed again.
void TstCommandOutput::failuresEndTheCommandOnce() {
    QFETCH(bool, portLost);
    TestSupport::BoxRecorder boxes;
    Rig rig;
    QVERIFY(rig.connect());
    rig.fdm.ensureOpen(rig.db());
    rig.fdm.setBusyTimeoutMs(200);
    sqlite3 *holder = nullptr;
    if (portLost) {
        // The line goes away after the click, before the pulse.
        QTimer::singleShot(300, [&] { rig.sim.command(QStringLiteral("close")); });
    } else {
        sqlite3_open_v2(QFile::encodeName(rig.db()).constData(), &holder, SQLITE_OPEN_READWRITE,
                        nullptr);
        QCOMPARE(sqlite3_exec(holder, "begin exclusive", nullptr, nullptr, nullptr), SQLITE_OK);
    }

    commandButtonClick(&rig.mainWindow, rig.port, &rig.fdm, 3);
    QVERIFY(rig.windowGone());
    QTest::qWait(1600); // a sequence that ran again would have shown by now
    sqlite3_close_v2(holder);

    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.boxes().at(0).kind, MessageBoxes::Kind::Error);
    if (portLost) {
        QVERIFY2(boxes.lastText().startsWith(QStringLiteral("Falla envio de comando. ")),
                 qPrintable(boxes.lastText()));
        QVERIFY(rig.lines().isEmpty());
    } else {
        QCOMPARE(boxes.lastText(), QStringLiteral("database is locked"));
        QCOMPARE(rig.lines().size(), 3);
    }
    QVERIFY(escrituraRows(rig.db()).isEmpty());
}

// Every pulse makes a window with its timers and animated picture; all of
// it must go when the window closes, or a station that runs for weeks grows
// with every command.
void TstCommandOutput::pulsesLeaveNothingBehind() {
    TestSupport::BoxRecorder boxes;
    Rig rig;
    QVERIFY(rig.connect());
    rig.fdm.ensureOpen(rig.db());
    const CommandTiming quick{20, 5, 20};
    commandButtonClick(&rig.mainWindow, rig.port, &rig.fdm, 1, quick); // loads what stays
    const int widgets = int(QApplication::allWidgets().size());
    const int children = int(rig.mainWindow.findChildren<QObject *>().size());
    for (int n = 1; n <= 8; ++n)
        commandButtonClick(&rig.mainWindow, rig.port, &rig.fdm, n, quick);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCOMPARE(int(QApplication::allWidgets().size()), widgets);
    QCOMPARE(int(rig.mainWindow.findChildren<QObject *>().size()), children);
    QCOMPARE(rig.mainWindow.findChildren<QMovie *>().size(), 0);
    QCOMPARE(escrituraRows(rig.db()).size(), 9);
    QCOMPARE(boxes.count(), 0);
}

QTEST_MAIN(TstCommandOutput)
#include "tst_command_output.moc"

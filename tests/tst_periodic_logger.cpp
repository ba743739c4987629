#include "app/RuntimeSettings.h"
#include "device/DeviceImage.h"
#include "log/PeriodicLogger.h"
#include "log/TFDM.h"
#include "tests/support/TestSupport.h"
#include "view/InputState.h"

#include <QDir>
#include <QFile>
#include <QtTest>
#include <sqlite3.h>
#include <unistd.h>

namespace {

const QString kFailure = QStringLiteral("Falla conexion con base de datos!");

// A connection of its own, as another program would hold it.
class Peer {
public:
    explicit Peer(const QString &path) {
        sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr);
    }
    ~Peer() { sqlite3_close_v2(m_db); }
    bool exec(const char *sql) { return sqlite3_exec(m_db, sql, nullptr, nullptr, nullptr) == 0; }
    QStringList row(const QString &sql) {
        QStringList out;
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_db, sql.toUtf8().constData(), -1, &stmt, nullptr) == SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            for (int i = 0; i < sqlite3_column_count(stmt); ++i)
                out << QString::fromUtf8(
                    reinterpret_cast<const char *>(sqlite3_column_text(stmt, i)));
        sqlite3_finalize(stmt);
        return out;
    }
    int count(const char *table = "Lectura") {
        return row(QStringLiteral("select count(*) from %1").arg(table)).value(0).toInt();
    }

private:
    sqlite3 *m_db = nullptr;
};

// The logger as the main window holds it, on a copy of the installed database.
struct Rig {
    TestSupport::ExeDir exe;
    RuntimeSettings settings;
    DeviceImage image;
    bool connected = true;
    TFDM fdm;
    PeriodicLogger logger{fdm, settings, image, [this] { return connected; }, nullptr};
    QList<bool> saving; // savingChanged, in order

    Rig() {
        settings.DbDir = exe.path() + QStringLiteral("/db/");
        settings.DbFileName = QStringLiteral("Korvane.db3");
        QObject::connect(&logger, &PeriodicLogger::savingChanged,
                         [this](bool on) { saving.append(on); });
    }
    QString db() const { return settings.databasePath(); }
    void set(std::array<int32_t, 6> regs) { image.regs = regs; }
    void tick() { logger.TimerDBTimer(); }
    // A tick, then whatever it left for the event loop (its box).
    void tickAndSettle() {
        tick();
        QCoreApplication::processEvents();
    }
};

} // namespace

class TstPeriodicLogger : public QObject {
    Q_OBJECT

private slots:
    void storesOneRowPerChange();
    void portClosedStoresNothingButOpens();
    void timerDrivesTheTicks();
    void columnNamesInAnyCase();
    void bitsComeFromTheRegistersOfTheTick();
    void storeFailuresKeepTheLoggerRetrying_data();
    void storeFailuresKeepTheLoggerRetrying();
    void aLockDoesNotHoldTheTickForSeconds();
    void unreachableFileIsReportedOncePerOutage();
};

void TstPeriodicLogger::storesOneRowPerChange() {
    TestSupport::BoxRecorder boxes;
    Rig rig;
    Peer peer(rig.db());

    // An empty table: the first tick stores.
    rig.set({0x01, 0x02, 0, 128, 255, 7});
    rig.tick();
    QCOMPARE(peer.count(), 1);
    const QStringList row = peer.row("select * from Lectura");
    QCOMPARE(row.mid(1, 16), QStringList({"Si", "-", "-", "-", "-", "-", "-", "-", "-", "Si", "-",
                                          "-", "-", "-", "-", "-"}));
    QCOMPARE(row.mid(17), QStringList({"1", "2", "0", "128", "255", "7"}));
    QVERIFY(QRegularExpression("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")
                .match(row.at(0))
                .hasMatch());
    QCOMPARE(peer.row("select typeof(Word1) from Lectura").value(0), QStringLiteral("integer"));

    // Unchanged registers: nothing more.
    for (int i = 0; i < 3; ++i)
        rig.tick();
    QCOMPARE(peer.count(), 1);

    // A change that reverts before the tick leaves no trace.
    rig.set({0x01, 0x02, 0, 129, 255, 7});
    rig.set({0x01, 0x02, 0, 128, 255, 7});
    rig.tick();
    QCOMPARE(peer.count(), 1);

    // One analog value changes: one row, then quiet again.
    rig.set({0x01, 0x02, 0, 128, 254, 7});
    rig.tick();
    rig.tick();
    QCOMPARE(peer.count(), 2);
    QCOMPARE(peer.row("select Word5 from Lectura order by rowid desc limit 1").value(0),
             QStringLiteral("254"));

    QCOMPARE(boxes.count(), 0);
}

void TstPeriodicLogger::portClosedStoresNothingButOpens() {
    TestSupport::BoxRecorder boxes;
    Rig rig;
    rig.connected = false;
    rig.set({5, 0, 0, 0, 0, 0});
    rig.tick();
    QVERIFY(rig.fdm.isOpen());
    QCOMPARE(rig.fdm.path(), rig.db());
    QCOMPARE(Peer(rig.db()).count(), 0);

    // The connection is opened even with the port closed, so a command sent
    // later is recorded.
    rig.connected = true;
    rig.tick();
    QCOMPARE(Peer(rig.db()).count(), 1);
    QCOMPARE(boxes.count(), 0);
}

void TstPeriodicLogger::timerDrivesTheTicks() {
    TestSupport::BoxRecorder boxes;
    Rig rig;
    QVERIFY(!rig.logger.TimerDB->isActive()); // disabled until armed
    QCOMPARE(rig.logger.TimerDB->objectName(), QStringLiteral("TimerDB"));

    rig.logger.arm(true, 1);
    QCOMPARE(rig.logger.TimerDB->interval(), 1000);
    QTest::qWait(600);
    // Arming again with the same period does not push the next tick back.
    rig.logger.arm(true, 1);
    QVERIFY(rig.logger.TimerDB->remainingTime() < 600);
    rig.set({3, 0, 0, 0, 0, 0});
    QTRY_COMPARE_WITH_TIMEOUT(Peer(rig.db()).count(), 1, 3000);

    rig.logger.arm(false, 1);
    QVERIFY(!rig.logger.TimerDB->isActive());
    rig.logger.arm(true, 12);
    QCOMPARE(rig.logger.TimerDB->interval(), 12000);
}

void TstPeriodicLogger::columnNamesInAnyCase() {
    TestSupport::BoxRecorder boxes;
    Rig rig;
    {
        Peer peer(rig.db());
        QVERIFY(peer.exec("drop table Lectura"));
        QVERIFY(peer.exec("create table LECTURA (FECHA text, BIT1 text, bit2 text, Bit3 text, "
                          "bIT4 text, BIT5 text, BIT6 text, BIT7 text, BIT8 text, BIT9 text, "
                          "BIT10 text, BIT11 text, BIT12 text, BIT13 text, BIT14 text, BIT15 text, "
                          "BIT16 text, WORD1 integer, WORD2 integer, word3 integer, "
                          "Word4 integer, WORD5 integer, WoRd6 integer, Extra text)"));
    }
    rig.set({0xFF, 0x80, 1, 2, 3, 4});
    rig.tick();
    rig.tick();
    Peer peer(rig.db());
    QCOMPARE(peer.count(), 1);
    QCOMPARE(peer.row("select BIT16, WORD2, Extra is null from LECTURA"),
             QStringList({"Si", "128", "1"}));
    QCOMPARE(boxes.count(), 0);
}

void TstPeriodicLogger::bitsComeFromTheRegistersOfTheTick() {
    TestSupport::BoxRecorder boxes;
    Rig rig;
    Peer peer(rig.db());
    rig.set({0, 0, 0, 0, 0, 0});
    rig.tick();
    // Register 2 changed after the last display pass: the input states the
    // pass computed are stale, the registers are not.
    rig.image.reg(2) = 128;
    rig.image.reg(1) = 1;
    rig.tick();
    QCOMPARE(peer.count(), 2);
    const QStringList row = peer.row("select * from Lectura order by rowid desc limit 1");
    QCOMPARE(row.mid(1, 16), QStringList({"Si", "-", "-", "-", "-", "-", "-", "-", "-", "-", "-",
                                          "-", "-", "-", "-", "Si"}));
    QCOMPARE(row.mid(17, 2), QStringList({"1", "128"}));
    QCOMPARE(boxes.count(), 0);
}

void TstPeriodicLogger::storeFailuresKeepTheLoggerRetrying_data() {
    QTest::addColumn<QString>("how");
    QTest::newRow("missing table") << "missing table";
    QTest::newRow("read-only file") << "read-only";
    QTest::newRow("locked file") << "locked";
}

void TstPeriodicLogger::storeFailuresKeepTheLoggerRetrying() {
    QFETCH(QString, how);
    TestSupport::BoxRecorder boxes;
    Rig rig;
    const QString file = rig.db();
    const RuntimeSettings plain = rig.settings;
    std::unique_ptr<Peer> holder;
    if (how == "missing table") {
        QVERIFY(Peer(file).exec("alter table Lectura rename to Lectura_fuera"));
    } else if (how == "read-only") {
        QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::ReadGroup));
        if (::access(QFile::encodeName(file).constData(), W_OK) == 0) {
            // Permissions do not bind this user (root): open the same file
            // read-only through a URI instead.
            if (!sqlite3_compileoption_used("USE_URI"))
                QSKIP("permissions do not apply and URIs are off");
            rig.settings.DbDir = QStringLiteral("file:") + rig.settings.DbDir;
            rig.settings.DbFileName += QStringLiteral("?mode=ro");
        }
    } else {
        holder = std::make_unique<Peer>(file);
        QVERIFY(holder->exec("begin exclusive"));
    }

    rig.set({1, 0, 0, 0, 0, 0});
    rig.logger.arm(true, 10);
    rig.tick();
    QCOMPARE(boxes.count(), 0); // never inside the tick
    QCoreApplication::processEvents();
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.boxes().at(0).text, PeriodicLogger::failureText());
    QCOMPARE(boxes.boxes().at(0).kind, MessageBoxes::Kind::Error);
    QCOMPARE(boxes.boxes().at(0).buttons, MessageBoxes::Buttons::Ok);
    QVERIFY(rig.logger.TimerDB->isActive());
    QVERIFY(rig.logger.failing());
    QCOMPARE(rig.saving, QList<bool>({false}));

    // The outage goes on: no further box, and the logger keeps trying.
    rig.set({2, 0, 0, 0, 0, 0});
    rig.tickAndSettle();
    rig.tickAndSettle();
    QCOMPARE(boxes.count(), 1);
    QVERIFY(rig.logger.TimerDB->isActive());

    // The fault ends: the next tick stores the snapshot of that moment.
    holder.reset();
    QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner);
    rig.settings = plain;
    if (how == "missing table")
        QVERIFY(Peer(file).exec("alter table Lectura_fuera rename to Lectura"));
    rig.tickAndSettle();
    QCOMPARE(Peer(file).count(), 1);
    QCOMPARE(Peer(file).row("select Word1 from Lectura").value(0), QStringLiteral("2"));
    QVERIFY(!rig.logger.failing());
    QCOMPARE(rig.saving, QList<bool>({false, true}));

    // A later fault is a new outage, with a box of its own.
    QVERIFY(Peer(file).exec("alter table Lectura rename to Lectura_fuera"));
    rig.set({3, 0, 0, 0, 0, 0});
    rig.tickAndSettle();
    rig.tickAndSettle();
    QCOMPARE(boxes.count(), 2);
}

void TstPeriodicLogger::aLockDoesNotHoldTheTickForSeconds() {
    TestSupport::BoxRecorder boxes;
    Rig rig;
    Peer holder(rig.db());
    QVERIFY(holder.exec("begin exclusive"));
    rig.set({1, 0, 0, 0, 0, 0});
    QElapsedTimer clock;
    clock.start();
    rig.tick();
    // Another writer holds the file: the tick gives up after a short wait
    // (the window does not answer meanwhile) and the next tick tries again.
    QVERIFY2(clock.elapsed() < 1500, qPrintable(QString::number(clock.elapsed())));
    QVERIFY(rig.logger.failing());
    QVERIFY(holder.exec("commit"));
    rig.tickAndSettle();
    QCOMPARE(Peer(rig.db()).count(), 1);
    QCOMPARE(boxes.count(), 1);
}

void TstPeriodicLogger::unreachableFileIsReportedOncePerOutage() {
    TestSupport::BoxRecorder boxes;
    Rig rig;
    const QString dbDir = rig.exe.file("db");
    const QString aside = rig.exe.file("db-fuera");
    rig.logger.arm(true, 10);
    rig.set({1, 0, 0, 0, 0, 0});

    QVERIFY(QDir().rename(dbDir, aside));
    for (int i = 0; i < 3; ++i)
        rig.tickAndSettle();
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.lastText(), QStringLiteral("unable to open database file"));
    QCOMPARE(boxes.boxes().at(0).title, QStringLiteral("Korvane Direct 1.2"));
    QVERIFY(rig.logger.TimerDB->isActive()); // retries at the next tick
    QVERIFY(!QFile::exists(rig.db()));       // and never makes a file

    // The file is back: logging resumes by itself.
    QVERIFY(QDir().rename(aside, dbDir));
    rig.tick();
    QCOMPARE(Peer(rig.db()).count(), 1);

    // Taken away again while the connection is open: a new outage, one new
    // box, and no row goes to the vanished file.
    QVERIFY(QDir().rename(dbDir, aside));
    rig.set({2, 0, 0, 0, 0, 0});
    rig.tickAndSettle();
    rig.tickAndSettle();
    QCOMPARE(boxes.count(), 2);
    QVERIFY(QDir().rename(aside, dbDir));
    rig.tickAndSettle();
    QCOMPARE(Peer(rig.db()).count(), 2);
    QCOMPARE(boxes.count(), 2);
    QVERIFY(rig.logger.TimerDB->isActive());
}

QTEST_MAIN(TstPeriodicLogger)
#include "tst_periodic_logger.moc"

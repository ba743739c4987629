// The faults, one at a time. Each keeps the station of FaultRig: the
// controller's inputs change every second and a row is due every second.
#include "app/TFMain.h"
#include "tests/fault/FaultRig.h"
#include "tests/support/SmtpSink.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>

#include <csignal>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>

namespace Fault {

// Set by the runner when this process has a mount namespace of its own.
bool g_privateMounts = false;

namespace {

QString dbDir(Rig &r) {
    return r.dir.file(QStringLiteral("db"));
}

void removeDatabase(Rig &r) {
    for (const char *tail : {"", "-wal", "-shm", "-journal"})
        QFile::remove(r.dbPath() + QLatin1String(tail));
}

// A consistent copy of the file (with what its write-ahead log holds).
bool backup(const QString &from, const QString &to) {
    sqlite3 *src = nullptr, *dst = nullptr;
    bool ok = sqlite3_open_v2(QFile::encodeName(from).constData(), &src, SQLITE_OPEN_READONLY,
                              nullptr) == SQLITE_OK &&
              sqlite3_open(QFile::encodeName(to).constData(), &dst) == SQLITE_OK;
    if (ok) {
        sqlite3_busy_timeout(src, 500);
        sqlite3_backup *b = sqlite3_backup_init(dst, "main", src, "main");
        ok = b && sqlite3_backup_step(b, -1) == SQLITE_DONE;
        sqlite3_backup_finish(b);
        // The copy goes back in the rollback-journal mode of a fresh file.
        sqlite3_exec(dst, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    }
    sqlite3_close_v2(src);
    sqlite3_close_v2(dst);
    return ok;
}

bool execOn(const QString &path, const char *sql) {
    sqlite3 *db = nullptr;
    bool ok = sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE,
                              nullptr) == SQLITE_OK;
    if (ok) {
        sqlite3_busy_timeout(db, 1000);
        ok = sqlite3_exec(db, sql, nullptr, nullptr, nullptr) == SQLITE_OK;
    }
    sqlite3_close_v2(db);
    return ok;
}

// ---- disk full: a 1 MiB file system under db/, else a file-size limit ----
// Each stored row adds to the write-ahead log every page it touches (the row,
// the viewer's indexes, the trend summaries: some 36 KiB), so the file system
// must leave room for a few dozen rows once the filler is gone.

constexpr auto kFiller = "db/relleno.bin";

void diskFullBefore(Rig &r) {
    if (!g_privateMounts) {
        r.note = QStringLiteral("RLIMIT_FSIZE (no mount)");
        return;
    }
    const QByteArray db = TestSupport::readFile(r.dbPath());
    removeDatabase(r);
    if (::mount("tmpfs", QFile::encodeName(dbDir(r)).constData(), "tmpfs", 0, "size=1m") != 0) {
        TestSupport::writeFile(r.dbPath(), db);
        g_privateMounts = false;
        r.note = QStringLiteral("RLIMIT_FSIZE (mount refused)");
        return;
    }
    TestSupport::writeFile(r.dbPath(), db);
    r.note = QStringLiteral("tmpfs of 1 MiB");
}

void diskFullBegin(Rig &r) {
    if (g_privateMounts) {
        QFile filler(r.dir.file(QLatin1String(kFiller)));
        if (filler.open(QIODevice::WriteOnly)) {
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
        }
        return;
    }
    // Every file may grow no further than the largest database file now.
    std::signal(SIGXFSZ, SIG_IGN);
    qint64 size = 0;
    for (const char *tail : {"", "-wal"})
        size = std::max(size, QFileInfo(r.dbPath() + QLatin1String(tail)).size());
    const rlimit limit{rlim_t(size), RLIM_INFINITY};
    ::setrlimit(RLIMIT_FSIZE, &limit);
}

void diskFullEnd(Rig &r) {
    if (g_privateMounts) {
        QFile::remove(r.dir.file(QLatin1String(kFiller)));
        return;
    }
    const rlimit none{RLIM_INFINITY, RLIM_INFINITY};
    ::setrlimit(RLIMIT_FSIZE, &none);
}

// ---- pictures ----------------------------------------------------------------

// The "on" picture of lamps 1..4 while input 1 comes and goes every second.
QString lamp(Rig &r) {
    return r.dir.file(QStringLiteral("img/Luz_Roja.png"));
}

void keepLamp(Rig &r) {
    QFile::copy(lamp(r), lamp(r) + QStringLiteral(".orig"));
}

void restoreLamp(Rig &r) {
    QFile::remove(lamp(r));
    QFile::copy(lamp(r) + QStringLiteral(".orig"), lamp(r));
}

// ---- mail --------------------------------------------------------------------

Definition mailFault(const QString &name, std::function<void(Rig &)> before) {
    Definition d;
    d.name = name;
    d.mail = true;
    d.before = std::move(before);
    d.end = [](Rig &r) {
        // The server is back (or the password mended): the station must
        // send by itself, with the settings it holds now.
        r.stopHelper();
        r.window().settings().SmtpPort = r.sink->portText();
        r.window().settings().SmtpPassword = QStringLiteral("secret");
    };
    return d;
}

QList<Definition> make() {
    QList<Definition> list;
    auto add = [&list](Definition d) { list.append(std::move(d)); };

    // ---- the serial line ----
    for (const auto &[name, mode] :
         QList<QPair<QString, QString>>{{"controller silent", "silent"},
                                        {"replies 60 ms late", "late 60"},
                                        {"replies 400 ms late", "late 400"},
                                        {"noise on the line", "noise"},
                                        {"non-hex values", "nonhex"}}) {
        Definition d;
        d.name = name;
        d.begin = [mode](Rig &r) { r.simulator("mode " + mode); };
        d.end = [](Rig &r) { r.simulator(QStringLiteral("mode normal")); };
        add(d);
    }
    {
        Definition d;
        d.name = QStringLiteral("line closed and reopened");
        d.begin = [](Rig &r) { r.simulator(QStringLiteral("close")); };
        d.end = [](Rig &r) {
            if (!r.restartSimulator())
                r.note += QStringLiteral(" [simulator did not restart]");
        };
        add(d);
    }

    // ---- the database ----
    {
        Definition d;
        d.name = QStringLiteral("database missing");
        d.startMs = 0;
        d.before = [](Rig &r) {
            QFile::rename(r.dbPath(), r.dbPath() + QStringLiteral(".installed"));
        };
        d.end = [](Rig &r) {
            QFile::rename(r.dbPath() + QStringLiteral(".installed"), r.dbPath());
        };
        add(d);
    }
    {
        Definition d;
        d.name = QStringLiteral("database read-only file");
        d.startMs = 0;
        d.before = [](Rig &r) {
            r.keepOffDatabase = true;
            QFile::setPermissions(r.dbPath(),
                                  QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
        };
        d.end = [](Rig &r) {
            QFile::setPermissions(r.dbPath(), QFile::ReadOwner | QFile::WriteOwner |
                                                  QFile::ReadGroup | QFile::ReadOther);
            r.keepOffDatabase = false;
        };
        add(d);
    }
    {
        Definition d;
        d.name = QStringLiteral("database read-only folder");
        d.startMs = 0;
        d.before = [](Rig &r) {
            r.keepOffDatabase = true;
            ::chmod(QFile::encodeName(dbDir(r)).constData(), 0555);
        };
        d.end = [](Rig &r) {
            ::chmod(QFile::encodeName(dbDir(r)).constData(), 0755);
            r.keepOffDatabase = false;
        };
        add(d);
    }
    {
        Definition d;
        d.name = QStringLiteral("database locked by another process");
        d.durationMs = 6000;
        d.begin = [](Rig &r) {
            if (!r.startHelper(QStringLiteral("hold_lock.py"), {r.dbPath()}, false))
                r.note += QStringLiteral(" [lock not taken]");
        };
        d.end = [](Rig &r) { r.stopHelper(); };
        add(d);
    }
    {
        Definition d;
        d.name = QStringLiteral("database deleted and restored");
        d.begin = [](Rig &r) {
            if (!backup(r.dbPath(), r.dbPath() + QStringLiteral(".bak")))
                r.note += QStringLiteral(" [no backup]");
            removeDatabase(r);
        };
        d.end = [](Rig &r) { QFile::rename(r.dbPath() + QStringLiteral(".bak"), r.dbPath()); };
        add(d);
    }
    {
        Definition d;
        d.name = QStringLiteral("database lacking a table");
        d.begin = [](Rig &r) {
            if (!execOn(r.dbPath(), "ALTER TABLE Lectura RENAME TO Lectura_apartada"))
                r.note += QStringLiteral(" [table not moved]");
        };
        d.end = [](Rig &r) {
            if (!execOn(r.dbPath(), "ALTER TABLE Lectura_apartada RENAME TO Lectura"))
                r.note += QStringLiteral(" [table not restored]");
        };
        add(d);
    }
    {
        Definition d;
        d.name = QStringLiteral("disk full");
        d.before = diskFullBefore;
        d.begin = diskFullBegin;
        d.end = diskFullEnd;
        d.cleanup = [](Rig &r) {
            if (g_privateMounts)
                ::umount2(QFile::encodeName(dbDir(r)).constData(), MNT_DETACH);
        };
        add(d);
    }

    // ---- the mail server ----
    add(mailFault(QStringLiteral("SMTP server down"),
                  [](Rig &r) { r.smtpPort = QString::number(TestSupport::deadPort()); }));
    for (const auto &[name, after] : QList<QPair<QString, QString>>{
             {"SMTP stalls after greeting", "greeting"}, {"SMTP stalls after EHLO", "ehlo"}}) {
        add(mailFault(name, [after](Rig &r) {
            if (r.startHelper(QStringLiteral("smtp_stall.py"), {"--after", after}, true))
                r.smtpPort = QString::number(r.helperPort);
            else
                r.note += QStringLiteral(" [stalling server did not start]");
        }));
    }
    add(mailFault(QStringLiteral("SMTP refuses the password"),
                  [](Rig &r) { r.smtpPassword = QStringLiteral("equivocada"); }));

    // ---- Config.ini: the fault is there from start-up and stays ----
    {
        Definition d;
        d.name = QStringLiteral("Config.ini empty");
        d.startMs = 0;
        d.durationMs = 1000;
        d.logging = false;
        d.connect = false; // no port is known: the station waits disconnected
        d.before = [](Rig &r) { r.configWhole = QByteArray(); };
        d.recovered = [](Rig &r, QString &why) {
            const RuntimeSettings &s = r.window().settings();
            if (s.PortIndex != 0 || s.BaudIndex != 7 || s.DbEnabled != "No" ||
                s.RecordSeconds != 0) {
                why = QStringLiteral("defaults not taken");
                return false;
            }
            return true;
        };
        add(d);
    }
    {
        Definition d;
        d.name = QStringLiteral("Config.ini binary");
        d.startMs = 0;
        d.durationMs = 1000;
        d.before = [](Rig &r) {
            QRandomGenerator random(20240917);
            QByteArray junk(64 * 1024, '\0');
            for (char &c : junk)
                c = char(random.bounded(256));
            r.configPrefix = junk + "\n";
        };
        add(d);
    }
    {
        Definition d;
        d.name = QStringLiteral("Config.ini of 16 MiB");
        d.startMs = 0;
        d.durationMs = 1000;
        d.childTimeoutMs = 180000;
        d.before = [](Rig &r) {
            r.configPrefix = "[Notas]\nTexto=" + QByteArray(16 * 1024 * 1024, 'x') + "\n";
        };
        add(d);
    }
    {
        Definition d;
        d.name = QStringLiteral("Config.ini out-of-range values");
        d.startMs = 0;
        d.durationMs = 1000;
        d.before = [](Rig &r) {
            for (const auto &[key, value] :
                 QList<QPair<QString, QString>>{{"PuertoCom", "77"},
                                                {"BaudRate", "-3"},
                                                {"Parity", "9"},
                                                {"StopBits", "-1"},
                                                {"RecordTime", "2147483647"}})
                r.setKey("Comunicacion", key, value);
            for (const auto &[key, value] :
                 QList<QPair<QString, QString>>{{"Decimal1", "9"},
                                                {"A1", "2147483647"},
                                                {"B1", "0"},
                                                {"C2", "-2147483648"},
                                                {"B3", "-1"},
                                                {"Decimal4", "-5"},
                                                {"A4", "99999999999999"}})
                r.setKey("Paneles", key, value);
            for (const auto &[key, value] :
                 QList<QPair<QString, QString>>{{"Icono1X", "-99999"},
                                                {"Icono2Y", "2147483647"},
                                                {"Panel1X", "100000"},
                                                {"Panel2Y", "-2147483648"}})
                r.setKey("Pantalla", key, value);
            for (const auto &[key, value] :
                 QList<QPair<QString, QString>>{{"ReEnvio", "-9"},
                                                {"Alarma1", "7"},
                                                {"HabilitaMail1", "-1"},
                                                {"PuertoSMTP", "99999999999"}})
                r.setKey("Alarmas", key, value);
        };
        add(d);
    }

    // ---- pictures: a lamp's "on" picture goes bad while input 1 blinks ----
    {
        Definition d;
        d.name = QStringLiteral("picture missing");
        d.before = keepLamp;
        d.begin = [](Rig &r) { QFile::remove(lamp(r)); };
        d.end = restoreLamp;
        add(d);
    }
    {
        Definition d;
        d.name = QStringLiteral("picture truncated");
        d.before = keepLamp;
        d.begin = [](Rig &r) {
            QFile f(lamp(r));
            if (f.open(QIODevice::ReadWrite))
                f.resize(f.size() / 2);
        };
        d.end = restoreLamp;
        add(d);
    }
    {
        Definition d;
        d.name = QStringLiteral("picture of the wrong format");
        d.before = keepLamp;
        d.begin = [](Rig &r) {
            TestSupport::writeFile(
                lamp(r), TestSupport::readFile(r.dir.file(QStringLiteral("img/inicio.jpg"))));
        };
        d.end = restoreLamp;
        add(d);
    }
    {
        Definition d;
        d.name = QStringLiteral("status picture missing at connect");
        d.startMs = 0;
        d.before = [](Rig &r) {
            QFile::rename(r.dir.file(QStringLiteral("img/comon.png")),
                          r.dir.file(QStringLiteral("img/comon.png.apartada")));
        };
        d.end = [](Rig &r) {
            QFile::rename(r.dir.file(QStringLiteral("img/comon.png.apartada")),
                          r.dir.file(QStringLiteral("img/comon.png")));
        };
        add(d);
    }
    return list;
}

} // namespace

const QList<Definition> &all() {
    static const QList<Definition> list = make();
    return list;
}

} // namespace Fault

// Soak: the main window connected to the simulated controller for a long
// run, as a station runs unattended. The station is a child process of this
// bench (this same program, started with --station), so that what the bench
// records costs the station nothing; the bench reads the child's resident
// memory, open descriptors and CPU time from /proc.
//
// Usage: bench_soak [minutes=60] [--log FILE]
//
// The controller's inputs and analog values change every second, the station
// logs every 8 s (RecordTime=8, DB=Si) and pulses one command output every
// minute through the real button handler and command window. Prints the
// figures at start and end (and a progress line every 5 minutes); asserts
// nothing.
#include "BenchStats.h"
#include "app/TFMain.h"
#include "log/TFDM.h"
#include "tests/support/Simulator.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QSysInfo>
#include <QTest>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <sqlite3.h>
#include <unistd.h>

namespace {

const QByteArray kFirstRequest = ":01030000FF1810D6";
const QByteArray kLastRequest = ":01030000FF1D10D1";

// ---- the station (child) ---------------------------------------------------

int runStation(const QString &exeDir) {
    TestSupport::BoxRecorder boxes; // a box would wait for a click; count them instead
    TFDM fdm;
    TFMain window(exeDir, fdm);
    window.show();
    window.Conectar1Click();
    if (!window.Com_Serie.connected()) {
        std::printf("FAILED connect\n");
        return 1;
    }
    std::printf("READY %lld\n", qint64(::getpid()));
    std::fflush(stdout);

    int pulses = 0;
    QTimer commands;
    commands.setInterval(60000);
    QObject::connect(&commands, &QTimer::timeout, [&] {
        window.BotonClick(1 + pulses % 8);
        ++pulses;
        std::printf("PULSE %d boxes=%d\n", pulses, boxes.count());
        std::fflush(stdout);
    });
    commands.start();

    // The bench ends the station by closing its standard input.
    QThread *reader = QThread::create([] {
        char buf[64];
        while (::read(0, buf, sizeof buf) > 0) {
        }
    });
    QObject::connect(reader, &QThread::finished, qApp, [&] {
        // Reported before the quit, whose close question is no fault of the run.
        std::printf("END pulses=%d boxes=%d\n", pulses, boxes.count());
        for (const auto &b : boxes.boxes())
            std::printf("BOX %s\n", qPrintable(b.text));
        std::fflush(stdout);
        window.Com_Serie.close();
        QCoreApplication::quit();
    });
    reader->start();
    const int rc = QCoreApplication::exec();
    reader->wait(1000);
    return rc;
}

// ---- the bench (parent) ----------------------------------------------------

struct Usage {
    long rssKb = -1;
    int fds = -1;
    double cpuSeconds = 0;
};

Usage usageOf(qint64 pid) {
    Usage u;
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : status.readAll().split('\n'))
            if (line.startsWith("VmRSS:"))
                u.rssKb = line.mid(6).trimmed().split(' ').first().toLong();
    }
    u.fds = int(QDir(QStringLiteral("/proc/%1/fd").arg(pid))
                    .entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)
                    .size());
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (stat.open(QIODevice::ReadOnly)) {
        const QByteArray text = stat.readAll();
        // Fields after the command name in parentheses; utime and stime are 14 and 15.
        const QList<QByteArray> f = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (f.size() > 13)
            u.cpuSeconds = (f[11].toDouble() + f[12].toDouble()) / double(::sysconf(_SC_CLK_TCK));
    }
    return u;
}

qint64 countRows(const QString &db, const char *table) {
    sqlite3 *h = nullptr;
    qint64 n = -1;
    if (sqlite3_open_v2(db.toUtf8().constData(), &h, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
        sqlite3_stmt *st = nullptr;
        const QByteArray sql = QByteArray("select count(*) from ") + table;
        if (sqlite3_prepare_v2(h, sql.constData(), -1, &st, nullptr) == SQLITE_OK &&
            sqlite3_step(st) == SQLITE_ROW)
            n = sqlite3_column_int64(st, 0);
        sqlite3_finalize(st);
    }
    sqlite3_close_v2(h);
    return n;
}

int runBench(int minutes, const QString &logPath, const char *self) {
    FILE *log = logPath.isEmpty() ? stdout : std::fopen(qPrintable(logPath), "w");
    if (!log)
        return 1;
    auto say = [log](const char *fmt, auto... args) {
        std::fprintf(log, fmt, args...);
        std::fflush(log);
    };

    TestSupport::Simulator sim;
    if (!sim.start({QStringLiteral("--analog"), QStringLiteral("10,20,30,40")})) {
        say("the simulator did not start\n");
        return 1;
    }
    TestSupport::ExeDir dir;
    QByteArray ini = "[Comunicacion]\nDataBits=3\nStopBits=0\nFlowControl=2\nDB=Si\nRecordTime=8\n"
                     "[Puertos]\nCOM1=" +
                     sim.devicePath().toUtf8() + "\n[BotonesMenu]\n";
    for (int n = 1; n <= 8; ++n)
        ini += "Boton" + QByteArray::number(n) + "=Si\n";
    ini += "[Iconos]\n";
    for (int n = 1; n <= 16; ++n)
        ini += "Ico" + QByteArray::number(n) + "=Si\n";
    ini += "[Paneles]\nPanel1=Si\nPanel2=Si\nPanel3=Si\nPanel4=Si\n";
    dir.writeConfig(ini);

    QProcess station;
    station.setProcessChannelMode(QProcess::SeparateChannels);
    station.start(QString::fromLocal8Bit(self), {QStringLiteral("--station"), dir.path()});
    qint64 pid = 0;
    QByteArray out;
    QElapsedTimer wait;
    wait.start();
    while (pid == 0 && wait.elapsed() < 20000) {
        station.waitForReadyRead(200);
        out += station.readAllStandardOutput();
        const int at = out.indexOf("READY ");
        if (at >= 0 && out.indexOf('\n', at) > 0)
            pid = out.mid(at + 6, out.indexOf('\n', at) - at - 6).toLongLong();
        if (out.contains("FAILED"))
            break;
    }
    if (pid == 0) {
        say("the station did not start: %s\n", out.constData());
        return 1;
    }

    say("machine: %s, %d cores shared with other builds (CPU figures are upper bounds)\n",
        qPrintable(QSysInfo::prettyProductName()), QThread::idealThreadCount());
    say("soak: %d min after a warm-up of 75 s, inputs and analog values change every second, "
        "logging every 8 s, one "
        "command pulse a minute\n",
        minutes);

    // Warm-up: the first cycles and rows, and the first command pulse (at one
    // minute), which loads once what every later window uses (the picture
    // decoder, the bold font's glyphs): growth is counted from after it.
    QTest::qWait(75000);
    sim.clearFrames();
    const Usage start = usageOf(pid);
    QElapsedTimer clock;
    clock.start();
    say("start: RSS %ld kB, %d open descriptors, CPU %.2f s\n", start.rssKb, start.fds,
        start.cpuSeconds);

    qint64 firstSteps = 0, lastSteps = 0, commandFrames = 0;
    int k = 0;
    qint64 nextReport = 5 * 60 * 1000;
    const qint64 total = qint64(minutes) * 60 * 1000;
    while (clock.elapsed() < total) {
        ++k;
        // Inputs 1..14 and the analog values change every second; inputs 15
        // and 16 stay off (no alarm, no mail server in this run).
        sim.command(QStringLiteral("inputs %1").arg(k * 37 & 0x3FFF, 4, 16, QChar(u'0')));
        sim.command(QStringLiteral("analog %1 %2").arg(1 + k % 4).arg(k * 13 % 256));
        const qint64 due = qint64(k) * 1000;
        while (clock.elapsed() < due)
            QTest::qWait(int(std::min<qint64>(200, due - clock.elapsed())) + 1);
        for (const auto &f : sim.frames()) {
            firstSteps += f.text == kFirstRequest;
            lastSteps += f.text == kLastRequest;
            commandFrames += f.text.startsWith(":01100000FF0002");
        }
        sim.clearFrames();
        if (clock.elapsed() >= nextReport) {
            const Usage u = usageOf(pid);
            say("%5.1f min: RSS %ld kB, %d descriptors, CPU %.1f s\n", clock.elapsed() / 60000.0,
                u.rssKb, u.fds, u.cpuSeconds);
            nextReport += 5 * 60 * 1000;
        }
        station.readAllStandardOutput(); // keep the pipe drained
    }
    const double seconds = clock.elapsed() / 1000.0;
    const Usage end = usageOf(pid);
    station.closeWriteChannel();
    station.waitForFinished(10000);
    const QByteArray tail = station.readAllStandardOutput();

    const double hours = seconds / 3600.0;
    const qint64 cycles = qint64(seconds); // Reloj_Principal: one chain a second
    const qint64 pulses = commandFrames / 3;
    say("end after %.1f min: RSS %ld kB, %d open descriptors, CPU %.2f s\n", seconds / 60.0,
        end.rssKb, end.fds, end.cpuSeconds);
    say("poll cycles: %lld expected, %lld started, %lld completed (missed %lld)\n", cycles,
        firstSteps, lastSteps, std::max<qint64>(0, cycles - lastSteps));
    say("command pulses: %lld (%lld frames); rows: Lectura %lld, Escritura %lld\n", pulses,
        commandFrames, countRows(dir.file("db/Korvane.db3"), "Lectura"),
        countRows(dir.file("db/Korvane.db3"), "Escritura"));
    say("CPU: %.1f s per hour (%.2f%% of one core)\n", (end.cpuSeconds - start.cpuSeconds) / hours,
        100.0 * (end.cpuSeconds - start.cpuSeconds) / seconds);
    say("memory growth: %+.0f kB per hour, %+.1f kB per pulse (all growth charged to pulses)\n",
        (end.rssKb - start.rssKb) / hours,
        pulses > 0 ? double(end.rssKb - start.rssKb) / pulses : 0.0);
    say("descriptors: %+d\n", end.fds - start.fds);
    say("station said: %s\n", tail.trimmed().replace('\n', " | ").constData());
    if (log != stdout)
        std::fclose(log);
    return 0;
}

} // namespace

int main(int argc, char *argv[]) {
    runHeadless();
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    if (argc >= 3 && std::strcmp(argv[1], "--station") == 0)
        return runStation(QString::fromLocal8Bit(argv[2]));
    int minutes = 60;
    QString logPath;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--log") == 0 && i + 1 < argc)
            logPath = QString::fromLocal8Bit(argv[++i]);
        else
            minutes = std::max(1, atoi(argv[i]));
    }
    return runBench(minutes, logPath, argv[0]);
}

// Time of one logger tick (change test + insert) against Lectura tables of
// growing length. The change test reads only the latest row, so the tick
// should cost the same on 10 thousand rows as on 10 million.

#include "app/RuntimeSettings.h"
#include "common/MessageBoxes.h"
#include "device/DeviceImage.h"
#include "log/PeriodicLogger.h"
#include "log/TFDM.h"
#include "view/InputState.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <sqlite3.h>
#include <unistd.h>
#include <vector>

namespace {

[[noreturn]] void fail(const QString &what) {
    std::fprintf(stderr, "bench_logger: %s\n", qPrintable(what));
    std::exit(1);
}

void exec(sqlite3 *db, const char *sql) {
    char *err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK)
        fail(QString::fromUtf8(err ? err : "sqlite3_exec"));
}

// A database made from the installed schema, filled with `rows` snapshots
// in one transaction through one prepared statement.
void makeDatabase(const QString &path, qint64 rows) {
    QFile schemaFile(QStringLiteral(KORVANE_SOURCE_DIR "/assets/db/schema.sql"));
    if (!schemaFile.open(QIODevice::ReadOnly))
        fail(QStringLiteral("cannot read ") + schemaFile.fileName());
    const QByteArray schema = schemaFile.readAll();

    sqlite3 *db = nullptr;
    if (sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                        SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) != SQLITE_OK)
        fail(QStringLiteral("cannot create ") + path);
    exec(db, schema.constData());
    exec(db, "PRAGMA synchronous=OFF; PRAGMA cache_size=-262144; BEGIN");
    sqlite3_stmt *stmt = nullptr;
    if (sqlite3_prepare_v2(db,
                           "insert into Lectura values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,"
                           "?,?,?,?,?,?)",
                           -1, &stmt, nullptr) != SQLITE_OK)
        fail(QString::fromUtf8(sqlite3_errmsg(db)));
    const time_t start = 1262304000; // 2010-01-01
    char fecha[32];
    for (qint64 i = 0; i < rows; ++i) {
        const time_t t = start + time_t(i) * 10;
        struct tm parts;
        gmtime_r(&t, &parts);
        std::strftime(fecha, sizeof fecha, "%Y-%m-%d %H:%M:%S", &parts);
        sqlite3_bind_text(stmt, 1, fecha, -1, SQLITE_TRANSIENT);
        const int word1 = int(i % 256), word2 = int((i / 256) % 256);
        for (int n = 0; n < 16; ++n) {
            const int bit = n < 8 ? (word1 >> n) & 1 : (word2 >> (n - 8)) & 1;
            sqlite3_bind_text(stmt, 2 + n, bit ? "Si" : "-", -1, SQLITE_STATIC);
        }
        sqlite3_bind_int(stmt, 18, word1);
        sqlite3_bind_int(stmt, 19, word2);
        for (int w = 3; w <= 6; ++w)
            sqlite3_bind_int(stmt, 17 + w, int((i * w) % 256));
        if (sqlite3_step(stmt) != SQLITE_DONE)
            fail(QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_reset(stmt);
    }
    sqlite3_finalize(stmt);
    exec(db, "COMMIT");
    sqlite3_close_v2(db);
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// One table size: its database and a logger on it, as the main window holds them.
struct Subject {
    qint64 rows = 0;
    double fillSeconds = 0;
    QTemporaryDir dir;
    RuntimeSettings settings;
    TFDM fdm;
    DeviceImage image;
    InputState inputs;
    std::unique_ptr<PeriodicLogger> logger;
    std::vector<double> store, unchanged, storeNoSync;
    int next = 0;

    explicit Subject(qint64 n) : rows(n) {
        if (!dir.isValid())
            fail(QStringLiteral("no temporary directory"));
        settings.DbDir = dir.path() + u'/';
        settings.DbFileName = QStringLiteral("Korvane.db3");
        QElapsedTimer clock;
        clock.start();
        makeDatabase(settings.databasePath(), rows);
        fillSeconds = clock.elapsed() / 1000.0;
        logger = std::make_unique<PeriodicLogger>(
            fdm, settings, image, [] { return true; }, nullptr);
    }

    double tick() {
        QElapsedTimer t;
        t.start();
        logger->TimerDBTimer();
        return t.nsecsElapsed() / 1e6;
    }
    void change() {
        ++next;
        image.regs = {next % 256, 0, 1, 2, 3, next / 256 % 256};
        inputs = InputState::fromImage(image);
    }
    // A store tick (change found), then an unchanged tick (read only).
    void measure(int ticks, bool synced) {
        for (int i = 0; i < ticks; ++i) {
            change();
            const double s = tick();
            const double u = tick();
            (synced ? store : storeNoSync).push_back(s);
            if (synced)
                unchanged.push_back(u);
        }
    }
};

} // namespace

int main(int argc, char **argv) {
    QCoreApplication app(argc, argv);
    MessageBoxes::setHandler([](const MessageBoxes::Box &box) -> MessageBoxes::Answer {
        fail(QStringLiteral("unexpected box: ") + box.text);
    });

    const int rounds = 5, ticksPerRound = 41;
    std::printf("bench_logger: %s, %d cores, SQLite %s\n",
                qPrintable(QSysInfo::prettyProductName()), QThread::idealThreadCount(),
                sqlite3_libversion());
    std::vector<std::unique_ptr<Subject>> subjects;
    for (qint64 rows : {qint64(10'000), qint64(1'000'000), qint64(10'000'000)}) {
        subjects.push_back(std::make_unique<Subject>(rows));
        std::printf("filled %lld rows in %.1f s\n", rows, subjects.back()->fillSeconds);
        std::fflush(stdout);
    }
    // The fill leaves a gigabyte of dirty pages; they must not land on the
    // first measurements.
    ::sync();
    QThread::sleep(2);
    for (auto &s : subjects) { // opens the connection, warms the cache
        s->change();
        s->tick();
    }
    // Round robin, so that disk noise from elsewhere hits every size alike.
    for (int r = 0; r < rounds; ++r)
        for (auto &s : subjects)
            s->measure(ticksPerRound, true);
    // The same with commits not waiting for the disk: what is left is the
    // b-tree work.
    for (auto &s : subjects)
        sqlite3_exec(s->fdm.Conexion, "PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    for (int r = 0; r < rounds; ++r)
        for (auto &s : subjects)
            s->measure(ticksPerRound, false);

    std::printf("median of %d ticks per size, milliseconds\n", rounds * ticksPerRound);
    std::printf("%12s %12s %22s %16s\n", "rows", "store tick", "store tick, no fsync",
                "unchanged tick");
    for (auto &s : subjects)
        std::printf("%12lld %12.3f %22.3f %16.4f\n", s->rows, median(s->store),
                    median(s->storeNoSync), median(s->unchanged));
    const Subject &lo = *subjects.front(), &hi = *subjects.back();
    std::printf("ratio largest/smallest: store tick %.2f, store tick no fsync %.2f, "
                "unchanged tick %.2f\n",
                median(hi.store) / median(lo.store),
                median(hi.storeNoSync) / median(lo.storeNoSync),
                median(hi.unchanged) / median(lo.unchanged));
    return 0;
}

// The trend window over logs of 10 thousand, 1 million and 10 million rows
// (one row a second): time from opening the window on the range of all the
// rows to its
// first painted plot, and the resident memory then, each in a fresh process;
// the same without the summary tables (a file made before them); reads of
// shorter ranges; the cost of the summary trigger per stored row; and CSV
// export rows per second over 1 million rows.
//
//   bench_trends [--sizes 10000,1000000,10000000] [--dir DIR]
//
// DIR (default: a temporary directory) holds the generated databases.

#include "app/RuntimeSettings.h"
#include "bench/BenchStats.h"
#include "common/MessageBoxes.h"
#include "log/CsvExport.h"
#include "log/ReadOnlyLog.h"
#include "log/TFTendencias.h"
#include "log/TrendPlot.h"
#include "log/TrendReducer.h"
#include "log/TrendTime.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSignalSpy>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <sqlite3.h>

namespace {

const qint64 kStart = *TrendTime::parse(QStringLiteral("2025-01-01 00:00:00"));

[[noreturn]] void fail(const QString &what) {
    std::fprintf(stderr, "bench_trends: %s\n", qPrintable(what));
    std::exit(1);
}

void exec(sqlite3 *db, const char *sql) {
    char *err = nullptr;
    if (sqlite3_exec(db, sql, nullptr, nullptr, &err) != SQLITE_OK)
        fail(QString::fromUtf8(err ? err : "sqlite3_exec"));
}

// Resident memory now and at its peak, in MiB.
std::pair<double, double> residentMiB() {
    QFile status(QStringLiteral("/proc/self/status"));
    double rss = 0, peak = 0;
    if (status.open(QIODevice::ReadOnly))
        for (const QByteArray &line : status.readAll().split('\n')) {
            const QList<QByteArray> f = line.simplified().split(' ');
            if (f.size() >= 2 && f[0] == "VmRSS:")
                rss = f[1].toDouble() / 1024;
            if (f.size() >= 2 && f[0] == "VmHWM:")
                peak = f[1].toDouble() / 1024;
        }
    return {rss, peak};
}

// One row a second from kStart, values and inputs changing as a plant's do;
// through the installed schema, so the summary trigger does its work.
double fill(const QString &path, qint64 rows, bool summary) {
    QFile::remove(path);
    QFile schema(QStringLiteral(KORVANE_SOURCE_DIR "/assets/db/schema.sql"));
    if (!schema.open(QIODevice::ReadOnly))
        fail(QStringLiteral("no schema"));
    sqlite3 *db = nullptr;
    if (sqlite3_open(QFile::encodeName(path).constData(), &db) != SQLITE_OK)
        fail(QStringLiteral("cannot create ") + path);
    exec(db, schema.readAll().constData());
    if (!summary)
        exec(db, "DROP TRIGGER LecturaResumen; DROP TABLE LecturaMinuto; DROP TABLE LecturaHora");
    exec(db, "PRAGMA synchronous=OFF; PRAGMA cache_size=-131072; BEGIN");
    sqlite3_stmt *insert = nullptr;
    sqlite3_prepare_v2(db,
                       "insert into Lectura (Fecha,bit1,bit2,bit3,bit4,bit5,bit6,bit7,bit8,bit9,"
                       "bit10,bit11,bit12,bit13,bit14,bit15,bit16,word1,word2,word3,word4,word5,"
                       "word6) values(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)",
                       -1, &insert, nullptr);
    QElapsedTimer clock;
    clock.start();
    for (qint64 i = 0; i < rows; ++i) {
        const QByteArray fecha = TrendTime::text(kStart + i);
        sqlite3_bind_text(insert, 1, fecha.constData(), -1, SQLITE_TRANSIENT);
        const int inputs = int((i / 600) & 0x7FFF) | (i % 86400 < 300 ? 0x8000 : 0);
        for (int n = 0; n < 16; ++n)
            sqlite3_bind_text(insert, 2 + n, inputs >> n & 1 ? "Si" : "-", -1, SQLITE_STATIC);
        sqlite3_bind_int(insert, 18, inputs & 0xFF);
        sqlite3_bind_int(insert, 19, inputs >> 8);
        for (int k = 0; k < 4; ++k)
            sqlite3_bind_int(insert, 20 + k, int((i / (60 * (k + 1)) + i % 7) % 255) + 1);
        if (sqlite3_step(insert) != SQLITE_DONE)
            fail(QString::fromUtf8(sqlite3_errmsg(db)));
        sqlite3_reset(insert);
    }
    exec(db, "COMMIT");
    const double seconds = clock.elapsed() / 1000.0;
    sqlite3_finalize(insert);
    exec(db, "PRAGMA wal_checkpoint(TRUNCATE)");
    sqlite3_close_v2(db);
    return seconds;
}

// Child process: opens the trend window on the range of the log's rows and
// waits for the first painted plot.
int measureOpen(const QString &path, qint64 rows) {
    RuntimeSettings settings;
    const QFileInfo file(path);
    settings.DbDir = file.absolutePath() + u'/';
    settings.DbFileName = file.fileName();
    for (auto &panel : settings.Panels)
        panel = {QStringLiteral("Si"), 1, 100, 255, 0, QStringLiteral("%"), 0, 0};

    QElapsedTimer clock;
    clock.start();
    TFTendencias window(settings);
    window.resize(1280, 800);
    window.showRange(kStart, kStart + rows - 1);
    window.show();
    const double shown = clock.nsecsElapsed() / 1e6;
    QSignalSpy loaded(&window, &TFTendencias::loaded);
    if (!loaded.wait(600000))
        fail(QStringLiteral("no plot"));
    const double read = clock.nsecsElapsed() / 1e6;
    window.Grafico->repaint();
    const double firstPaint = clock.nsecsElapsed() / 1e6;
    std::fprintf(stderr, "window shown %.1f ms, data in %.1f ms, painted %.1f ms\n", shown, read,
                 firstPaint);
    const auto [rss, peak] = residentMiB();
    const TrendData *d = window.Grafico->data();
    const char *source = d->source == TrendData::Source::Hours     ? "hours"
                         : d->source == TrendData::Source::Minutes ? "minutes"
                         : d->exact                                ? "rows"
                                                                   : "rows, per column";
    std::printf("OPEN %.1f %.1f %.1f %lld %s\n", firstPaint, rss, peak, d->rows, source);

    // Shorter ranges at the end of the log, as the quick choices ask them.
    const qint64 end = kStart + rows - 1;
    for (qint64 span : {qint64(30 * 86400), qint64(7 * 86400), qint64(86400), qint64(3600)}) {
        QElapsedTimer t;
        t.start();
        window.showRange(end - span, end);
        if (!loaded.wait(600000))
            fail(QStringLiteral("no plot"));
        window.Grafico->repaint();
        std::printf("RANGE %lld %.1f %lld\n", span, t.nsecsElapsed() / 1e6,
                    window.Grafico->data()->rows);
    }
    // Painting alone, as a cursor move or a pan redraws the plot.
    QList<double> paints;
    for (int i = 0; i < 20; ++i) {
        window.Grafico->setView(end - 86400 - i * 60, end - i * 60);
        QElapsedTimer t;
        t.start();
        window.Grafico->repaint();
        paints << t.nsecsElapsed() / 1e6;
    }
    std::printf("PAINT %.2f\n", percentile(paints, 50));
    std::fflush(stdout);
    return 0;
}

QByteArray runChild(const QString &exe, const QString &path, qint64 rows) {
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    child.start(exe, {QStringLiteral("--open"), path, QString::number(rows)});
    if (!child.waitForFinished(1800000) || child.exitCode() != 0)
        fail(QStringLiteral("child failed on ") + path);
    return child.readAllStandardOutput();
}

} // namespace

int main(int argc, char **argv) {
    runHeadless();
    QApplication app(argc, argv);
    MessageBoxes::setHandler([](const MessageBoxes::Box &box) -> MessageBoxes::Answer {
        fail(QStringLiteral("unexpected box: ") + box.text);
    });
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[1] == QLatin1String("--open"))
        return measureOpen(args[2], args[3].toLongLong());

    QList<qint64> sizes = {10'000, 1'000'000, 10'000'000};
    QString dirPath;
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == QLatin1String("--sizes")) {
            sizes.clear();
            for (const QString &s : args[i + 1].split(u','))
                sizes << s.toLongLong();
        } else if (args[i] == QLatin1String("--dir")) {
            dirPath = args[i + 1];
        }
    }
    QTemporaryDir temporary;
    if (dirPath.isEmpty())
        dirPath = temporary.path();
    QDir().mkpath(dirPath);

    std::printf("bench_trends: %s, %d cores, SQLite %s\n",
                qPrintable(QSysInfo::prettyProductName()), QThread::idealThreadCount(),
                sqlite3_libversion());

    // What the summary trigger costs each stored row.
    {
        const QString a = dirPath + QStringLiteral("/sin_resumen.db3");
        const QString b = dirPath + QStringLiteral("/con_resumen.db3");
        const double without = fill(a, 200'000, false), with = fill(b, 200'000, true);
        std::printf("insert in one transaction: %.1f us/row without the summary, %.1f us/row "
                    "with it (+%.1f us)\n",
                    without * 5, with * 5, (with - without) * 5);
        QFile::remove(a);
        QFile::remove(b);
    }

    std::printf("%10s %8s | %12s %9s %9s %12s %s\n", "rows", "fill s", "first paint", "RSS MiB",
                "peak MiB", "rows shown", "read from");
    QString oneMillion;
    for (qint64 rows : sizes) {
        const QString path = dirPath + QStringLiteral("/log_%1.db3").arg(rows);
        double seconds = 0;
        if (!QFile::exists(path))
            seconds = fill(path, rows, true);
        if (rows == 1'000'000)
            oneMillion = path;
        const QByteArray out = runChild(app.applicationFilePath(), path, rows);
        QByteArray rangeLines;
        for (const QByteArray &line : out.split('\n')) {
            const QList<QByteArray> f = line.split(' ');
            if (f.value(0) == "OPEN")
                std::printf("%10lld %8.1f | %9s ms %9s %9s %12s %s\n", rows, seconds,
                            f[1].constData(), f[2].constData(), f[3].constData(), f[4].constData(),
                            line.mid(line.indexOf(f[5])).constData());
            else if (f.value(0) == "RANGE")
                rangeLines += "    last " + QByteArray::number(f[1].toLongLong() / 3600) +
                              " h: " + f[2] + " ms, " + f[3] + " rows\n";
            else if (f.value(0) == "PAINT")
                rangeLines += "    repaint of a day: " + f[1] + " ms\n";
        }
        std::printf("%s", rangeLines.constData());
        std::fflush(stdout);

        // The same file as one made before the summary existed.
        if (rows >= 1'000'000) {
            const QString plain = dirPath + QStringLiteral("/plain_%1.db3").arg(rows);
            QFile::remove(plain);
            QFile::copy(path, plain);
            sqlite3 *db = nullptr;
            sqlite3_open(QFile::encodeName(plain).constData(), &db);
            exec(db,
                 "DROP TRIGGER LecturaResumen; DROP TABLE LecturaMinuto; DROP TABLE LecturaHora");
            sqlite3_close_v2(db);
            const QByteArray line =
                runChild(app.applicationFilePath(), plain, rows).split('\n').first();
            const QList<QByteArray> f = line.split(' ');
            std::printf("%10lld %8s | %9s ms %9s %9s %12s %s (no summary)\n", rows, "-",
                        f.value(1).constData(), f.value(2).constData(), f.value(3).constData(),
                        f.value(4).constData(), line.mid(line.indexOf(f.value(5))).constData());
            QFile::remove(plain);
        }
    }

    if (!oneMillion.isEmpty()) {
        QList<double> rates;
        for (int i = 0; i < 3; ++i) {
            CsvJob job;
            job.databasePath = oneMillion;
            job.target = dirPath + QStringLiteral("/export.csv");
            job.from = kStart;
            job.to = kStart + 1'000'000;
            job.series.fill(TrendSeries{100, 255, 0, 1, QStringLiteral("%")});
            job.decimalPoint = u',';
            QElapsedTimer t;
            t.start();
            const CsvOutcome outcome = exportCsv(job, [](qint64, int) { return true; });
            if (!outcome.ok)
                fail(outcome.error);
            rates << outcome.rows / (t.nsecsElapsed() / 1e9);
        }
        std::printf("CSV export of 1 million rows: %.0f rows/s (median of 3), file %.0f MiB\n",
                    percentile(rates, 50),
                    QFileInfo(dirPath + QStringLiteral("/export.csv")).size() / 1048576.0);
    }
    return 0;
}

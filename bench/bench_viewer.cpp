// The log viewer over logs of 10 thousand, 1 million and 10 million
// snapshots: open to first paint, every sort order with the date filter off,
// over nearly everything and over one day, the navigator's "last", and the
// resident memory, with the indexes of the installed schema (and, with
// --old, with the date indexes only).
//
//   bench_viewer [--sizes 10000,1000000,10000000] [--old]
//   bench_viewer --fill PATH LECTURA ESCRITURA [--old]   (makes a log and stops)

#include "bench/BenchStats.h"
#include "common/MessageBoxes.h"
#include "log/DatePicker.h"
#include "log/DbNavigator.h"
#include "log/LogGrid.h"
#include "log/TFConsulta.h"
#include "log/TFDM.h"
#include "tests/support/LogFiller.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRadioButton>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <cstdio>
#include <sqlite3.h>

namespace {

[[noreturn]] void fail(const QString &what) {
    std::fprintf(stderr, "bench_viewer: %s\n", qPrintable(what));
    std::exit(1);
}

// Resident and peak resident memory of this process, in MB.
double statusMb(const char *key) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return NAN;
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith(key))
            return line.mid(int(qstrlen(key))).trimmed().split(' ').value(0).toDouble() / 1024.0;
    return NAN;
}

// Marks the first paint of a widget after it is armed.
class PaintWatch : public QObject {
public:
    bool painted = false;
    bool eventFilter(QObject *, QEvent *e) override {
        if (e->type() == QEvent::Paint)
            painted = true;
        return false;
    }
};

struct Timing {
    double handlerMs = 0; // the click's own time on the window thread
    double totalMs = 0;   // until the first rows are in the grid
};

Timing timeClick(ResultSet &set, const std::function<void()> &click) {
    QElapsedTimer t;
    t.start();
    click();
    Timing timing;
    timing.handlerMs = t.nsecsElapsed() / 1e6;
    if (!set.waitForIdle(600000))
        fail(QStringLiteral("a fetch did not end"));
    QCoreApplication::processEvents();
    timing.totalMs = t.nsecsElapsed() / 1e6;
    return timing;
}

void runSize(qint64 rows, bool oldSchema) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Korvane.db3"));
    LogFiller::Options options;
    options.lectura = rows;
    options.escritura = std::max<qint64>(rows / 10, 1000);
    options.sortIndexes = !oldSchema;
    QElapsedTimer fillClock;
    fillClock.start();
    // In a process of its own: the filler's large page cache must not count
    // in the viewer's resident memory.
    QStringList fillArgs{QStringLiteral("--fill"), path, QString::number(options.lectura),
                         QString::number(options.escritura)};
    fillArgs << QStringLiteral("--bench");
    if (oldSchema)
        fillArgs << QStringLiteral("--old");
    if (QProcess::execute(QCoreApplication::applicationFilePath(), fillArgs) != 0)
        fail(QStringLiteral("the fill failed"));
    const double fillS = fillClock.elapsed() / 1000.0;
    const double fileMb = QFileInfo(path).size() / 1048576.0;
    std::printf("\n== %lld snapshots, %lld commands%s: file %.0f MB, filled in %.1f s\n", rows,
                options.escritura, oldSchema ? " (date indexes only)" : "", fileMb, fillS);

    const double rssBefore = statusMb("VmRSS:");
    TFDM fdm;
    PaintWatch watch;
    QElapsedTimer t;
    t.start();
    auto *viewer = new TFConsulta(fdm, path);
    viewer->Grilla_Lectura->viewport()->installEventFilter(&watch);
    viewer->show();
    while (!(watch.painted && fdm.LecturaSQL.rowCount() > 0 && !fdm.LecturaSQL.isBusy()))
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    const double firstPaintMs = t.nsecsElapsed() / 1e6;
    QCoreApplication::processEvents();
    std::printf("open to first paint %.1f ms; resident %.1f MB (%.1f MB more than before)\n",
                firstPaintMs, statusMb("VmRSS:"), statusMb("VmRSS:") - rssBefore);

    // Filters: nearly everything (from the first day, whose rows it leaves
    // out, to the last), and one day in the middle.
    const QDate firstDay = options.start.date();
    const QDate lastDay = options.start.addSecs(rows * options.stepSeconds).date();
    const QDate middle = firstDay.addDays(std::max<qint64>(1, firstDay.daysTo(lastDay) / 2));
    struct Filter {
        const char *name;
        bool on;
        QDate from, to;
    };
    const Filter filters[] = {{"off", false, firstDay, lastDay},
                              {"wide", true, firstDay, lastDay.addDays(1)},
                              {"one day", true, middle.addDays(-1), middle}};
    const char *columns[] = {"Fecha", "Valor 1", "Valor 2", "Valor 3", "Valor 4"};
    std::printf("%-10s %-8s %-5s %12s %12s\n", "sort", "filter", "dir", "handler ms", "rows in ms");
    double worstTotal = 0, worstHandler = 0;
    for (const Filter &f : filters) {
        viewer->ActivaFiltro1->setChecked(f.on);
        viewer->ActivaFiltro1Click();
        viewer->FechaDesde->setDate(f.from);
        viewer->FechaHasta->setDate(f.to);
        for (int c = 0; c < 5; ++c)
            for (bool desc : {true, false}) {
                viewer->OrdenPor->setCurrentIndex(c);
                (desc ? viewer->Desc : viewer->Asc)->setChecked(true);
                const Timing tm =
                    timeClick(fdm.LecturaSQL, [&] { viewer->btnOrdenaLecturaClick(); });
                worstTotal = std::max(worstTotal, tm.totalMs);
                worstHandler = std::max(worstHandler, tm.handlerMs);
                std::printf("%-10s %-8s %-5s %12.1f %12.1f\n", columns[c], f.name,
                            desc ? "Desc" : "Asc", tm.handlerMs, tm.totalMs);
            }
    }
    std::printf("inputs: slowest sort %.1f ms, longest click handler %.1f ms\n", worstTotal,
                worstHandler);

    // The navigator's last row, from the default opening order and from a
    // sort by value over the wide range.
    viewer->ActivaFiltro1->setChecked(false);
    viewer->ActivaFiltro1Click();
    viewer->FechaDesde->setDate(firstDay);
    viewer->FechaHasta->setDate(lastDay);
    viewer->OrdenPor->setCurrentIndex(0);
    viewer->Desc->setChecked(true);
    timeClick(fdm.LecturaSQL, [&] { viewer->btnOrdenaLecturaClick(); });
    Timing last =
        timeClick(fdm.LecturaSQL, [&] { viewer->DBNavigator1->click(DbNavigator::Last); });
    std::printf("navigator last (Fecha Desc): handler %.1f ms, row shown in %.1f ms\n",
                last.handlerMs, last.totalMs);
    viewer->ActivaFiltro1->setChecked(true);
    viewer->ActivaFiltro1Click();
    viewer->FechaHasta->setDate(lastDay.addDays(1));
    viewer->OrdenPor->setCurrentIndex(2);
    timeClick(fdm.LecturaSQL, [&] { viewer->btnOrdenaLecturaClick(); });
    last = timeClick(fdm.LecturaSQL, [&] { viewer->DBNavigator1->click(DbNavigator::Last); });
    std::printf("navigator last (Valor 2 Desc, wide filter): handler %.1f ms, row shown in "
                "%.1f ms\n",
                last.handlerMs, last.totalMs);

    double worstCommand = 0;
    for (int c = 0; c <= 9; ++c)
        for (bool desc : {true, false}) {
            viewer->OrdenPor2->setCurrentIndex(c);
            (desc ? viewer->Desc2 : viewer->Asc2)->setChecked(true);
            const Timing tm =
                timeClick(fdm.EscrituraSQL, [&] { viewer->BtnOrdenaEscrituraClick(); });
            worstCommand = std::max(worstCommand, tm.totalMs);
            worstHandler = std::max(worstHandler, tm.handlerMs);
        }
    std::printf("commands (%lld rows): slowest of the 20 sorts %.1f ms\n", options.escritura,
                worstCommand);
    std::printf("resident after everything %.1f MB, peak %.1f MB; longest click handler "
                "%.1f ms\n",
                statusMb("VmRSS:"), statusMb("VmHWM:"), worstHandler);
    viewer->close();
    QCoreApplication::processEvents();
}

} // namespace

int main(int argc, char **argv) {
    runHeadless();
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("--fill")) {
        LogFiller::Options options;
        options.lectura = args.value(3).toLongLong();
        options.escritura = args.value(4).toLongLong();
        options.sortIndexes = !args.contains(QStringLiteral("--old"));
        // Alone (a screenshot's log), the rows end where the demo's begin: now.
        if (!args.contains(QStringLiteral("--bench")))
            options.start = QDateTime::currentDateTimeUtc().addSecs(-(options.lectura + 1) *
                                                                    options.stepSeconds);
        QString error;
        if (!LogFiller::make(args.value(2), options, &error))
            fail(error);
        return 0;
    }
    QList<qint64> sizes{10'000, 1'000'000, 10'000'000};
    const int s = int(args.indexOf(QStringLiteral("--sizes")));
    if (s > 0) {
        sizes.clear();
        for (const QString &n : args.value(s + 1).split(u','))
            sizes << n.toLongLong();
    }
    const bool old = args.contains(QStringLiteral("--old"));
    MessageBoxes::setHandler([](const MessageBoxes::Box &box) -> MessageBoxes::Answer {
        fail(QStringLiteral("unexpected box: ") + box.text);
    });
    std::printf("bench_viewer: %s, %d cores, SQLite %s\n",
                qPrintable(QSysInfo::prettyProductName()), QThread::idealThreadCount(),
                sqlite3_libversion());
    for (qint64 rows : sizes)
        runSize(rows, old);
    return 0;
}

// The reports over 1 000 and 100 000 rows: time to the first page of the
// preview, and the whole report laid out as a PDF file (pages per second),
// for both reports. With --pdf, writes both reports of a log to PDF files
// (for a look at their pages) and stops.
//
//   bench_report [--sizes 1000,100000]
//   bench_report --pdf LOG.db3 OUTDIR

#include "bench/BenchStats.h"
#include "common/MessageBoxes.h"
#include "log/ReportJob.h"
#include "log/ReportOutput.h"
#include "log/ReportPreview.h"
#include "log/ReportRows.h"
#include "log/TFDM.h"
#include "log/ViewerSql.h"
#include "tests/support/LogFiller.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QPrinter>
#include <QProcess>
#include <QSysInfo>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <cstdio>
#include <ctime>
#include <sqlite3.h>

namespace {

[[noreturn]] void fail(const QString &what) {
    std::fprintf(stderr, "bench_report: %s\n", qPrintable(what));
    std::exit(1);
}

QString printDate() {
    return ReportPainter::printDate(QDateTime::currentDateTime());
}

// CPU time of the calling thread, in seconds: the machine is shared, so
// wall time alone says more about the neighbours than about the report.
double threadCpuSeconds() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return ts.tv_sec + ts.tv_nsec / 1e9;
}

struct PdfRun {
    double seconds = 0;    // wall
    double cpuSeconds = 0; // of the window thread
    qint64 pages = 0;
    double longestGapMs = 0;  // between two ticks of a 5 ms timer on the window thread
    double longestWorkMs = 0; // the thread's own CPU time in the longest such stretch
};

PdfRun writePdf(const ReportLayout &layout, ResultSet &set, const QString &path) {
    std::unique_ptr<QPrinter> printer = ReportOutput::pdfFile(path, layout);
    ReportRows rows(set.source(), set.isOpen());
    ReportJob job(layout, rows, printDate());
    // What the poll cycle's timers would see: the longest time the window
    // thread kept them waiting.
    // Under a loaded machine a gap may also be time spent waiting for a core,
    // so the thread's own CPU time between two ticks is kept as well.
    QElapsedTimer gap;
    double longestGap = 0, longestWork = 0, lastCpu = threadCpuSeconds();
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const double cpuNow = threadCpuSeconds();
        longestGap = std::max(longestGap, gap.nsecsElapsed() / 1e6);
        longestWork = std::max(longestWork, (cpuNow - lastCpu) * 1000);
        lastCpu = cpuNow;
        gap.restart();
    });
    QElapsedTimer t;
    t.start();
    gap.start();
    ticker.start(5);
    const double cpu = threadCpuSeconds();
    if (job.print(*printer, nullptr) != ReportJob::Outcome::Done)
        fail(QStringLiteral("the report did not finish"));
    return {t.nsecsElapsed() / 1e9, threadCpuSeconds() - cpu, job.pagesPrinted(), longestGap,
            longestWork};
}

double firstPreviewPageMs(const ReportLayout &layout, ResultSet &set) {
    QElapsedTimer t;
    t.start();
    ReportPreview preview(layout, set.source(), set.isOpen(), printDate());
    preview.show();
    if (!preview.waitUntilShown(600000))
        fail(QStringLiteral("no preview page"));
    QCoreApplication::processEvents();
    return t.nsecsElapsed() / 1e6;
}

void openViewerTexts(TFDM &fdm, const QString &path) {
    fdm.ensureOpen(path);
    fdm.LecturaSQL.setSQL(ViewerSql::lecturaOpening());
    fdm.LecturaSQL.open();
    fdm.EscrituraSQL.setSQL(ViewerSql::escrituraOpening());
    fdm.EscrituraSQL.open();
    fdm.LecturaSQL.waitForIdle();
    fdm.EscrituraSQL.waitForIdle();
}

} // namespace

int main(int argc, char **argv) {
    runHeadless();
    QApplication app(argc, argv);
    MessageBoxes::setHandler([](const MessageBoxes::Box &box) -> MessageBoxes::Answer {
        fail(QStringLiteral("unexpected box: ") + box.text);
    });
    const QStringList args = app.arguments();
    if (args.value(1) == QLatin1String("--pdf")) {
        TFDM fdm;
        openViewerTexts(fdm, args.value(2));
        const QString out = args.value(3);
        for (const ReportLayout &layout : {ReportLayout::inputs(), ReportLayout::commands()}) {
            ResultSet &set =
                layout.orientation == QPageLayout::Landscape ? fdm.LecturaSQL : fdm.EscrituraSQL;
            const PdfRun run = writePdf(layout, set, out + u'/' + layout.title + ".pdf");
            std::printf("%s: %lld pages in %.2f s\n", qPrintable(layout.title), run.pages,
                        run.seconds);
        }
        return 0;
    }

    QList<qint64> sizes{1000, 100'000};
    const int s = int(args.indexOf(QStringLiteral("--sizes")));
    if (s > 0) {
        sizes.clear();
        for (const QString &n : args.value(s + 1).split(u','))
            sizes << n.toLongLong();
    }
    std::printf("bench_report: %s, %d cores, SQLite %s, Qt %s\n",
                qPrintable(QSysInfo::prettyProductName()), QThread::idealThreadCount(),
                sqlite3_libversion(), qVersion());
    std::printf("%8s %-30s %14s %7s %8s %9s %12s %16s %8s %13s\n", "rows", "report",
                "first page ms", "pages", "PDF s", "pages/s", "thread CPU s", "pages/CPU second",
                "PDF MB", "longest gap ms (CPU)");
    for (qint64 rows : sizes) {
        QTemporaryDir dir;
        const QString path = dir.filePath("Korvane.db3");
        LogFiller::Options options;
        options.lectura = rows;
        options.escritura = rows;
        if (!LogFiller::make(path, options))
            fail(QStringLiteral("cannot fill ") + path);
        TFDM fdm;
        openViewerTexts(fdm, path);
        for (const ReportLayout &layout : {ReportLayout::inputs(), ReportLayout::commands()}) {
            ResultSet &set =
                layout.orientation == QPageLayout::Landscape ? fdm.LecturaSQL : fdm.EscrituraSQL;
            const double first = firstPreviewPageMs(layout, set);
            const QString pdf = dir.filePath("report.pdf");
            const PdfRun run = writePdf(layout, set, pdf);
            std::printf("%8lld %-30s %14.1f %7lld %8.2f %9.0f %12.2f %16.0f %8.1f %8.1f (%.1f)\n",
                        rows, qPrintable(layout.title), first, run.pages, run.seconds,
                        run.pages / run.seconds, run.cpuSeconds, run.pages / run.cpuSeconds,
                        QFileInfo(pdf).size() / 1048576.0, run.longestGapMs, run.longestWorkMs);
            std::fflush(stdout);
        }
    }
    return 0;
}

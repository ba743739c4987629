#include "log/ReportJob.h"

#include "common/AppError.h"
#include "log/ReportRows.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPrinter>
#include <QProgressDialog>
#include <algorithm>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {
constexpr int kSliceMs = 20;       // painting between two looks at the events
constexpr int kPagesPerBlock = 50; // rows fetched at a time, in pages

// The PDF engine grows a buffer for every page and frees it at the next;
// glibc hands such memory back to the system at once and faults it in again
// for the following page, which doubles the time per page. While a report
// is laid out the memory stays in the heap; it goes back at the end.
class KeepHeap {
public:
    KeepHeap() {
#ifdef __GLIBC__
        mallopt(M_MMAP_THRESHOLD, kKeep);
        mallopt(M_TRIM_THRESHOLD, kKeep);
#endif
    }
    ~KeepHeap() {
#ifdef __GLIBC__
        mallopt(M_TRIM_THRESHOLD, kDefault);
        mallopt(M_MMAP_THRESHOLD, kDefault);
        malloc_trim(0);
#endif
    }

private:
    static constexpr int kKeep = 64 << 20;
    static constexpr int kDefault = 128 << 10; // glibc's own starting values
};
} // namespace

ReportJob::ReportJob(const ReportLayout &layout, ReportRows &rows, const QString &printDate)
    : m_painter(layout), m_rows(rows), m_printDate(printDate) {}

void ReportJob::configure(QPrinter &printer, const ReportLayout &layout) {
    printer.setPageLayout(layout.pageLayout());
    printer.setFullPage(false);
    printer.setDocName(layout.title);
    printer.setCopyCount(1);
    printer.setDuplex(QPrinter::DuplexNone);
}

ReportJob::Outcome ReportJob::print(QPrinter &printer, QWidget *progressParent, qint64 fromPage,
                                    qint64 toPage, const Confirm &confirm) {
    m_printed = 0;
    const ReportLayout &layout = m_painter.layout();
    QProgressDialog progress(QStringLiteral("Preparando el reporte..."), QStringLiteral("Cancelar"),
                             0, 0, progressParent);
    progress.setWindowTitle(layout.title);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(1000);
    progress.setAutoReset(false);
    progress.setAutoClose(false);
    progress.setValue(0);
    auto stopped = [&progress] { return progress.wasCanceled(); };

    const ReportRows::ReplyPtr counted = m_rows.count();
    if (!ReportRows::await(counted, stopped)) {
        m_rows.cancelAll();
        return Outcome::Cancelled;
    }
    if (!counted->error.isEmpty())
        throw AppError(counted->error);
    const qint64 pages = layout.pageCount(counted->count);
    const qint64 first = std::clamp<qint64>(fromPage, 1, pages);
    const qint64 last = toPage <= 0 ? pages : std::clamp<qint64>(toPage, first, pages);
    if (confirm && !confirm(last - first + 1))
        return Outcome::Cancelled;

    const int perPage = layout.rowsPerPage();
    const int block = perPage * kPagesPerBlock;
    const KeepHeap keep;
    progress.setRange(0, int(std::min<qint64>(last - first + 1, INT_MAX)));
    progress.setLabelText(QStringLiteral("Imprimiendo \"%1\"...").arg(layout.title));

    QPainter painter;
    if (!painter.begin(&printer)) {
        if (!printer.outputFileName().isEmpty())
            throw AppError(
                QStringLiteral("No se pudo escribir el archivo %1").arg(printer.outputFileName()));
        throw AppError(
            QStringLiteral("No se pudo iniciar la impresion en %1").arg(printer.printerName()));
    }

    ReportPage page;
    page.printDate = m_printDate;
    page.columns = m_rows.columns();
    ResultRows buffer;
    bool exhausted = !m_rows.isOpen();
    ReportRows::ReplyPtr pending;
    if (!exhausted)
        pending = m_rows.at((first - 1) * perPage, block);
    ResultRow lastFetched;
    auto takeIn = [&] {
        if (!pending->error.isEmpty())
            throw AppError(pending->error);
        exhausted = pending->rows.size() < block;
        if (!pending->rows.isEmpty())
            lastFetched = pending->rows.last();
        buffer += pending->rows;
        pending.reset();
    };

    qint64 number = first;
    Outcome outcome = Outcome::Done;
    try {
        while (number <= last) {
            // The rows of the next page, waiting for their block if need be.
            if (int(buffer.size()) < perPage && !exhausted) {
                if (!pending)
                    pending = m_rows.after(lastFetched, block);
                if (!ReportRows::await(pending, stopped)) {
                    outcome = Outcome::Cancelled;
                    break;
                }
                takeIn();
                continue;
            }
            QElapsedTimer slice;
            slice.start();
            while (number <= last && (int(buffer.size()) >= perPage || exhausted) &&
                   slice.elapsed() < kSliceMs) {
                const int take = std::min<int>(perPage, int(buffer.size()));
                page.number = number;
                page.rows = buffer.mid(0, take);
                buffer.remove(0, take);
                if (number > first && !printer.newPage())
                    throw AppError(QStringLiteral("La impresora rechazo una pagina"));
                m_painter.paint(painter, page);
                ++m_printed;
                ++number;
            }
            // The next block is read while these pages are painted.
            if (!pending && !exhausted && int(buffer.size()) < block) {
                pending = m_rows.after(lastFetched, block);
            } else if (pending && pending->isDone()) {
                takeIn();
            }
            progress.setValue(int(std::min<qint64>(m_printed, INT_MAX)));
            QCoreApplication::processEvents();
            if (progress.wasCanceled()) {
                outcome = Outcome::Cancelled;
                break;
            }
        }
    } catch (...) {
        m_rows.cancelAll();
        printer.abort();
        painter.end();
        throw;
    }
    if (outcome == Outcome::Cancelled) {
        m_rows.cancelAll();
        printer.abort();
    }
    painter.end();
    return outcome;
}

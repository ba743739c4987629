#pragma once

#include "log/ReportPainter.h"

#include <functional>

class QPrinter;
class QWidget;
class ReportRows;

// Lays a report out page by page onto a printer or a PDF file. The rows
// come in blocks from the report's reader while earlier pages are painted;
// the painting goes in slices of a few milliseconds with the window's
// events in between, so the station never waits for a report. A progress
// window with a cancel button shows when the work lasts over a second.
class ReportJob {
public:
    ReportJob(const ReportLayout &layout, ReportRows &rows, const QString &printDate);

    enum class Outcome { Done, Cancelled };
    // Asked once the page count is known; false cancels.
    using Confirm = std::function<bool(qint64 pages)>;

    // Pages fromPage..toPage (from 1; 0 for the last page). Failures throw
    // AppError with a text for the operator.
    Outcome print(QPrinter &printer, QWidget *progressParent, qint64 fromPage = 1,
                  qint64 toPage = 0, const Confirm &confirm = {});
    qint64 pagesPrinted() const { return m_printed; }

    // A4, the layout's orientation, 10 mm margins, the title as the job's
    // name, one copy, no duplex.
    static void configure(QPrinter &printer, const ReportLayout &layout);

private:
    ReportPainter m_painter;
    ReportRows &m_rows;
    QString m_printDate;
    qint64 m_printed = 0;
};

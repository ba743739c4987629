#pragma once

#include <QString>
#include <functional>
#include <memory>

class QPrinter;
class QWidget;
struct ReportLayout;

// Where a report goes: the default printer, or, on a computer without any
// printer installed, a PDF file the operator names after being told so.
namespace ReportOutput {

// The default printer, nullptr when none is installed.
std::unique_ptr<QPrinter> defaultPrinter();

// The default printer; without one, the operator is told so and offered a
// PDF file (A4, the same layout). nullptr when the operator declines.
// *pdfPath receives the file's path when it is one.
std::unique_ptr<QPrinter> printerOrPdf(QWidget *parent, const ReportLayout &layout,
                                       QString *pdfPath = nullptr);

// A PDF file at path, laid out for the report.
std::unique_ptr<QPrinter> pdfFile(const QString &path, const ReportLayout &layout);

QString noPrinterQuestion();

// Tests stand in for the installed printers and for the file dialog.
using PrinterProvider = std::function<std::unique_ptr<QPrinter>()>;
using PdfPathChooser = std::function<QString(QWidget *parent, const QString &suggested)>;
void setPrinterProvider(PrinterProvider provider);
void setPdfPathChooser(PdfPathChooser chooser);

} // namespace ReportOutput

#include "log/ReportOutput.h"

#include "common/MessageBoxes.h"
#include "log/ReportJob.h"
#include "log/ReportLayout.h"

#include <QDir>
#include <QFileDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QStandardPaths>

namespace ReportOutput {
namespace {

PrinterProvider &provider() {
    static PrinterProvider p;
    return p;
}

PdfPathChooser &chooser() {
    static PdfPathChooser c;
    return c;
}

QString askForPdfPath(QWidget *parent, const QString &suggested) {
    QFileDialog dialog(parent, QStringLiteral("Guardar reporte como PDF"), suggested,
                       QStringLiteral("Documentos PDF (*.pdf)"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(QStringLiteral("pdf"));
    dialog.selectFile(suggested);
    dialog.setLabelText(QFileDialog::LookIn, QStringLiteral("Guardar en:"));
    dialog.setLabelText(QFileDialog::FileName, QStringLiteral("Nombre del archivo:"));
    dialog.setLabelText(QFileDialog::FileType, QStringLiteral("Tipo:"));
    dialog.setLabelText(QFileDialog::Accept, QStringLiteral("Guardar"));
    dialog.setLabelText(QFileDialog::Reject, QStringLiteral("Cancelar"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

} // namespace

void setPrinterProvider(PrinterProvider p) {
    provider() = std::move(p);
}

void setPdfPathChooser(PdfPathChooser c) {
    chooser() = std::move(c);
}

QString noPrinterQuestion() {
    return QStringLiteral("No hay ninguna impresora instalada en este equipo.\n"
                          "¿Desea guardar el reporte como archivo PDF?");
}

std::unique_ptr<QPrinter> defaultPrinter() {
    if (provider())
        return provider()();
    const QList<QPrinterInfo> printers = QPrinterInfo::availablePrinters();
    if (printers.isEmpty())
        return nullptr;
    QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        info = printers.first();
    return std::make_unique<QPrinter>(info, QPrinter::HighResolution);
}

std::unique_ptr<QPrinter> pdfFile(const QString &path, const ReportLayout &layout) {
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    printer->setOutputFormat(QPrinter::PdfFormat);
    printer->setOutputFileName(path);
    ReportJob::configure(*printer, layout);
    return printer;
}

std::unique_ptr<QPrinter> printerOrPdf(QWidget *parent, const ReportLayout &layout,
                                       QString *pdfPath) {
    if (std::unique_ptr<QPrinter> printer = defaultPrinter()) {
        ReportJob::configure(*printer, layout);
        return printer;
    }
    if (MessageBoxes::show(parent, MessageBoxes::Kind::Confirm, noPrinterQuestion(),
                           MessageBoxes::Buttons::YesNo) != MessageBoxes::Answer::Yes)
        return nullptr;
    QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    if (folder.isEmpty() || !QDir(folder).exists())
        folder = QDir::homePath();
    const QString suggested = folder + u'/' + layout.title + QStringLiteral(".pdf");
    QString path = chooser() ? chooser()(parent, suggested) : askForPdfPath(parent, suggested);
    if (path.isEmpty())
        return nullptr;
    if (!path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive))
        path += QStringLiteral(".pdf");
    if (pdfPath)
        *pdfPath = path;
    return pdfFile(path, layout);
}

} // namespace ReportOutput

#include "log/ReportLayout.h"

#include <QPageSize>
#include <algorithm>
#include <cmath>

namespace {

const QColor kGrey(128, 128, 128);

ReportItem text(const QString &words, double left, double top, double points, double width = 0) {
    ReportItem item;
    item.kind = ReportItem::Text;
    item.text = words;
    item.left = left;
    item.top = top;
    item.width = width;
    item.points = points;
    return item;
}

ReportItem bold(ReportItem item) {
    item.bold = true;
    return item;
}

ReportItem column(const QString &name, double left, double top, double points, double width = 0) {
    ReportItem item = text(name, left, top, points, width);
    item.kind = ReportItem::Column;
    return item;
}

ReportItem rule(double left, double right, double top, const QColor &colour) {
    ReportItem item;
    item.kind = ReportItem::Rule;
    item.left = left;
    item.right = right;
    item.top = top;
    item.colour = colour;
    return item;
}

// Title, date of printing and page number: the same in both reports but
// for the title's place and the page number's.
ReportBand headerBand(const QString &title, double titleLeft, double pageLeft, double numberLeft) {
    ReportBand band;
    band.height = 22.0;
    ReportItem heading = text(title, titleLeft, 2.1, 18);
    heading.underline = true;
    band.items << heading;
    band.items << text(QStringLiteral("Fecha de Reporte: "), 2.1, 14.8, 10);
    ReportItem date = text({}, 33.9, 14.8, 10);
    date.kind = ReportItem::PrintDate;
    band.items << date;
    ReportItem page = text(QStringLiteral("Pagina"), pageLeft, 14.8, 10);
    page.italic = true;
    page.colour = kGrey;
    band.items << page;
    ReportItem number = page;
    number.kind = ReportItem::PageNumber;
    number.text.clear();
    number.left = numberLeft;
    band.items << number;
    return band;
}

ReportBand footer(double right) {
    ReportBand band;
    band.height = 10.6;
    band.items << rule(0, right, 2.25, Qt::black);
    return band;
}

} // namespace

ReportLayout ReportLayout::inputs() {
    ReportLayout r;
    r.title = QStringLiteral("Lectura de Entradas");
    r.orientation = QPageLayout::Landscape;
    r.pageHeader =
        headerBand(QStringLiteral("REGISTROS DE LECTURA DE ENTRADAS"), 78.3, 256.1, 268.8);

    r.columnHeader.height = 12.2;
    auto &head = r.columnHeader.items;
    head << bold(text(QStringLiteral("BITS DE ENTRADA"), 104.5, 0.8, 10));
    head << bold(text(QStringLiteral("VALORES ANALOGICOS"), 218.1, 0.5, 10));
    head << bold(text(QStringLiteral("Fecha y Hora"), 1.9, 6.3, 11, 24.6));
    const double bitHeads[16] = {43.7,  54.0,  64.0,  73.8,  83.9,  93.9,  104.0, 114.0,
                                 123.8, 133.1, 143.1, 153.2, 163.2, 173.0, 183.1, 193.1};
    for (int n = 1; n <= 16; ++n)
        head << bold(text(QString::number(n), bitHeads[n - 1], 6.3, 10, n <= 9 ? 2.1 : 4.0));
    const double valueHeads[4] = {209.3, 224.4, 239.4, 254.3};
    for (int n = 1; n <= 4; ++n)
        head << bold(text(QStringLiteral("Valor %1").arg(n), valueHeads[n - 1], 6.3, 10, 12.2));

    r.detail.height = 11.6;
    auto &detail = r.detail.items;
    detail << rule(0, 277.5, 2.5, kGrey);
    detail << column(QStringLiteral("Fecha"), 2.6, 5.3, 9);
    const double bits[16] = {42.1,  52.4,  62.4,  72.2,  82.3,  92.3,  102.4, 112.4,
                             122.2, 131.0, 141.0, 151.3, 161.4, 170.9, 181.2, 191.3};
    for (int n = 1; n <= 16; ++n)
        detail << column(QStringLiteral("Bit%1").arg(n), bits[n - 1], 5.3, 9, n <= 9 ? 5.8 : 7.7);
    const double values[4] = {210.1, 224.9, 240.2, 255.3};
    for (int n = 1; n <= 4; ++n)
        detail << column(QStringLiteral("Word%1").arg(n + 2), values[n - 1], 5.6, 9, 9.8);

    r.pageFooter = footer(277.5);
    return r;
}

ReportLayout ReportLayout::commands() {
    ReportLayout r;
    r.title = QStringLiteral("Registro de Comandos Enviados");
    r.orientation = QPageLayout::Portrait;
    r.pageHeader = headerBand(QStringLiteral("REGISTROS DE COMANDOS ENVIADOS"), 36.0, 171.4, 184.2);

    r.columnHeader.height = 12.2;
    auto &head = r.columnHeader.items;
    head << bold(text(QStringLiteral("Fecha y Hora"), 6.1, 6.3, 11, 24.6));
    const double bitHeads[8] = {64.8, 79.6, 94.5, 109.8, 124.9, 139.7, 154.8, 169.6};
    for (int n = 1; n <= 8; ++n)
        head << bold(text(QString::number(n), bitHeads[n - 1], 6.3, 10, 2.1));

    r.detail.height = 10.1;
    auto &detail = r.detail.items;
    detail << rule(2.1, 188.6, 2.0, kGrey);
    detail << column(QStringLiteral("Fecha"), 6.3, 4.8, 10);
    const double bits[8] = {62.2, 77.0, 92.1, 107.4, 122.2, 137.1, 152.4, 167.2};
    for (int n = 1; n <= 8; ++n)
        detail << column(QStringLiteral("Bit%1").arg(n), bits[n - 1], 4.8, 10);

    r.pageFooter = footer(188.6);
    return r;
}

double ReportLayout::printableWidth() const {
    return (orientation == QPageLayout::Landscape ? 297.0 : 210.0) - 2 * kMarginMm;
}

double ReportLayout::printableHeight() const {
    return (orientation == QPageLayout::Landscape ? 210.0 : 297.0) - 2 * kMarginMm;
}

int ReportLayout::rowsPerPage() const {
    const double room =
        printableHeight() - pageHeader.height - columnHeader.height - pageFooter.height;
    // A hair of tolerance, so that decimal millimetres that fit exactly do.
    return std::max(1, int(std::floor(room / detail.height + 1e-9)));
}

qint64 ReportLayout::pageCount(qint64 rows) const {
    const int perPage = rowsPerPage();
    return std::max<qint64>(1, (rows + perPage - 1) / perPage);
}

QPageLayout ReportLayout::pageLayout() const {
    return QPageLayout(QPageSize(QPageSize::A4), orientation,
                       QMarginsF(kMarginMm, kMarginMm, kMarginMm, kMarginMm),
                       QPageLayout::Millimeter);
}

#pragma once

#include <QColor>
#include <QList>
#include <QPageLayout>
#include <QString>

// The banded layout of a printed log report, in millimetres from the top
// left corner of each band; bands stack down the printable area of an A4
// sheet with 10 mm margins: page header, column header, one detail band per
// row, and the page footer at the foot of the sheet.
struct ReportItem {
    enum Kind { Text, Column, PrintDate, PageNumber, Rule };
    Kind kind = Text;
    QString text; // Text: the words; Column: the result set's column
    double left = 0, top = 0;
    double width = 0; // boxes of this width hold their text centred; 0: left-aligned
    double right = 0; // rules end here
    double points = 10;
    bool bold = false, italic = false, underline = false;
    QColor colour = Qt::black;
};

struct ReportBand {
    double height = 0;
    QList<ReportItem> items;
};

struct ReportLayout {
    QString title; // of the print job and of the preview
    QPageLayout::Orientation orientation = QPageLayout::Portrait;
    ReportBand pageHeader, columnHeader, detail, pageFooter;

    static constexpr double kMarginMm = 10;
    static ReportLayout inputs();   // "Lectura de Entradas", landscape
    static ReportLayout commands(); // "Registro de Comandos Enviados", portrait

    double printableWidth() const;  // 277 or 190
    double printableHeight() const; // 190 or 277
    // Detail bands between the column header and the page footer.
    int rowsPerPage() const;
    // A report over no rows still has one page.
    qint64 pageCount(qint64 rows) const;
    QPageLayout pageLayout() const;
};

#pragma once

#include "log/ReportLayout.h"
#include "log/RowReader.h"

#include <QDateTime>
#include <QFont>
#include <QImage>
#include <QStringList>
#include <QVector>

class QPainter;

// What one page of a report shows.
struct ReportPage {
    qint64 number = 1;
    QString printDate;
    QStringList columns; // names of the rows' values, in order
    LogRows rows;        // none: one detail band with empty fields
};

// Paints the pages of one report layout with QPainter, on a printer, a PDF
// writer or a picture alike: positions in millimetres, fonts in points,
// both taken to the device's own resolution.
class ReportPainter {
public:
    explicit ReportPainter(const ReportLayout &layout);

    const ReportLayout &layout() const { return m_layout; }

    // One page, the painter's origin at the top left corner of the printable
    // area (inside the margins).
    void paint(QPainter &painter, const ReportPage &page);
    // The whole sheet, margins included, as a picture at `dpi` dots per inch.
    QImage render(const ReportPage &page, double dpi);

    // The date and time of printing: the system's short date format, then
    // its long time format.
    static QString printDate(const QDateTime &when);

private:
    struct Fonts {
        QVector<QFont> pageHeader, columnHeader, detail, pageFooter;
    };
    void paintBand(QPainter &painter, const ReportBand &band, const QVector<QFont> &fonts,
                   double top, const ReportPage &page, const LogRow *row);
    QString columnText(const LogRow *row, const QString &name, const ReportPage &page);

    const ReportLayout m_layout;
    Fonts m_fonts;
    double m_scale = 1; // device pixels per millimetre
    QStringList m_columns;
    QHash<QString, int> m_columnIndex;
};

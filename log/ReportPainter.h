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
    ResultRows rows;     // none: one detail band with empty fields
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
    // An element's font, with what is measured once per device.
    struct Face {
        QFont font;
        double ascent = 0;
        QHash<QString, double> widths; // text centred in a box
    };
    struct Band {
        const ReportBand *band;
        QVector<int> faces; // per item, into m_faces
    };
    Band prepare(const ReportBand &band);
    void measure(QPainter &painter);
    void paintBand(QPainter &painter, const Band &band, double top, const ReportPage &page,
                   const ResultRow *row);
    QString columnText(const ResultRow *row, const QString &name, const ReportPage &page);

    const ReportLayout m_layout;
    QVector<Face> m_faces;
    Band m_pageHeader, m_columnHeader, m_detail, m_pageFooter;
    double m_scale = 0; // device pixels per millimetre
    int m_face = -1;    // set on the painter now
    QColor m_colour;
    QStringList m_columns;
    QHash<QString, int> m_columnIndex;
};

#include "log/ReportPainter.h"

#include "log/ViewerFonts.h"

#include <QLocale>
#include <QPageSize>
#include <QPaintDevice>
#include <QPainter>

namespace {
constexpr double kRuleMm = 0.2;
} // namespace

ReportPainter::ReportPainter(const ReportLayout &layout) : m_layout(layout) {
    m_pageHeader = prepare(m_layout.pageHeader);
    m_columnHeader = prepare(m_layout.columnHeader);
    m_detail = prepare(m_layout.detail);
    m_pageFooter = prepare(m_layout.pageFooter);
}

// Elements of the same font share one face.
ReportPainter::Band ReportPainter::prepare(const ReportBand &band) {
    Band b{&band, {}};
    for (const ReportItem &item : band.items) {
        QFont f = ViewerFonts::arial(item.points, item.bold);
        f.setItalic(item.italic);
        f.setUnderline(item.underline);
        int face = -1;
        for (int i = 0; i < m_faces.size() && face < 0; ++i)
            if (m_faces[i].font == f)
                face = i;
        if (face < 0) {
            face = int(m_faces.size());
            m_faces.append(Face{f, 0, {}});
        }
        b.faces.append(face);
    }
    return b;
}

// Fonts in points are measured on the device itself, whose resolution also
// gives the millimetre.
void ReportPainter::measure(QPainter &painter) {
    const double scale = painter.device()->logicalDpiY() / 25.4;
    if (scale == m_scale)
        return;
    m_scale = scale;
    for (Face &face : m_faces) {
        face.ascent = QFontMetricsF(face.font, painter.device()).ascent();
        face.widths.clear();
    }
}

QString ReportPainter::printDate(const QDateTime &when) {
    const QLocale locale = QLocale::system();
    return locale.toString(when.date(), QLocale::ShortFormat) + u' ' +
           locale.toString(when.time(), QLocale::LongFormat);
}

QString ReportPainter::columnText(const ResultRow *row, const QString &name,
                                  const ReportPage &page) {
    if (!row)
        return {};
    if (page.columns != m_columns) {
        m_columns = page.columns;
        m_columnIndex.clear();
        for (int i = 0; i < m_columns.size(); ++i)
            m_columnIndex.insert(m_columns[i].toLower(), i);
    }
    const int i = m_columnIndex.value(name.toLower(), -1);
    return i >= 0 && i < row->values.size() ? row->values[i].toString() : QString();
}

void ReportPainter::paintBand(QPainter &painter, const Band &band, double top,
                              const ReportPage &page, const ResultRow *row) {
    const QList<ReportItem> &items = band.band->items;
    for (int i = 0; i < items.size(); ++i) {
        const ReportItem &item = items[i];
        if (item.colour != m_colour) {
            m_colour = item.colour;
            QPen pen(item.colour);
            pen.setWidthF(kRuleMm * m_scale);
            painter.setPen(pen);
        }
        if (item.kind == ReportItem::Rule) {
            const double y = (top + item.top) * m_scale;
            painter.drawLine(QPointF(item.left * m_scale, y), QPointF(item.right * m_scale, y));
            continue;
        }
        QString words;
        switch (item.kind) {
        case ReportItem::Text:
            words = item.text;
            break;
        case ReportItem::Column:
            words = columnText(row, item.text, page);
            break;
        case ReportItem::PrintDate:
            words = page.printDate;
            break;
        case ReportItem::PageNumber:
            words = QString::number(page.number);
            break;
        case ReportItem::Rule:
            break;
        }
        if (words.isEmpty())
            continue;
        Face &face = m_faces[band.faces[i]];
        if (band.faces[i] != m_face) {
            m_face = band.faces[i];
            painter.setFont(face.font);
        }
        double left = item.left * m_scale;
        if (item.width > 0) {
            // Centred in its box; the few texts of a report are measured once.
            auto width = face.widths.constFind(words);
            if (width == face.widths.cend())
                width = face.widths.insert(words, painter.fontMetrics().horizontalAdvance(words));
            left += (item.width * m_scale - *width) / 2;
        }
        painter.drawText(QPointF(left, (top + item.top) * m_scale + face.ascent), words);
    }
}

void ReportPainter::paint(QPainter &painter, const ReportPage &page) {
    measure(painter);
    painter.save();
    m_face = -1;
    m_colour = QColor();
    double top = 0;
    paintBand(painter, m_pageHeader, top, page, nullptr);
    top += m_layout.pageHeader.height;
    paintBand(painter, m_columnHeader, top, page, nullptr);
    top += m_layout.columnHeader.height;
    if (page.rows.isEmpty()) {
        paintBand(painter, m_detail, top, page, nullptr);
    } else {
        for (const ResultRow &row : page.rows) {
            paintBand(painter, m_detail, top, page, &row);
            top += m_layout.detail.height;
        }
    }
    paintBand(painter, m_pageFooter, m_layout.printableHeight() - m_layout.pageFooter.height, page,
              nullptr);
    painter.restore();
}

QImage ReportPainter::render(const ReportPage &page, double dpi) {
    const QSizeF sheet = m_layout.pageLayout().fullRect(QPageLayout::Millimeter).size();
    const double perMm = dpi / 25.4;
    QImage image(QSize(qRound(sheet.width() * perMm), qRound(sheet.height() * perMm)),
                 QImage::Format_RGB32);
    image.setDotsPerMeterX(qRound(dpi / 0.0254));
    image.setDotsPerMeterY(qRound(dpi / 0.0254));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(ReportLayout::kMarginMm * perMm, ReportLayout::kMarginMm * perMm);
    paint(painter, page);
    return image;
}

#include "log/ReportPainter.h"

#include "log/ViewerFonts.h"

#include <QLocale>
#include <QPageSize>
#include <QPaintDevice>
#include <QPainter>

namespace {

QVector<QFont> fontsOf(const ReportBand &band) {
    QVector<QFont> fonts;
    for (const ReportItem &item : band.items) {
        QFont f = ViewerFonts::arial(item.points, item.bold);
        f.setItalic(item.italic);
        f.setUnderline(item.underline);
        fonts.append(f);
    }
    return fonts;
}

constexpr double kRuleMm = 0.2;

} // namespace

ReportPainter::ReportPainter(const ReportLayout &layout) : m_layout(layout) {
    m_fonts.pageHeader = fontsOf(layout.pageHeader);
    m_fonts.columnHeader = fontsOf(layout.columnHeader);
    m_fonts.detail = fontsOf(layout.detail);
    m_fonts.pageFooter = fontsOf(layout.pageFooter);
}

QString ReportPainter::printDate(const QDateTime &when) {
    const QLocale locale = QLocale::system();
    return locale.toString(when.date(), QLocale::ShortFormat) + u' ' +
           locale.toString(when.time(), QLocale::LongFormat);
}

QString ReportPainter::columnText(const LogRow *row, const QString &name, const ReportPage &page) {
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

void ReportPainter::paintBand(QPainter &painter, const ReportBand &band,
                              const QVector<QFont> &fonts, double top, const ReportPage &page,
                              const LogRow *row) {
    for (int i = 0; i < band.items.size(); ++i) {
        const ReportItem &item = band.items[i];
        if (item.kind == ReportItem::Rule) {
            QPen pen(item.colour);
            pen.setWidthF(kRuleMm * m_scale);
            painter.setPen(pen);
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
        painter.setFont(fonts[i]);
        painter.setPen(item.colour);
        const double height = painter.fontMetrics().height();
        const double left = item.left * m_scale;
        const double y = (top + item.top) * m_scale;
        const int flags = Qt::AlignTop | Qt::TextDontClip | Qt::TextSingleLine;
        if (item.width > 0)
            painter.drawText(QRectF(left, y, item.width * m_scale, height),
                             flags | Qt::AlignHCenter, words);
        else
            painter.drawText(QRectF(left, y, 1, height), flags | Qt::AlignLeft, words);
    }
}

void ReportPainter::paint(QPainter &painter, const ReportPage &page) {
    const QPaintDevice *device = painter.device();
    m_scale = device->logicalDpiY() / 25.4;
    painter.save();
    double top = 0;
    paintBand(painter, m_layout.pageHeader, m_fonts.pageHeader, top, page, nullptr);
    top += m_layout.pageHeader.height;
    paintBand(painter, m_layout.columnHeader, m_fonts.columnHeader, top, page, nullptr);
    top += m_layout.columnHeader.height;
    if (page.rows.isEmpty()) {
        paintBand(painter, m_layout.detail, m_fonts.detail, top, page, nullptr);
    } else {
        for (const LogRow &row : page.rows) {
            paintBand(painter, m_layout.detail, m_fonts.detail, top, page, &row);
            top += m_layout.detail.height;
        }
    }
    paintBand(painter, m_layout.pageFooter, m_fonts.pageFooter,
              m_layout.printableHeight() - m_layout.pageFooter.height, page, nullptr);
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

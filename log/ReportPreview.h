#pragma once

#include "log/ReportPainter.h"
#include "log/ReportRows.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QLabel;
class QPrinter;
class QScrollArea;
class QSpinBox;
class QToolButton;
class QPushButton;

// The preview of a report: one page at a time, painted when it is shown
// and never kept beyond it, so a report of any length opens at once and
// holds one picture. The page count comes as soon as the rows are counted.
// "Configurar impresora" chooses the printer and the pages; "Imprimir"
// prints them (all, on the default printer or a PDF file, when nothing was
// set up).
class ReportPreview : public QDialog {
    Q_OBJECT
public:
    ReportPreview(const ReportLayout &layout, const RowSource &source, bool open,
                  const QString &printDate, QWidget *parent = nullptr);
    ~ReportPreview() override;

    qint64 pageCount() const { return m_pageCount; } // 0 until the rows are counted
    qint64 currentPage() const { return m_shown; }   // 0 until a page is shown
    bool isLoading() const { return m_loading != nullptr || m_counting != nullptr; }
    const QImage &pageImage() const { return m_image; }
    QString statusText() const;

    void showPage(qint64 number);
    void firstPage();
    void priorPage();
    void nextPage();
    void lastPage();
    void ConfigurarClick();
    void ImprimirClick();

    // What "Configurar impresora" leaves (tests set it directly).
    void setConfiguredPrinter(std::unique_ptr<QPrinter> printer);
    // Takes in what is being read, for up to timeoutMs.
    bool waitUntilShown(int timeoutMs = 30000);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void takeReplies();
    void render();
    void updateControls();
    double renderDpi() const;

    ReportLayout m_layout;
    ReportPainter m_painter;
    ReportRows m_rows;    // the pages shown
    ReportRows m_counter; // the count, apart so that paging never stops it
    RowSource m_source;
    bool m_open;
    QString m_printDate;

    qint64 m_pageCount = 0;
    qint64 m_shown = 0;
    qint64 m_wanted = 1;
    bool m_wantLast = false;
    ReportPage m_page;
    QImage m_image;
    ReportRows::ReplyPtr m_counting;
    ReportRows::ReplyPtr m_loading;
    qint64 m_loadingNumber = 0;
    std::unique_ptr<QPrinter> m_setup;

    QToolButton *m_first, *m_prior, *m_next, *m_last;
    QSpinBox *m_pageBox;
    QLabel *m_status;
    QComboBox *m_zoom;
    QPushButton *m_configurar, *m_imprimir, *m_cerrar;
    QScrollArea *m_scroll;
    QLabel *m_sheet;
};

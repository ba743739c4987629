#include "log/ReportPreview.h"

#include "common/AppError.h"
#include "common/Guard.h"
#include "common/MessageBoxes.h"
#include "log/ReportJob.h"
#include "log/ReportOutput.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScopeGuard>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpinBox>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

ReportPreview::ReportPreview(const ReportLayout &layout, const RowSource &source, bool open,
                             const QString &printDate, QWidget *parent)
    : QDialog(parent), m_layout(layout), m_painter(layout), m_rows(source, open),
      m_counter(source, open), m_source(source), m_open(open), m_printDate(printDate) {
    setObjectName(QStringLiteral("VistaPreliminar"));
    setWindowTitle(layout.title);
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);

    auto tool = [this](QStyle::StandardPixmap icon, const QString &hint, const char *name) {
        auto *b = new QToolButton(this);
        b->setObjectName(QLatin1String(name));
        b->setIcon(style()->standardIcon(icon));
        b->setToolTip(hint);
        b->setAutoRaise(true);
        return b;
    };
    m_first = tool(QStyle::SP_MediaSkipBackward, QStringLiteral("Primera pagina"), "Primera");
    m_prior = tool(QStyle::SP_MediaSeekBackward, QStringLiteral("Pagina anterior"), "Anterior");
    m_next = tool(QStyle::SP_MediaSeekForward, QStringLiteral("Pagina siguiente"), "Siguiente");
    m_last = tool(QStyle::SP_MediaSkipForward, QStringLiteral("Ultima pagina"), "Ultima");
    m_pageBox = new QSpinBox(this);
    m_pageBox->setObjectName(QStringLiteral("NumeroPagina"));
    m_pageBox->setRange(1, 1);
    m_pageBox->setKeyboardTracking(false);
    m_status = new QLabel(this);
    m_status->setObjectName(QStringLiteral("EstadoPagina"));
    m_zoom = new QComboBox(this);
    m_zoom->setObjectName(QStringLiteral("Zoom"));
    m_zoom->addItems({QStringLiteral("Ancho de pagina"), QStringLiteral("Pagina entera"),
                      QStringLiteral("100%")});
    m_configurar = new QPushButton(QStringLiteral("Configurar impresora"), this);
    m_configurar->setObjectName(QStringLiteral("Configurar"));
    m_imprimir = new QPushButton(QStringLiteral("Imprimir"), this);
    m_imprimir->setObjectName(QStringLiteral("Imprimir"));
    m_cerrar = new QPushButton(QStringLiteral("Cerrar"), this);
    m_cerrar->setObjectName(QStringLiteral("Cerrar"));

    auto *bar = new QHBoxLayout;
    for (QWidget *w :
         std::initializer_list<QWidget *>{m_first, m_prior, m_pageBox, m_status, m_next, m_last})
        bar->addWidget(w);
    bar->addSpacing(16);
    bar->addWidget(m_zoom);
    bar->addStretch();
    bar->addWidget(m_configurar);
    bar->addWidget(m_imprimir);
    bar->addWidget(m_cerrar);

    m_sheet = new QLabel;
    m_sheet->setAlignment(Qt::AlignCenter);
    m_scroll = new QScrollArea(this);
    m_scroll->setWidget(m_sheet);
    m_scroll->setWidgetResizable(true);
    m_scroll->setAlignment(Qt::AlignCenter);
    m_scroll->setBackgroundRole(QPalette::Dark);

    auto *layoutBox = new QVBoxLayout(this);
    layoutBox->addLayout(bar);
    layoutBox->addWidget(m_scroll, 1);

    connect(m_first, &QToolButton::clicked, this, &ReportPreview::firstPage);
    connect(m_prior, &QToolButton::clicked, this, &ReportPreview::priorPage);
    connect(m_next, &QToolButton::clicked, this, &ReportPreview::nextPage);
    connect(m_last, &QToolButton::clicked, this, &ReportPreview::lastPage);
    connect(m_pageBox, &QSpinBox::valueChanged, this, [this](int n) {
        if (n != m_shown && n != m_loadingNumber)
            showPage(n);
    });
    connect(m_zoom, &QComboBox::currentIndexChanged, this, &ReportPreview::render);
    connect(m_configurar, &QPushButton::clicked, this, &ReportPreview::ConfigurarClick);
    connect(m_imprimir, &QPushButton::clicked, this, &ReportPreview::ImprimirClick);
    connect(m_cerrar, &QPushButton::clicked, this, &QDialog::accept);
    connect(&m_rows, &ReportRows::replied, this, &ReportPreview::takeReplies);
    connect(&m_counter, &ReportRows::replied, this, &ReportPreview::takeReplies);

    if (const QScreen *screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        resize(std::min(area.width() * 9 / 10, 1100), area.height() * 9 / 10);
        move(area.center() - rect().center());
    } else {
        resize(1000, 720);
    }

    m_counting = m_counter.count();
    showPage(1);
    takeReplies();
}

ReportPreview::~ReportPreview() {
    m_rows.cancelAll();
    m_counter.cancelAll();
}

QString ReportPreview::statusText() const {
    const QString of = m_pageCount > 0 ? QString::number(m_pageCount) : QStringLiteral("...");
    QString text = QStringLiteral("de %1").arg(of);
    if (m_loading)
        text += QStringLiteral("   Cargando pagina %1...").arg(m_loadingNumber);
    return text;
}

// Pages next to the one shown are read from its first or last row; any
// other from its place in the result.
void ReportPreview::showPage(qint64 number) {
    number = std::max<qint64>(1, number);
    if (m_pageCount > 0)
        number = std::min(number, m_pageCount);
    if (m_loading && m_loadingNumber == number)
        return;
    const int perPage = m_layout.rowsPerPage();
    if (m_loading)
        m_rows.cancelAll();
    m_loadingNumber = number;
    if (m_shown > 0 && number == m_shown + 1 && int(m_page.rows.size()) == perPage)
        m_loading = m_rows.after(m_page.rows.last(), perPage);
    else if (m_shown > 1 && number == m_shown - 1 && !m_page.rows.isEmpty())
        m_loading = m_rows.before(m_page.rows.first(), perPage);
    else
        m_loading = m_rows.at((number - 1) * perPage, perPage);
    updateControls();
    if (m_loading->isDone())
        takeReplies();
}

void ReportPreview::takeReplies() {
    if (m_counting && m_counting->isDone()) {
        const ReportRows::ReplyPtr counted = std::move(m_counting);
        if (!counted->error.isEmpty()) {
            MessageBoxes::error(this, counted->error);
        } else {
            m_pageCount = m_layout.pageCount(counted->count);
            m_pageBox->setMaximum(int(std::min<qint64>(m_pageCount, INT_MAX)));
            // Pages asked for before the count came may lie past the end.
            if (m_wantLast || m_shown > m_pageCount || m_loadingNumber > m_pageCount) {
                m_wantLast = false;
                showPage(m_pageCount);
            }
        }
    }
    if (m_loading && m_loading->isDone()) {
        const ReportRows::ReplyPtr loaded = std::move(m_loading);
        if (loaded->cancelled) {
            updateControls();
            return;
        }
        if (!loaded->error.isEmpty()) {
            MessageBoxes::error(this, loaded->error);
        } else {
            m_page.number = m_loadingNumber;
            m_page.printDate = m_printDate;
            m_page.columns = m_rows.columns();
            m_page.rows = loaded->rows;
            m_shown = m_loadingNumber;
            render();
        }
    }
    updateControls();
}

double ReportPreview::renderDpi() const {
    const QSizeF sheet = m_layout.pageLayout().fullRect(QPageLayout::Millimeter).size() / 25.4;
    const QSize room = m_scroll->viewport()->size() - QSize(24, 24);
    switch (m_zoom->currentIndex()) {
    case 0:
        return std::max(30.0, room.width() / sheet.width());
    case 1:
        return std::max(30.0,
                        std::min(room.width() / sheet.width(), room.height() / sheet.height()));
    default:
        return logicalDpiY();
    }
}

void ReportPreview::render() {
    if (m_shown == 0)
        return;
    m_image = m_painter.render(m_page, renderDpi());
    m_sheet->setPixmap(QPixmap::fromImage(m_image));
}

void ReportPreview::updateControls() {
    const bool known = m_pageCount > 0;
    m_first->setEnabled(m_shown > 1);
    m_prior->setEnabled(m_shown > 1);
    m_next->setEnabled(!known || m_shown < m_pageCount);
    m_last->setEnabled(!known || m_shown < m_pageCount);
    if (m_shown > 0) {
        const QSignalBlocker block(m_pageBox);
        m_pageBox->setValue(int(std::min<qint64>(m_shown, INT_MAX)));
    }
    m_status->setText(statusText());
}

void ReportPreview::firstPage() {
    showPage(1);
}

void ReportPreview::priorPage() {
    showPage((m_loading ? m_loadingNumber : m_shown) - 1);
}

void ReportPreview::nextPage() {
    showPage((m_loading ? m_loadingNumber : m_shown) + 1);
}

void ReportPreview::lastPage() {
    if (m_pageCount > 0) {
        showPage(m_pageCount);
        return;
    }
    m_wantLast = true; // as soon as the rows are counted
}

bool ReportPreview::waitUntilShown(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (m_loading || m_counting || m_wantLast) {
        if (deadline.hasExpired())
            return false;
        const ReportRows::ReplyPtr reply = m_loading ? m_loading : m_counting;
        if (reply)
            reply->waitFor(10);
        takeReplies();
        if (!m_loading && !m_counting && m_wantLast)
            return false;
    }
    return true;
}

void ReportPreview::setConfiguredPrinter(std::unique_ptr<QPrinter> printer) {
    m_setup = std::move(printer);
}

void ReportPreview::ConfigurarClick() {
    std::unique_ptr<QPrinter> printer = std::move(m_setup);
    if (!printer) {
        printer = ReportOutput::defaultPrinter();
        if (!printer)
            printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        ReportJob::configure(*printer, m_layout);
    }
    QPrintDialog dialog(printer.get(), this);
    dialog.setWindowTitle(QStringLiteral("Configurar impresora"));
    dialog.setOptions(QAbstractPrintDialog::PrintPageRange | QAbstractPrintDialog::PrintToFile |
                      QAbstractPrintDialog::PrintShowPageSize);
    dialog.setMinMax(1, int(std::min<qint64>(std::max<qint64>(m_pageCount, 1), INT_MAX)));
    if (dialog.exec() == QDialog::Accepted)
        m_setup = std::move(printer);
}

void ReportPreview::ImprimirClick() {
    guarded(this, [&] {
        QString pdf;
        std::unique_ptr<QPrinter> printer;
        qint64 from = 1, to = 0;
        if (m_setup) {
            // The set-up printer, in the report's layout whatever paper was chosen.
            m_setup->setPageLayout(m_layout.pageLayout());
            m_setup->setFullPage(false);
            m_setup->setDocName(m_layout.title);
            if (m_setup->printRange() == QPrinter::PageRange) {
                from = m_setup->fromPage();
                to = m_setup->toPage();
            }
        } else {
            printer = ReportOutput::printerOrPdf(this, m_layout, &pdf);
            if (!printer)
                return;
        }
        // These wait meanwhile: a second print would start inside the first.
        m_imprimir->setEnabled(false);
        m_configurar->setEnabled(false);
        const auto again = qScopeGuard([this] {
            m_imprimir->setEnabled(true);
            m_configurar->setEnabled(true);
        });
        ReportRows rows(m_source, m_open);
        ReportJob job(m_layout, rows, m_printDate);
        QPrinter &target = m_setup ? *m_setup : *printer;
        if (job.print(target, this, from, to) == ReportJob::Outcome::Done && !pdf.isEmpty())
            MessageBoxes::information(
                this, QStringLiteral("El reporte se guardo en el archivo %1").arg(pdf));
    });
}

void ReportPreview::resizeEvent(QResizeEvent *event) {
    QDialog::resizeEvent(event);
    if (m_zoom->currentIndex() != 2)
        render();
}

void ReportPreview::keyPressEvent(QKeyEvent *event) {
    switch (event->key()) {
    case Qt::Key_PageDown:
        nextPage();
        return;
    case Qt::Key_PageUp:
        priorPage();
        return;
    case Qt::Key_Home:
        if (event->modifiers() & Qt::ControlModifier) {
            firstPage();
            return;
        }
        break;
    case Qt::Key_End:
        if (event->modifiers() & Qt::ControlModifier) {
            lastPage();
            return;
        }
        break;
    default:
        break;
    }
    QDialog::keyPressEvent(event);
}

#include "log/TFTendencias.h"

#include "app/RuntimeSettings.h"
#include "common/AppInfo.h"
#include "common/MessageBoxes.h"
#include "common/PixelFont.h"
#include "log/CsvExport.h"
#include "log/TrendPlot.h"
#include "log/TrendSeries.h"
#include "log/TrendTime.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDateTimeEdit>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLocale>
#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressDialog>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QChar systemDecimalPoint() {
    const QString point = QLocale::system().decimalPoint();
    return point.isEmpty() ? QChar(u'.') : point.at(0);
}

QString stamp() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd_HHmm"));
}

QString withSuffix(QString path, const QString &suffix) {
    if (!path.isEmpty() && QFileInfo(path).suffix().isEmpty())
        path += u'.' + suffix;
    return path;
}

} // namespace

TFTendencias::TFTendencias(const RuntimeSettings &settings, QWidget *parent)
    : QWidget(parent, Qt::Window), m_settings(settings),
      m_loader(std::make_unique<TrendLoader>(settings.databasePath())) {
    setObjectName(QStringLiteral("FTendencias"));
    setWindowTitle(QStringLiteral("Tendencias"));
    m_lastDir = QDir::homePath();
    m_chooseFile = [this](const QString &caption, const QString &suggested, const QString &filter) {
        return QFileDialog::getSaveFileName(this, caption, suggested, filter);
    };
    createControls();

    m_reload.setSingleShot(true);
    m_reload.setInterval(150);
    connect(&m_reload, &QTimer::timeout, this, &TFTendencias::requestLoad);
    m_liveTimer.setInterval(1000);
    connect(&m_liveTimer, &QTimer::timeout, this, &TFTendencias::liveTick);
    connect(m_loader.get(), &TrendLoader::loaded, this, &TFTendencias::onLoaded);
    connect(m_loader.get(), &TrendLoader::newRows, this, [this] {
        if (m_live)
            m_reload.start();
    });

    applySeries();
    Grafico->setNotice(QStringLiteral("Cargando..."));
    showLast(86400);
    m_liveTimer.start();
}

TFTendencias::~TFTendencias() {
    m_liveTimer.stop();
    m_export.reset(); // calls off an export under way
    m_loader.reset();
}

void TFTendencias::createControls() {
    resize(1100, 760);
    setFont(pixelFont(QStringLiteral("Arial"), 12));
    auto *outer = new QVBoxLayout(this);

    auto button = [this](const QString &caption, const char *name) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QLatin1String(name));
        b->setCursor(Qt::PointingHandCursor);
        return b;
    };
    auto picker = [this](const char *name) {
        auto *e = new QDateTimeEdit(this);
        e->setObjectName(QLatin1String(name));
        e->setDisplayFormat(QStringLiteral("dd/MM/yyyy HH:mm:ss"));
        e->setCalendarPopup(true);
        return e;
    };

    auto *range = new QHBoxLayout;
    range->addWidget(new QLabel(QStringLiteral("Desde:"), this));
    Desde = picker("Desde");
    range->addWidget(Desde);
    range->addWidget(new QLabel(QStringLiteral("Hasta:"), this));
    Hasta = picker("Hasta");
    range->addWidget(Hasta);
    range->addSpacing(12);
    BtnHora = button(QStringLiteral("Última hora"), "BtnHora");
    BtnDia = button(QStringLiteral("Último día"), "BtnDia");
    BtnSemana = button(QStringLiteral("Última semana"), "BtnSemana");
    BtnTodo = button(QStringLiteral("Todo"), "BtnTodo");
    for (QPushButton *b : {BtnHora, BtnDia, BtnSemana, BtnTodo})
        range->addWidget(b);
    range->addSpacing(12);
    LblVivo = new QLabel(QStringLiteral("EN VIVO"), this);
    LblVivo->setObjectName(QStringLiteral("LblVivo"));
    LblVivo->setFont(pixelFont(QStringLiteral("Arial"), 12, true));
    LblVivo->setStyleSheet(QStringLiteral("color: rgb(0, 140, 0);"));
    LblVivo->setToolTip(QStringLiteral("El gráfico sigue los registros a medida que se guardan"));
    range->addWidget(LblVivo);
    range->addStretch();
    outer->addLayout(range);

    auto *actions = new QHBoxLayout;
    for (int k = 0; k < 4; ++k) {
        auto *c = new QCheckBox(this);
        c->setObjectName(QStringLiteral("ChkValor%1").arg(k + 1));
        c->setStyleSheet(QStringLiteral("QCheckBox { color: %1; font-weight: bold; }")
                             .arg(TrendPlot::seriesColour(k).darker(120).name()));
        connect(c, &QCheckBox::toggled, this,
                [this, k](bool on) { Grafico->setSeriesVisible(k, on); });
        ChkValor[size_t(k)] = c;
        actions->addWidget(c);
    }
    actions->addStretch();
    BtnExportar = button(QStringLiteral("Exportar CSV"), "BtnExportar");
    BtnExportarComandos = button(QStringLiteral("Exportar Comandos CSV"), "BtnExportarComandos");
    BtnImagen = button(QStringLiteral("Guardar Imagen"), "BtnImagen");
    BtnImprimir = button(QStringLiteral("Imprimir"), "BtnImprimir");
    BtnCerrar = button(QStringLiteral("Cerrar"), "BtnCerrar");
    for (QPushButton *b : {BtnExportar, BtnExportarComandos, BtnImagen, BtnImprimir, BtnCerrar})
        actions->addWidget(b);
    outer->addLayout(actions);

    Grafico = new TrendPlot(this);
    Grafico->installEventFilter(this);
    outer->addWidget(Grafico, 1);

    auto *status = new QHBoxLayout;
    LblCursor = new QLabel(this);
    LblCursor->setObjectName(QStringLiteral("LblCursor"));
    LblCursor->setTextInteractionFlags(Qt::TextSelectableByMouse);
    LblEstado = new QLabel(this);
    LblEstado->setObjectName(QStringLiteral("LblEstado"));
    LblEstado->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    status->addWidget(LblCursor, 1);
    status->addWidget(LblEstado);
    outer->addLayout(status);

    connect(BtnHora, &QPushButton::clicked, this, &TFTendencias::BtnHoraClick);
    connect(BtnDia, &QPushButton::clicked, this, &TFTendencias::BtnDiaClick);
    connect(BtnSemana, &QPushButton::clicked, this, &TFTendencias::BtnSemanaClick);
    connect(BtnTodo, &QPushButton::clicked, this, &TFTendencias::BtnTodoClick);
    connect(BtnExportar, &QPushButton::clicked, this, &TFTendencias::BtnExportarClick);
    connect(BtnExportarComandos, &QPushButton::clicked, this,
            &TFTendencias::BtnExportarComandosClick);
    connect(BtnImagen, &QPushButton::clicked, this, &TFTendencias::BtnImagenClick);
    connect(BtnImprimir, &QPushButton::clicked, this, &TFTendencias::BtnImprimirClick);
    connect(BtnCerrar, &QPushButton::clicked, this, &QWidget::close);
    connect(Desde, &QDateTimeEdit::dateTimeChanged, this, &TFTendencias::pickersChanged);
    connect(Hasta, &QDateTimeEdit::dateTimeChanged, this, &TFTendencias::pickersChanged);
    connect(Grafico, &TrendPlot::viewChanged, this,
            [this](qint64 from, qint64 to) { setView(from, to, true); });
    connect(Grafico, &TrendPlot::cursorMoved, LblCursor, &QLabel::setText);

    // Panels in use are shown; with none in use, all four.
    bool any = false;
    for (const auto &panel : m_settings.Panels)
        any = any || RuntimeSettings::isOn(panel.Enabled);
    for (int k = 0; k < 4; ++k) {
        const bool on = !any || RuntimeSettings::isOn(m_settings.Panels[size_t(k)].Enabled);
        ChkValor[size_t(k)]->setChecked(on);
        Grafico->setSeriesVisible(k, on);
    }
}

// The panels' current scaling, read again at every load: the editor's save
// may have changed it.
void TFTendencias::applySeries() {
    const auto series = TrendSeries::fromSettings(m_settings);
    for (int k = 0; k < 4; ++k)
        ChkValor[size_t(k)]->setText(series[size_t(k)].label(k + 1));
    Grafico->setSeries(series, systemDecimalPoint());
}

qint64 TFTendencias::viewFrom() const {
    return Grafico->viewFrom();
}

qint64 TFTendencias::viewTo() const {
    return Grafico->viewTo();
}

// A range the operator chose is read at once; zooming, panning and typing
// in the pickers wait a moment for the next change.
void TFTendencias::showRange(qint64 from, qint64 to) {
    m_wholeLog = false;
    Grafico->resetValueZoom();
    setView(from, to, false);
    m_reload.stop();
    requestLoad();
}

void TFTendencias::showLast(qint64 seconds) {
    const qint64 now = TrendTime::now();
    showRange(now - seconds, now);
}

void TFTendencias::showAll() {
    Grafico->resetValueZoom();
    m_wholeLog = true;
    m_reload.stop();
    requestLoad();
}

void TFTendencias::setView(qint64 from, qint64 to, bool reload) {
    if (reload)
        m_wholeLog = false;
    Grafico->setView(from, to);
    showPickers(Grafico->viewFrom(), Grafico->viewTo());
    const qint64 now = TrendTime::now();
    const qint64 column = (Grafico->viewTo() - Grafico->viewFrom()) / Grafico->columns();
    m_live = Grafico->viewTo() >= now - std::max<qint64>(5, 2 * column);
    LblVivo->setVisible(m_live);
    if (reload)
        m_reload.start();
}

void TFTendencias::showPickers(qint64 from, qint64 to) {
    // Following the present, a picker the operator may be typing in is left alone.
    m_settingPickers = true;
    if (!m_following || !Desde->hasFocus())
        Desde->setDateTime(TrendTime::toDateTime(from));
    if (!m_following || !Hasta->hasFocus())
        Hasta->setDateTime(TrendTime::toDateTime(to));
    m_settingPickers = false;
}

void TFTendencias::pickersChanged() {
    if (m_settingPickers)
        return;
    const qint64 from = TrendTime::fromDateTime(Desde->dateTime());
    const qint64 to = TrendTime::fromDateTime(Hasta->dateTime());
    if (to <= from)
        return; // the operator is still typing
    m_wholeLog = false;
    Grafico->resetValueZoom();
    setView(from, to, true);
}

void TFTendencias::requestLoad() {
    // The plot's width is known once the window is laid out.
    if (!isVisible()) {
        m_loadWhenShown = true;
        return;
    }
    TrendRequest r;
    r.now = TrendTime::now();
    r.wholeLog = m_wholeLog;
    r.from = Grafico->viewFrom();
    r.to = Grafico->viewTo();
    r.columns = Grafico->columns();
    m_loadedFrom = r.from;
    m_loadedColumns = r.columns;
    LblEstado->setText(QStringLiteral("Cargando..."));
    m_loader->request(r);
}

void TFTendencias::onLoaded(std::shared_ptr<const TrendData> data) {
    applySeries();
    Grafico->setNotice(QString());
    if (m_wholeLog && data->error.isEmpty()) {
        m_wholeLog = false;
        Grafico->setView(data->from, data->to);
        m_loadedFrom = data->from;
        setView(data->from, data->to, false);
    }
    Grafico->setData(data);

    QString state;
    if (!data->error.isEmpty()) {
        state = QStringLiteral("Sin datos");
    } else {
        state = QLocale().toString(data->rows) +
                (data->rows == 1 ? QStringLiteral(" registro") : QStringLiteral(" registros"));
        if (data->source == TrendData::Source::Minutes)
            state += QStringLiteral(" (resumen por minuto)");
        else if (data->source == TrendData::Source::Hours)
            state += QStringLiteral(" (resumen por hora)");
        else if (!data->exact)
            state += QStringLiteral(" (reducidos al ancho del gráfico)");
        if (!data->summaryAvailable)
            state += QStringLiteral(" - base sin resumen: los rangos largos cargan más lento");
    }
    LblEstado->setText(state);
    emit loaded();
}

void TFTendencias::liveTick() {
    if (!m_live || m_wholeLog)
        return;
    const qint64 now = TrendTime::now();
    const qint64 span = Grafico->viewTo() - Grafico->viewFrom();
    if (Grafico->viewTo() != now) {
        m_following = true;
        setView(now - span, now, false);
        m_following = false;
    }
    m_loader->checkForNewRows();
    // Each pixel column the view moved on is read again, so the held values
    // reach the present even when nothing is stored.
    const double column = double(span) / std::max(1, m_loadedColumns);
    if (!m_loader->busy() && double(Grafico->viewFrom() - m_loadedFrom) >= column)
        requestLoad();
}

QString TFTendencias::choose(const QString &caption, const QString &name, const QString &filter) {
    const QString path = m_chooseFile(caption, m_lastDir + u'/' + name, filter);
    if (!path.isEmpty())
        m_lastDir = QFileInfo(path).absolutePath();
    return path;
}

void TFTendencias::BtnExportarClick() {
    exportLog(false);
}

void TFTendencias::BtnExportarComandosClick() {
    exportLog(true);
}

void TFTendencias::exportLog(bool commands) {
    if (m_export && m_export->running())
        return;
    const QString target =
        withSuffix(choose(commands ? QStringLiteral("Exportar registro de comandos")
                                   : QStringLiteral("Exportar registros"),
                          (commands ? QStringLiteral("Comandos_") : QStringLiteral("Registros_")) +
                              stamp() + QStringLiteral(".csv"),
                          QStringLiteral("Archivos CSV (*.csv)")),
                   QStringLiteral("csv"));
    if (target.isEmpty())
        return;
    CsvJob job;
    job.log = commands ? CsvJob::Log::Escritura : CsvJob::Log::Lectura;
    job.databasePath = m_settings.databasePath();
    job.target = target;
    job.from = Grafico->viewFrom();
    job.to = Grafico->viewTo();
    job.series = TrendSeries::fromSettings(m_settings);
    job.decimalPoint = systemDecimalPoint();

    m_export = std::make_unique<CsvExportTask>(job);
    m_progress = new QProgressDialog(QStringLiteral("Exportando registros..."),
                                     QStringLiteral("Cancelar"), 0, 1000, this);
    m_progress->setObjectName(QStringLiteral("Progreso"));
    m_progress->setWindowTitle(QStringLiteral("Exportar CSV"));
    m_progress->setWindowModality(Qt::WindowModal);
    m_progress->setMinimumDuration(300);
    m_progress->setAutoClose(false);
    m_progress->setAutoReset(false);
    m_progress->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_progress, &QProgressDialog::canceled, m_export.get(), &CsvExportTask::cancel);
    connect(m_export.get(), &CsvExportTask::progress, this, [this](qint64 rows, int permille) {
        if (!m_progress)
            return;
        m_progress->setValue(permille);
        m_progress->setLabelText(
            QStringLiteral("Exportando registros... %1 filas").arg(QLocale().toString(rows)));
    });
    connect(m_export.get(), &CsvExportTask::finished, this, [this](const CsvOutcome &outcome) {
        if (m_progress) {
            m_progress->close();
            m_progress = nullptr;
        }
        const QString target = m_export->job().target;
        if (outcome.ok)
            LblEstado->setText(QStringLiteral("Exportadas %1 filas a %2")
                                   .arg(QLocale().toString(outcome.rows), target));
        else if (outcome.cancelled)
            LblEstado->setText(QStringLiteral("Exportación cancelada"));
        else
            MessageBoxes::error(this, outcome.error);
        emit exportFinished(outcome.ok);
    });
    m_export->start();
}

void TFTendencias::BtnImagenClick() {
    const QString path =
        withSuffix(choose(QStringLiteral("Guardar Imagen"),
                          QStringLiteral("Tendencias_") + stamp() + QStringLiteral(".png"),
                          QStringLiteral("Imágenes PNG (*.png)")),
                   QStringLiteral("png"));
    if (path.isEmpty())
        return;
    if (!Grafico->image(Grafico->size()).save(path, "PNG"))
        MessageBoxes::error(this, QStringLiteral("No se pudo guardar la imagen en ") + path);
    else
        LblEstado->setText(QStringLiteral("Imagen guardada en ") + path);
}

QString TFTendencias::rangeText() const {
    const QString format = QStringLiteral("dd/MM/yyyy HH:mm:ss");
    return QStringLiteral("Desde ") + TrendTime::toDateTime(viewFrom()).toString(format) +
           QStringLiteral(" hasta ") + TrendTime::toDateTime(viewTo()).toString(format);
}

void TFTendencias::BtnImprimirClick() {
    const QPrinterInfo installed = QPrinterInfo::defaultPrinter();
    std::unique_ptr<QPrinter> printer;
    if (installed.isNull()) {
        MessageBoxes::information(this, QStringLiteral("No hay ninguna impresora instalada: "
                                                       "el gráfico se guardará como archivo PDF."));
        const QString path =
            withSuffix(choose(QStringLiteral("Guardar como PDF"),
                              QStringLiteral("Tendencias_") + stamp() + QStringLiteral(".pdf"),
                              QStringLiteral("Documentos PDF (*.pdf)")),
                       QStringLiteral("pdf"));
        if (path.isEmpty())
            return;
        printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(path);
    } else {
        printer = std::make_unique<QPrinter>(installed, QPrinter::HighResolution);
    }
    printer->setPageSize(QPageSize(QPageSize::A4));
    printer->setPageOrientation(QPageLayout::Landscape);
    printer->setDocName(QStringLiteral("Tendencias"));

    QPainter p;
    if (!p.begin(printer.get())) {
        MessageBoxes::error(this, QStringLiteral("No se pudo imprimir el gráfico."));
        return;
    }
    const QRectF page = printer->pageLayout().paintRectPixels(printer->resolution());
    // Laid out on a 1400-pixel wide sheet, then scaled to the page.
    const double scale = page.width() / 1400.0;
    const QSize sheet(1400, int(page.height() / scale));
    p.scale(scale, scale);
    p.setFont(pixelFont(QStringLiteral("Arial"), 22, true));
    p.drawText(QRectF(0, 0, sheet.width(), 34), Qt::AlignLeft | Qt::AlignVCenter,
               AppInfo::title() + QStringLiteral(" - Tendencias"));
    p.setFont(pixelFont(QStringLiteral("Arial"), 14));
    p.drawText(QRectF(0, 36, sheet.width(), 24), Qt::AlignLeft | Qt::AlignVCenter, rangeText());
    p.translate(0, 66);
    Grafico->render(p, QSize(sheet.width(), sheet.height() - 66));
    p.end();
    LblEstado->setText(installed.isNull()
                           ? QStringLiteral("Gráfico guardado en ") + printer->outputFileName()
                           : QStringLiteral("Gráfico enviado a ") + installed.printerName());
}

void TFTendencias::showEvent(QShowEvent *event) {
    QWidget::showEvent(event);
    if (m_loadWhenShown) {
        m_loadWhenShown = false;
        QTimer::singleShot(0, this, &TFTendencias::requestLoad);
    }
}

bool TFTendencias::eventFilter(QObject *watched, QEvent *event) {
    // A wider or narrower plot has other columns: read them again.
    if (watched == Grafico && event->type() == QEvent::Resize && m_loadedColumns > 0 &&
        std::abs(Grafico->columns() - m_loadedColumns) > m_loadedColumns / 50)
        m_reload.start();
    return QWidget::eventFilter(watched, event);
}

void TFTendencias::closeEvent(QCloseEvent *event) {
    if (m_export && m_export->running())
        m_export->cancel();
    QWidget::closeEvent(event);
}

#include "log/TFReporte.h"

#include "common/Guard.h"
#include "common/MessageBoxes.h"
#include "log/ReportJob.h"
#include "log/ReportOutput.h"
#include "log/ReportPreview.h"
#include "log/ReportRows.h"
#include "log/TFDM.h"
#include "log/ViewerFonts.h"

#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>

TFReporte::TFReporte(TFDM &fdm, QWidget *parent) : QDialog(parent), m_fdm(fdm) {
    setObjectName(QStringLiteral("FReporte"));
    setWindowTitle(QStringLiteral("Impresion de Reportes"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(336, 484);
    setAutoFillBackground(true);
    QPalette white = palette();
    white.setColor(QPalette::Window, Qt::white);
    setPalette(white);
    const QColor grey(128, 128, 128);

    GroupBox1 = new QGroupBox(QStringLiteral("   Seleccione Impresion   "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(16, 16, 305, 457);
    GroupBox1->setFont(ViewerFonts::arial(12));
    QPalette greyText = GroupBox1->palette();
    greyText.setColor(QPalette::WindowText, grey);
    GroupBox1->setPalette(greyText);

    Label1 = new QLabel(QStringLiteral("Los datos a imprimir son los que se visualizan\n"
                                       "en la grilla de datos de consulta.\n"
                                       "\n"
                                       "Si no se filtran los datos se imprimiran todos\n"
                                       "los registros de la base de datos.\n"
                                       "\n"
                                       "Otra opcion es en la Vista Preliminar en la cual\n"
                                       "puede seleccionar la cantidad de hojas a impri\n"
                                       "mir desde el Setup de la impresora. "),
                        GroupBox1);
    Label1->setObjectName(QStringLiteral("Label1"));
    Label1->setFont(ViewerFonts::arial(9));
    Label1->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    QPalette black = Label1->palette();
    black.setColor(QPalette::WindowText, Qt::black);
    Label1->setPalette(black);
    Label1->setGeometry(24, 28, 257, 135);

    auto button = [&](const char *name, const QString &caption, int top) {
        auto *b = new QPushButton(caption, GroupBox1);
        b->setObjectName(QLatin1String(name));
        b->setFont(ViewerFonts::arial(11));
        QPalette pal = b->palette();
        pal.setColor(QPalette::ButtonText, grey);
        b->setPalette(pal);
        b->setGeometry(24, top, 257, 30);
        return b;
    };
    Button1 = button("Button1", QStringLiteral("Vista Preliminar Entradas"), 184);
    Button3 = button("Button3", QStringLiteral("Imprimir Reporte Entradas"), 227);
    Button2 = button("Button2", QStringLiteral("Vista Preliminar Comandos"), 293);
    Button4 = button("Button4", QStringLiteral("Imprimir Reporte Comandos"), 336);
    Button5 = button("Button5", QStringLiteral("Cerrar Reportes"), 408);
    connect(Button1, &QPushButton::clicked, this, &TFReporte::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TFReporte::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TFReporte::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TFReporte::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TFReporte::Button5Click);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TFReporte::Button1Click() {
    previewReport(ReportLayout::inputs(), m_fdm.LecturaSQL);
}

void TFReporte::Button3Click() {
    printReport(ReportLayout::inputs(), m_fdm.LecturaSQL);
}

void TFReporte::Button2Click() {
    previewReport(ReportLayout::commands(), m_fdm.EscrituraSQL);
}

void TFReporte::Button4Click() {
    printReport(ReportLayout::commands(), m_fdm.EscrituraSQL);
}

void TFReporte::Button5Click() {
    close();
}

namespace {
// The buttons wait while a report is under way: a second click would start
// another one inside the first.
struct Busy {
    QWidget *buttons;
    explicit Busy(QWidget *w) : buttons(w) { buttons->setEnabled(false); }
    ~Busy() { buttons->setEnabled(true); }
};
} // namespace

void TFReporte::previewReport(const ReportLayout &layout, ResultSet &set) {
    const Busy busy(GroupBox1);
    const QString printDate = ReportPainter::printDate(QDateTime::currentDateTime());
    ReportPreview preview(layout, set.source(), set.isOpen(), printDate, this);
    m_preview = &preview;
    preview.exec();
    m_preview = nullptr;
    guarded(this, [&] { set.last(); });
}

void TFReporte::printReport(const ReportLayout &layout, ResultSet &set) {
    const Busy busy(GroupBox1);
    guarded(this, [&] {
        QString pdf;
        std::unique_ptr<QPrinter> printer = ReportOutput::printerOrPdf(this, layout, &pdf);
        if (!printer)
            return;
        ReportRows rows(set.source(), set.isOpen());
        ReportJob job(layout, rows, ReportPainter::printDate(QDateTime::currentDateTime()));
        const auto confirm = [this](qint64 pages) {
            return pages <= kPagesWithoutAsking ||
                   MessageBoxes::show(this, MessageBoxes::Kind::Confirm,
                                      QStringLiteral("El reporte tiene %1 paginas.\n"
                                                     "¿Desea continuar?")
                                          .arg(pages),
                                      MessageBoxes::Buttons::YesNo) == MessageBoxes::Answer::Yes;
        };
        const ReportJob::Outcome outcome = job.print(*printer, this, 1, 0, confirm);
        set.last();
        if (outcome == ReportJob::Outcome::Done && !pdf.isEmpty())
            MessageBoxes::information(
                this, QStringLiteral("El reporte se guardo en el archivo %1").arg(pdf));
    });
}

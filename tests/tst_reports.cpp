#include "log/DatePicker.h"
#include "log/ReportLayout.h"
#include "log/ReportOutput.h"
#include "log/ReportPreview.h"
#include "log/TFConsulta.h"
#include "log/TFDM.h"
#include "log/TFReporte.h"
#include "tests/support/LogFiller.h"
#include "tests/support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QPrinter>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QtTest>
#include <sqlite3.h>

using TestSupport::BoxRecorder;
using TestSupport::ExeDir;

namespace {

void exec(const QString &path, const QString &sql) {
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    char *error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK)
        qWarning("%s", error);
    sqlite3_free(error);
    sqlite3_close_v2(db);
}

QString run(const QString &program, const QStringList &args) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(60000);
    return QString::fromUtf8(p.readAllStandardOutput());
}

// The text of each page, laid out as printed.
QStringList pdfPages(const QString &pdf) {
    QStringList pages = run("pdftotext", {"-layout", pdf, "-"}).split(u'\f');
    if (!pages.isEmpty() && pages.last().trimmed().isEmpty())
        pages.removeLast();
    return pages;
}

QString pdfInfo(const QString &pdf, const QString &key) {
    for (const QString &line : run("pdfinfo", {pdf}).split(u'\n'))
        if (line.startsWith(key + u':'))
            return line.mid(key.size() + 1).trimmed();
    return {};
}

// Where a word stands on page 1, in millimetres from the sheet's top left.
QPointF wordAt(const QString &pdf, const QString &word, int occurrence = 0) {
    const QString xml = run("pdftotext", {"-bbox", "-f", "1", "-l", "1", pdf, "-"});
    static const QRegularExpression re(
        R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="[\d.]+" yMax="[\d.]+">([^<]*)</word>)re");
    int seen = 0;
    for (auto it = re.globalMatch(xml); it.hasNext();) {
        const auto m = it.next();
        if (m.captured(3) == word && seen++ == occurrence)
            return QPointF(m.captured(1).toDouble(), m.captured(2).toDouble()) * 25.4 / 72.0;
    }
    return {-1, -1};
}

QStringList datesIn(const QString &text) {
    static const QRegularExpression date(R"(\d{4}-\d\d-\d\d \d\d:\d\d:\d\d)");
    QStringList out;
    for (auto it = date.globalMatch(text); it.hasNext();)
        out << it.next().captured();
    return out;
}

// A snapshot whose input n is on for n in `on`, and whose values are v..v+3.
QString lectura(const QString &fecha, int v, const QList<int> &on = {}) {
    QStringList bits;
    for (int n = 1; n <= 16; ++n)
        bits << (on.contains(n) ? "'Si'" : "'-'");
    return QStringLiteral("insert into Lectura values('%1',%2,0,0,%3,%4,%5,%6);")
        .arg(fecha, bits.join(u','))
        .arg(v)
        .arg(v + 1)
        .arg(v + 2)
        .arg(v + 3);
}

QString escritura(const QString &fecha, int output) {
    QStringList bits;
    for (int n = 1; n <= 8; ++n)
        bits << (n == output ? "'Si'" : "'-'");
    return QStringLiteral("insert into Escritura values('%1',%2);").arg(fecha, bits.join(u','));
}

// A viewer over a temporary log, its report window, and where the reports go.
struct Rig {
    ExeDir exe;
    TFDM fdm;
    QString path = exe.file("db/Korvane.db3");
    QString pdf = exe.file("reporte.pdf");
    TFConsulta *viewer = nullptr;
    TFReporte *report = nullptr;
    bool printerInstalled = false;
    int pathQuestions = 0;

    Rig() {
        ReportOutput::setPrinterProvider([this]() -> std::unique_ptr<QPrinter> {
            if (!printerInstalled)
                return nullptr;
            // The default printer, as a file to read back.
            auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
            printer->setOutputFormat(QPrinter::PdfFormat);
            printer->setOutputFileName(pdf);
            return printer;
        });
        ReportOutput::setPdfPathChooser([this](QWidget *, const QString &suggested) {
            ++pathQuestions;
            lastSuggested = suggested;
            return pdf;
        });
    }
    ~Rig() {
        delete report;
        delete viewer;
        ReportOutput::setPrinterProvider({});
        ReportOutput::setPdfPathChooser({});
    }
    void open() {
        viewer = new TFConsulta(fdm, path);
        viewer->show();
        fdm.LecturaSQL.waitForIdle();
        fdm.EscrituraSQL.waitForIdle();
        report = new TFReporte(fdm, viewer);
    }
    QString lastSuggested;
};

} // namespace

class TstReports : public QObject {
    Q_OBJECT

private slots:
    void layoutsFollowTheBandTables();
    void reportWindowHasItsTextAndButtons();
    void inputsReportPrintsTheViewersRowsWithoutAPrinter();
    void commandsReportGoesToTheDefaultPrinterUnfiltered();
    void anEmptyOrUnopenedResultPrintsOnePage();
    void longLogsBreakIntoTheirPageCount();
    void elementsStandAtTheirMillimetres();
    void previewShowsPagesOnDemandAndPrintsAChosenRange();
    void decliningThePdfOrAVeryLongReportPrintsNothing();
};

void TstReports::layoutsFollowTheBandTables() {
    const ReportLayout inputs = ReportLayout::inputs();
    QCOMPARE(inputs.title, QString("Lectura de Entradas"));
    QCOMPARE(inputs.orientation, QPageLayout::Landscape);
    QCOMPARE(inputs.printableWidth(), 277.0);
    QCOMPARE(inputs.printableHeight(), 190.0);
    // 190 - 22.0 - 12.2 - 10.6 = 145.2 mm of detail bands of 11.6 mm.
    QCOMPARE(inputs.rowsPerPage(), 12);
    QCOMPARE(inputs.pageCount(0), qint64(1));
    QCOMPARE(inputs.pageCount(12), qint64(1));
    QCOMPARE(inputs.pageCount(13), qint64(2));
    QCOMPARE(inputs.pageCount(5000), qint64(417));
    QCOMPARE(inputs.detail.items.size(), 1 + 1 + 16 + 4); // rule, Fecha, bits, values

    const ReportLayout commands = ReportLayout::commands();
    QCOMPARE(commands.title, QString("Registro de Comandos Enviados"));
    QCOMPARE(commands.orientation, QPageLayout::Portrait);
    QCOMPARE(commands.printableWidth(), 190.0);
    // 277 - 44.8 = 232.2 mm: 22 bands of 10.1 mm (23 would need 232.3).
    QCOMPARE(commands.rowsPerPage(), 22);
    QCOMPARE(commands.pageCount(5000), qint64(228));
    const QPageLayout page = commands.pageLayout();
    QCOMPARE(page.pageSize().id(), QPageSize::A4);
    QCOMPARE(page.margins(QPageLayout::Millimeter), QMarginsF(10, 10, 10, 10));
}

void TstReports::reportWindowHasItsTextAndButtons() {
    BoxRecorder boxes;
    Rig r;
    r.open();
    TFReporte *w = r.report;
    QCOMPARE(w->windowTitle(), QString("Impresion de Reportes"));
    QCOMPARE(w->size(), QSize(336, 484));
    QVERIFY(!(w->windowFlags() & Qt::WindowMinimizeButtonHint));
    QCOMPARE(w->palette().color(QPalette::Window), QColor(Qt::white));
    QCOMPARE(w->GroupBox1->title(), QString("   Seleccione Impresion   "));
    QCOMPARE(w->GroupBox1->geometry(), QRect(16, 16, 305, 457));
    QCOMPARE(w->GroupBox1->font().pointSize(), 12);
    QCOMPARE(w->Label1->geometry(), QRect(24, 28, 257, 135));
    QCOMPARE(w->Label1->text().split(u'\n'),
             QStringList({"Los datos a imprimir son los que se visualizan",
                          "en la grilla de datos de consulta.", "",
                          "Si no se filtran los datos se imprimiran todos",
                          "los registros de la base de datos.", "",
                          "Otra opcion es en la Vista Preliminar en la cual",
                          "puede seleccionar la cantidad de hojas a impri",
                          "mir desde el Setup de la impresora. "}));
    QCOMPARE(w->Label1->font().pointSize(), 9);
    const QList<std::pair<QPushButton *, QString>> buttons{
        {w->Button1, "Vista Preliminar Entradas"},
        {w->Button3, "Imprimir Reporte Entradas"},
        {w->Button2, "Vista Preliminar Comandos"},
        {w->Button4, "Imprimir Reporte Comandos"},
        {w->Button5, "Cerrar Reportes"}};
    const int tops[] = {184, 227, 293, 336, 408};
    for (int i = 0; i < buttons.size(); ++i) {
        QCOMPARE(buttons[i].first->text(), buttons[i].second);
        QCOMPARE(buttons[i].first->geometry(), QRect(24, tops[i], 257, 30));
        QCOMPARE(buttons[i].first->font().pointSize(), 11);
    }
    w->show();
    w->Button5->click();
    QVERIFY(!w->isVisible());
    QCOMPARE(boxes.count(), 0);
}

// No printer on this computer: the operator is told so and saves a PDF,
// which holds the viewer's rows in the viewer's order.
void TstReports::inputsReportPrintsTheViewersRowsWithoutAPrinter() {
    BoxRecorder boxes;
    Rig r;
    QString rows;
    // 30 snapshots over three days, values falling as time goes on.
    for (int i = 0; i < 30; ++i)
        rows += lectura(QStringLiteral("2011-09-%1 %2:00:00")
                            .arg(13 + i / 10)
                            .arg(10 + i % 10, 2, 10, QChar('0')),
                        200 - i, i % 2 ? QList<int>{1, 16} : QList<int>{5});
    exec(r.path, rows);
    r.open();
    // The viewer: 14 and 15 September (filter from the 13th), "Valor 2" ascending.
    r.viewer->ActivaFiltro1->click();
    r.viewer->FechaDesde->setDate(QDate(2011, 9, 13));
    r.viewer->FechaHasta->setDate(QDate(2011, 9, 15));
    r.viewer->OrdenPor->setCurrentIndex(2);
    r.viewer->Asc->setChecked(true);
    r.viewer->btnOrdenaLectura->click();
    r.fdm.LecturaSQL.waitForIdle();

    r.report->Button3->click();
    QCOMPARE(boxes.count(), 2);
    QCOMPARE(boxes.boxes().at(0).kind, MessageBoxes::Kind::Confirm);
    QCOMPARE(boxes.boxes().at(0).text, ReportOutput::noPrinterQuestion());
    QVERIFY(boxes.boxes().at(0).text.startsWith("No hay ninguna impresora instalada"));
    QCOMPARE(r.pathQuestions, 1);
    QVERIFY(r.lastSuggested.endsWith("/Lectura de Entradas.pdf"));
    QCOMPARE(boxes.lastText(), "El reporte se guardo en el archivo " + r.pdf);

    QCOMPARE(pdfInfo(r.pdf, "Pages"), QString("2")); // 20 rows, 12 a page
    QVERIFY(pdfInfo(r.pdf, "Page size").startsWith("842 x 595 pts (A4)"));
    QCOMPARE(pdfInfo(r.pdf, "Title"), QString("Lectura de Entradas"));
    const QStringList pages = pdfPages(r.pdf);
    QCOMPARE(pages.size(), 2);
    for (int p = 0; p < pages.size(); ++p) {
        for (const char *heading :
             {"REGISTROS DE LECTURA DE ENTRADAS", "Fecha de Reporte:", "BITS DE ENTRADA",
              "VALORES ANALOGICOS", "Fecha y Hora", "Valor 1", "Valor 4"})
            QVERIFY2(pages[p].contains(heading), heading);
        QVERIFY(
            pages[p].contains(QRegularExpression(QStringLiteral("Pagina\\s+%1\\b").arg(p + 1))));
    }
    // Rows of the 14th and 15th, lowest "Valor 2" first: the latest first.
    QStringList expected;
    for (int i = 29; i >= 10; --i)
        expected << QStringLiteral("2011-09-%1 %2:00:00")
                        .arg(13 + i / 10)
                        .arg(10 + i % 10, 2, 10, QChar('0'));
    QCOMPARE(datesIn(pages.join(u'\f')), expected);
    // A detail line: bits as "Si" or "-", the four values as integers.
    const QString first = pages[0].split(u'\n').filter("2011-09-15 19:00:00").value(0);
    QCOMPARE(first.simplified(),
             QString("2011-09-15 19:00:00 Si - - - - - - - - - - - - - - Si 171 172 173 174"));
    QCOMPARE(pages[0].split(u'\n').filter("2011-09-15 18:00:00").value(0).simplified(),
             QString("2011-09-15 18:00:00 - - - - Si - - - - - - - - - - - 172 173 174 175"));
    // The walk leaves the viewer's current row on the last row.
    QVERIFY(r.fdm.LecturaSQL.eof());
    QCOMPARE(r.fdm.LecturaSQL.field("Fecha").toString(), QString("2011-09-14 10:00:00"));
}

void TstReports::commandsReportGoesToTheDefaultPrinterUnfiltered() {
    BoxRecorder boxes;
    Rig r;
    r.printerInstalled = true;
    exec(r.path, escritura("2011-01-01 10:00:00", 3) + escritura("2011-06-02 10:00:00", 8) +
                     escritura("2012-01-03 10:00:00", 1));
    r.open();
    r.viewer->ActivaFiltro1->click(); // the date filter is for the inputs only
    r.viewer->FechaDesde->setDate(QDate(2011, 6, 1));
    r.viewer->FechaHasta->setDate(QDate(2011, 6, 2));
    r.viewer->btnOrdenaLectura->click();
    r.viewer->OrdenPor2->setCurrentIndex(8); // "Bit 8"
    r.viewer->BtnOrdenaEscritura->click();
    r.fdm.EscrituraSQL.waitForIdle();

    r.report->Button4->click();
    QCOMPARE(boxes.count(), 0); // straight to the printer
    QCOMPARE(r.pathQuestions, 0);
    QCOMPARE(pdfInfo(r.pdf, "Pages"), QString("1"));
    QVERIFY(pdfInfo(r.pdf, "Page size").startsWith("595 x 842 pts (A4)"));
    QCOMPARE(pdfInfo(r.pdf, "Title"), QString("Registro de Comandos Enviados"));
    const QString page = pdfPages(r.pdf).value(0);
    for (const char *heading :
         {"REGISTROS DE COMANDOS ENVIADOS", "Fecha de Reporte:", "Fecha y Hora", "Pagina"})
        QVERIFY2(page.contains(heading), heading);
    // Bit8 descending: "Si" before "-".
    QCOMPARE(datesIn(page),
             QStringList({"2011-06-02 10:00:00", "2012-01-03 10:00:00", "2011-01-01 10:00:00"}));
    QCOMPARE(page.split(u'\n').filter("2011-06-02").value(0).simplified(),
             QString("2011-06-02 10:00:00 - - - - - - - Si"));
    QVERIFY(r.fdm.EscrituraSQL.eof());
}

void TstReports::anEmptyOrUnopenedResultPrintsOnePage() {
    BoxRecorder boxes;
    Rig r;
    r.printerInstalled = true;
    r.open();
    r.report->Button3->click();
    QCOMPARE(pdfInfo(r.pdf, "Pages"), QString("1"));
    QString page = pdfPages(r.pdf).value(0);
    QVERIFY(page.contains("REGISTROS DE LECTURA DE ENTRADAS"));
    QVERIFY(page.contains("VALORES ANALOGICOS"));
    QVERIFY(page.contains(QRegularExpression("Pagina\\s+1\\b")));
    QVERIFY(datesIn(page).isEmpty());
    QVERIFY(!page.contains("Si"));

    // The viewer could not open the log: the same single page.
    r.fdm.EscrituraSQL.close();
    QFile::remove(r.pdf);
    r.report->Button4->click();
    QCOMPARE(pdfInfo(r.pdf, "Pages"), QString("1"));
    page = pdfPages(r.pdf).value(0);
    QVERIFY(page.contains("REGISTROS DE COMANDOS ENVIADOS"));
    QVERIFY(datesIn(page).isEmpty());
    QCOMPARE(boxes.count(), 0);
}

void TstReports::longLogsBreakIntoTheirPageCount() {
    BoxRecorder boxes;
    Rig r;
    r.printerInstalled = true;
    LogFiller::Options options;
    options.lectura = 5000;
    options.escritura = 5000;
    QVERIFY(LogFiller::make(r.path, options));
    r.open();
    r.report->Button3->click();
    QCOMPARE(pdfInfo(r.pdf, "Pages"), QString("417"));
    const QStringList pages = pdfPages(r.pdf);
    QCOMPARE(pages.size(), 417);
    for (int p : {0, 1, 200, 416}) {
        QVERIFY(pages[p].contains("REGISTROS DE LECTURA DE ENTRADAS"));
        QVERIFY(pages[p].contains("BITS DE ENTRADA"));
        QVERIFY(
            pages[p].contains(QRegularExpression(QStringLiteral("Pagina\\s+%1\\b").arg(p + 1))));
    }
    QCOMPARE(datesIn(pages[0]).size(), 12);
    QCOMPARE(datesIn(pages[416]).size(), 5000 - 416 * 12);
    QCOMPARE(datesIn(pages[0]).first(), LogFiller::fecha(options, 4999)); // newest first
    QCOMPARE(datesIn(pages[416]).last(), LogFiller::fecha(options, 0));

    QFile::remove(r.pdf);
    r.report->Button4->click();
    QCOMPARE(pdfInfo(r.pdf, "Pages"), QString("228"));
    QCOMPARE(boxes.count(), 0);
}

// Positions on the sheet: the printable area starts 10 mm from the top left
// corner, and each band below the one before.
void TstReports::elementsStandAtTheirMillimetres() {
    BoxRecorder boxes;
    Rig r;
    r.printerInstalled = true;
    exec(r.path, lectura("2011-01-01 10:00:00", 7, {3}) + escritura("2011-01-01 10:00:00", 2));
    r.open();
    r.report->Button3->click();
    // Left edges are where the text starts; tops within the line's ascent.
    auto near = [](QPointF at, double left, double top, double slack = 2.0) {
        return std::abs(at.x() - left) < 0.8 && at.y() >= top - 0.5 && at.y() <= top + slack;
    };
    QVERIFY(near(wordAt(r.pdf, "REGISTROS"), 10 + 78.3, 10 + 2.1, 3.5));
    QVERIFY(near(wordAt(r.pdf, "Fecha"), 10 + 2.1, 10 + 14.8));
    QVERIFY(near(wordAt(r.pdf, "Pagina"), 10 + 256.1, 10 + 14.8));
    QVERIFY(near(wordAt(r.pdf, "BITS"), 10 + 104.5, 10 + 22 + 0.8));
    QVERIFY(near(wordAt(r.pdf, "VALORES"), 10 + 218.1, 10 + 22 + 0.5));
    QVERIFY(near(wordAt(r.pdf, "2011-01-01"), 10 + 2.6, 10 + 34.2 + 5.3));
    // Centred in their boxes: the "1" over bit 1 and the value under "Valor 1".
    const QPointF one = wordAt(r.pdf, "1", 1); // the first "1" is the page number
    QVERIFY(one.x() > 10 + 43.7 - 1 && one.x() < 10 + 43.7 + 2.1);
    const QPointF value = wordAt(r.pdf, "7", 1); // past the title of input 7
    QVERIFY(value.x() > 10 + 210.1 && value.x() < 10 + 210.1 + 9.8);

    QFile::remove(r.pdf);
    r.report->Button4->click();
    QVERIFY(near(wordAt(r.pdf, "REGISTROS"), 10 + 36.0, 10 + 2.1, 3.5));
    QVERIFY(near(wordAt(r.pdf, "Pagina"), 10 + 171.4, 10 + 14.8));
    QVERIFY(near(wordAt(r.pdf, "2011-01-01"), 10 + 6.3, 10 + 34.2 + 4.8));
    QVERIFY(near(wordAt(r.pdf, "Si"), 10 + 77.0, 10 + 34.2 + 4.8)); // Bit2
    QCOMPARE(boxes.count(), 0);
}

// The preview holds one page at a time and reads it when it is shown; from
// it the operator chooses the pages and prints them.
void TstReports::previewShowsPagesOnDemandAndPrintsAChosenRange() {
    BoxRecorder boxes;
    Rig r;
    LogFiller::Options options;
    options.lectura = 1000;
    QVERIFY(LogFiller::make(r.path, options));
    r.open();

    QString title, status;
    qint64 pages = 0, lastShown = 0, shownAfterBack = 0;
    QSize sheet;
    bool landscape = false;
    QTimer::singleShot(0, [&] {
        ReportPreview *preview = r.report->preview();
        if (!preview)
            return;
        preview->waitUntilShown();
        title = preview->windowTitle();
        pages = preview->pageCount();
        sheet = preview->pageImage().size();
        landscape = sheet.width() > sheet.height();
        preview->lastPage();
        preview->waitUntilShown();
        lastShown = preview->currentPage();
        preview->priorPage();
        preview->waitUntilShown();
        shownAfterBack = preview->currentPage();
        status = preview->statusText();
        // "Configurar impresora" chose pages 2 to 3 of a PDF file.
        auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(r.pdf);
        printer->setPrintRange(QPrinter::PageRange);
        printer->setFromTo(2, 3);
        preview->setConfiguredPrinter(std::move(printer));
        preview->ImprimirClick();
        preview->accept();
    });
    r.report->Button1->click(); // returns when the preview closes

    QCOMPARE(title, QString("Lectura de Entradas"));
    QCOMPARE(pages, qint64(84)); // 1000 rows, 12 a page
    QVERIFY(landscape);
    QCOMPARE(lastShown, qint64(84));
    QCOMPARE(shownAfterBack, qint64(83));
    QCOMPARE(status, QString("de 84"));
    QCOMPARE(pdfInfo(r.pdf, "Pages"), QString("2"));
    const QStringList printed = pdfPages(r.pdf);
    QVERIFY(printed[0].contains(QRegularExpression("Pagina\\s+2\\b")));
    QVERIFY(printed[1].contains(QRegularExpression("Pagina\\s+3\\b")));
    QCOMPARE(datesIn(printed[0]).first(), LogFiller::fecha(options, 999 - 12));
    QVERIFY(r.fdm.LecturaSQL.eof()); // the walk ends on the last row
    QCOMPARE(boxes.count(), 0);

    // The commands preview over an empty log: its one page.
    QTimer::singleShot(0, [&] {
        ReportPreview *preview = r.report->preview();
        if (!preview)
            return;
        preview->waitUntilShown();
        title = preview->windowTitle();
        pages = preview->pageCount();
        landscape = preview->pageImage().width() > preview->pageImage().height();
        preview->accept();
    });
    r.report->Button2->click();
    QCOMPARE(title, QString("Registro de Comandos Enviados"));
    QCOMPARE(pages, qint64(1));
    QVERIFY(!landscape);
}

void TstReports::decliningThePdfOrAVeryLongReportPrintsNothing() {
    BoxRecorder boxes;
    Rig r;
    exec(r.path, lectura("2011-01-01 10:00:00", 7));
    r.open();
    boxes.answerNext(MessageBoxes::Answer::No);
    r.report->Button3->click();
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(r.pathQuestions, 0);
    QVERIFY(!QFile::exists(r.pdf));

    // Over a thousand pages: asked first.
    LogFiller::Options options;
    options.lectura = 12 * 1000 + 1;
    QVERIFY(LogFiller::make(r.path, options));
    r.printerInstalled = true;
    r.viewer->btnOrdenaLectura->click();
    r.fdm.LecturaSQL.waitForIdle();
    boxes.clear();
    boxes.answerNext(MessageBoxes::Answer::No);
    r.report->Button3->click();
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.lastText(), QString("El reporte tiene 1001 paginas.\n¿Desea continuar?"));
    QVERIFY(!QFile::exists(r.pdf));
}

QTEST_MAIN(TstReports)
#include "tst_reports.moc"

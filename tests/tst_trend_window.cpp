#include "app/TFMain.h"
#include "log/CsvExport.h"
#include "log/TFDM.h"
#include "log/TFTendencias.h"
#include "log/TrendPlot.h"
#include "log/TrendTime.h"
#include "tests/support/LogRows.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QCheckBox>
#include <QDateTimeEdit>
#include <QLabel>
#include <QMenuBar>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using TestSupport::BoxRecorder;
using TestSupport::ExeDir;
using TestSupport::LogRows;

namespace {

// A trend window on a throw-away log; the save dialogs answer from a list.
struct Rig {
    ExeDir exe;
    RuntimeSettings settings;
    QStringList answers;
    std::unique_ptr<TFTendencias> window;

    Rig() {
        settings.DbDir = exe.path() + QStringLiteral("/db/");
        settings.DbFileName = QStringLiteral("Korvane.db3");
        settings.Panels[0] = {QStringLiteral("Si"), 1, 5, 2, -10, QStringLiteral("bar"), 0, 0};
        settings.Panels[2] = {QStringLiteral("Si"), 0, 1, 1, 0, QStringLiteral("%"), 0, 0};
    }
    QString db() const { return exe.file("db/Korvane.db3"); }
    TFTendencias &open() {
        window = std::make_unique<TFTendencias>(settings);
        window->setFileChooser([this](const QString &, const QString &, const QString &) {
            return answers.isEmpty() ? QString() : answers.takeFirst();
        });
        window->show();
        return *window;
    }
    // Waits for the read under way to reach the plot.
    bool loaded() {
        QSignalSpy spy(window.get(), &TFTendencias::loaded);
        return spy.wait(15000);
    }
};

} // namespace

class TstTrendWindow : public QObject {
    Q_OBJECT

private slots:
    void theMenuOpensOneWindowPerClick();
    void opensOnTheLastDayAndFollowsNewRows();
    void rangesPickedAndQuickChoices();
    void pictureAndPrintout();
    void exportsBothLogs();
    void aMissingDatabaseIsShownNotBoxed();
};

void TstTrendWindow::theMenuOpensOneWindowPerClick() {
    BoxRecorder boxes;
    ExeDir dir;
    dir.writeConfig("[Puertos]\nCOM1=" + dir.file("ttyNOTHERE").toUtf8() + "\n");
    TFDM fdm;
    TFMain main(dir.path(), fdm);
    main.show();
    boxes.clear(); // whatever the start-up said
    QMenu *registros = main.menuBar()->actions()[2]->menu();
    QStringList items;
    for (QAction *a : registros->actions())
        items << a->text() + u'/' + a->objectName();
    QCOMPARE(items, QStringList({"Ver Registros Guardados/VerRegistrosGuardados1",
                                 "Ver Tendencias/VerTendencias1"}));
    main.VerTendencias1->trigger();
    main.VerTendencias1->trigger();
    const auto windows = main.findChildren<TFTendencias *>();
    QCOMPARE(windows.size(), 2);
    for (TFTendencias *w : windows) {
        QCOMPARE(w->objectName(), QStringLiteral("FTendencias"));
        QCOMPARE(w->windowTitle(), QStringLiteral("Tendencias"));
        QVERIFY(w->isVisible());
        QVERIFY(!w->isModal());
        QVERIFY(w->testAttribute(Qt::WA_DeleteOnClose));
    }
    QVERIFY(!QApplication::activeModalWidget());
    windows[0]->close();
    QTRY_COMPARE(main.findChildren<TFTendencias *>().size(), 1);
    QVERIFY2(boxes.count() == 0, qPrintable(boxes.lastText()));
}

void TstTrendWindow::opensOnTheLastDayAndFollowsNewRows() {
    BoxRecorder boxes;
    Rig rig;
    const qint64 now = TrendTime::now();
    {
        LogRows rows(rig.db());
        for (int i = 0; i < 100; ++i)
            rows.add(now - 3000 + i * 20, quint16(i), {100, 0, i + 1, 0});
    }
    TFTendencias &w = rig.open();
    QVERIFY(rig.loaded());
    QCOMPARE(w.Grafico->data()->rows, qint64(100));
    QVERIFY2(w.LblEstado->text().startsWith(QStringLiteral("100 registros")),
             qPrintable(w.LblEstado->text()));
    QVERIFY(std::abs(w.viewTo() - now) <= 3);
    QCOMPARE(w.viewTo() - w.viewFrom(), qint64(86400));
    QVERIFY(w.live());
    QVERIFY(w.LblVivo->isVisible());
    QCOMPARE(w.Grafico->columns(), w.Grafico->data()->columns);
    // The panels in use are shown, with their units.
    QVERIFY(w.ChkValor[0]->isChecked());
    QVERIFY(!w.ChkValor[1]->isChecked());
    QVERIFY(w.ChkValor[2]->isChecked());
    QCOMPARE(w.ChkValor[0]->text(), QStringLiteral("Valor 1 (bar)"));

    // The logger stores a row: the live plot takes it in by itself.
    sqlite3 *db = nullptr;
    sqlite3_open(QFile::encodeName(rig.db()).constData(), &db);
    const QByteArray insert =
        "insert into Lectura (Fecha,Word3) values('" + TrendTime::text(TrendTime::now()) + "',55)";
    QCOMPARE(sqlite3_exec(db, insert.constData(), nullptr, nullptr, nullptr), SQLITE_OK);
    sqlite3_close_v2(db);
    QTRY_COMPARE_WITH_TIMEOUT(w.Grafico->data()->rows, qint64(101), 8000);
    QCOMPARE(boxes.count(), 0);
}

void TstTrendWindow::rangesPickedAndQuickChoices() {
    BoxRecorder boxes;
    Rig rig;
    const qint64 first = *TrendTime::parse(QStringLiteral("2020-06-01 10:00:00"));
    {
        LogRows rows(rig.db());
        rows.add(first, 0x8000, {10, 0, 0, 0});
        rows.add(first + 600, 0, {20, 0, 0, 0});
    }
    TFTendencias &w = rig.open();
    QVERIFY(rig.loaded());

    // A range in the past, typed into the pickers: nothing stored there.
    w.Hasta->setDateTime(TrendTime::toDateTime(first - 86400));
    w.Desde->setDateTime(TrendTime::toDateTime(first - 2 * 86400));
    QVERIFY(rig.loaded());
    QCOMPARE(w.viewFrom(), first - 2 * 86400);
    QVERIFY(!w.live());
    QVERIFY(!w.LblVivo->isVisible());
    QCOMPARE(w.Grafico->dataMessage(), QStringLiteral("No hay registros en el rango elegido"));

    // "Todo" runs from the first row to the present.
    w.BtnTodo->click();
    QVERIFY(rig.loaded());
    QCOMPARE(w.viewFrom(), first);
    QVERIFY(std::abs(w.viewTo() - TrendTime::now()) <= 3);
    QCOMPARE(TrendTime::fromDateTime(w.Desde->dateTime()), first);
    QCOMPARE(w.Grafico->data()->rows, qint64(2));
    QVERIFY(w.live());

    w.BtnSemana->click();
    QCOMPARE(w.viewTo() - w.viewFrom(), qint64(7 * 86400));
    w.BtnHora->click();
    QCOMPARE(w.viewTo() - w.viewFrom(), qint64(3600));
    QVERIFY(rig.loaded());
    // Nothing stored in the last hour, but the last row's values hold.
    QVERIFY(w.Grafico->dataMessage().startsWith(
        QStringLiteral("No hay registros en el rango elegido: se mantienen")));

    // The wheel zooms around the mouse, into a range that is read again.
    const qint64 span = w.viewTo() - w.viewFrom();
    QWheelEvent wheel(QPointF(w.Grafico->width() / 2.0, 100), QPointF(), QPoint(), QPoint(0, 120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(w.Grafico, &wheel);
    QVERIFY(w.viewTo() - w.viewFrom() < span);
    QVERIFY(rig.loaded());
    QCOMPARE(boxes.count(), 0);
}

void TstTrendWindow::pictureAndPrintout() {
    BoxRecorder boxes;
    Rig rig;
    {
        LogRows rows(rig.db());
        rows.add(TrendTime::now() - 600, 1, {100, 0, 50, 0});
    }
    TFTendencias &w = rig.open();
    QVERIFY(rig.loaded());
    const QString png = rig.exe.file("grafico"); // the suffix is added
    rig.answers << png;
    w.BtnImagenClick();
    const QImage image(png + QStringLiteral(".png"));
    QCOMPARE(image.size(), w.Grafico->size());
    QVERIFY(w.LblEstado->text().startsWith(QStringLiteral("Imagen guardada en ")));

    if (!QPrinterInfo::defaultPrinter().isNull())
        QSKIP("A printer is installed here: the printout would go to it.");
    const QString pdf = rig.exe.file("grafico.pdf");
    rig.answers << pdf;
    w.BtnImprimirClick();
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.boxes()[0].kind, MessageBoxes::Kind::Information);
    QCOMPARE(boxes.lastText(), QStringLiteral("No hay ninguna impresora instalada: el gráfico se "
                                              "guardará como archivo PDF."));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    QVERIFY(text.waitForFinished(20000));
    const QString printed = QString::fromUtf8(text.readAllStandardOutput());
    QVERIFY2(printed.contains(QStringLiteral("Korvane Direct 1.2 - Tendencias")),
             qPrintable(printed));
    QVERIFY(printed.contains(QStringLiteral("Desde ")));
    QVERIFY(printed.contains(QStringLiteral("Valor 1 (bar)")));
    QVERIFY(printed.contains(QStringLiteral("E16")));

    // Called off in the dialog: nothing printed, nothing said.
    w.BtnImprimirClick();
    QCOMPARE(boxes.count(), 2);
}

void TstTrendWindow::exportsBothLogs() {
    BoxRecorder boxes;
    Rig rig;
    const qint64 now = TrendTime::now();
    {
        LogRows rows(rig.db());
        for (int i = 0; i < 30; ++i)
            rows.add(now - 3000 + i, 0, {100, 0, 0, 0});
        rows.addCommand(now - 100, 2);
    }
    TFTendencias &w = rig.open();
    QVERIFY(rig.loaded());
    QSignalSpy done(&w, &TFTendencias::exportFinished);
    rig.answers << rig.exe.file("datos");
    w.BtnExportarClick();
    QVERIFY(done.wait(15000));
    QCOMPARE(done.last().first().toBool(), true);
    const QByteArray csv = TestSupport::readFile(rig.exe.file("datos.csv"));
    QCOMPARE(csv.count('\n'), 31);
    QVERIFY(csv.contains(";240.0;")); // this test runs in the C locale
    QVERIFY(w.LblEstado->text().startsWith(QStringLiteral("Exportadas 30 filas a ")));

    rig.answers << rig.exe.file("comandos.csv");
    w.BtnExportarComandosClick();
    QVERIFY(done.wait(15000));
    QCOMPARE(TestSupport::readFile(rig.exe.file("comandos.csv")).count('\n'), 2);

    // No name chosen: nothing happens.
    w.BtnExportarClick();
    QVERIFY(!w.exportTask()->running());
    QCOMPARE(boxes.count(), 0);
}

void TstTrendWindow::aMissingDatabaseIsShownNotBoxed() {
    BoxRecorder boxes;
    Rig rig;
    rig.settings.DbFileName = QStringLiteral("NoExiste.db3");
    TFTendencias &w = rig.open();
    QVERIFY(rig.loaded());
    QVERIFY2(
        w.Grafico->dataMessage().startsWith(QStringLiteral("No se pudo abrir la base de datos: ")),
        qPrintable(w.Grafico->dataMessage()));
    QCOMPARE(w.LblEstado->text(), QStringLiteral("Sin datos"));
    QVERIFY(!QFile::exists(rig.exe.file("db/NoExiste.db3")));
    QCOMPARE(boxes.count(), 0);
}

QTEST_MAIN(TstTrendWindow)
#include "tst_trend_window.moc"

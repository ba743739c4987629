#include "app/TFMain.h"
#include "common/AppInfo.h"
#include "log/DatePicker.h"
#include "log/DbNavigator.h"
#include "log/LogGrid.h"
#include "log/TFConsulta.h"
#include "log/TFDM.h"
#include "log/ViewerSql.h"
#include "tests/support/LogFiller.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QToolButton>
#include <QtTest>
#include <sqlite3.h>

using TestSupport::BoxRecorder;
using TestSupport::ExeDir;

namespace {

void exec(const QString &path, const QString &sql) {
    sqlite3 *db = nullptr;
    sqlite3_open_v2(QFile::encodeName(path).constData(), &db,
                    SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr);
    char *error = nullptr;
    if (sqlite3_exec(db, sql.toUtf8().constData(), nullptr, nullptr, &error) != SQLITE_OK)
        qWarning("%s: %s", qPrintable(sql), error);
    sqlite3_free(error);
    sqlite3_close_v2(db);
}

// A snapshot at a given time whose four values are v, v+1, v+2, v+3 and
// whose input 1 is on when v is odd.
QString lectura(const QString &fecha, int v) {
    return QStringLiteral("insert into Lectura values('%1','%2','-','-','-','-','-','-','-','-',"
                          "'-','-','-','-','-','-','-',%3,0,%3,%4,%5,%6);")
        .arg(fecha, v % 2 ? "Si" : "-")
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

// The Fecha column of every row a grid holds, taking in whatever is still
// being read.
QStringList fechas(LogGrid *grid) {
    ResultSet &set = grid->resultSet();
    set.waitForIdle();
    QStringList out;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        out << grid->cellText(row, "Fecha");
    return out;
}

qint64 residentKb() {
    QFile f("/proc/self/status");
    f.open(QIODevice::ReadOnly);
    for (const QByteArray &line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLongLong();
    return -1;
}

// A viewer over a temporary ExeDir's log.
struct Rig {
    ExeDir exe;
    TFDM fdm;
    QString path = exe.file("db/Korvane.db3");
    QPointer<TFConsulta> viewer;

    TFConsulta *open() {
        viewer = new TFConsulta(fdm, path);
        viewer->show();
        fdm.LecturaSQL.waitForIdle();
        fdm.EscrituraSQL.waitForIdle();
        return viewer;
    }
    ~Rig() { delete viewer; }
};

} // namespace

class TstLogViewer : public QObject {
    Q_OBJECT

private slots:
    void windowControlsAndTheirPlaces();
    void gridsShowTheListedColumnsReadOnlyAndCentred();
    void openingShowsBothLogsNewestFirst();
    void filterFromOneDayToTheNextShowsTheSecondDay();
    void sortTextsAreThoseOfTheViewer();
    void equalPickersShowTheMessageAndLeaveTheGrid();
    void commandsSortIncludingTheEmptyTenthItem();
    void refreshShowsRowsStoredSince();
    void twoViewersShareRowsAndClosingOneEmptiesTheOther();
    void missingDatabaseGivesOneErrorAndEmptyGrids();
    void failingFirstQueryLeavesTheCommandsUnopened();
    void datePickersShowFourDigitYearsAndOpenACalendar();
    void navigatorAndScrollingReachEveryRowOfALongLog();
    void aSlowQueryLeavesTheWindowThreadFreeAndCanBeCancelled();
    void aMillionRowLogKeepsResidentMemoryFarBelowItsSize();
    void menuItemOpensAnotherViewerAtEveryClick();
};

void TstLogViewer::windowControlsAndTheirPlaces() {
    BoxRecorder boxes;
    Rig r;
    TFConsulta *v = r.open();
    QCOMPARE(v->windowTitle(), QString("Consulta Log en Base de Datos"));
    QCOMPARE(v->size(), QSize(904, 662));
    QVERIFY(v->windowFlags() & Qt::WindowMinimizeButtonHint);
    QVERIFY(!(v->windowFlags() & Qt::WindowMaximizeButtonHint));
    QCOMPARE(v->windowModality(), Qt::NonModal);

    QCOMPARE(v->Panel_Top->geometry(), QRect(8, 2, 889, 50));
    QVERIFY(!v->Imagen_Logo->pixmap().isNull());
    QCOMPARE(v->Panel1->geometry(), QRect(8, 56, 889, 545));
    QCOMPARE(v->Label2->text(), QString("Registro de Lectura Estados Entradas"));
    QCOMPARE(v->Label2->pos(), QPoint(8, 5));
    QCOMPARE(v->Label2->font().pointSize(), 14);
    QCOMPARE(v->Label2->palette().color(QPalette::WindowText), QColor(128, 128, 128));
    QCOMPARE(v->Label1->text(), QString("Registro de Comandos Enviados"));
    QCOMPARE(v->Label1->pos(), QPoint(8, 357));
    QCOMPARE(v->Panel2->geometry(), QRect(8, 32, 873, 81));
    QCOMPARE(v->Txt1->text(), QString("Ordenar por"));
    QCOMPARE(v->Txt1->pos(), QPoint(20, 32));
    QCOMPARE(v->OrdenPor->pos(), QPoint(104, 29));
    QCOMPARE(v->OrdenPor->width(), 105);
    QStringList items;
    for (int i = 0; i < v->OrdenPor->count(); ++i)
        items << v->OrdenPor->itemText(i);
    QCOMPARE(items, QStringList({"Fecha", "Valor 1", "Valor 2", "Valor 3", "Valor 4"}));
    QCOMPARE(v->OrdenPor->currentText(), QString("Fecha"));
    QCOMPARE(v->OrdenPor->font().pointSize(), 10);
    QCOMPARE(v->Desc->text(), QString("Descendente"));
    QCOMPARE(v->Desc->pos(), QPoint(246, 17));
    QVERIFY(v->Desc->isChecked());
    QCOMPARE(v->Asc->text(), QString("Ascendente"));
    QCOMPARE(v->Asc->pos(), QPoint(246, 46));
    QCOMPARE(v->ActivaFiltro1->text(), QString("Activar Filtro"));
    QCOMPARE(v->ActivaFiltro1->pos(), QPoint(381, 26));
    QVERIFY(!v->ActivaFiltro1->isChecked());
    QCOMPARE(v->TxtDesde->text(), QString("Desde"));
    QCOMPARE(v->TxtDesde->pos(), QPoint(508, 14));
    QCOMPARE(v->FechaDesde->geometry().topLeft(), QPoint(552, 11));
    QCOMPARE(v->FechaDesde->width(), 121);
    QCOMPARE(v->TxtHasta->text(), QString("Hasta"));
    QCOMPARE(v->TxtHasta->pos(), QPoint(511, 49));
    QCOMPARE(v->FechaHasta->geometry().topLeft(), QPoint(552, 46));
    QCOMPARE(v->FechaHasta->width(), 120);
    for (QWidget *w :
         std::initializer_list<QWidget *>{v->TxtDesde, v->FechaDesde, v->TxtHasta, v->FechaHasta})
        QVERIFY(!w->isEnabled());
    v->ActivaFiltro1->click();
    for (QWidget *w :
         std::initializer_list<QWidget *>{v->TxtDesde, v->FechaDesde, v->TxtHasta, v->FechaHasta})
        QVERIFY(w->isEnabled());
    v->ActivaFiltro1->click();
    QVERIFY(!v->FechaHasta->isEnabled());
    QCOMPARE(v->btnOrdenaLectura->text(), QString("Ordenar y Filtrar"));
    QCOMPARE(v->btnOrdenaLectura->geometry(), QRect(698, 24, 160, 30));
    QCOMPARE(v->btnOrdenaLectura->font().pointSize(), 11);

    QCOMPARE(v->Grilla_Lectura->geometry(), QRect(8, 120, 873, 209));
    QCOMPARE(v->DBNavigator1->geometry(), QRect(400, 328, 480, 25));
    QCOMPARE(v->Grilla_Escritura->geometry(), QRect(8, 384, 681, 129));
    QCOMPARE(v->DBNavigator2->geometry(), QRect(208, 512, 480, 25));
    QCOMPARE(v->Panel3->geometry(), QRect(696, 384, 185, 153));
    QCOMPARE(v->Label4->text(), QString("Ordenar por"));
    QCOMPARE(v->Label4->pos(), QPoint(52, 8));
    QCOMPARE(v->OrdenPor2->pos(), QPoint(24, 29));
    QCOMPARE(v->OrdenPor2->width(), 137);
    QCOMPARE(v->OrdenPor2->count(), 10);
    QCOMPARE(v->OrdenPor2->itemText(0), QString("Fecha"));
    QCOMPARE(v->OrdenPor2->itemText(8), QString("Bit 8"));
    QCOMPARE(v->OrdenPor2->itemText(9), QString());
    QCOMPARE(v->OrdenPor2->currentIndex(), -1);
    QCOMPARE(v->OrdenPor2->placeholderText(), QString("Fecha")); // what the box reads
    QCOMPARE(v->Desc2->pos(), QPoint(43, 65));
    QCOMPARE(v->Asc2->pos(), QPoint(43, 86));
    QCOMPARE(v->Desc2->layoutDirection(), Qt::RightToLeft);
    QVERIFY(v->Desc2->isChecked());
    QCOMPARE(v->BtnOrdenaEscritura->geometry(), QRect(13, 115, 160, 30));
    QCOMPARE(v->Panel_Menu->geometry(), QRect(8, 608, 889, 47));
    QCOMPARE(v->BitBtn1->text(), QString("   Imprimir"));
    QCOMPARE(v->BitBtn1->geometry(), QRect(8, 8, 160, 30));
    QVERIFY(!v->BitBtn1->icon().isNull());
    QCOMPARE(v->Btn_Cancela->text(), QString("Cerrar Consulta"));
    QCOMPARE(v->Btn_Cancela->geometry(), QRect(722, 7, 160, 30));

    // Closing destroys the window.
    QPointer<TFConsulta> gone(v);
    v->Btn_Cancela->click();
    QTRY_VERIFY(gone.isNull());
    QCOMPARE(boxes.count(), 0);
}

void TstLogViewer::gridsShowTheListedColumnsReadOnlyAndCentred() {
    BoxRecorder boxes;
    Rig r;
    exec(r.path, lectura("2011-01-01 10:00:00", 7) + escritura("2011-01-01 10:00:00", 2));
    TFConsulta *v = r.open();

    LogGrid *g = v->Grilla_Lectura;
    QCOMPARE(g->shownCount(), 21);
    QCOMPARE(g->shownColumn(0), QString("Fecha"));
    QCOMPARE(g->shownTitle(0), QString("Fecha")); // the name as the database reports it
    QCOMPARE(g->columnWidth(g->horizontalHeader()->logicalIndex(0)), 140);
    for (int n = 1; n <= 16; ++n) {
        QCOMPARE(g->shownColumn(n), QStringLiteral("Bit%1").arg(n));
        QCOMPARE(g->shownTitle(n), QString::number(n));
        QCOMPARE(g->columnWidth(g->horizontalHeader()->logicalIndex(n)), 29);
    }
    for (int n = 1; n <= 4; ++n) {
        QCOMPARE(g->shownColumn(16 + n), QStringLiteral("Word%1").arg(n + 2));
        QCOMPARE(g->shownTitle(16 + n), QStringLiteral("Val %1").arg(n));
        QCOMPARE(g->columnWidth(g->horizontalHeader()->logicalIndex(16 + n)), 50);
    }
    QCOMPARE(g->shownColumn(21), QString()); // Word1 and Word2 stay hidden
    QVERIFY(g->isColumnHidden(r.fdm.LecturaSQL.columnIndex("Word1")));
    QVERIFY(g->isColumnHidden(r.fdm.LecturaSQL.columnIndex("Word2")));
    QCOMPARE(g->cellText(0, "Bit1"), QString("Si"));
    QCOMPARE(g->cellText(0, "Word6"), QString("10"));
    QCOMPARE(g->editTriggers(), QAbstractItemView::NoEditTriggers);
    const QModelIndex cell = g->model()->index(0, 0);
    QCOMPARE(cell.data(Qt::TextAlignmentRole).toInt(), int(Qt::AlignCenter));
    QCOMPARE(g->model()->headerData(0, Qt::Horizontal, Qt::TextAlignmentRole).toInt(),
             int(Qt::AlignCenter));
    QVERIFY(g->horizontalHeader()->font().bold());
    QCOMPARE(g->font().pointSize(), 8);

    LogGrid *e = v->Grilla_Escritura;
    QCOMPARE(e->shownCount(), 9);
    QCOMPARE(e->shownTitle(0), QString("Fecha"));
    for (int n = 1; n <= 8; ++n) {
        QCOMPARE(e->shownTitle(n), QStringLiteral("Bit%1").arg(n));
        QCOMPARE(e->columnWidth(e->horizontalHeader()->logicalIndex(n)), 60);
    }
    QCOMPARE(e->cellText(0, "Bit2"), QString("Si"));

    // Columns named in another letter case, in another order, and one more
    // column: the grid still shows only its own, in its order.
    for (const char *tail : {"", "-wal", "-shm"})
        QFile::remove(r.path + tail);
    exec(r.path, "create table Lectura (word6, FECHA, extra, bit2, bit1, word3);"
                 "create table Escritura (bit8, fecha);"
                 "insert into Lectura values (99, '2012-01-01 00:00:00', 'x', 'Si', '-', 5);");
    v->btnOrdenaLectura->click();
    r.fdm.LecturaSQL.waitForIdle();
    QCOMPARE(g->shownColumn(0), QString("FECHA"));
    QCOMPARE(g->shownColumn(1), QString("bit1"));
    QCOMPARE(g->shownColumn(2), QString("bit2"));
    QCOMPARE(g->shownColumn(3), QString("word3"));
    QCOMPARE(g->shownColumn(4), QString("word6"));
    QCOMPARE(g->shownColumn(5), QString());
    QCOMPARE(g->shownTitle(0), QString("FECHA"));
    QCOMPARE(g->shownTitle(4), QString("Val 4"));
    QCOMPARE(boxes.count(), 0);
}

void TstLogViewer::openingShowsBothLogsNewestFirst() {
    BoxRecorder boxes;
    Rig r;
    exec(r.path, lectura("2011-03-02 08:00:00", 1) + lectura("2011-03-04 08:00:00", 2) +
                     lectura("2011-03-01 08:00:00", 3) + escritura("2011-03-02 09:00:00", 1) +
                     escritura("2011-03-05 09:00:00", 2));
    TFConsulta *v = r.open();
    QCOMPARE(r.fdm.LecturaSQL.sql(), QString("Select * From Lectura Order by Fecha Desc;"));
    QCOMPARE(r.fdm.EscrituraSQL.sql(), QString("Select * From Escritura Order by Fecha Desc;"));
    QCOMPARE(fechas(v->Grilla_Lectura),
             QStringList({"2011-03-04 08:00:00", "2011-03-02 08:00:00", "2011-03-01 08:00:00"}));
    QCOMPARE(fechas(v->Grilla_Escritura),
             QStringList({"2011-03-05 09:00:00", "2011-03-02 09:00:00"}));
    QCOMPARE(v->Grilla_Lectura->currentIndex().row(), 0);
    QVERIFY(!v->DBNavigator1->button(DbNavigator::First)->isEnabled());
    QVERIFY(v->DBNavigator1->button(DbNavigator::Last)->isEnabled());
    QCOMPARE(boxes.count(), 0);
}

// The filter leaves out the Desde day and takes in the whole Hasta day.
void TstLogViewer::filterFromOneDayToTheNextShowsTheSecondDay() {
    BoxRecorder boxes;
    Rig r;
    exec(r.path, lectura("2011-09-13 23:59:59", 1) + lectura("2011-09-14 00:00:00", 2) +
                     lectura("2011-09-14 12:30:00", 3) + lectura("2011-09-14 23:59:59", 4) +
                     lectura("2011-09-15 00:00:00", 5) + lectura("2010-01-01 00:00:01", 6) +
                     lectura("2010-01-02 00:00:00", 7) + lectura("2011-09-28 23:59:59", 8) +
                     lectura("2011-09-29 00:00:00", 9));
    TFConsulta *v = r.open();
    v->ActivaFiltro1->click();

    // Switched on without touching the pickers: 2 January 2010 to 28 September 2011.
    v->btnOrdenaLectura->click();
    QCOMPARE(fechas(v->Grilla_Lectura),
             QStringList({"2011-09-28 23:59:59", "2011-09-15 00:00:00", "2011-09-14 23:59:59",
                          "2011-09-14 12:30:00", "2011-09-14 00:00:00", "2011-09-13 23:59:59",
                          "2010-01-02 00:00:00"}));

    v->FechaDesde->setDate(QDate(2011, 9, 13));
    v->FechaHasta->setDate(QDate(2011, 9, 14));
    v->Asc->setChecked(true);
    v->btnOrdenaLectura->click();
    QCOMPARE(r.fdm.LecturaSQL.sql(),
             QString("Select * From Lectura Where Fecha between \"2011-09-13%\" and "
                     "\"2011-09-14%\" Order by Fecha Asc;"));
    QCOMPARE(fechas(v->Grilla_Lectura),
             QStringList({"2011-09-14 00:00:00", "2011-09-14 12:30:00", "2011-09-14 23:59:59"}));

    // Filter off again: every row, whatever the pickers say.
    v->ActivaFiltro1->click();
    v->btnOrdenaLectura->click();
    QCOMPARE(fechas(v->Grilla_Lectura).size(), 9);
    QCOMPARE(boxes.count(), 0);
}

void TstLogViewer::sortTextsAreThoseOfTheViewer() {
    BoxRecorder boxes;
    Rig r;
    exec(r.path, lectura("2011-09-10 10:00:00", 30) + lectura("2011-09-11 10:00:00", 10) +
                     lectura("2011-09-12 10:00:00", 20) + lectura("2011-10-01 10:00:00", 5));
    TFConsulta *v = r.open();

    v->ActivaFiltro1->click();
    v->FechaDesde->setDate(QDate(2011, 9, 1));
    v->FechaHasta->setDate(QDate(2011, 9, 28));
    v->OrdenPor->setCurrentIndex(2); // "Valor 2"
    v->Asc->setChecked(true);
    v->btnOrdenaLectura->click();
    QCOMPARE(r.fdm.LecturaSQL.sql(),
             QString("Select * From Lectura Where Fecha between \"2011-09-01%\" and "
                     "\"2011-09-28%\" Order by Word4 Asc;"));
    QCOMPARE(fechas(v->Grilla_Lectura),
             QStringList({"2011-09-11 10:00:00", "2011-09-12 10:00:00", "2011-09-10 10:00:00"}));

    // Filter off, "Fecha", descending: two blanks before Order.
    v->ActivaFiltro1->click();
    v->OrdenPor->setCurrentIndex(0);
    v->Desc->setChecked(true);
    v->btnOrdenaLectura->click();
    QCOMPARE(r.fdm.LecturaSQL.sql(), QString("Select * From Lectura  Order by Fecha Desc;"));
    QCOMPARE(fechas(v->Grilla_Lectura).first(), QString("2011-10-01 10:00:00"));

    // Every value column; no selection sorts by date.
    const QString columns[] = {"Fecha", "Word3", "Word4", "Word5", "Word6"};
    for (int item = 0; item < 5; ++item) {
        v->OrdenPor->setCurrentIndex(item);
        v->btnOrdenaLectura->click();
        QCOMPARE(r.fdm.LecturaSQL.sql(),
                 "Select * From Lectura  Order by " + columns[item] + " Desc;");
    }
    v->OrdenPor->setCurrentIndex(-1);
    v->btnOrdenaLectura->click();
    QCOMPARE(r.fdm.LecturaSQL.sql(), QString("Select * From Lectura  Order by Fecha Desc;"));
    QCOMPARE(boxes.count(), 0);
}

void TstLogViewer::equalPickersShowTheMessageAndLeaveTheGrid() {
    BoxRecorder boxes;
    Rig r;
    exec(r.path, lectura("2011-05-05 10:00:00", 1) + lectura("2011-05-06 10:00:00", 2));
    TFConsulta *v = r.open();
    const QString opening = r.fdm.LecturaSQL.sql();
    const QStringList rows = fechas(v->Grilla_Lectura);

    v->ActivaFiltro1->click();
    v->FechaDesde->setDate(QDate(2011, 5, 6));
    v->FechaHasta->setDate(QDate(2011, 5, 6));
    v->Asc->setChecked(true);
    v->btnOrdenaLectura->click();
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.boxes().at(0).kind, MessageBoxes::Kind::Information);
    QCOMPARE(boxes.lastText(), TFConsulta::sameDayMessage());
    QCOMPARE(boxes.lastText(),
             QString("Para ver registros de un solo dia el campo DESDE debe tener un dia menos.!"));
    QCOMPARE(r.fdm.LecturaSQL.sql(), opening);
    QCOMPARE(fechas(v->Grilla_Lectura), rows);

    // The same with the filter off.
    v->ActivaFiltro1->click();
    v->btnOrdenaLectura->click();
    QCOMPARE(boxes.count(), 2);
    QCOMPARE(r.fdm.LecturaSQL.sql(), opening);
    QCOMPARE(fechas(v->Grilla_Lectura), rows);
}

void TstLogViewer::commandsSortIncludingTheEmptyTenthItem() {
    BoxRecorder boxes;
    Rig r;
    exec(r.path, escritura("2011-01-01 10:00:00", 3) + escritura("2011-01-02 10:00:00", 1) +
                     escritura("2011-01-03 10:00:00", 3) + lectura("2011-01-01 10:00:00", 1));
    TFConsulta *v = r.open();
    v->OrdenPor2->setCurrentIndex(3); // "Bit 3"
    v->Asc2->setChecked(true);
    v->BtnOrdenaEscritura->click();
    QCOMPARE(r.fdm.EscrituraSQL.sql(), QString("Select * From Escritura Order by Bit3 Asc;"));
    QCOMPARE(fechas(v->Grilla_Escritura).last(), QString("2011-01-03 10:00:00"));

    v->OrdenPor2->setCurrentIndex(9); // the empty tenth item
    v->BtnOrdenaEscritura->click();
    QCOMPARE(r.fdm.EscrituraSQL.sql(), QString("Select * From Escritura Order by Fecha Asc;"));
    QCOMPARE(fechas(v->Grilla_Escritura),
             QStringList({"2011-01-01 10:00:00", "2011-01-02 10:00:00", "2011-01-03 10:00:00"}));
    v->OrdenPor2->setCurrentIndex(-1);
    v->Desc2->setChecked(true);
    v->BtnOrdenaEscritura->click();
    QCOMPARE(r.fdm.EscrituraSQL.sql(), QString("Select * From Escritura Order by Fecha Desc;"));

    // The date filter never reaches the commands.
    v->ActivaFiltro1->click();
    v->FechaDesde->setDate(QDate(2011, 1, 2));
    v->FechaHasta->setDate(QDate(2011, 1, 3));
    v->BtnOrdenaEscritura->click();
    QCOMPARE(fechas(v->Grilla_Escritura).size(), 3);
    QCOMPARE(boxes.count(), 0);
}

void TstLogViewer::refreshShowsRowsStoredSince() {
    BoxRecorder boxes;
    Rig r;
    exec(r.path, lectura("2011-05-05 10:00:00", 1) + escritura("2011-05-05 10:00:00", 1));
    TFConsulta *v = r.open();
    exec(r.path, lectura("2011-05-05 11:00:00", 2) + escritura("2011-05-05 11:00:00", 4));
    // The grids never refresh by themselves.
    QTest::qWait(100);
    QCOMPARE(fechas(v->Grilla_Lectura).size(), 1);
    v->DBNavigator1->button(DbNavigator::Refresh)->click();
    QCOMPARE(fechas(v->Grilla_Lectura),
             QStringList({"2011-05-05 11:00:00", "2011-05-05 10:00:00"}));
    QCOMPARE(fechas(v->Grilla_Escritura).size(), 1);
    v->DBNavigator2->button(DbNavigator::Refresh)->click();
    QCOMPARE(fechas(v->Grilla_Escritura).size(), 2);
    QCOMPARE(v->Grilla_Escritura->cellText(0, "Bit4"), QString("Si"));
    QCOMPARE(boxes.count(), 0);
}

void TstLogViewer::twoViewersShareRowsAndClosingOneEmptiesTheOther() {
    BoxRecorder boxes;
    Rig r;
    exec(r.path, lectura("2011-05-05 10:00:00", 1) + lectura("2011-05-06 10:00:00", 2) +
                     escritura("2011-05-05 10:00:00", 1));
    TFConsulta *first = r.open();
    auto *second = new TFConsulta(r.fdm, r.path);
    second->show();
    second->Asc->setChecked(true);
    second->btnOrdenaLectura->click();
    // Both show the rows of the last sort, whichever window made it.
    const QStringList ascending{"2011-05-05 10:00:00", "2011-05-06 10:00:00"};
    QCOMPARE(fechas(second->Grilla_Lectura), ascending);
    QCOMPARE(fechas(first->Grilla_Lectura), ascending);

    second->close();
    QCOMPARE(first->Grilla_Lectura->model()->rowCount(), 0);
    QCOMPARE(first->Grilla_Escritura->model()->rowCount(), 0);
    QVERIFY(!r.fdm.LecturaSQL.isOpen());
    QVERIFY(!first->DBNavigator1->button(DbNavigator::Refresh)->isEnabled());
    // Until its own sort buttons are used again.
    first->btnOrdenaLectura->click();
    QCOMPARE(fechas(first->Grilla_Lectura).size(), 2);
    QCOMPARE(first->Grilla_Escritura->model()->rowCount(), 0);
    first->BtnOrdenaEscritura->click();
    QCOMPARE(fechas(first->Grilla_Escritura).size(), 1);
    QCOMPARE(boxes.count(), 0);
}

void TstLogViewer::missingDatabaseGivesOneErrorAndEmptyGrids() {
    BoxRecorder boxes;
    TFDM fdm;
    ExeDir exe;
    const QString missing = exe.file("nada/Korvane.db3");
    QPointer<TFConsulta> v = new TFConsulta(fdm, missing);
    v->show();
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.boxes().at(0).title, AppInfo::title());
    QCOMPARE(boxes.boxes().at(0).kind, MessageBoxes::Kind::Error);
    QCOMPARE(boxes.lastText(), QString("unable to open database file"));
    QVERIFY(v->isVisible());
    QCOMPARE(v->Grilla_Lectura->model()->rowCount(), 0);
    QCOMPARE(v->Grilla_Escritura->model()->rowCount(), 0);
    QVERIFY(!fdm.LecturaSQL.isOpen());
    QVERIFY(!v->DBNavigator1->button(DbNavigator::Next)->isEnabled());
    QVERIFY(!QFile::exists(missing));

    // The sort buttons try again and say the same.
    v->btnOrdenaLectura->click();
    QCOMPARE(boxes.count(), 2);
    QCOMPARE(boxes.lastText(), QString("unable to open database file"));
    v->BtnOrdenaEscritura->click();
    QCOMPARE(boxes.count(), 3);
    delete v;
}

void TstLogViewer::failingFirstQueryLeavesTheCommandsUnopened() {
    BoxRecorder boxes;
    Rig r;
    exec(r.path, "drop table Lectura;");
    TFConsulta *v = r.open();
    QCOMPARE(boxes.count(), 1);
    QCOMPARE(boxes.lastText(), QString("no such table: Lectura"));
    QVERIFY(!r.fdm.LecturaSQL.isOpen());
    QVERIFY(!r.fdm.EscrituraSQL.isOpen());
    QCOMPARE(v->Grilla_Escritura->model()->rowCount(), 0);
    // The commands log still sorts on its own.
    v->BtnOrdenaEscritura->click();
    QVERIFY(r.fdm.EscrituraSQL.isOpen());
    QCOMPARE(boxes.count(), 1);
}

void TstLogViewer::datePickersShowFourDigitYearsAndOpenACalendar() {
    QCOMPARE(DatePicker::withFourDigitYear("d/M/yy"), QString("d/M/yyyy"));
    QCOMPARE(DatePicker::withFourDigitYear("dd.MM.yy"), QString("dd.MM.yyyy"));
    QCOMPARE(DatePicker::withFourDigitYear("M/d/yy"), QString("M/d/yyyy"));
    QCOMPARE(DatePicker::withFourDigitYear("yyyy-MM-dd"), QString("yyyy-MM-dd"));
    QCOMPARE(DatePicker::withFourDigitYear("d 'de' MMMM 'yy' yy"),
             QString("d 'de' MMMM 'yy' yyyy"));
    QVERIFY(DatePicker::displayFormat().contains("yyyy"));

    BoxRecorder boxes;
    Rig r;
    TFConsulta *v = r.open();
    QCOMPARE(v->FechaDesde->date(), QDate(2010, 1, 1));
    QCOMPARE(v->FechaHasta->date(), QDate(2011, 9, 28));
    QCOMPARE(v->FechaHasta->text(),
             QLocale::system().toString(QDate(2011, 9, 28), DatePicker::displayFormat()));
    QVERIFY(v->FechaHasta->text().contains("2011"));
    QVERIFY(!v->FechaDesde->isEditable());

    // The drop-down is a calendar dialog that offers nothing before 2010.
    QString title;
    QDate minimum;
    QTimer::singleShot(0, [&] {
        auto *dialog = qobject_cast<QDialog *>(QApplication::activeModalWidget());
        QVERIFY(dialog);
        title = dialog->windowTitle();
        auto *calendar = dialog->findChild<QCalendarWidget *>();
        minimum = calendar->minimumDate();
        calendar->setSelectedDate(QDate(2011, 2, 3));
        dialog->accept();
    });
    v->ActivaFiltro1->click();
    v->FechaHasta->showPopup();
    QCOMPARE(title, QString("Seleccione Fecha"));
    QCOMPARE(minimum, QDate(2010, 1, 1));
    QCOMPARE(v->FechaHasta->date(), QDate(2011, 2, 3));
    v->FechaHasta->setDate(QDate(2009, 5, 5));
    QCOMPARE(v->FechaHasta->date(), QDate(2010, 1, 1));
    QCOMPARE(boxes.count(), 0);
}

void TstLogViewer::navigatorAndScrollingReachEveryRowOfALongLog() {
    BoxRecorder boxes;
    Rig r;
    LogFiller::Options options;
    options.lectura = 20000;
    QVERIFY(LogFiller::make(r.path, options));
    TFConsulta *v = r.open();
    ResultSet &set = r.fdm.LecturaSQL;
    LogGrid *grid = v->Grilla_Lectura;
    QCOMPARE(grid->cellText(0, "Fecha"), LogFiller::fecha(options, 19999));

    v->DBNavigator1->click(DbNavigator::Last);
    set.waitForIdle();
    QCoreApplication::processEvents();
    QVERIFY(set.eof());
    QCOMPARE(set.field("Fecha").toString(), LogFiller::fecha(options, 0));
    QCOMPARE(grid->currentIndex().row(), set.current());
    QVERIFY(!v->DBNavigator1->button(DbNavigator::Last)->isEnabled());

    // Scrolling up from the end brings the earlier rows in, without a jump.
    QScrollBar *bar = grid->verticalScrollBar();
    bar->setValue(bar->minimum());
    set.waitForIdle();
    QCoreApplication::processEvents();
    QVERIFY(bar->value() > 0);
    // The window ends with the oldest row: row k of it is snapshot rowCount - 1 - k.
    const int top = bar->value();
    QCOMPARE(grid->cellText(top, "Fecha"), LogFiller::fecha(options, set.rowCount() - 1 - top));
    QCOMPARE(top, ResultSet::kBlock);

    v->DBNavigator1->click(DbNavigator::First);
    set.waitForIdle();
    QVERIFY(set.bof());
    QCOMPARE(set.field("Fecha").toString(), LogFiller::fecha(options, 19999));
    // Down the grid with the keyboard past the first block.
    grid->setFocus();
    for (int i = 0; i < ResultSet::kBlock + 10; ++i) {
        QTest::keyClick(grid, Qt::Key_Down);
        set.waitForIdle();
    }
    QCOMPARE(set.current(), ResultSet::kBlock + 10);
    QCOMPARE(set.field("Fecha").toString(), LogFiller::fecha(options, 19999 - 266));
    QCOMPARE(boxes.count(), 0);
}

// The poll cycle's pace goes on while a query runs, and the grid offers to
// stop it.
void TstLogViewer::aSlowQueryLeavesTheWindowThreadFreeAndCanBeCancelled() {
    BoxRecorder boxes;
    Rig r;
    TFConsulta *v = r.open();
    int ticks = 0;
    QTimer step;
    step.setInterval(50);
    QObject::connect(&step, &QTimer::timeout, [&] { ++ticks; });
    step.start();
    // A count without end: its first row never comes.
    r.fdm.LecturaSQL.setSQL("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c) "
                            "SELECT count(*) AS n FROM c");
    r.fdm.LecturaSQL.open();
    QTRY_VERIFY(v->Grilla_Lectura->busyNoticeShown());
    QTest::qWait(500);
    QVERIFY(ticks >= 3); // ten steps fit in that time; a blocked thread gives one
    auto *cancel = v->Grilla_Lectura->findChild<QPushButton *>("CancelarConsulta");
    QVERIFY(cancel && cancel->isVisible());
    cancel->click();
    QVERIFY(!v->Grilla_Lectura->busyNoticeShown());
    QVERIFY(!r.fdm.LecturaSQL.isOpen());
    // The viewer's own sort works again at once.
    v->btnOrdenaLectura->click();
    QVERIFY(r.fdm.LecturaSQL.waitForIdle(5000));
    QVERIFY(r.fdm.LecturaSQL.isOpen());
    QCOMPARE(boxes.count(), 0);
}

// The table is over a hundred megabytes; the viewer holds a window of it.
void TstLogViewer::aMillionRowLogKeepsResidentMemoryFarBelowItsSize() {
    BoxRecorder boxes;
    Rig r;
    // Filled by another process, whose page cache must not count here.
    QCOMPARE(
        QProcess::execute(QCoreApplication::applicationFilePath(), {"--fill", r.path, "1000000"}),
        0);
    const qint64 fileKb = QFileInfo(r.path).size() / 1024;
    QVERIFY(fileKb > 90 * 1024);

    // Fonts, styles and the first window's own memory come first.
    {
        TFDM warm;
        ExeDir empty;
        auto *w = new TFConsulta(warm, empty.file("db/Korvane.db3"));
        w->show();
        QCoreApplication::processEvents();
        delete w;
    }
    const qint64 before = residentKb();
    TFConsulta *v = r.open();
    QCoreApplication::processEvents();
    QCOMPARE(r.fdm.LecturaSQL.rowCount(), ResultSet::kBlock);
    v->DBNavigator1->click(DbNavigator::Last);
    r.fdm.LecturaSQL.waitForIdle();
    v->OrdenPor->setCurrentIndex(3);
    v->btnOrdenaLectura->click();
    r.fdm.LecturaSQL.waitForIdle();
    QCoreApplication::processEvents();
    const qint64 grown = residentKb() - before;
    qInfo("log file %lld kB, resident memory grew by %lld kB", fileKb, grown);
    QVERIFY2(grown < fileKb / 8, qPrintable(QString("grew by %1 kB").arg(grown)));
    QCOMPARE(boxes.count(), 0);
}

void TstLogViewer::menuItemOpensAnotherViewerAtEveryClick() {
    BoxRecorder boxes;
    ExeDir dir;
    dir.writeConfig("[Comunicacion]\nDB=No\n[Puertos]\nCOM1=" + dir.file("ttyNADA").toUtf8() +
                    "\n");
    exec(dir.file("db/Korvane.db3"), lectura("2011-05-05 10:00:00", 1));
    TFDM fdm;
    TFMain w(dir.path(), fdm);
    QVERIFY(!w.refusedAsSecondCopy());
    w.show();
    w.VerRegistrosGuardados1->trigger();
    w.VerRegistrosGuardados1->trigger();
    const QList<TFConsulta *> viewers = w.findChildren<TFConsulta *>();
    QCOMPARE(viewers.size(), 2);
    for (TFConsulta *v : viewers) {
        QVERIFY(v->isVisible());
        QVERIFY(!v->isModal());
        QCOMPARE(v->parentWidget(), &w);
    }
    QVERIFY(fdm.isOpen()); // the viewer opens the connection
    fdm.LecturaSQL.waitForIdle();
    QCOMPARE(fdm.LecturaSQL.rowCount(), 1);
    // The main window stays usable meanwhile.
    QVERIFY(w.isEnabled());
    QVERIFY(!QApplication::activeModalWidget());
    QCOMPARE(boxes.count(), 0);
    qDeleteAll(viewers);
}

// "--fill PATH ROWS" makes a log and ends: the memory test fills its log in
// a process of its own.
int main(int argc, char **argv) {
    if (argc >= 4 && qstrcmp(argv[1], "--fill") == 0) {
        QCoreApplication app(argc, argv);
        LogFiller::Options options;
        options.lectura = QByteArray(argv[3]).toLongLong();
        options.sortIndexes = false;
        options.summaries = false;
        return LogFiller::make(QString::fromLocal8Bit(argv[2]), options) ? 0 : 1;
    }
    QApplication app(argc, argv);
    TstLogViewer test;
    return QTest::qExec(&test, argc, argv);
}

#include "tst_log_viewer.moc"

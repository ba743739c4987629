#include "log/TFConsulta.h"

#include "common/AppInfo.h"
#include "common/Guard.h"
#include "common/MessageBoxes.h"
#include "common/Resources.h"
#include "log/DatePicker.h"
#include "log/DbNavigator.h"
#include "log/LogGrid.h"
#include "log/TFDM.h"
#include "log/TFReporte.h"
#include "log/ViewerFonts.h"
#include "log/ViewerSql.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QFrame>
#include <QGuiApplication>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>

namespace {

// The viewer last used, which reports a failure of the shared queries: two
// viewers show the same rows, one box is enough.
QPointer<TFConsulta> &lastUsed() {
    static QPointer<TFConsulta> viewer;
    return viewer;
}

QFrame *panel(QWidget *parent, const char *name, const QRect &geometry) {
    auto *p = new QFrame(parent);
    p->setObjectName(QLatin1String(name));
    p->setFrameStyle(QFrame::Panel | QFrame::Raised);
    p->setGeometry(geometry);
    return p;
}

QLabel *label(QWidget *parent, const char *name, const QString &text, const QPoint &at,
              const QFont &font) {
    auto *l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->setFont(font);
    l->move(at);
    l->adjustSize();
    return l;
}

QPushButton *button(QWidget *parent, const char *name, const QString &text, const QRect &geometry) {
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setFont(ViewerFonts::arial(11));
    b->setGeometry(geometry);
    return b;
}

// A small printer for the print button.
QIcon printerGlyph() {
    QPixmap pixmap(18, 18);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 40, 40), 1));
    p.setBrush(Qt::white);
    p.drawRect(QRectF(5.5, 1.5, 7, 5)); // paper in
    p.setBrush(QColor(150, 150, 150));
    p.drawRoundedRect(QRectF(1.5, 6.5, 15, 7), 1.5, 1.5); // body
    p.setBrush(Qt::white);
    p.drawRect(QRectF(4.5, 11.5, 9, 5)); // paper out
    p.setPen(QColor(40, 40, 40));
    p.drawLine(QPointF(6, 13.5), QPointF(12, 13.5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0, 170, 0));
    p.drawEllipse(QPointF(14, 8.7), 0.9, 0.9);
    return QIcon(pixmap);
}

QList<GridColumn> lecturaColumns() {
    QList<GridColumn> columns{{QStringLiteral("Fecha"), {}, 140}};
    for (int n = 1; n <= 16; ++n)
        columns.append({QStringLiteral("Bit%1").arg(n), QString::number(n), 29});
    for (int n = 1; n <= 4; ++n)
        columns.append({QStringLiteral("Word%1").arg(n + 2), QStringLiteral("Val %1").arg(n), 50});
    return columns;
}

QList<GridColumn> escrituraColumns() {
    QList<GridColumn> columns{{QStringLiteral("Fecha"), {}, 140}};
    for (int n = 1; n <= 8; ++n)
        columns.append({QStringLiteral("Bit%1").arg(n), {}, 60});
    return columns;
}

} // namespace

TFConsulta::TFConsulta(TFDM &fdm, const QString &databasePath, QWidget *parent)
    : QWidget(parent), m_fdm(fdm), m_path(databasePath) {
    setObjectName(QStringLiteral("FConsulta"));
    setAttribute(Qt::WA_DeleteOnClose);
    initBuiltinResources();
    createControls();
    connect(&m_fdm.LecturaSQL, &ResultSet::failed, this, &TFConsulta::reportFailure);
    connect(&m_fdm.EscrituraSQL, &ResultSet::failed, this, &TFConsulta::reportFailure);
    FormCreate();
}

TFConsulta::~TFConsulta() = default;

QString TFConsulta::sameDayMessage() {
    return QStringLiteral(
        "Para ver registros de un solo dia el campo DESDE debe tener un dia menos.!");
}

void TFConsulta::createControls() {
    setWindowTitle(QStringLiteral("Consulta Log en Base de Datos"));
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/builtin/tray.png")));
    setFont(ViewerFonts::msSansSerif(8));
    // 920 x 700 outside: the client area within a standard frame and caption.
    setFixedSize(904, 662);

    Panel_Top = panel(this, "Panel_Top", QRect(8, 2, 889, 50));
    Imagen_Logo = new QLabel(Panel_Top);
    Imagen_Logo->setObjectName(QStringLiteral("Imagen_Logo"));
    Imagen_Logo->setGeometry(2, 2, 885, 46);
    Imagen_Logo->setScaledContents(true);
    Imagen_Logo->setPixmap(QPixmap(QStringLiteral(":/builtin/banner.png")));

    Panel1 = panel(this, "Panel1", QRect(8, 56, 889, 545));
    const QFont title = ViewerFonts::arial(14);
    Label2 = label(Panel1, "Label2", QStringLiteral("Registro de Lectura Estados Entradas"),
                   QPoint(8, 5), title);
    Label1 = label(Panel1, "Label1", QStringLiteral("Registro de Comandos Enviados"),
                   QPoint(8, 357), title);
    for (QLabel *l : {Label2, Label1}) {
        QPalette pal = l->palette();
        pal.setColor(QPalette::WindowText, QColor(128, 128, 128));
        l->setPalette(pal);
    }

    // Sort and filter bar of the inputs log.
    const QFont bar = ViewerFonts::arial(10);
    Panel2 = panel(Panel1, "Panel2", QRect(8, 32, 873, 81));
    Txt1 = label(Panel2, "Txt1", QStringLiteral("Ordenar por"), QPoint(20, 32), bar);
    OrdenPor = new QComboBox(Panel2);
    OrdenPor->setObjectName(QStringLiteral("OrdenPor"));
    OrdenPor->setFont(bar);
    OrdenPor->addItems({QStringLiteral("Fecha"), QStringLiteral("Valor 1"),
                        QStringLiteral("Valor 2"), QStringLiteral("Valor 3"),
                        QStringLiteral("Valor 4")});
    OrdenPor->setCurrentIndex(0);
    OrdenPor->setGeometry(104, 29, 105, OrdenPor->sizeHint().height());
    Desc = new QRadioButton(QStringLiteral("Descendente"), Panel2);
    Desc->setObjectName(QStringLiteral("Desc"));
    Desc->setFont(bar);
    Desc->setGeometry(246, 17, std::max(99, Desc->sizeHint().width()), 17);
    Desc->setChecked(true);
    Asc = new QRadioButton(QStringLiteral("Ascendente"), Panel2);
    Asc->setObjectName(QStringLiteral("Asc"));
    Asc->setFont(bar);
    Asc->setGeometry(246, 46, std::max(99, Asc->sizeHint().width()), 17);
    ActivaFiltro1 = new QCheckBox(QStringLiteral("Activar Filtro"), Panel2);
    ActivaFiltro1->setObjectName(QStringLiteral("ActivaFiltro1"));
    ActivaFiltro1->setFont(bar);
    // Wide enough for its caption in the face that stands in for Arial.
    ActivaFiltro1->setGeometry(381, 26, std::max(89, ActivaFiltro1->sizeHint().width()), 25);
    TxtDesde = label(Panel2, "TxtDesde", QStringLiteral("Desde"), QPoint(508, 14), bar);
    FechaDesde = new DatePicker(QDate(2010, 1, 1), Panel2);
    FechaDesde->setObjectName(QStringLiteral("FechaDesde"));
    FechaDesde->setFont(bar);
    FechaDesde->setGeometry(552, 11, 121, FechaDesde->sizeHint().height());
    TxtHasta = label(Panel2, "TxtHasta", QStringLiteral("Hasta"), QPoint(511, 49), bar);
    FechaHasta = new DatePicker(QDate(2011, 9, 28), Panel2);
    FechaHasta->setObjectName(QStringLiteral("FechaHasta"));
    FechaHasta->setFont(bar);
    FechaHasta->setGeometry(552, 46, 120, FechaHasta->sizeHint().height());
    for (QWidget *w : std::initializer_list<QWidget *>{TxtDesde, FechaDesde, TxtHasta, FechaHasta})
        w->setEnabled(false);
    btnOrdenaLectura = button(Panel2, "btnOrdenaLectura", QStringLiteral("Ordenar y Filtrar"),
                              QRect(698, 24, 160, 30));

    Grilla_Lectura = new LogGrid(m_fdm.DLectura, lecturaColumns(), Panel1);
    Grilla_Lectura->setObjectName(QStringLiteral("Grilla_Lectura"));
    Grilla_Lectura->setGeometry(8, 120, 873, 209);
    DBNavigator1 = new DbNavigator(m_fdm.LecturaSQL, Panel1);
    DBNavigator1->setObjectName(QStringLiteral("DBNavigator1"));
    DBNavigator1->setGeometry(400, 328, 480, 25);

    Grilla_Escritura = new LogGrid(m_fdm.DEscritura, escrituraColumns(), Panel1);
    Grilla_Escritura->setObjectName(QStringLiteral("Grilla_Escritura"));
    Grilla_Escritura->setGeometry(8, 384, 681, 129);
    DBNavigator2 = new DbNavigator(m_fdm.EscrituraSQL, Panel1);
    DBNavigator2->setObjectName(QStringLiteral("DBNavigator2"));
    DBNavigator2->setGeometry(208, 512, 480, 25);

    // Sort bar of the commands log.
    Panel3 = panel(Panel1, "Panel3", QRect(696, 384, 185, 153));
    Label4 = label(Panel3, "Label4", QStringLiteral("Ordenar por"), QPoint(52, 8), bar);
    OrdenPor2 = new QComboBox(Panel3);
    OrdenPor2->setObjectName(QStringLiteral("OrdenPor2"));
    OrdenPor2->setFont(bar);
    OrdenPor2->addItem(QStringLiteral("Fecha"));
    for (int n = 1; n <= 8; ++n)
        OrdenPor2->addItem(QStringLiteral("Bit %1").arg(n));
    OrdenPor2->addItem(QString());
    // Nothing chosen at opening; the box reads "Fecha" all the same.
    OrdenPor2->setPlaceholderText(QStringLiteral("Fecha"));
    OrdenPor2->setCurrentIndex(-1);
    QPalette reads = OrdenPor2->palette();
    reads.setColor(QPalette::PlaceholderText, reads.color(QPalette::Text));
    OrdenPor2->setPalette(reads);
    OrdenPor2->setGeometry(24, 29, 137, OrdenPor2->sizeHint().height());
    Desc2 = new QRadioButton(QStringLiteral("Descendente"), Panel3);
    Desc2->setObjectName(QStringLiteral("Desc2"));
    Asc2 = new QRadioButton(QStringLiteral("Ascendente"), Panel3);
    Asc2->setObjectName(QStringLiteral("Asc2"));
    int top = 65;
    for (QRadioButton *r : {Desc2, Asc2}) {
        r->setFont(bar);
        r->setLayoutDirection(Qt::RightToLeft); // the text left of the button
        r->setGeometry(43, top, std::max(99, r->sizeHint().width()), 17);
        top += 21;
    }
    Desc2->setChecked(true);
    BtnOrdenaEscritura = button(Panel3, "BtnOrdenaEscritura", QStringLiteral("Ordenar y Filtrar"),
                                QRect(13, 115, 160, 30));

    Panel_Menu = panel(this, "Panel_Menu", QRect(8, 608, 889, 47));
    BitBtn1 = button(Panel_Menu, "BitBtn1", QStringLiteral("   Imprimir"), QRect(8, 8, 160, 30));
    BitBtn1->setIcon(printerGlyph());
    BitBtn1->setIconSize(QSize(18, 18));
    Btn_Cancela = button(Panel_Menu, "Btn_Cancela", QStringLiteral("Cerrar Consulta"),
                         QRect(722, 7, 160, 30));

    connect(ActivaFiltro1, &QCheckBox::clicked, this, &TFConsulta::ActivaFiltro1Click);
    connect(btnOrdenaLectura, &QPushButton::clicked, this, &TFConsulta::btnOrdenaLecturaClick);
    connect(BtnOrdenaEscritura, &QPushButton::clicked, this, &TFConsulta::BtnOrdenaEscrituraClick);
    connect(BitBtn1, &QPushButton::clicked, this, &TFConsulta::BitBtn1Click);
    connect(Btn_Cancela, &QPushButton::clicked, this, &TFConsulta::Btn_CancelaClick);
    connect(DBNavigator1, &DbNavigator::used, this, &TFConsulta::markUsed);
    connect(DBNavigator2, &DbNavigator::used, this, &TFConsulta::markUsed);

    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TFConsulta::FormCreate() {
    markUsed();
    // The opening's own error report: the window opens whatever happens.
    guarded(this, [&] { m_fdm.ensureOpen(m_path); });
    if (!m_fdm.isOpen())
        return;
    // A failure of the first query leaves the second one unopened.
    guarded(this, [&] {
        m_fdm.LecturaSQL.setSQL(ViewerSql::lecturaOpening());
        m_fdm.LecturaSQL.open();
        m_fdm.EscrituraSQL.setSQL(ViewerSql::escrituraOpening());
        m_fdm.EscrituraSQL.open();
    });
}

void TFConsulta::FormClose() {
    // The queries are shared: every other viewer empties as well.
    m_fdm.LecturaSQL.close();
    m_fdm.EscrituraSQL.close();
}

void TFConsulta::ActivaFiltro1Click() {
    const bool on = ActivaFiltro1->isChecked();
    for (QWidget *w : std::initializer_list<QWidget *>{TxtDesde, TxtHasta, FechaDesde, FechaHasta})
        w->setEnabled(on);
}

void TFConsulta::btnOrdenaLecturaClick() {
    markUsed();
    guarded(this, [&] {
        const QString column = ViewerSql::lecturaColumn(OrdenPor->currentIndex());
        const bool descending = !Asc->isChecked();
        // The dates come from the pickers themselves, never from reading
        // back a text that the system's format may leave ambiguous.
        const QString condition =
            ActivaFiltro1->isChecked()
                ? ViewerSql::dateCondition(FechaDesde->date(), FechaHasta->date())
                : QString();
        if (FechaDesde->text() == FechaHasta->text()) {
            MessageBoxes::information(this, sameDayMessage());
            return;
        }
        m_fdm.ensureOpen(m_path);
        m_fdm.LecturaSQL.setSQL(ViewerSql::lecturaText(condition, column, descending));
        m_fdm.LecturaSQL.open();
    });
}

void TFConsulta::BtnOrdenaEscrituraClick() {
    markUsed();
    guarded(this, [&] {
        const QString column = ViewerSql::escrituraColumn(OrdenPor2->currentIndex());
        const bool descending = !Asc2->isChecked();
        m_fdm.ensureOpen(m_path);
        m_fdm.EscrituraSQL.setSQL(ViewerSql::escrituraText(column, descending));
        m_fdm.EscrituraSQL.open();
    });
}

void TFConsulta::BitBtn1Click() {
    markUsed();
    auto *report = new TFReporte(m_fdm, this);
    report->setAttribute(Qt::WA_DeleteOnClose);
    report->exec();
}

void TFConsulta::Btn_CancelaClick() {
    close();
}

void TFConsulta::closeEvent(QCloseEvent *event) {
    FormClose();
    event->accept();
}

void TFConsulta::changeEvent(QEvent *event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        markUsed();
}

void TFConsulta::markUsed() {
    lastUsed() = this;
}

void TFConsulta::reportFailure(const QString &text) {
    if (lastUsed() && lastUsed() != this)
        return;
    MessageBoxes::showTitled(this, MessageBoxes::Kind::Error, AppInfo::title(), text);
}

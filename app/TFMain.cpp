#include "app/TFMain.h"

#include "app/MenuButtonLook.h"
#include "app/TFAcerca.h"
#include "common/AppInfo.h"
#include "common/Bevel.h"
#include "common/DesktopCentre.h"
#include "common/Guard.h"
#include "common/MessageBoxes.h"
#include "common/PixelFont.h"
#include "common/Resources.h"
#include "device/CommandOutput.h"
#include "log/PeriodicLogger.h"
#include "log/TFConsulta.h"
#include "log/TFDM.h"
#include "log/TFTendencias.h"
#include "notify/AlarmControl.h"
#include "notify/AlarmPlayer.h"
#include "notify/Notices.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSystemTrayIcon>

namespace {

QFrame *panel(QWidget *parent, const char *name, const QRect &geometry) {
    auto *p = new QFrame(parent);
    p->setObjectName(QLatin1String(name));
    setLoweredOuterRaisedInnerBevel(p);
    p->setGeometry(geometry);
    return p;
}

} // namespace

TFMain::TFMain(const QString &exeDir, TFDM &fdm, QWidget *parent)
    : QMainWindow(parent), m_fdm(fdm) {
    setObjectName(QStringLiteral("FMain"));
    initBuiltinResources();
    m_openUrl = [](const QUrl &url) { QDesktopServices::openUrl(url); };
    m_quit = [] { QCoreApplication::quit(); };

    m_poll = std::make_unique<PollCycle>(Com_Serie, this);
    m_display = std::make_unique<DisplayCycle>(m_settings, m_poll->image(), *this, this, this);
    m_poll->setDisplayTimer(&m_display->Reloj_Graficos);
    m_logger = std::make_unique<PeriodicLogger>(
        m_fdm, m_settings, m_poll->image(), [this] { return Com_Serie.connected(); }, this, this);
    m_player = std::make_unique<AlarmPlayer>(this);
    m_alarm = std::make_unique<AlarmControl>(*m_player, m_settings, this);
    m_notices = std::make_unique<Notices>(m_settings, this);
    // Notice 1, notice 2, then the alarm: a notice goes out before the sound starts.
    m_display->setTriggers([this](const InputState &inputs) {
        m_notices->evaluate(1, inputs);
        m_notices->evaluate(2, inputs);
        m_alarm->evaluate(inputs);
    });

    connect(&Com_Serie, &ComSerie::afterOpen, this, &TFMain::Com_SerieAfterOpen);
    connect(&Com_Serie, &ComSerie::afterClose, this, &TFMain::Com_SerieAfterClose);
    connect(m_poll.get(), &PollCycle::portFailed, this, &TFMain::onPortFailed);
    connect(&Reloj_Reconexion, &QTimer::timeout, this, &TFMain::Reloj_ReconexionTimer);
    connect(m_poll.get(), &PollCycle::noisyReply, this, &TFMain::onNoisyReply);
    connect(m_poll.get(), &PollCycle::silenceChanged, this,
            [this](bool silent) { Lbl_SinRespuesta->setVisible(silent); });
    connect(m_logger.get(), &PeriodicLogger::savingChanged, this, &TFMain::showDatabaseState);

    createControls();
    createMenus();
    fixSizeAndPlace();
    startup(exeDir);
    if (!m_refused)
        createTray();
}

TFMain::~TFMain() {
    // The window is going: the port closes without redrawing anything.
    Com_Serie.blockSignals(true);
    Com_Serie.close();
}

IntervalTimer &TFMain::TimerDB() {
    return *m_logger->TimerDB;
}

void TFMain::createControls() {
    setWindowTitle(AppInfo::title());
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);
    setWindowIcon(QIcon(QStringLiteral(":/builtin/tray.png")));
    setFont(pixelFont(QStringLiteral("MS Sans Serif"), 11));

    auto *client = new QWidget(this);
    client->setObjectName(QStringLiteral("ClientArea"));
    client->setFixedSize(904, 642);
    setCentralWidget(client);

    Panel_Logo = panel(client, "Panel_Logo", QRect(8, 2, 889, 50));
    Imagen_Logo = new QLabel(Panel_Logo);
    Imagen_Logo->setObjectName(QStringLiteral("Imagen_Logo"));
    Imagen_Logo->setGeometry(2, 2, 885, 46);
    Imagen_Logo->setPixmap(QPixmap(QStringLiteral(":/builtin/banner.png")));

    Panel_Contenido = panel(client, "Panel_Contenido", QRect(8, 55, 704, 534));
    Imagen = new QLabel(Panel_Contenido);
    Imagen->setObjectName(QStringLiteral("Imagen"));
    Imagen->setGeometry(2, 2, 700, 530);
    Imagen->setAlignment(Qt::AlignCenter);
    Imagen->setPixmap(QPixmap(QStringLiteral(":/builtin/welcome.jpg")));

    const QPixmap lamp(QStringLiteral(":/builtin/lamp.png"));
    for (int n = 1; n <= 16; ++n) {
        auto *icon = new QLabel(Imagen);
        icon->setObjectName(QStringLiteral("Imagen%1").arg(n));
        icon->setGeometry(0, 0, 64, 64);
        icon->setAlignment(Qt::AlignCenter);
        icon->setPixmap(lamp);
        icon->setEnabled(false);
        icon->hide();
        ImagenN[n - 1] = icon;
    }
    for (int p = 1; p <= 4; ++p) {
        auto *info = new QLabel(QStringLiteral("0"), Imagen);
        info->setObjectName(QStringLiteral("Panel_Info_%1").arg(p));
        info->setGeometry(0, 0, 150, 30);
        info->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        info->setAlignment(Qt::AlignCenter);
        info->setAutoFillBackground(true);
        QPalette pal = info->palette();
        pal.setColor(QPalette::Window, Qt::black);
        pal.setColor(QPalette::WindowText, QColor(0, 255, 0));
        info->setPalette(pal);
        info->setFont(pixelFont(QStringLiteral("Verdana"), 21));
        info->setEnabled(false);
        info->hide();
        Panel_Info[p - 1] = info;
    }

    Panel_Menu = panel(client, "Panel_Menu", QRect(716, 55, 180, 584));
    QList<QPushButton *> menuButtons;
    for (int n = 1; n <= 8; ++n) {
        auto *b = new QPushButton(QStringLiteral("Boton %1").arg(n), Panel_Menu);
        b->setObjectName(QStringLiteral("Boton%1").arg(n));
        b->setGeometry(10, 16 + 48 * (n - 1), 160, 33);
        b->setFocusPolicy(Qt::NoFocus);
        b->setCursor(Qt::PointingHandCursor);
        b->setFont(pixelFont(QStringLiteral("Arial"), 17));
        b->setEnabled(false);
        b->hide();
        connect(b, &QPushButton::clicked, this, [this, n] { BotonClick(n); });
        Boton[n - 1] = b;
        menuButtons.append(b);
    }
    BotonCerrar = new QPushButton(QStringLiteral("Cerrar Aplicacion"), Panel_Menu);
    BotonCerrar->setObjectName(QStringLiteral("BotonCerrar"));
    BotonCerrar->setGeometry(10, 542, 160, 33);
    BotonCerrar->setFocusPolicy(Qt::NoFocus);
    BotonCerrar->setCursor(Qt::PointingHandCursor);
    BotonCerrar->setFont(pixelFont(QStringLiteral("Arial"), 17));
    connect(BotonCerrar, &QPushButton::clicked, this, &QWidget::close);
    menuButtons.append(BotonCerrar);
    m_buttonLook = new MenuButtonLook(Panel_Menu, menuButtons, this);

    Panel_Avisos = new QLabel(QStringLiteral("SISTEMA DESCONECTADO!"), client);
    Panel_Avisos->setObjectName(QStringLiteral("Panel_Avisos"));
    Panel_Avisos->setGeometry(8, 592, 704, 47);
    setLoweredOuterRaisedInnerBevel(Panel_Avisos);
    Panel_Avisos->setAlignment(Qt::AlignCenter);
    Panel_Avisos->setFont(pixelFont(QStringLiteral("Arial"), 16, true));
    setStatus(QStringLiteral("SISTEMA DESCONECTADO!"), QColor(255, 0, 0));

    ImgConectado = new QLabel(Panel_Avisos);
    ImgConectado->setObjectName(QStringLiteral("ImgConectado"));
    ImgConectado->setGeometry(8, 0, 46, 46);
    ImgConectado->setAlignment(Qt::AlignCenter);
    ImgConectado->setCursor(Qt::PointingHandCursor);
    ImgConectado->setToolTip(QStringLiteral("Sin conexion con puerto serie!"));
    ImgConectado->setPixmap(QPixmap(QStringLiteral(":/builtin/comoff.png")));

    ImgBase = new QLabel(Panel_Avisos);
    ImgBase->setObjectName(QStringLiteral("ImgBase"));
    ImgBase->setGeometry(64, 0, 46, 46);
    ImgBase->setAlignment(Qt::AlignCenter);
    ImgBase->setCursor(Qt::PointingHandCursor);
    ImgBase->setToolTip(QStringLiteral("No se estan guardando datos!"));
    ImgBase->setPixmap(QPixmap(QStringLiteral(":/builtin/dboff.png")));

    // Beside the connection text, right of it: the controller's silence on
    // top, the noise count below.
    Lbl_SinRespuesta = new QLabel(QStringLiteral("Sin respuesta del equipo"), Panel_Avisos);
    Lbl_SinRespuesta->setObjectName(QStringLiteral("Lbl_SinRespuesta"));
    Lbl_SinRespuesta->setGeometry(460, 5, 238, 18);
    Lbl_SinRespuesta->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Lbl_SinRespuesta->setFont(pixelFont(QStringLiteral("Arial"), 13, true));
    QPalette silencePalette = Lbl_SinRespuesta->palette();
    silencePalette.setColor(QPalette::WindowText, QColor(255, 0, 0));
    Lbl_SinRespuesta->setPalette(silencePalette);
    Lbl_SinRespuesta->hide();

    // In the same place while disconnected: the port failed and is being
    // opened again.
    Lbl_Reconexion = new QLabel(QStringLiteral("Reintentando la conexion..."), Panel_Avisos);
    Lbl_Reconexion->setObjectName(QStringLiteral("Lbl_Reconexion"));
    Lbl_Reconexion->setGeometry(Lbl_SinRespuesta->geometry());
    Lbl_Reconexion->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Lbl_Reconexion->setFont(Lbl_SinRespuesta->font());
    Lbl_Reconexion->setPalette(silencePalette);
    Lbl_Reconexion->hide();

    Lbl_Ruido = new QLabel(Panel_Avisos);
    Lbl_Ruido->setObjectName(QStringLiteral("Lbl_Ruido"));
    Lbl_Ruido->setGeometry(460, 24, 238, 18);
    Lbl_Ruido->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    Lbl_Ruido->setFont(pixelFont(QStringLiteral("Arial"), 11));
    Lbl_Ruido->hide();
}

void TFMain::fixSizeAndPlace() {
    // One fixed size, the 904 x 642 client area plus the menu bar: taken once
    // the menu bar is in, so that a window manager sees the same minimum and
    // maximum.
    adjustSize();
    setFixedSize(sizeHint());
    centreOnDesktop(this);
}

void TFMain::createMenus() {
    QMenuBar *bar = menuBar();
    bar->setObjectName(QStringLiteral("Menu"));
    auto addMenu = [bar](const QString &caption, const char *name) {
        QMenu *m = bar->addMenu(caption);
        m->setObjectName(QLatin1String(name));
        return m;
    };
    auto addItem = [this](QMenu *menu, const QString &caption, const char *name, auto handler) {
        QAction *a = menu->addAction(caption);
        a->setObjectName(QLatin1String(name));
        connect(a, &QAction::triggered, this, handler);
        return a;
    };

    QMenu *archivo = addMenu(QStringLiteral("Archivo"), "Archivo");
    CerrarAplicacion1 =
        addItem(archivo, QStringLiteral("Cerrar Aplicacion"), "CerrarAplicacion1", &QWidget::close);

    QMenu *conexion = addMenu(QStringLiteral("Conexión"), "Conexion1");
    Conectar1 = addItem(conexion, QStringLiteral("Conectar"), "Conectar1", &TFMain::Conectar1Click);
    conexion->addSeparator()->setObjectName(QStringLiteral("N1"));
    Desconectar1 = addItem(conexion, QStringLiteral("Desconectar"), "Desconectar1",
                           &TFMain::Desconectar1Click);
    Desconectar1->setEnabled(false);

    QMenu *registros = addMenu(QStringLiteral("Registros"), "Registros1");
    VerRegistrosGuardados1 =
        addItem(registros, QStringLiteral("Ver Registros Guardados"), "VerRegistrosGuardados1",
                &TFMain::VerRegistrosGuardados1Click);
    VerTendencias1 = addItem(registros, QStringLiteral("Ver Tendencias"), "VerTendencias1",
                             &TFMain::VerTendencias1Click);

    QMenu *opciones = addMenu(QStringLiteral("Opciones"), "Configuracion1");
    ConfigComunicacion1 = addItem(opciones, QStringLiteral("Configurar Sistema"),
                                  "ConfigComunicacion1", &TFMain::ConfigComunicacion1Click);

    QMenu *ventana = addMenu(QStringLiteral("Ventana"), "Ventana1");
    Minimizar1 =
        addItem(ventana, QStringLiteral("Minimizar"), "Minimizar1", &TFMain::Minimizar1Click);
    Ocultar1 = addItem(ventana, QStringLiteral("Ocultar"), "Ocultar1", &TFMain::Ocultar1Click);

    QMenu *ayuda = addMenu(QStringLiteral("Ayuda"), "Ayuda1");
    VerAyuda1 = addItem(ayuda, QStringLiteral("Ver Ayuda"), "VerAyuda1", &TFMain::VerAyuda1Click);
    ayuda->addSeparator()->setObjectName(QStringLiteral("N3"));
    WebKorvane1 =
        addItem(ayuda, QStringLiteral("Web Korvane"), "WebKorvane1", &TFMain::WebKorvane1Click);
    ayuda->addSeparator()->setObjectName(QStringLiteral("N2"));
    Acercade1 =
        addItem(ayuda, QStringLiteral("Acerca de..."), "Acercade1", &TFMain::Acercade1Click);
}

void TFMain::createTray() {
    MenuTray = new QMenu(this);
    MenuTray->setObjectName(QStringLiteral("MenuTray"));
    MostrarPantalla1 = MenuTray->addAction(QStringLiteral("Mostrar Pantalla"));
    MostrarPantalla1->setObjectName(QStringLiteral("MostrarPantalla1"));
    connect(MostrarPantalla1, &QAction::triggered, this, &TFMain::MostrarPantalla1Click);
    OcultarPantalla1 = MenuTray->addAction(QStringLiteral("Ocultar Pantalla"));
    OcultarPantalla1->setObjectName(QStringLiteral("OcultarPantalla1"));
    connect(OcultarPantalla1, &QAction::triggered, this, &TFMain::Ocultar1Click);
    MenuTray->addSeparator()->setObjectName(QStringLiteral("N4"));
    CerrarAplicacion2 = MenuTray->addAction(QStringLiteral("Cerrar Aplicacion"));
    CerrarAplicacion2->setObjectName(QStringLiteral("CerrarAplicacion2"));
    connect(CerrarAplicacion2, &QAction::triggered, this, &QWidget::close);

    // Desktops without a notification area simply have no icon; the window
    // then stays reachable through the task bar.
    Tray = new QSystemTrayIcon(QIcon(QStringLiteral(":/builtin/tray.png")), this);
    Tray->setObjectName(QStringLiteral("Tray"));
    Tray->setToolTip(QStringLiteral("Korvane Direct 1.0"));
    Tray->setContextMenu(MenuTray);
    connect(Tray, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (r == QSystemTrayIcon::DoubleClick)
            MostrarPantalla1Click();
    });
    if (QSystemTrayIcon::isSystemTrayAvailable())
        Tray->show();
}

bool TFMain::iconEnabled(int n) const {
    return ImagenN.at(n - 1)->isEnabled();
}

void TFMain::setIconPicture(int n, const QPixmap &picture) {
    QLabel *icon = ImagenN.at(n - 1);
    if (icon->pixmap().cacheKey() != picture.cacheKey())
        icon->setPixmap(picture);
}

void TFMain::setPanelCaption(int p, const QString &caption) {
    QLabel *info = Panel_Info.at(p - 1);
    if (info->text() != caption)
        info->setText(caption);
}

void TFMain::setStatus(const QString &caption, const QColor &colour) {
    Panel_Avisos->setText(caption);
    QPalette pal = Panel_Avisos->palette();
    pal.setColor(QPalette::WindowText, colour);
    Panel_Avisos->setPalette(pal);
    QFont f = Panel_Avisos->font();
    f.setBold(true);
    Panel_Avisos->setFont(f);
}

void TFMain::Minimizar1Click() {
    setWindowState(windowState() | Qt::WindowMinimized);
}

void TFMain::Ocultar1Click() {
    // Hidden, the window comes back only through the notification-area icon:
    // where the desktop has none, it is minimised instead.
    if (Tray && Tray->isVisible())
        hide();
    else
        Minimizar1Click();
}

void TFMain::MostrarPantalla1Click() {
    show();
    raise();
    activateWindow();
}

void TFMain::VerAyuda1Click() {
    m_openUrl(
        QUrl(QStringLiteral("file://") + m_settings.ExeDir + QStringLiteral("/hlp/index.html")));
}

void TFMain::WebKorvane1Click() {
    m_openUrl(webPage());
}

void TFMain::Acercade1Click() {
    auto *about = new TFAcerca(this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->exec();
}

void TFMain::VerRegistrosGuardados1Click() {
    // Every click opens another viewer; the main window goes on working.
    auto *viewer = new TFConsulta(m_fdm, m_settings.databasePath(), this);
    viewer->show();
}

// Every click opens another trend window, which never blocks this one.
void TFMain::VerTendencias1Click() {
    auto *trends = new TFTendencias(m_settings, this);
    trends->setAttribute(Qt::WA_DeleteOnClose);
    trends->show();
}

void TFMain::BotonClick(int n) {
    guarded(this, [&] { commandButtonClick(this, Com_Serie, &m_fdm, n); });
}

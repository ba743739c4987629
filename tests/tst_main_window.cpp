#include "app/MenuButtonLook.h"
#include "app/TFMain.h"
#include "log/TFDM.h"
#include "tests/support/Simulator.h"
#include "tests/support/TestSupport.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QtTest>

using TestSupport::BoxRecorder;
using TestSupport::ExeDir;
using TestSupport::Simulator;

namespace {
const QString kCommFailure = QStringLiteral(
    "Falla de comunicacion, verifique configuracion Puerto Serie y que su PLC este conectado y "
    "funcionando!");
}

class TstMainWindow : public QObject {
    Q_OBJECT

    // The program's window in a temporary ExeDir whose COM1 leads to the
    // simulator.
    struct Rig {
        ExeDir dir;
        Simulator sim;
        TFDM fdm;
        std::unique_ptr<TFMain> window;
        QList<QUrl> opened;
        int quits = 0;

        bool start(const QByteArray &extraConfig = {}, bool withSimulator = true,
                   const QByteArray &communication = {}) {
            QByteArray ini =
                "[Comunicacion]\nDataBits=3\nStopBits=0\nFlowControl=2\n" + communication;
            if (withSimulator) {
                if (!sim.start())
                    return false;
                ini += "[Puertos]\nCOM1=" + sim.devicePath().toUtf8() + "\n";
            } else {
                ini += "[Puertos]\nCOM1=" + dir.file("ttyNOTHERE").toUtf8() + "\n";
            }
            dir.writeConfig(ini + extraConfig);
            window = std::make_unique<TFMain>(dir.path(), fdm);
            window->setUrlOpener([this](const QUrl &u) { opened << u; });
            window->setQuitHandler([this] { ++quits; });
            window->show();
            return !window->refusedAsSecondCopy();
        }
        TFMain &w() { return *window; }
    };

    static void verifyDisconnectedLook(TFMain &w) {
        QVERIFY(w.Conectar1->isEnabled());
        QVERIFY(!w.Desconectar1->isEnabled());
        QCOMPARE(w.Panel_Avisos->text(), QString("SISTEMA DESCONECTADO!"));
        QCOMPARE(w.Panel_Avisos->palette().color(QPalette::WindowText), QColor(255, 0, 0));
        QVERIFY(!w.poll().Reloj_Principal.isActive());
    }

private slots:
    void windowLayoutAndMenus() {
        BoxRecorder boxes;
        Rig r;
        QVERIFY(r.start({}, false));
        TFMain &w = r.w();
        QCOMPARE(w.windowTitle(), QString("Korvane Direct 1.2"));
        QCOMPARE(w.centralWidget()->size(), QSize(904, 642));
        QCOMPARE(w.Panel_Contenido->geometry(), QRect(8, 55, 704, 534));
        QCOMPARE(w.Panel_Menu->geometry(), QRect(716, 55, 180, 584));
        QCOMPARE(w.Panel_Avisos->geometry(), QRect(8, 592, 704, 47));
        QCOMPARE(w.BotonCerrar->text(), QString("Cerrar Aplicacion"));
        QCOMPARE(w.ImgConectado->toolTip(), QString("Sin conexion con puerto serie!"));
        QCOMPARE(w.ImgBase->toolTip(), QString("No se estan guardando datos!"));

        QStringList menus;
        for (QAction *a : w.menuBar()->actions())
            menus << a->text();
        QCOMPARE(menus,
                 QStringList({"Archivo", "Conexión", "Registros", "Opciones", "Ventana", "Ayuda"}));
        QStringList help;
        for (QAction *a : w.menuBar()->actions().last()->menu()->actions())
            help << (a->isSeparator() ? QString("-") : a->text());
        QCOMPARE(help, QStringList({"Ver Ayuda", "-", "Web Korvane", "-", "Acerca de..."}));
        verifyDisconnectedLook(w);
        if (w.Tray)
            QCOMPARE(w.Tray->toolTip(), QString("Korvane Direct 1.0"));
    }

    void panelsHaveTheirBevels() {
        BoxRecorder boxes;
        Rig r;
        QVERIFY(r.start("[Paneles]\nPanel1=Si\n", false));
        TFMain &w = r.w();
        const QColor shadow = w.palette().color(QPalette::Dark);
        const QColor light = w.palette().color(QPalette::Light);
        QVERIFY(shadow != light);
        // Lowered outer bevel around a raised inner one, one pixel each.
        for (QWidget *panel :
             {static_cast<QWidget *>(w.Panel_Logo), static_cast<QWidget *>(w.Panel_Contenido),
              static_cast<QWidget *>(w.Panel_Menu), static_cast<QWidget *>(w.Panel_Avisos)}) {
            const QImage img = panel->grab().toImage();
            const int r0 = img.width() - 1, b0 = img.height() - 1;
            const int mid = img.height() / 2;
            QCOMPARE(img.pixel(0, mid), shadow.rgb());      // outer left
            QCOMPARE(img.pixel(1, mid), light.rgb());       // inner left
            QCOMPARE(img.pixel(r0, mid), light.rgb());      // outer right
            QCOMPARE(img.pixel(r0 - 1, mid), shadow.rgb()); // inner right
            QCOMPARE(img.pixel(img.width() / 2, 0), shadow.rgb());
            QCOMPARE(img.pixel(img.width() / 2, 1), light.rgb());
            QCOMPARE(img.pixel(img.width() / 2, b0), light.rgb());
            QCOMPARE(img.pixel(img.width() / 2, b0 - 1), shadow.rgb());
        }
        // The value panels: a lowered outer bevel only.
        const QImage info = w.Panel_Info[0]->grab().toImage();
        QCOMPARE(info.pixel(0, 10), shadow.rgb());
        QCOMPARE(info.pixel(info.width() - 1, 10), light.rgb());
        QCOMPARE(info.pixel(1, 10), QColor(Qt::black).rgb());
    }

    void connectFailsOnAMissingDevice() {
        BoxRecorder boxes;
        Rig r;
        QVERIFY(r.start({}, false));
        r.w().Conectar1Click();
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.boxes()[0].kind, MessageBoxes::Kind::Error);
        QCOMPARE(boxes.lastText(), kCommFailure);
        QVERIFY(!r.w().Com_Serie.connected());
        verifyDisconnectedLook(r.w());
    }

    void connectedWindowFollowsTheController() {
        BoxRecorder boxes;
        Rig r;
        QVERIFY(r.start("[Iconos]\nIco1=Si\nIco9=Si\n[Paneles]\nPanel1=Si\nDecimal1=1\nA1=5\nB1=2\n"
                        "C1=-10\nUnidad1=bar\n"));
        TFMain &w = r.w();
        w.Conectar1Click();
        QCOMPARE(boxes.count(), 0);
        QVERIFY(!w.Conectar1->isEnabled());
        QVERIFY(w.Desconectar1->isEnabled());
        QCOMPARE(w.Panel_Avisos->text(), QString("SISTEMA CONECTADO..."));
        QCOMPARE(w.Panel_Avisos->palette().color(QPalette::WindowText), QColor(0, 0, 255));
        QCOMPARE(w.ImgConectado->toolTip(), QString("Conectado a Puerto Serie..."));
        // Logging is off: the database picture says so although the link is up.
        QCOMPARE(w.ImgBase->toolTip(), QString("No se estan guardando datos!"));
        QVERIFY(w.poll().Reloj_Principal.isActive());

        const qint64 offKey = w.ImagenN[0]->pixmap().cacheKey();
        QVERIFY(r.sim.command("in 1 1"));
        QVERIFY(r.sim.command("analog 1 100"));
        QTRY_COMPARE_WITH_TIMEOUT(w.Panel_Info[0]->text(), QString("240.0 bar"), 3000);
        QTRY_VERIFY_WITH_TIMEOUT(w.ImagenN[0]->pixmap().cacheKey() != offKey, 3000);
        QCOMPARE(w.display().inputs().input(1), 1);
        QCOMPARE(w.display().inputs().input(9), 0);
        QVERIFY(r.sim.command("analog 1 0"));
        QTRY_COMPARE_WITH_TIMEOUT(w.Panel_Info[0]->text(), QString("-- bar"), 3000);
        QCOMPARE(boxes.count(), 0);
    }

    void loggingOnShowsTheDatabasePicture() {
        BoxRecorder boxes;
        Rig r;
        QVERIFY(r.start({}, true, "DB=Si\n"));
        r.w().Conectar1Click();
        QCOMPARE(r.w().ImgBase->toolTip(), QString("Guardando Registros..."));
        r.w().Desconectar1Click();
        QCOMPARE(r.w().ImgBase->toolTip(), QString("No se estan guardando datos!"));
    }

    void aMissingIndicatorPictureWarnsAndTheLinkStaysUp() {
        BoxRecorder boxes;
        Rig r;
        QFile::remove(r.dir.file("img/dbon.png"));
        QVERIFY(r.start({}, true, "DB=Si\n"));
        TFMain &w = r.w();
        // Nobody clicks the warning for three seconds: the poll starts all
        // the same.
        boxes.holdOpenFor(3000);
        w.Conectar1Click();
        QCOMPARE(boxes.count(), 0); // shown once the connect has returned
        QVERIFY(w.poll().Reloj_Principal.isActive());
        QCOMPARE(w.ImgConectado->toolTip(), QString("Conectado a Puerto Serie..."));
        QCOMPARE(w.ImgBase->toolTip(), QString("No se estan guardando datos!"));
        QCOMPARE(w.Panel_Avisos->text(), QString("SISTEMA CONECTADO..."));
        QTRY_COMPARE_WITH_TIMEOUT(boxes.count(), 1, 2000);
        QTRY_COMPARE_WITH_TIMEOUT(boxes.openNow(), 0, 5000);
        QCOMPARE(boxes.boxes()[0].kind, MessageBoxes::Kind::Warning);
        QCOMPARE(boxes.lastText(), QString("Faltan imagenes del sistema!"));
        int framesWhileOpen = 0;
        for (const auto &frame : r.sim.frames())
            framesWhileOpen += frame.t > boxes.openedAt(0) && frame.t < boxes.closedAt(0);
        QVERIFY2(framesWhileOpen >= 6, qPrintable(QString::number(framesWhileOpen)));
    }

    void disconnectAsksFirst() {
        BoxRecorder boxes;
        Rig r;
        QVERIFY(r.start());
        TFMain &w = r.w();
        w.Conectar1Click();
        boxes.answerNext(MessageBoxes::Answer::No);
        w.Desconectar1Click();
        QCOMPARE(boxes.lastText(), QString("Atencion: Va a deconectar el equipo del SCADA.\n "
                                           "¿Desea continuar con la desconexion?"));
        QCOMPARE(boxes.boxes().last().kind, MessageBoxes::Kind::Warning);
        QVERIFY(w.Com_Serie.connected());
        boxes.answerNext(MessageBoxes::Answer::Yes);
        w.Desconectar1Click();
        QVERIFY(!w.Com_Serie.connected());
        verifyDisconnectedLook(w);
        QVERIFY(!w.display().Reloj_Graficos.isActive());
    }

    void closeQuestionHasTwoEndings() {
        BoxRecorder boxes;
        Rig r;
        QVERIFY(r.start());
        TFMain &w = r.w();
        w.Conectar1Click();
        boxes.answerNext(MessageBoxes::Answer::No);
        QVERIFY(!w.close());
        QCOMPARE(boxes.boxes().last().kind, MessageBoxes::Kind::Confirm);
        QCOMPARE(boxes.lastText(),
                 QString("La aplicacion se cerrara y terminara cualquier comunicacion iniciada con "
                         "el dispositivo.\n¿Desea continuar y salir de la aplicacion? - (Hay una "
                         "comunicacion iniciada)"));
        QVERIFY(w.Com_Serie.connected());
        QVERIFY(w.poll().Reloj_Principal.isActive());
        QCOMPARE(r.quits, 0);

        w.Desconectar1Click();
        boxes.answerNext(MessageBoxes::Answer::No);
        QVERIFY(!w.close());
        QVERIFY(boxes.lastText().endsWith("(No hay comunicacion iniciada)"));

        w.Conectar1Click();
        boxes.answerNext(MessageBoxes::Answer::Yes);
        QVERIFY(w.close());
        QVERIFY(!w.Com_Serie.connected());
        QCOMPARE(r.quits, 1);
    }

    void configureWhileConnectedDisconnectsFirst() {
        BoxRecorder boxes;
        Rig r;
        QVERIFY(r.start());
        TFMain &w = r.w();
        w.Conectar1Click();
        boxes.answerNext(MessageBoxes::Answer::No);
        w.ConfigComunicacion1Click();
        QCOMPARE(boxes.lastText(),
                 QString("Atencion: El equipo esta conectado al sistema, si continua se "
                         "desconectará.\n ¿Desea continuar con la configuración?"));
        QVERIFY(w.Com_Serie.connected());
        boxes.answerNext(MessageBoxes::Answer::Yes);
        // The editor opens modally once the link is down; close it.
        QTimer::singleShot(0, [] { QApplication::activeModalWidget()->close(); });
        w.ConfigComunicacion1Click();
        QVERIFY(!w.Com_Serie.connected());
        verifyDisconnectedLook(w);
    }

    void aDroppedLineIsToldOnceAndReopenedWhenItComesBack() {
        BoxRecorder boxes;
        Rig r;
        // The controller's line at a fixed name, as an adapter's by-id name.
        const QString link = r.dir.file("ttyKORVANE");
        QVERIFY(r.sim.start({"--link", link}));
        r.dir.writeConfig(
            "[Comunicacion]\nDataBits=3\nStopBits=0\nFlowControl=2\n[Puertos]\nCOM1=" +
            link.toUtf8() + "\n");
        r.window = std::make_unique<TFMain>(r.dir.path(), r.fdm);
        r.window->setQuitHandler([] {});
        TFMain &w = r.w();
        w.Conectar1Click();
        QVERIFY(r.sim.waitForFrames(3, 3000));

        QVERIFY(r.sim.command("close"));
        QTRY_VERIFY_WITH_TIMEOUT(boxes.contains(kCommFailure), 4000);
        QVERIFY(!w.Com_Serie.connected());
        verifyDisconnectedLook(w);
        QVERIFY(w.Lbl_Reconexion->isVisibleTo(&w));
        QVERIFY(w.Reloj_Reconexion.isActive());
        QTest::qWait(2500); // attempts on a line that is not there: no more boxes
        QCOMPARE(boxes.count(), 1);

        // The line is back: the station opens it by itself and polls again.
        QVERIFY(r.sim.start({"--link", link}));
        QTRY_VERIFY_WITH_TIMEOUT(w.Com_Serie.connected(), 5000);
        QCOMPARE(w.Panel_Avisos->text(), QString("SISTEMA CONECTADO..."));
        QVERIFY(!w.Lbl_Reconexion->isVisibleTo(&w));
        QVERIFY(!w.Reloj_Reconexion.isActive());
        QVERIFY(r.sim.waitForFrames(6, 4000));
        QCOMPARE(boxes.count(), 1);

        // An operator's disconnect is not a failure: nothing reopens it.
        boxes.answerNext(MessageBoxes::Answer::Yes);
        w.Desconectar1Click();
        QTest::qWait(2500);
        QVERIFY(!w.Com_Serie.connected());
        QVERIFY(!w.Reloj_Reconexion.isActive());
    }

    void noiseIsCountedInTheStatusBar() {
        BoxRecorder boxes;
        Rig r;
        QVERIFY(r.start());
        TFMain &w = r.w();
        QVERIFY(r.sim.command("mode nonhex"));
        w.Conectar1Click();
        QTRY_VERIFY_WITH_TIMEOUT(w.Lbl_Ruido->isVisible(), 3000);
        QVERIFY(w.Lbl_Ruido->text().startsWith("Respuestas con ruido: "));
        QCOMPARE(boxes.count(), 0);
        QVERIFY(w.Com_Serie.connected());
    }

    void statusBarTextsAreWholeAndApart() {
        BoxRecorder boxes;
        Rig r;
        QVERIFY(r.start({}, false));
        TFMain &w = r.w();
        const QRect bar = w.Panel_Avisos->contentsRect();
        // The widest connection caption, centred as the status bar draws it.
        const QFontMetrics captionMetrics(w.Panel_Avisos->font());
        const int captionWidth =
            qMax(captionMetrics.horizontalAdvance(QStringLiteral("SISTEMA DESCONECTADO!")),
                 captionMetrics.horizontalAdvance(QStringLiteral("SISTEMA CONECTADO...")));
        const int captionRight = bar.center().x() + captionWidth / 2 + 1;
        const QList<QPair<QLabel *, QString>> texts{
            {w.Lbl_Ruido, TFMain::noiseText(9999999)},
            {w.Lbl_SinRespuesta, QStringLiteral("Sin respuesta del equipo")}};
        for (const auto &[label, text] : texts) {
            const QFontMetrics fm(label->font());
            QVERIFY2(fm.horizontalAdvance(text) <= label->contentsRect().width(), qPrintable(text));
            QVERIFY(fm.height() <= label->height());
            QVERIFY(bar.contains(label->geometry()));
            QVERIFY2(label->geometry().right() - fm.horizontalAdvance(text) > captionRight,
                     qPrintable(text));
            QVERIFY(!label->geometry().intersects(w.ImgBase->geometry()));
        }
        QVERIFY(!w.Lbl_Ruido->geometry().intersects(w.Lbl_SinRespuesta->geometry()));
    }

    void aSilentControllerIsShownWithoutABox() {
        BoxRecorder boxes;
        Rig r;
        QVERIFY(r.start("[Paneles]\nPanel1=Si\n"));
        TFMain &w = r.w();
        QVERIFY(r.sim.command("analog 1 42"));
        w.Conectar1Click();
        QTRY_COMPARE_WITH_TIMEOUT(w.Panel_Info[0]->text(), QString("42 unid."), 3000);
        QVERIFY(!w.Lbl_SinRespuesta->isVisible());
        QVERIFY(r.sim.command("mode silent"));
        QTRY_VERIFY_WITH_TIMEOUT(w.Lbl_SinRespuesta->isVisible(), 6000);
        QCOMPARE(w.Lbl_SinRespuesta->text(), QString("Sin respuesta del equipo"));
        QCOMPARE(w.Panel_Avisos->text(), QString("SISTEMA CONECTADO..."));
        QCOMPARE(w.Panel_Info[0]->text(), QString("42 unid.")); // the last values stay
        QVERIFY(r.sim.command("mode normal"));
        QTRY_VERIFY_WITH_TIMEOUT(!w.Lbl_SinRespuesta->isVisible(), 3000);
        QVERIFY(r.sim.command("mode silent"));
        QTRY_VERIFY_WITH_TIMEOUT(w.Lbl_SinRespuesta->isVisible(), 6000);
        w.Desconectar1Click();
        QVERIFY(!w.Lbl_SinRespuesta->isVisible());
        QCOMPARE(boxes.count(), 1); // the disconnect question only
    }

    void pollingGoesOnWhileHidden() {
        BoxRecorder boxes;
        Rig r;
        QVERIFY(r.start());
        TFMain &w = r.w();
        w.Conectar1Click();
        // No notification area here: "Ocultar" minimises, so that the window
        // stays reachable from the task bar.
        QVERIFY(!w.Tray || !w.Tray->isVisible());
        w.Ocultar1Click();
        QVERIFY(w.isVisible());
        QVERIFY(w.isMinimized());
        r.sim.clearFrames();
        QVERIFY(r.sim.waitForFrames(6, 3000));
        w.hide(); // as the icon's "Ocultar Pantalla" does where there is one
        QVERIFY(r.sim.waitForFrames(12, 3000));
        w.MostrarPantalla1Click();
        QVERIFY(w.isVisible());
    }

    void helpAndWebPagesOpenThroughTheDesktop() {
        BoxRecorder boxes;
        Rig r;
        QVERIFY(r.start({}, false));
        r.w().VerAyuda1Click();
        r.w().WebKorvane1Click();
        QCOMPARE(r.opened.size(), 2);
        QCOMPARE(r.opened[0].toString(), "file://" + r.dir.path() + "/hlp/index.html");
        QVERIFY(QFile::exists(r.opened[0].toLocalFile()));
        QCOMPARE(r.opened[1], TFMain::webPage());
    }

    void menuButtonsHoverAndPressLook() {
        BoxRecorder boxes;
        Rig r;
        QVERIFY(r.start({}, false));
        QPushButton *b = r.w().BotonCerrar;
        using Look = MenuButtonLook::Look;
        QMouseEvent over(QEvent::MouseMove, QPointF(5, 5), b->mapToGlobal(QPointF(5, 5)),
                         Qt::NoButton, Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(b, &over);
        QCOMPARE(MenuButtonLook::lookOf(b), Look::Hover);
        QCOMPARE(b->palette().color(QPalette::ButtonText), QColor(0, 0, 255));
        QVERIFY(b->font().underline());
        QMouseEvent press(QEvent::MouseButtonPress, QPointF(5, 5), b->mapToGlobal(QPointF(5, 5)),
                          Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(b, &press);
        QCOMPARE(b->palette().color(QPalette::ButtonText), QColor(255, 0, 0));
        QMouseEvent move(QEvent::MouseMove, QPointF(400, 5), b->mapToGlobal(QPointF(400, 5)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(b, &move);
        QCOMPARE(MenuButtonLook::lookOf(b), Look::Hover);
        QMouseEvent panelMove(QEvent::MouseMove, QPointF(2, 2),
                              r.w().Panel_Menu->mapToGlobal(QPointF(2, 2)), Qt::NoButton,
                              Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(r.w().Panel_Menu, &panelMove);
        QCOMPARE(MenuButtonLook::lookOf(b), Look::Plain);
        QCOMPARE(b->palette().color(QPalette::ButtonText), QColor(0, 0, 0));
        QVERIFY(!b->font().underline());
    }

    void commandButtonRefusedWhileDisconnected() {
        BoxRecorder boxes;
        Rig r;
        QVERIFY(r.start("[BotonesMenu]\nBoton1=Si\n"));
        r.w().BotonClick(1);
        QCOMPARE(boxes.lastText(), QString("Falla envio de comando. El equipo no esta conectado!"));
        QCOMPARE(r.sim.frames().size(), 0);
    }
};

QTEST_MAIN(TstMainWindow)
#include "tst_main_window.moc"

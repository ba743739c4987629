// The editor in front of the running main window: opened modally from the
// menu while the window's timers go on, and each save applied at once.
#include "app/TFMain.h"
#include "common/AppInfo.h"
#include "config/ConfigFile.h"
#include "config/PageAlarma.h"
#include "config/PageComunicacion.h"
#include "config/PageFondo.h"
#include "config/PageIconos.h"
#include "config/PageMenu.h"
#include "config/PagePaneles.h"
#include "config/TFConfig.h"
#include "log/PeriodicLogger.h"
#include "log/TFDM.h"
#include "tests/support/Simulator.h"
#include "tests/support/TestSupport.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QtTest>

using TestSupport::BoxRecorder;
using TestSupport::ExeDir;
using TestSupport::Simulator;

namespace {
const QString kSaved = QStringLiteral("Los datos han sido guardados con exito");
}

class TstSettingsApply : public QObject {
    Q_OBJECT

    struct Rig {
        ExeDir dir;
        TFDM fdm;
        std::unique_ptr<TFMain> window;
        TFMain &start(const QByteArray &ini) {
            dir.writeConfig(ini);
            window = std::make_unique<TFMain>(dir.path(), fdm);
            window->setQuitHandler([] {});
            window->show();
            return *window;
        }
        // An editor in front of the window, applying to it like the menu's.
        std::unique_ptr<TFConfig> editor() {
            TFMain *w = window.get();
            return std::make_unique<TFConfig>(
                dir.path(), &w->PlayAlarma1(),
                [w](const AppliedSettings &s) { w->applySettings(s); }, w);
        }
    };

private slots:
    void openedFromTheMenuWhileTheTimersGoOn() {
        BoxRecorder boxes;
        Rig r;
        TFMain &w = r.start("[Iconos]\nIco5=Si\nIco6=Si\n");
        QVERIFY(!w.ImagenN[4]->isHidden());
        w.logger().arm(true, 1);
        w.TimerDB().setInterval(50);
        QSignalSpy ticks(&w.TimerDB(), &QTimer::timeout);

        QPointer<TFConfig> seen;
        bool checked = false;
        QTimer::singleShot(0, [&] {
            auto *editor = qobject_cast<TFConfig *>(QApplication::activeModalWidget());
            QVERIFY(editor);
            seen = editor;
            QVERIFY(editor->isModal());
            QCOMPARE(editor->parentWidget(), &w);
            const int before = ticks.count();
            QTest::qWait(400);
            QVERIFY2(ticks.count() - before >= 3, qPrintable(QString::number(ticks.count())));

            // Clearing Habilita_Imagen5 and saving hides Imagen5 at once.
            editor->Hoja_Iconos->Habilita_Imagen[4]->click();
            editor->Btn_GuardarClick();
            QCOMPARE(boxes.lastText(), kSaved);
            QVERIFY(w.ImagenN[4]->isHidden());
            QVERIFY(!w.ImagenN[4]->isEnabled());
            QVERIFY(!w.ImagenN[5]->isHidden());
            QVERIFY(editor->isVisible()); // the window stays open after a save
            editor->Btn_CancelaClick();
            checked = true;
        });
        w.ConfigComunicacion1Click();
        QVERIFY(checked);
        QTRY_VERIFY(seen.isNull()); // destroyed on closing
        QCOMPARE(ConfigFile(r.dir.file("Config.ini")).readString("Iconos", "Ico5", ""),
                 QString("No"));

        // The change survives a restart.
        r.window.reset();
        TFMain &again = r.start(TestSupport::readFile(r.dir.file("Config.ini")));
        QVERIFY(again.ImagenN[4]->isHidden());
        QVERIFY(!again.ImagenN[5]->isHidden());
    }

    void everySettingReachesTheRunningWindow() {
        BoxRecorder boxes;
        Rig r;
        Simulator sim;
        QVERIFY(sim.start());
        TFMain &w = r.start("[Comunicacion]\nDataBits=3\nStopBits=0\nFlowControl=2\n"
                            "[BotonesMenu]\nBoton1=Si\nTxt1=Bomba\n[Puertos]\nCOM1=" +
                            sim.devicePath().toUtf8() + "\n");
        const qint32 speed = w.Com_Serie.settings().baudRate;
        QVERIFY(!w.TimerDB().isActive());
        auto editor = r.editor();
        TFConfig &e = *editor;

        e.Hoja_Comunicacion->Config_Puerto->setCurrentIndex(2);
        e.Hoja_Comunicacion->Config_Velocidad->setCurrentIndex(0);
        e.Hoja_Comunicacion->Habilita_DB->click();
        e.Hoja_Comunicacion->Selecciona_Tiempo->setCurrentIndex(2);
        e.Hoja_Menu->Habilita_Boton[0]->click();
        e.Hoja_Menu->Habilita_Boton[4]->click();
        e.Hoja_Menu->Texto_Boton[4]->setText("Agitador");
        e.Hoja_Iconos->Habilita_Imagen[2]->click();
        e.state().Icons[2].X = 321;
        e.Hoja_Paneles->Habilita_Panel[0]->click();
        e.Hoja_Paneles->Selecciona_Decimal[0]->setCurrentIndex(1);
        e.Hoja_Paneles->a[0]->setText("5");
        e.Hoja_Paneles->b[0]->setText("2");
        e.Hoja_Paneles->c[0]->setText("-10");
        e.Hoja_Paneles->unidad[0]->setEditText("psi");
        e.state().Panels[0].Y = 222;
        e.Hoja_Alarma->CheckAlarma1->click();
        e.Hoja_Alarma->check_envio[1]->click();
        e.Hoja_Alarma->texto_smtp->setText("smtp.planta.local");
        e.Hoja_Alarma->texto_puerto->setText("587");
        e.Hoja_Alarma->texto_tiempo_envio->setCurrentIndex(3);
        e.Hoja_Alarma->texto_asunto[1]->setText("Alarma 16");
        e.Btn_GuardarClick();
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.lastText(), kSaved);

        // Port name now, speed at the next start.
        QCOMPARE(w.Com_Serie.settings().portName, QString("COM3"));
        QCOMPARE(w.Com_Serie.settings().baudRate, speed);
        QVERIFY(w.TimerDB().isActive());
        QCOMPARE(w.TimerDB().interval(), 60 * 1000);
        QVERIFY(w.Boton[0]->isHidden() && !w.Boton[0]->isEnabled());
        QVERIFY(!w.Boton[4]->isHidden() && w.Boton[4]->isEnabled());
        QCOMPARE(w.Boton[4]->text(), QString("Agitador"));
        QVERIFY(!w.ImagenN[2]->isHidden() && w.ImagenN[2]->isEnabled());
        QCOMPARE(w.ImagenN[2]->pos(), QPoint(321, 50));
        QCOMPARE(w.ImagenN[7]->pos(), QPoint(640, 50)); // hidden ones move too
        QVERIFY(!w.Panel_Info[0]->isHidden());
        QCOMPARE(w.Panel_Info[0]->text(), QString("0 psi"));
        QCOMPARE(w.Panel_Info[0]->pos(), QPoint(150, 222));
        const RuntimeSettings &s = w.settings();
        QCOMPARE(s.Panels[0].A, 5);
        QCOMPARE(s.Panels[0].B, 2);
        QCOMPARE(s.Panels[0].C, -10);
        QCOMPARE(s.Panels[0].Decimals, 1);
        QCOMPARE(s.Icons[2].OffPath, r.dir.file("img/noimage.png"));
        QCOMPARE(s.AlarmEnabled, 1);
        QCOMPARE(s.AlarmSoundPath, r.dir.file("alarm/Alarma.mp3"));
        QCOMPARE(s.SmtpServer, QString("smtp.planta.local"));
        QCOMPARE(s.SmtpPort, QString("587"));
        QCOMPARE(s.ResendIndex, 3);
        QCOMPARE(s.Mail2Enabled, 1);
        QCOMPARE(s.Mail2Subject, QString("Alarma 16"));

        // The saved period stays when the list is emptied before a second save.
        e.Hoja_Comunicacion->Selecciona_Tiempo->setEditText(QString());
        e.Btn_GuardarClick();
        QCOMPARE(boxes.countText(kSaved), 2);
        QCOMPARE(w.TimerDB().interval(), 60 * 1000);
        QVERIFY(w.TimerDB().isActive());

        // The panel switched on in the editor follows the controller. The
        // editor saved COM3: point it at the simulator too.
        e.Hoja_Comunicacion->Config_Puerto->setCurrentIndex(0);
        e.Btn_GuardarClick();
        editor.reset();
        w.Conectar1Click();
        QVERIFY(w.Com_Serie.connected());
        QVERIFY(sim.command("analog 1 100"));
        QTRY_COMPARE_WITH_TIMEOUT(w.Panel_Info[0]->text(), QString("240.0 psi"), 4000);

        // Logging switched off stops the logger.
        w.Desconectar1Click();
        editor = r.editor();
        editor->Hoja_Comunicacion->Habilita_DB->click();
        editor->Btn_GuardarClick();
        QVERIFY(!w.TimerDB().isActive());
    }

    void aPictureThatFailsWhileApplyingStopsTheRest() {
        BoxRecorder boxes;
        Rig r;
        TFMain &w = r.start("[BotonesMenu]\nBoton2=Si\n");
        auto editor = r.editor();
        editor->Hoja_Menu->Habilita_Boton[1]->click();
        editor->Hoja_Iconos->Habilita_Imagen[0]->click();
        editor->Hoja_Fondo->Texto_Path_Imagen->setText(r.dir.file("img/no-such.jpg"));
        editor->Btn_GuardarClick();
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.boxes()[0].title, AppInfo::title());
        QVERIFY(boxes.lastText().startsWith("Cannot open file \"" + r.dir.file("img/no-such.jpg")));
        QVERIFY(!boxes.contains(kSaved));
        // The file is whole, the steps before the picture are done, the rest not.
        QCOMPARE(ConfigFile(r.dir.file("Config.ini")).readString("ImagenFondo", "Imagen", ""),
                 r.dir.file("img/no-such.jpg"));
        QCOMPARE(ConfigFile(r.dir.file("Config.ini")).readString("Alarmas", "Mensaje2", ""),
                 QString("Mensaje a enviar 2"));
        QVERIFY(w.Boton[1]->isHidden());
        QVERIFY(w.ImagenN[0]->isHidden());
    }
};

QTEST_MAIN(TstSettingsApply)
#include "tst_settings_apply.moc"

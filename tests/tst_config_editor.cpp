// The configuration editor's window on a temporary ExeDir: the load at open,
// the enabling rules, value checks, dialogs, the layout page, the alarm and
// mail tests, and the save with what it writes and hands over.
#include "common/AppInfo.h"
#include "config/ConfigFile.h"
#include "config/EditorWidgets.h"
#include "config/PageAlarma.h"
#include "config/PageComunicacion.h"
#include "config/PageFondo.h"
#include "config/PageIconos.h"
#include "config/PageMenu.h"
#include "config/PagePaneles.h"
#include "config/PagePantalla.h"
#include "config/SettingsSave.h"
#include "config/TFConfig.h"
#include "notify/AlarmPlayer.h"
#include "tests/support/SmtpSink.h"
#include "tests/support/TestSupport.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QtTest>

using MessageBoxes::Answer;
using MessageBoxes::Kind;
using TestSupport::BoxRecorder;
using TestSupport::ExeDir;
using TestSupport::readFile;
using TestSupport::SmtpSink;

namespace {

const QString kSaved = QStringLiteral("Los datos han sido guardados con exito");

// The editor on its own, handing its settings to a list instead of a main
// window, with a file chooser that answers from a queue.
struct Rig {
    ExeDir dir;
    std::unique_ptr<TFConfig> w;
    QList<AppliedSettings> applied;
    QList<FileDialogRequest> dialogs;
    QStringList choices;

    TFConfig &open(const QByteArray &ini = {}, AlarmPlayer *player = nullptr) {
        if (!ini.isNull())
            dir.writeConfig(ini);
        w = std::make_unique<TFConfig>(
            dir.path(), player, [this](const AppliedSettings &s) { applied << s; }, nullptr,
            [this](QWidget *, const FileDialogRequest &r) {
                dialogs << r;
                return choices.isEmpty() ? QString() : choices.takeFirst();
            });
        return *w;
    }
    QString ini() const { return dir.file("Config.ini"); }
    QString read(const QString &section, const QString &key) const {
        return ConfigFile(ini()).readString(section, key, "<missing>");
    }
};

// "Section/Key=Value" for every key line of the file, in order.
QStringList keyLines(const QByteArray &bytes) {
    QStringList out;
    QString section;
    for (const QString &line : QString::fromUtf8(bytes).split('\n')) {
        const QString t = line.trimmed();
        if (t.startsWith('['))
            section = t.mid(1, t.size() - 2);
        else if (t.contains('='))
            out << section + '/' + t;
    }
    return out;
}

// The file a save writes from nothing, with the editor's defaults.
QStringList defaultKeyLines(const QString &exeDir) {
    QStringList k{"Comunicacion/PuertoCom=0", "Comunicacion/BaudRate=7",
                  "Comunicacion/DataBits=2",  "Comunicacion/StopBits=1",
                  "Comunicacion/Parity=0",    "Comunicacion/FlowControl=0",
                  "Comunicacion/DB=No",       "Comunicacion/RecordTime=0"};
    for (int n = 1; n <= 8; ++n)
        k << QString("BotonesMenu/Boton%1=No").arg(n)
          << QString("BotonesMenu/Txt%1=Boton %1").arg(n);
    k << "ImagenFondo/Imagen=" + exeDir + "/img/noimage.jpg";
    for (int n = 1; n <= 16; ++n)
        k << QString("Iconos/Ico%1=No").arg(n)
          << QString("Iconos/Off%1=%2/img/noimage.png").arg(n).arg(exeDir)
          << QString("Iconos/On%1=%2/img/noimage.png").arg(n).arg(exeDir);
    for (int n = 1; n <= 4; ++n)
        k << QString("Paneles/Panel%1=No").arg(n) << QString("Paneles/Decimal%1=0").arg(n)
          << QString("Paneles/A%1=1").arg(n) << QString("Paneles/B%1=1").arg(n)
          << QString("Paneles/C%1=0").arg(n) << QString("Paneles/Unidad%1=unid.").arg(n);
    for (int n = 1; n <= 16; ++n)
        k << QString("Pantalla/Icono%1X=%2").arg(n).arg(80 * ((n - 1) % 8 + 1))
          << QString("Pantalla/Icono%1Y=%2").arg(n).arg(n <= 8 ? 50 : 100);
    for (int n = 1; n <= 4; ++n)
        k << QString("Pantalla/Panel%1X=%2").arg(n).arg(150 * n)
          << QString("Pantalla/Panel%1Y=200").arg(n);
    k << "Alarmas/Alarma1=0"
      << "Alarmas/Alarma1MP3=" + exeDir + "/alarm/Alarma.mp3"
      << "Alarmas/ServerSMTP=mail.ejemplo.com"
      << "Alarmas/Email=usuario@ejemplo.com"
      << "Alarmas/PuertoSMTP=26"
      << "Alarmas/ReEnvio=0"
      << "Alarmas/UsuarioMail=usuario@ejemplo.com"
      << "Alarmas/ClaveMail=482915"
      << "Alarmas/EmailDestino=destino@ejemplo.com"
      << "Alarmas/HabilitaMail1=0"
      << "Alarmas/Asunto1=Asunto Mensaje 1"
      << "Alarmas/Mensaje1=Mensaje a enviar 1"
      << "Alarmas/HabilitaMail2=0"
      << "Alarmas/Asunto2=Asunto Mensaje 2"
      << "Alarmas/Mensaje2=Mensaje a enviar 2";
    return k;
}

void leave(QWidget *field) {
    QFocusEvent out(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(field, &out);
}

} // namespace

class TstConfigEditor : public QObject {
    Q_OBJECT

private slots:
    void opensWithoutAConfigFile() {
        BoxRecorder boxes;
        Rig r;
        TFConfig &w = r.open();
        QCOMPARE(boxes.count(), 0);
        QCOMPARE(w.windowTitle(), QString("Configuración del Sistema"));
        QCOMPARE(w.size(), QSize(904, 662));
        QCOMPARE(w.Paginas->size(), QSize(707, 600));
        QCOMPARE(w.Panel_Menu->size(), QSize(180, 600));
        QStringList tabs;
        for (int i = 0; i < w.Paginas->count(); ++i)
            tabs << w.Paginas->tabText(i);
        QCOMPARE(tabs, QStringList({"  Comunic.  ", "Botones Menú", "Imagen Fondo", "   Iconos   ",
                                    "   Paneles   ", "   Pantalla   ", "Alarmas"}));
        QCOMPARE(w.Paginas->currentIndex(), 0);
        QVERIFY(w.Memo_Ayuda->toPlainText().startsWith("COMUNICACION: \n\nEn esta pantalla"));
        QCOMPARE(w.Btn_Guardar->text(), QString("Guardar Cambios"));
        QCOMPARE(w.Btn_Cancela->text(), QString("Cerrar Configuración"));

        QStringList serial;
        for (QComboBox *list : w.Hoja_Comunicacion->serialLists())
            serial << list->currentText();
        QCOMPARE(serial, QStringList({"COM1", "115200", "7", "1.5", "None", "Hardware"}));
        QVERIFY(!w.Hoja_Comunicacion->Habilita_DB->isChecked());
        QVERIFY(!w.Hoja_Comunicacion->Selecciona_Tiempo->isEnabled());
        QVERIFY(!w.Hoja_Comunicacion->Etiqueta_RecordTime->isEnabled());
        for (int n = 0; n < 8; ++n) {
            QVERIFY(!w.Hoja_Menu->Habilita_Boton[n]->isChecked());
            QVERIFY(!w.Hoja_Menu->Texto_Boton[n]->isEnabled());
            QCOMPARE(w.Hoja_Menu->Texto_Boton[n]->text(), QString("Boton %1").arg(n + 1));
        }
        for (int n = 0; n < 16; ++n) {
            QVERIFY(!w.Hoja_Iconos->Habilita_Imagen[n]->isChecked());
            QVERIFY(!w.Hoja_Iconos->Imagen_On[n]->isEnabled());
            QVERIFY(!w.Hoja_Iconos->Etiqueta_Off[n]->isEnabled());
        }
        for (int n = 0; n < 4; ++n) {
            QVERIFY(!w.Hoja_Paneles->Habilita_Panel[n]->isChecked());
            QVERIFY(!w.Hoja_Paneles->Selecciona_Decimal[n]->isEnabled());
            QVERIFY(w.Hoja_Paneles->a[n]->isEnabled()); // the edits stay enabled
            QCOMPARE(w.Hoja_Paneles->a[n]->alignment() & Qt::AlignRight, Qt::AlignRight);
        }
        PageAlarma *al = w.Hoja_Alarma;
        QVERIFY(!al->CheckAlarma1->isChecked());
        QVERIFY(!al->Boton_TestAlarma1->isEnabled() && !al->Boton_BuscaAlarma1->isEnabled());
        QCOMPARE(al->Texto_Alarma1->text(), r.dir.file("alarm/Alarma.mp3"));
        for (int i = 0; i < 2; ++i) {
            QVERIFY(!al->check_envio[i]->isChecked());
            QVERIFY(!al->texto_asunto[i]->isEnabled() && !al->boton_envio[i]->isEnabled());
        }
        QCOMPARE(al->texto_clave->echoMode(), QLineEdit::Password);
        QCOMPARE(w.Hoja_Fondo->Texto_Path_Imagen->text(), r.dir.file("img/noimage.jpg"));
        QVERIFY(!QFile::exists(r.ini()));
    }

    void anUnchangedSaveWritesTheDefaultsInOrder() {
        BoxRecorder boxes;
        Rig r;
        TFConfig &w = r.open();
        w.Btn_GuardarClick();
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.boxes()[0].kind, Kind::Information);
        QCOMPARE(boxes.lastText(), kSaved);
        QCOMPARE(keyLines(readFile(r.ini())), defaultKeyLines(r.dir.path()));
        QCOMPARE(r.applied.size(), 1);

        // Saving again works and writes the same file.
        const QByteArray first = readFile(r.ini());
        w.Btn_GuardarClick();
        QCOMPARE(boxes.countText(kSaved), 2);
        QCOMPARE(readFile(r.ini()), first);
    }

    void storedValuesThatTheEditorKeepsOrReplaces() {
        BoxRecorder boxes;
        Rig r;
        TFConfig &w = r.open("[Comunicacion]\nDB=si\nRecordTime=-1\nBaudRate=12\n"
                             "[BotonesMenu]\nBoton3=No\nTxt3=Mi boton\nBoton4=Si\nTxt4=Bomba\n"
                             "Boton5=Si\nTxt5=Bomba de recirculacion\n"
                             "[Iconos]\nIco5=No\nOff5=/planta/off5.png\nOn5=/planta/on5.png\n"
                             "[Paneles]\nPanel2=No\nDecimal2=2\nA2=5\nB2=7\nC2=9\nUnidad2=bar\n"
                             "Panel3=Si\nA3=1000000\nB3=-65536\n"
                             "[Alarmas]\nAlarma1=2\nHabilitaMail1=1\nAsunto1=Entrada 15\n");
        QVERIFY(!w.Hoja_Comunicacion->Habilita_DB->isChecked());
        QCOMPARE(w.Hoja_Comunicacion->Selecciona_Tiempo->currentText(), QString());
        QCOMPARE(w.Hoja_Comunicacion->Config_Velocidad->currentText(), QString());
        QCOMPARE(w.Hoja_Menu->Texto_Boton[2]->text(), QString("Boton 3"));
        QCOMPARE(w.Hoja_Menu->Texto_Boton[3]->text(), QString("Bomba"));
        QVERIFY(w.Hoja_Menu->Texto_Boton[3]->isEnabled());
        QCOMPARE(w.Hoja_Paneles->unidad[1]->currentText(), QString("unid."));
        QVERIFY(w.Hoja_Alarma->check_envio[0]->isChecked());
        QVERIFY(w.Hoja_Alarma->boton_envio[0]->isEnabled());
        QCOMPARE(w.Hoja_Alarma->texto_asunto[0]->text(), QString("Entrada 15"));

        w.Btn_GuardarClick();
        QCOMPARE(boxes.lastText(), kSaved);
        QCOMPARE(r.read("Comunicacion", "DB"), QString("si"));
        QCOMPARE(r.read("Comunicacion", "RecordTime"), QString("-1"));
        QCOMPARE(r.read("Comunicacion", "BaudRate"), QString("-1"));
        QCOMPARE(r.read("BotonesMenu", "Txt3"), QString("Boton 3"));
        QCOMPARE(r.read("BotonesMenu", "Txt4"), QString("Bomba"));
        // Longer than the fields take when typed: kept whole.
        QCOMPARE(r.read("BotonesMenu", "Txt5"), QString("Bomba de recirculacion"));
        QCOMPARE(r.read("Paneles", "A3"), QString("1000000"));
        QCOMPARE(r.read("Paneles", "B3"), QString("-65536"));
        QCOMPARE(r.read("Iconos", "Off5"), QString("/planta/off5.png"));
        QCOMPARE(r.read("Iconos", "On5"), QString("/planta/on5.png"));
        QCOMPARE(r.read("Paneles", "Decimal2"), QString("0"));
        QCOMPARE(r.read("Paneles", "A2"), QString("1"));
        QCOMPARE(r.read("Paneles", "B2"), QString("1"));
        QCOMPARE(r.read("Paneles", "C2"), QString("0"));
        QCOMPARE(r.read("Paneles", "Unidad2"), QString("unid."));
        QCOMPARE(r.read("Alarmas", "Alarma1"), QString("0"));
        QCOMPARE(r.read("Alarmas", "HabilitaMail1"), QString("1"));
        // "si" is not on: no logging after the save.
        QVERIFY(!r.applied.last().loggingOn);
        QCOMPARE(r.applied.last().dbFlag, QString("si"));
    }

    void valueChecksWhenLeavingAAndB() {
        BoxRecorder boxes;
        Rig r;
        TFConfig &w = r.open();
        PagePaneles *p = w.Hoja_Paneles;
        p->a[0]->setText("0");
        leave(p->a[0]);
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.boxes()[0].kind, Kind::Error);
        QCOMPARE(boxes.boxes()[0].buttons, MessageBoxes::Buttons::Ok);
        QCOMPARE(boxes.lastText(), QString("El valor de A en Panel 1 no puede ser 0 o nulo"));
        QCOMPARE(p->a[0]->text(), QString("1"));
        p->a[2]->clear();
        leave(p->a[2]);
        QCOMPARE(boxes.lastText(), QString("El valor de A en Panel 3 no puede ser 0 o nulo"));
        QCOMPARE(p->a[2]->text(), QString("1"));
        p->b[3]->setText("0");
        leave(p->b[3]);
        QCOMPARE(boxes.lastText(), QString("El valor de B en Panel 4 no puede ser 0"));
        QCOMPARE(p->b[3]->text(), QString("1"));

        // Only the exact text "0" is zero; an empty B is not caught here; C has no check.
        boxes.clear();
        p->a[1]->setText("00");
        leave(p->a[1]);
        p->b[1]->setText(" 0");
        leave(p->b[1]);
        p->b[2]->clear();
        leave(p->b[2]);
        p->c[0]->setText("0");
        leave(p->c[0]);
        // Leaving the window for a box or a menu is not leaving the field.
        p->a[3]->setText("0");
        QFocusEvent away(QEvent::FocusOut, Qt::ActiveWindowFocusReason);
        QCoreApplication::sendEvent(p->a[3], &away);
        QCOMPARE(boxes.count(), 0);
        p->a[3]->setText("2");

        // Fix B3, and "00" saves as 0.
        p->b[2]->setText("3");
        w.Btn_GuardarClick();
        QCOMPARE(boxes.lastText(), kSaved);
        QCOMPARE(r.read("Paneles", "A2"), QString("0"));
        QCOMPARE(r.read("Paneles", "B2"), QString("0"));
    }

    void aBadIntegerRefusesTheWholeSave() {
        BoxRecorder boxes;
        Rig r;
        const QByteArray before = "; planta\n[Comunicacion]\nPuertoCom=2\n[Paneles]\nPanel2=Si\n"
                                  "B2=4\n";
        TFConfig &w = r.open(before);
        w.Hoja_Comunicacion->Config_Puerto->setCurrentIndex(4);
        w.Hoja_Paneles->b[1]->clear();
        w.Btn_GuardarClick();
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.boxes()[0].kind, Kind::Error);
        QCOMPARE(boxes.boxes()[0].title, AppInfo::title());
        QCOMPARE(boxes.lastText(), QString("'' is not a valid integer value"));
        QCOMPARE(readFile(r.ini()), before);
        QVERIFY(r.applied.isEmpty());

        w.Hoja_Paneles->b[1]->setText("4");
        w.Hoja_Paneles->c[3]->setText("1,5");
        w.Btn_GuardarClick();
        QCOMPARE(boxes.lastText(), QString("'1,5' is not a valid integer value"));
        QCOMPARE(readFile(r.ini()), before);
    }

    void aFailedWriteLeavesTheOldFileWhole() {
        BoxRecorder boxes;
        Rig r;
        const QByteArray before = "[Comunicacion]\nPuertoCom=1\n[Extra]\nClave=1\n";
        TFConfig &w = r.open(before);
        QFile::setPermissions(r.ini(), QFile::ReadOwner | QFile::ReadGroup);
        w.Hoja_Comunicacion->Config_Puerto->setCurrentIndex(3);
        w.Btn_GuardarClick();
        QFile::setPermissions(r.ini(), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.boxes()[0].title, AppInfo::title());
        QCOMPARE(boxes.lastText(), "Unable to write to " + r.ini());
        QCOMPARE(readFile(r.ini()), before);
        QVERIFY(r.applied.isEmpty());
        w.Btn_GuardarClick();
        QCOMPARE(boxes.lastText(), kSaved);
        QCOMPARE(r.read("Comunicacion", "PuertoCom"), QString("3"));
        QCOMPARE(r.read("Extra", "Clave"), QString("1"));
    }

    void aWindows1252FileKeepsItsEncodingAndEverythingUnknown() {
        BoxRecorder boxes;
        Rig r;
        const QByteArray before =
            "; Korvane Direct - planta norte\r\n[Comunicacion]\r\nPuertoCom=1\r\n"
            "; puerto del PLC\r\n\r\n[Paneles]\r\nPanel1=Si\r\nUnidad1=\xB0"
            "C\r\nNota=presi\xF3n\r\n\r\n[Puertos]\r\nCOM2=/dev/ttyUSB0\r\n";
        TFConfig &w = r.open(before);
        QCOMPARE(w.Hoja_Paneles->unidad[0]->currentText(), QString::fromUtf8("°C"));
        w.Btn_GuardarClick();
        QCOMPARE(boxes.lastText(), kSaved);
        const QByteArray after = readFile(r.ini());
        QVERIFY(after.startsWith(
            "; Korvane Direct - planta norte\r\n[Comunicacion]\r\nPuertoCom=1\r\n"));
        QVERIFY(after.contains("Unidad1=\xB0"
                               "C\r\n"));
        QVERIFY(!after.contains("\xC2\xB0"));
        QVERIFY(after.contains("; puerto del PLC\r\n"));
        QVERIFY(after.contains("Nota=presi\xF3n\r\n"));
        QVERIFY(after.contains("[Puertos]\r\nCOM2=/dev/ttyUSB0\r\n"));
        QCOMPARE(keyLines(after).filter("Paneles/Unidad").size(), 4);
    }

    void aPictureThatFailsAtOpenIsReportedAndTheRestLoads() {
        BoxRecorder boxes;
        Rig r;
        TFConfig &w = r.open("[Iconos]\nIco2=Si\nOn2=/no/such/on2.png\nOff2=" +
                             r.dir.file("img/Luz_No.png").toUtf8() +
                             "\nIco3=Si\nOn3=/no/such/on3.png\n[Paneles]\nPanel1=Si\nA1=7\n"
                             "Unidad1=bar\n[Pantalla]\nIcono2X=33\n[Alarmas]\nAlarma1=1\n"
                             "HabilitaMail2=1\n");
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.boxes()[0].title, AppInfo::title());
        QVERIFY(boxes.lastText().contains("Cannot open file \"/no/such/on2.png\""));
        QVERIFY(boxes.lastText().contains("/no/such/on3.png"));
        QVERIFY(!w.Hoja_Iconos->Imagen_Off[1]->pixmap().isNull());
        QCOMPARE(w.Hoja_Paneles->a[0]->text(), QString("7"));
        QCOMPARE(w.Hoja_Pantalla->Icono[1]->x(), 33);
        QVERIFY(w.Hoja_Alarma->CheckAlarma1->isChecked());
        QVERIFY(w.Hoja_Alarma->check_envio[1]->isChecked());
        w.Btn_GuardarClick();
        QCOMPARE(r.read("Paneles", "A1"), QString("7"));
        QCOMPARE(r.read("Paneles", "Unidad1"), QString("bar"));
        QCOMPARE(r.read("Iconos", "On2"), QString("/no/such/on2.png"));
        QCOMPARE(r.read("Alarmas", "HabilitaMail2"), QString("1"));
    }

    void boxesEnableTheirControlsAndKeepTheFlags() {
        BoxRecorder boxes;
        Rig r;
        TFConfig &w = r.open();
        w.Hoja_Comunicacion->Habilita_DB->click();
        QVERIFY(w.Hoja_Comunicacion->Selecciona_Tiempo->isEnabled());
        QCOMPARE(w.state().DB, QString("Si"));
        w.Hoja_Menu->Habilita_Boton[6]->click();
        QVERIFY(w.Hoja_Menu->Texto_Boton[6]->isEnabled());
        QVERIFY(w.Hoja_Menu->Etiqueta_btn[6]->isEnabled());
        QCOMPARE(w.state().Buttons[6].Boton, QString("Si"));
        w.Hoja_Iconos->Habilita_Imagen[11]->click();
        QVERIFY(w.Hoja_Iconos->Imagen_On[11]->isEnabled());
        QVERIFY(w.Hoja_Iconos->Etiqueta_On[11]->isEnabled());
        QCOMPARE(w.state().Icons[11].Ico, QString("Si"));
        w.Hoja_Paneles->Habilita_Panel[2]->click();
        QVERIFY(w.Hoja_Paneles->Selecciona_Decimal[2]->isEnabled());
        QCOMPARE(w.state().Panels[2].Panel, QString("Si"));
        w.Hoja_Alarma->CheckAlarma1->click();
        QVERIFY(w.Hoja_Alarma->Boton_TestAlarma1->isEnabled());
        QCOMPARE(w.state().Alarma1, 1);
        w.Hoja_Alarma->check_envio[1]->click();
        QVERIFY(w.Hoja_Alarma->texto_mensaje[1]->isEnabled());
        QVERIFY(w.Hoja_Alarma->boton_envio[1]->isEnabled());
        QCOMPARE(w.state().HabilitaMail2, 1);
        w.Hoja_Alarma->check_envio[1]->click();
        QVERIFY(!w.Hoja_Alarma->boton_envio[1]->isEnabled());
        QCOMPARE(w.state().HabilitaMail2, 0);
        w.Hoja_Menu->Habilita_Boton[6]->click();
        QCOMPARE(w.state().Buttons[6].Boton, QString("No"));
        QVERIFY(!w.Hoja_Menu->Texto_Boton[6]->isEnabled());
        QCOMPARE(boxes.count(), 0);
    }

    void eachPageShowsItsHelpText() {
        BoxRecorder boxes;
        Rig r;
        TFConfig &w = r.open();
        const QStringList headings{
            "COMUNICACION: ", "BOTONES DE MENU: ", "IMAGEN DE FONDO: ", "ICONOS: ",
            "PANELES: ",      "PANTALLA: ",        "ALARMA: "};
        for (int i = w.Paginas->count() - 1; i >= 0; --i) {
            w.Paginas->setCurrentIndex(i);
            QVERIFY(w.Memo_Ayuda->toPlainText().startsWith(headings[i] + "\n\n"));
        }
        w.Paginas->setCurrentIndex(2);
        QVERIFY(w.Memo_Ayuda->toPlainText().endsWith(
            "alto = 530 pixeles.\nLa imagen puede ser formato JPG o PNG"));
        w.Paginas->setCurrentIndex(4);
        QVERIFY(w.Memo_Ayuda->toPlainText().contains("Los Paneles se persnoalizan"));
        w.Paginas->setCurrentIndex(6);
        QCOMPARE(w.Memo_Ayuda->toPlainText(),
                 QString("ALARMA: \n\nLa alarma esta asociada a la entrada 16 de la Macro Dravik."
                         "\n\nSi se pasa a ON la entrada  16 la alarma reproducira el archivo MP3 "
                         "asociado.\n\nPara activar el envio de mails se deben habilitar y "
                         "configurar los datos de servidor saliente SMTP."));
        QVERIFY(w.Memo_Ayuda->isReadOnly());
        QCOMPARE(w.Memo_Ayuda->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    }

    void fileDialogsChooseBackgroundIconsAndSound() {
        BoxRecorder boxes;
        Rig r;
        TFConfig &w = r.open("[Iconos]\nIco1=Si\n");

        // Background: cancel changes nothing; a choice is taken and shown.
        w.Hoja_Fondo->Boton_BuscaImagen->click();
        QCOMPARE(r.dialogs.size(), 1);
        QCOMPARE(r.dialogs[0].title, QString("Imagen Principal de Fondo"));
        QCOMPARE(r.dialogs[0].filter,
                 QString("All (*.png;*.jpg;*.jpeg)|*.png;*.gif;*.jpg;*.jpeg|Portable Network "
                         "Graphics (*.png)|*.png|JPEG Image File (*.jpg)|*.jpg|JPEG Image File "
                         "(*.jpeg)|*.jpeg"));
        QCOMPARE(r.dialogs[0].initialDir, r.dir.file("img"));
        QVERIFY(r.dialogs[0].picturePreview);
        QCOMPARE(w.state().Imagen, r.dir.file("img/noimage.jpg"));
        r.choices << r.dir.file("img/inicio.jpg");
        w.Hoja_Fondo->Boton_BuscaImagen->click();
        QCOMPARE(w.state().Imagen, r.dir.file("img/inicio.jpg"));
        QCOMPARE(w.Hoja_Fondo->Texto_Path_Imagen->text(), r.dir.file("img/inicio.jpg"));

        // Icons: a disabled picture does not react; a file that is no picture is not taken.
        emit w.Hoja_Iconos->Imagen_Off[1]->doubleClicked();
        w.Hoja_Iconos->ImagenDblClick(2, false);
        QCOMPARE(r.dialogs.size(), 2);
        QFile::copy(r.dir.file("alarm/Alarma.mp3"), r.dir.file("img/falsa.png"));
        r.choices << r.dir.file("img/falsa.png") << r.dir.file("img/Luz_Roja.png");
        emit w.Hoja_Iconos->Imagen_On[0]->doubleClicked();
        QCOMPARE(r.dialogs.last().title, QString("Seleccione Imagen para Icono"));
        QVERIFY(r.dialogs.last().filter.startsWith("All (*.png;*.gif;*.jpg;*.jpeg)|"));
        QVERIFY(r.dialogs.last().filter.contains("|CompuServe GIF Image (*.gif)|*.gif|"));
        QCOMPARE(boxes.count(), 1);
        QVERIFY(boxes.lastText().startsWith("Cannot open file"));
        QCOMPARE(w.state().Icons[0].On, r.dir.file("img/noimage.png"));
        emit w.Hoja_Iconos->Imagen_On[0]->doubleClicked();
        QCOMPARE(w.state().Icons[0].On, r.dir.file("img/Luz_Roja.png"));

        // Alarm sound: from the button and from a double-click on the path.
        w.Hoja_Alarma->CheckAlarma1->click();
        r.choices << "/sonidos/sirena.mp3";
        w.Hoja_Alarma->Boton_BuscaAlarma1->click();
        QCOMPARE(r.dialogs.last().title, QString("Alarma Sonora"));
        QCOMPARE(r.dialogs.last().filter, QString("Archivo Sonido MP3|*.mp3"));
        QCOMPARE(r.dialogs.last().initialDir, QString());
        QVERIFY(!r.dialogs.last().picturePreview);
        QCOMPARE(w.state().Alarma1MP3, QString("/sonidos/sirena.mp3"));
        QCOMPARE(w.Hoja_Alarma->Texto_Alarma1->text(), QString("/sonidos/sirena.mp3"));
        const int before = r.dialogs.size();
        QMouseEvent dbl(QEvent::MouseButtonDblClick, QPointF(5, 5), QPointF(5, 5), Qt::LeftButton,
                        Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w.Hoja_Alarma->Texto_Alarma1, &dbl);
        QCOMPARE(r.dialogs.size(), before + 1);

        w.Btn_GuardarClick();
        QCOMPARE(r.read("ImagenFondo", "Imagen"), r.dir.file("img/inicio.jpg"));
        QCOMPARE(r.read("Iconos", "On1"), r.dir.file("img/Luz_Roja.png"));
        QCOMPARE(r.read("Alarmas", "Alarma1MP3"), QString("/sonidos/sirena.mp3"));

        // The dialog's own filter form.
        QCOMPARE(FileDialogs::nameFilters("All (*.png;*.jpg)|*.png;*.gif;*.jpg|Sonido|*.mp3"),
                 QStringList({"All (*.png;*.jpg) (*.png *.gif *.jpg)", "Sonido (*.mp3)"}));
    }

    void aTypedBackgroundPathIsSavedButNotPreviewed() {
        BoxRecorder boxes;
        Rig r;
        TFConfig &w = r.open();
        w.Hoja_Fondo->Texto_Path_Imagen->setText(r.dir.file("img/inicio.jpg"));
        w.Btn_GuardarClick();
        QCOMPARE(r.read("ImagenFondo", "Imagen"), r.dir.file("img/inicio.jpg"));
        QCOMPARE(r.applied.last().backgroundPath, r.dir.file("img/inicio.jpg"));
        QCOMPARE(w.state().Imagen, r.dir.file("img/noimage.jpg"));
    }

    void theLayoutPageShowsWhatTheFlagsSay() {
        BoxRecorder boxes;
        Rig r;
        TFConfig &w = r.open("[Iconos]\nIco1=Si\nIco2=si\nIco3=No\n[Paneles]\nPanel4=Si\n"
                             "[Pantalla]\nIcono3X=5\nIcono3Y=7\n");
        PagePantalla *page = w.Hoja_Pantalla;
        QCOMPARE(page->Icono[2]->pos(), QPoint(5, 7)); // shown as stored
        QCOMPARE(page->Panel[3]->pos(), QPoint(600, 200));
        w.Paginas->setCurrentIndex(5);
        QVERIFY(!page->Icono[0]->isHidden() && page->Icono[0]->isEnabled());
        QVERIFY(!page->Icono[1]->isHidden()); // only "No" hides
        QVERIFY(!w.Hoja_Iconos->Habilita_Imagen[1]->isChecked());
        QVERIFY(page->Icono[2]->isHidden() && !page->Icono[2]->isEnabled());
        QVERIFY(!page->Panel[3]->isHidden());
        QVERIFY(page->Panel[0]->isHidden());
        QCOMPARE(page->Icono[0]->toolTip(),
                 QString("Icono 1 - Arrastrar y Soltar donde corresponda"));
        QCOMPARE(page->Panel[3]->toolTip(),
                 QString("Panel 4 - Arrastrar y Soltar donde corresponda"));
        QCOMPARE(page->Icono[0]->size(), QSize(64, 64));
        QCOMPARE(page->Panel[3]->size(), QSize(150, 30));
        QCOMPARE(page->Fondo2->geometry(), QRect(0, 0, 700, 530));

        // The flags follow the boxes of the other pages.
        w.Hoja_Iconos->Habilita_Imagen[0]->click();
        w.Hoja_Paneles->Habilita_Panel[0]->click();
        w.Paginas->setCurrentIndex(4);
        w.Paginas->setCurrentIndex(5);
        QVERIFY(page->Icono[0]->isHidden());
        QVERIFY(!page->Panel[0]->isHidden());
        QCOMPARE(boxes.count(), 0);

        // A background that has gone since: reported, the rest still shows.
        QFile::remove(r.dir.file("img/noimage.jpg"));
        w.Hoja_Iconos->Habilita_Imagen[0]->click();
        w.Paginas->setCurrentIndex(4);
        w.Paginas->setCurrentIndex(5);
        QCOMPARE(boxes.count(), 1);
        QVERIFY(boxes.lastText().contains("noimage.jpg"));
        QVERIFY(!page->Icono[0]->isHidden());
    }

    void draggingWithTheMouse() {
        BoxRecorder boxes;
        Rig r;
        TFConfig &w = r.open("[Iconos]\nIco1=Si\nIco2=Si\nIco8=Si\n");
        w.show();
        QVERIFY(QTest::qWaitForWindowExposed(&w));
        w.Paginas->setCurrentIndex(5);
        PagePantalla *page = w.Hoja_Pantalla;
        QWindow *window = w.windowHandle();
        auto at = [&](QWidget *control, QPoint local) { return control->mapTo(&w, local); };

        // Icon 8 from its default left 640: the first move clamps it to 625 and
        // ends the drag; the clamped place is the one recorded.
        QLabel *icon8 = page->Icono[7];
        QTest::mousePress(window, Qt::LeftButton, {}, at(icon8, {20, 20}));
        QTest::mouseMove(window, at(icon8, {10, 25}));
        QCOMPARE(icon8->pos(), QPoint(625, 50));
        QVERIFY(!w.state().Dragging);
        QCOMPARE(w.state().Icons[7].X, 625);
        QTest::mouseMove(window, at(icon8, {0, 40}));
        QCOMPARE(icon8->pos(), QPoint(625, 50)); // the drag is over
        QTest::mouseRelease(window, Qt::LeftButton, {}, at(icon8, {0, 40}));
        QCOMPARE(w.state().Icons[7].X, 625);

        // A drag released over another control: the pressed control keeps the
        // mouse and records its own place.
        QLabel *icon1 = page->Icono[0];
        QLabel *icon2 = page->Icono[1];
        QTest::mousePress(window, Qt::LeftButton, {}, at(icon1, {32, 32}));
        QTest::mouseMove(window, at(icon1, {52, 42}));
        QCOMPARE(icon1->pos(), QPoint(100, 60));
        const QPoint overIcon2 = at(icon2, {30, 30});
        QTest::mouseMove(window, overIcon2);
        QTest::mouseRelease(window, Qt::LeftButton, {}, overIcon2);
        QCOMPARE(w.state().Icons[1].X, 160);
        QCOMPARE(w.state().Icons[1].Y, 50);
        QCOMPARE(QPoint(w.state().Icons[0].X, w.state().Icons[0].Y), icon1->pos());
        QCOMPARE(icon1->pos(), QPoint(158, 48));
        QVERIFY(!w.state().Dragging);

        w.Btn_GuardarClick();
        QCOMPARE(r.read("Pantalla", "Icono1X"), QString("158"));
        QCOMPARE(r.read("Pantalla", "Icono1Y"), QString("48"));
        QCOMPARE(r.read("Pantalla", "Icono8X"), QString("625"));
        QCOMPARE(r.applied.last().icons[7].left, 625);
        QCOMPARE(boxes.countText(kSaved), 1);
    }

    void theSecondSaveReusesTheFirstPeriod() {
        BoxRecorder boxes;
        Rig r;
        TFConfig &w = r.open("[Comunicacion]\nDB=Si\nRecordTime=3\n");
        QComboBox *period = w.Hoja_Comunicacion->Selecciona_Tiempo;
        QCOMPARE(period->currentText(), QString("5 Min."));
        // Emptied before the first save: the period read at open, in seconds.
        period->setEditText(QString());
        w.Btn_GuardarClick();
        QCOMPARE(r.applied.last().recordSeconds, 300);
        QCOMPARE(r.read("Comunicacion", "RecordTime"), QString("-1"));

        period->setCurrentIndex(1);
        w.Btn_GuardarClick();
        QCOMPARE(r.applied.last().recordSeconds, 30);
        period->setEditText("45 Seg.");
        w.Btn_GuardarClick();
        QVERIFY(r.applied.last().loggingOn);
        QCOMPARE(r.applied.last().recordSeconds, 30);
        QCOMPARE(r.read("Comunicacion", "RecordTime"), QString("-1"));
        // Typing an entry's own text chooses that entry.
        period->setEditText("1 Hora");
        w.Btn_GuardarClick();
        QCOMPARE(r.read("Comunicacion", "RecordTime"), QString("6"));
        QCOMPARE(boxes.countText(kSaved), 4);
    }

    void alarmBoxAndTestDriveThePlayer() {
        BoxRecorder boxes;
        Rig r;
        AlarmPlayer player;
        TFConfig &w = r.open("[Alarmas]\nAlarma1=1\n", &player);
        PageAlarma *al = w.Hoja_Alarma;
        QVERIFY(player.isEnabled());
        QCOMPARE(player.fileName(), r.dir.file("alarm/Alarma.mp3"));
        QVERIFY(!player.isOpen()); // a file name alone changes no sound

        QCOMPARE(al->Boton_TestAlarma1->text(), QString("Probar Alarma"));
        QCOMPARE(al->Boton_TestAlarma1->toolTip(), QString("Probar Alarma 1"));
        al->Boton_TestAlarma1->click();
        QCOMPARE(boxes.count(), 0);
        QVERIFY(player.isOpen());
        QVERIFY(player.isPlaying());
        QCOMPARE(al->Boton_TestAlarma1->text(), QString("Detener Alarma!"));
        al->Boton_TestAlarma1->click();
        QVERIFY(!player.isPlaying());
        QCOMPARE(al->Boton_TestAlarma1->text(), QString("Probar Alarma"));

        // A file that cannot be opened: the standard box, the caption stays.
        r.choices << r.dir.file("no-such.mp3");
        al->Boton_BuscaAlarma1->click();
        al->Boton_TestAlarma1->click();
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.boxes()[0].title, AppInfo::title());
        QCOMPARE(al->Boton_TestAlarma1->text(), QString("Probar Alarma"));
        QVERIFY(!player.isOpen());

        al->CheckAlarma1->click();
        QVERIFY(!player.isEnabled());
        QCOMPARE(player.fileName(), r.dir.file("no-such.mp3"));
        QVERIFY(!al->Boton_TestAlarma1->isEnabled());
        QCOMPARE(w.state().Alarma1, 0);
    }

    void testSendGoesOutWithTheFieldsAsTheyStand() {
        BoxRecorder boxes;
        SmtpSink sink({"--auth", "operador:s3creta"});
        Rig r;
        TFConfig &w = r.open("[Alarmas]\nHabilitaMail1=1\nHabilitaMail2=1\n");
        PageAlarma *al = w.Hoja_Alarma;
        al->texto_smtp->setText("127.0.0.1");
        al->texto_puerto->setText(sink.portText());
        al->texto_email->setText("planta@ejemplo.com");
        al->texto_usuario->setText("operador");
        al->texto_clave->setText("s3creta");
        al->texto_destino->setText("uno@ejemplo.com, dos@ejemplo.com");
        al->texto_asunto[1]->setText("Prueba 2");
        al->texto_mensaje[1]->setText("Cuerpo de prueba");

        // Answered No: nothing is sent and no box follows.
        boxes.answerNext(Answer::No);
        al->boton_envio[1]->click();
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.boxes()[0].kind, Kind::Warning);
        QCOMPARE(boxes.boxes()[0].buttons, MessageBoxes::Buttons::YesNo);
        QCOMPARE(boxes.lastText(), PageAlarma::testQuestion());
        QVERIFY(!al->sending(2));

        boxes.answerNext(Answer::Yes);
        al->boton_envio[1]->click();
        QVERIFY(al->sending(2));
        QVERIFY(!al->boton_envio[1]->isEnabled());
        QVERIFY(!al->Etiqueta_Enviando[1]->isHidden());
        QVERIFY(QTest::qWaitFor([&] { return !al->sending(2); }, 10000));
        QCOMPARE(boxes.count(), 3);
        QCOMPARE(boxes.boxes()[2].kind, Kind::Plain);
        QCOMPARE(boxes.boxes()[2].buttons, MessageBoxes::Buttons::Ok);
        QCOMPARE(boxes.lastText(), QString("El Mensaje 2 se envió correctamente"));
        QVERIFY(al->boton_envio[1]->isEnabled());
        QVERIFY(al->Etiqueta_Enviando[1]->isHidden());
        QVERIFY(sink.waitFor("message", 1));
        const QJsonObject m = sink.events("message").first();
        QCOMPARE(m.value("subject").toString(), QString("Prueba 2"));
        QCOMPARE(m.value("rcpt_tos").toArray().size(), 2);
        QCOMPARE(m.value("auth").toString(), QString("operador"));

        // A port that is not a whole number fails before the question.
        boxes.clear();
        al->texto_puerto->setText("25a");
        al->boton_envio[0]->click();
        QCOMPARE(boxes.count(), 1);
        QCOMPARE(boxes.boxes()[0].title, AppInfo::title());
        QCOMPARE(boxes.lastText(), QString("'25a' is not a valid integer value"));

        // With its box cleared the button does nothing.
        al->check_envio[0]->click();
        al->boton_envioClick(1);
        QCOMPARE(boxes.count(), 1);
    }

    void aSlowTestSendKeepsTheWindowRunning() {
        BoxRecorder boxes;
        SmtpSink sink({"--hang"});
        Rig r;
        TFConfig &w = r.open("[Alarmas]\nHabilitaMail1=1\nServerSMTP=127.0.0.1\nEmail=a@b.c\n"
                             "EmailDestino=d@e.f\nUsuarioMail=\nPuertoSMTP=" +
                             sink.portText().toUtf8() + "\n");
        PageAlarma *al = w.Hoja_Alarma;
        al->setSmtpTimeouts({1000, 1500});
        int ticks = 0;
        QTimer station;
        station.setInterval(50);
        QObject::connect(&station, &QTimer::timeout, [&] { ++ticks; });
        station.start();

        al->boton_envio[0]->click();
        QVERIFY(al->sending(1));
        QVERIFY(!al->Etiqueta_Enviando[0]->isHidden());
        QVERIFY(sink.waitFor("connect", 1));
        const int ticksWhileSending = ticks;
        QVERIFY(QTest::qWaitFor([&] { return !al->sending(1); }, 10000));
        QVERIFY2(ticks - ticksWhileSending >= 5, qPrintable(QString::number(ticks)));
        QCOMPARE(boxes.count(), 2);
        QCOMPARE(boxes.boxes()[1].kind, Kind::Error);
        QCOMPARE(boxes.boxes()[1].buttons, MessageBoxes::Buttons::Yes);
        QCOMPARE(boxes.lastText(), QString("Se produjo un error en el envio de mensajes por "
                                           "e-mail, revise configuracion"));
        QVERIFY(al->boton_envio[0]->isEnabled());
    }

    void theHelpPageShowsEveryPage() {
        const QString page = TestSupport::bundleDir() + "/hlp/configuracion.html";
        const QString html = QString::fromUtf8(readFile(page));
        QVERIFY(!html.isEmpty());
        static const QRegularExpression image(QStringLiteral("src=\"([^\"]+)\""));
        QStringList pictures;
        for (const auto &m : image.globalMatch(html)) {
            pictures << m.captured(1);
            QVERIFY2(QFile::exists(QFileInfo(page).dir().filePath(m.captured(1))),
                     qPrintable(m.captured(1)));
        }
        for (int n = 1; n <= 7; ++n)
            QVERIFY(pictures.contains(QString("editor/editor-%1.png").arg(n)));
    }

    void closingNeverSaves() {
        BoxRecorder boxes;
        Rig r;
        TFConfig &w = r.open("[Comunicacion]\nPuertoCom=1\n");
        w.show();
        w.Hoja_Comunicacion->Config_Puerto->setCurrentIndex(5);
        w.Btn_Cancela->click();
        QVERIFY(!w.isVisible());
        QCOMPARE(readFile(r.ini()), QByteArray("[Comunicacion]\nPuertoCom=1\n"));
        QVERIFY(r.applied.isEmpty());
        QCOMPARE(boxes.count(), 0);
    }
};

QTEST_MAIN(TstConfigEditor)
#include "tst_config_editor.moc"

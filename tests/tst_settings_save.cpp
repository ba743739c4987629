// The editor's save apart from its window: the 152 keys, the integer checks
// made before anything is written, and what the main window is handed.
#include "common/AppError.h"
#include "config/ConfigFile.h"
#include "config/EditorState.h"
#include "config/SettingsSave.h"
#include "tests/support/TestSupport.h"

#include <QtTest>

using TestSupport::readFile;
using TestSupport::writeFile;

namespace {

// Section and key of every entry, in the file's order, built from the
// key tables rather than from the program's own names.
QStringList expectedKeys() {
    QStringList k;
    for (const char *key : {"PuertoCom", "BaudRate", "DataBits", "StopBits", "Parity",
                            "FlowControl", "DB", "RecordTime"})
        k << QStringLiteral("Comunicacion/") + key;
    for (int n = 1; n <= 8; ++n)
        k << QStringLiteral("BotonesMenu/Boton%1").arg(n)
          << QStringLiteral("BotonesMenu/Txt%1").arg(n);
    k << "ImagenFondo/Imagen";
    for (int n = 1; n <= 16; ++n)
        k << QStringLiteral("Iconos/Ico%1").arg(n) << QStringLiteral("Iconos/Off%1").arg(n)
          << QStringLiteral("Iconos/On%1").arg(n);
    for (int n = 1; n <= 4; ++n)
        for (const char *key : {"Panel", "Decimal", "A", "B", "C", "Unidad"})
            k << QStringLiteral("Paneles/%1%2").arg(QLatin1String(key)).arg(n);
    for (int n = 1; n <= 16; ++n)
        k << QStringLiteral("Pantalla/Icono%1X").arg(n)
          << QStringLiteral("Pantalla/Icono%1Y").arg(n);
    for (int n = 1; n <= 4; ++n)
        k << QStringLiteral("Pantalla/Panel%1X").arg(n)
          << QStringLiteral("Pantalla/Panel%1Y").arg(n);
    for (const char *key : {"Alarma1", "Alarma1MP3", "ServerSMTP", "Email", "PuertoSMTP", "ReEnvio",
                            "UsuarioMail", "ClaveMail", "EmailDestino", "HabilitaMail1", "Asunto1",
                            "Mensaje1", "HabilitaMail2", "Asunto2", "Mensaje2"})
        k << QStringLiteral("Alarmas/") + key;
    return k;
}

QString valueOf(const QList<ConfigFile::Entry> &entries, const QString &sectionKey) {
    for (const ConfigFile::Entry &e : entries) {
        if (e.section + u'/' + e.key == sectionKey)
            return e.value;
    }
    return QStringLiteral("<missing>");
}

} // namespace

class TstSettingsSave : public QObject {
    Q_OBJECT

private slots:
    void keysInTheFilesOrderFromTheirSources() {
        EditorState state;
        state.DB = "si";
        state.Buttons[2].Boton = "Si";
        state.Icons[4].Ico = "No";
        state.Icons[4].Off = "/planta/off5.png";
        state.Icons[15].X = 625;
        state.Panels[3].Y = 475;
        state.Alarma1 = 1;
        state.Alarma1MP3 = "/planta/sirena.mp3";
        state.HabilitaMail2 = 1;
        EditorForm form;
        form.serial = {3, 1, 3, 0, 2, -1};
        form.recordTime = -1;
        form.buttonText[2] = "Agitador";
        form.backgroundText = "/planta/fondo.jpg";
        form.panels[1] = {true, 2, "$10", "00", "-5", QString::fromUtf8("°C")};
        form.port = "2525";
        form.resend = 4;
        form.body2 = "Revise la planta";

        const QList<ConfigFile::Entry> entries = SettingsSave::entries(state, form);
        QStringList keys;
        for (const ConfigFile::Entry &e : entries)
            keys << e.section + u'/' + e.key;
        QCOMPARE(keys.size(), 152);
        QCOMPARE(keys, expectedKeys());

        QCOMPARE(valueOf(entries, "Comunicacion/PuertoCom"), QString("3"));
        QCOMPARE(valueOf(entries, "Comunicacion/FlowControl"), QString("-1"));
        QCOMPARE(valueOf(entries, "Comunicacion/DB"), QString("si")); // kept as stored
        QCOMPARE(valueOf(entries, "Comunicacion/RecordTime"), QString("-1"));
        QCOMPARE(valueOf(entries, "BotonesMenu/Boton3"), QString("Si"));
        QCOMPARE(valueOf(entries, "BotonesMenu/Txt3"), QString("Agitador"));
        QCOMPARE(valueOf(entries, "ImagenFondo/Imagen"), QString("/planta/fondo.jpg"));
        QCOMPARE(valueOf(entries, "Iconos/Ico5"), QString("No"));
        QCOMPARE(valueOf(entries, "Iconos/Off5"), QString("/planta/off5.png"));
        QCOMPARE(valueOf(entries, "Paneles/Decimal2"), QString("2"));
        QCOMPARE(valueOf(entries, "Paneles/A2"), QString("16"));
        QCOMPARE(valueOf(entries, "Paneles/B2"), QString("0"));
        QCOMPARE(valueOf(entries, "Paneles/C2"), QString("-5"));
        QCOMPARE(valueOf(entries, "Paneles/Unidad2"), QString::fromUtf8("°C"));
        QCOMPARE(valueOf(entries, "Pantalla/Icono16X"), QString("625"));
        QCOMPARE(valueOf(entries, "Pantalla/Panel4Y"), QString("475"));
        QCOMPARE(valueOf(entries, "Alarmas/Alarma1"), QString("1"));
        QCOMPARE(valueOf(entries, "Alarmas/Alarma1MP3"), QString("/planta/sirena.mp3"));
        QCOMPARE(valueOf(entries, "Alarmas/PuertoSMTP"), QString("2525"));
        QCOMPARE(valueOf(entries, "Alarmas/ReEnvio"), QString("4"));
        QCOMPARE(valueOf(entries, "Alarmas/HabilitaMail2"), QString("1"));
        QCOMPARE(valueOf(entries, "Alarmas/Mensaje2"), QString("Revise la planta"));
    }

    void integersAreCheckedBeforeAnythingIsWritten() {
        EditorForm form;
        QVERIFY(!SettingsSave::firstInvalidInteger(form));
        form.panels[3].c = "x";
        form.panels[2].b = "";
        form.panels[2].a = "0x1F";
        QCOMPARE(SettingsSave::firstInvalidInteger(form), std::optional<QString>(""));
        QCOMPARE(SettingsSave::invalidIntegerText(""), QString("'' is not a valid integer value"));
        QCOMPARE(SettingsSave::wholeNumber("00"), std::optional<int>(0));
        QCOMPARE(SettingsSave::wholeNumber("-12"), std::optional<int>(-12));
        QCOMPARE(SettingsSave::wholeNumber("1.5"), std::nullopt);

        // A failed check leaves the file byte for byte as it was.
        QTemporaryDir dir;
        const QString path = dir.filePath("Config.ini");
        const QByteArray before = "; planta\r\n[Paneles]\r\nB3=4\r\n";
        writeFile(path, before);
        ConfigFile config(path);
        try {
            SettingsSave::write(config, EditorState(), form);
            QFAIL("an empty B was saved");
        } catch (const AppError &e) {
            QCOMPARE(e.text(), QString("'' is not a valid integer value"));
        }
        QCOMPARE(readFile(path), before);
    }

    void periodKeepsThePreviousSecondsWithoutAChoice() {
        QCOMPARE(SettingsSave::periodSeconds(0, 99), 10);
        QCOMPARE(SettingsSave::periodSeconds(3, 99), 300);
        QCOMPARE(SettingsSave::periodSeconds(7, 99), 7200);
        QCOMPARE(SettingsSave::periodSeconds(-1, 99), 99);
        QCOMPARE(SettingsSave::periodSeconds(8, 99), 99);

        EditorForm form;
        form.dbTicked = true;
        form.recordTime = 2;
        EditorState state;
        AppliedSettings a = SettingsSave::applied(state, form, 10);
        QVERIFY(a.loggingOn);
        QCOMPARE(a.recordSeconds, 60);
        form.recordTime = -1; // the list emptied by typing
        a = SettingsSave::applied(state, form, a.recordSeconds);
        QCOMPARE(a.recordSeconds, 60);
        form.dbTicked = false;
        QVERIFY(!SettingsSave::applied(state, form, 60).loggingOn);
    }

    void readTakesTheEditorsDefaultsAndFallbacks() {
        TestSupport::ExeDir dir;
        EditorState s = EditorState::read(ConfigFile(dir.file("Config.ini")), dir.path());
        QCOMPARE(s.StopBits, 1);
        QCOMPARE(s.Imagen, dir.file("img/noimage.jpg"));
        QCOMPARE(s.Icons[4].Off, dir.file("img/noimage.png"));
        QCOMPARE(s.Buttons[2].Txt, QString("Boton 3"));
        QCOMPARE(s.Icons[7].X, 640);
        QCOMPARE(s.Icons[15].Y, 100);
        QCOMPARE(s.Panels[3].X, 600);
        QCOMPARE(s.Alarma1MP3, dir.file("alarm/Alarma.mp3"));
        QCOMPARE(s.ClaveMail, QString("482915"));

        dir.writeConfig("[ImagenFondo]\nImagen=/no/such/fondo.jpg\n[Paneles]\nA1=0x10\nB1=abc\n"
                        "[Alarmas]\nAlarma1MP3=/no/such.mp3\n");
        s = EditorState::read(ConfigFile(dir.file("Config.ini")), dir.path());
        QCOMPARE(s.Imagen, dir.file("img/inicio.jpg"));
        QCOMPARE(s.Alarma1MP3, dir.file("alarm/Alarma.mp3"));
        QCOMPARE(s.Panels[0].A, 16);
        QCOMPARE(s.Panels[0].B, 1);
    }
};

QTEST_GUILESS_MAIN(TstSettingsSave)
#include "tst_settings_save.moc"

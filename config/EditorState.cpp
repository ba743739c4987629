#include "config/EditorState.h"

#include "app/RuntimeSettings.h"
#include "config/ConfigFile.h"
#include "config/SettingsKeys.h"

#include <QFileInfo>

using namespace SettingsKeys;

EditorState EditorState::read(const ConfigFile &config, const QString &exeDir) {
    EditorState s;
    s.ExeDir = exeDir;
    const QString noImage = exeDir + QStringLiteral("/img/noimage.png");

    const QString &com = kComunicacion;
    s.PuertoCom = config.readInteger(com, QStringLiteral("PuertoCom"), 0);
    s.BaudRate = config.readInteger(com, QStringLiteral("BaudRate"), 7);
    s.DataBits = config.readInteger(com, QStringLiteral("DataBits"), 2);
    s.StopBits = config.readInteger(com, QStringLiteral("StopBits"), 1);
    s.Parity = config.readInteger(com, QStringLiteral("Parity"), 0);
    s.FlowControl = config.readInteger(com, QStringLiteral("FlowControl"), 0);
    s.DB = config.readString(com, QStringLiteral("DB"), QStringLiteral("No"));
    s.RecordTime = config.readInteger(com, QStringLiteral("RecordTime"), 0);

    for (int n = 1; n <= 8; ++n) {
        Button &b = s.Buttons[n - 1];
        b.Boton = config.readString(kBotonesMenu, numbered("Boton", n), QStringLiteral("No"));
        b.Txt = config.readString(kBotonesMenu, numbered("Txt", n), numbered("Boton ", n));
    }

    s.Imagen = config.readString(kImagenFondo, QStringLiteral("Imagen"),
                                 exeDir + QStringLiteral("/img/noimage.jpg"));

    for (int n = 1; n <= 16; ++n) {
        Icon &icon = s.Icons[n - 1];
        icon.Ico = config.readString(kIconos, numbered("Ico", n), QStringLiteral("No"));
        icon.Off = config.readString(kIconos, numbered("Off", n), noImage);
        icon.On = config.readString(kIconos, numbered("On", n), noImage);
    }

    for (int n = 1; n <= 4; ++n) {
        Panel &p = s.Panels[n - 1];
        p.Panel = config.readString(kPaneles, numbered("Panel", n), QStringLiteral("No"));
        p.Decimal = config.readInteger(kPaneles, numbered("Decimal", n), 0);
        p.A = config.readInteger(kPaneles, numbered("A", n), 1);
        p.B = config.readInteger(kPaneles, numbered("B", n), 1);
        p.C = config.readInteger(kPaneles, numbered("C", n), 0);
        p.Unidad = config.readString(kPaneles, numbered("Unidad", n), QStringLiteral("unid."));
    }

    for (int n = 1; n <= 16; ++n) {
        Icon &icon = s.Icons[n - 1];
        icon.X = config.readInteger(kPantalla, position("Icono", n, 'X'), defaultIconX(n));
        icon.Y = config.readInteger(kPantalla, position("Icono", n, 'Y'), defaultIconY(n));
    }
    for (int n = 1; n <= 4; ++n) {
        Panel &p = s.Panels[n - 1];
        p.X = config.readInteger(kPantalla, position("Panel", n, 'X'), defaultPanelX(n));
        p.Y = config.readInteger(kPantalla, position("Panel", n, 'Y'), defaultPanelY(n));
    }

    const QString &al = kAlarmas;
    s.Alarma1 = config.readInteger(al, QStringLiteral("Alarma1"), 0);
    s.Alarma1MP3 = config.readString(al, QStringLiteral("Alarma1MP3"),
                                     exeDir + QStringLiteral("/alarm/Alarma.mp3"));
    s.ServerSMTP = config.readString(al, QStringLiteral("ServerSMTP"), MailPlaceholders::server());
    s.Email = config.readString(al, QStringLiteral("Email"), MailPlaceholders::address());
    s.PuertoSMTP = config.readString(al, QStringLiteral("PuertoSMTP"), QStringLiteral("26"));
    s.ReEnvio = config.readInteger(al, QStringLiteral("ReEnvio"), 0);
    s.UsuarioMail =
        config.readString(al, QStringLiteral("UsuarioMail"), MailPlaceholders::address());
    s.ClaveMail = config.readString(al, QStringLiteral("ClaveMail"), QStringLiteral("482915"));
    s.EmailDestino =
        config.readString(al, QStringLiteral("EmailDestino"), MailPlaceholders::recipient());
    s.HabilitaMail1 = config.readInteger(al, QStringLiteral("HabilitaMail1"), 0);
    s.Asunto1 =
        config.readString(al, QStringLiteral("Asunto1"), QStringLiteral("Asunto Mensaje 1"));
    s.Mensaje1 =
        config.readString(al, QStringLiteral("Mensaje1"), QStringLiteral("Mensaje a enviar 1"));
    s.HabilitaMail2 = config.readInteger(al, QStringLiteral("HabilitaMail2"), 0);
    s.Asunto2 =
        config.readString(al, QStringLiteral("Asunto2"), QStringLiteral("Asunto Mensaje 2"));
    s.Mensaje2 =
        config.readString(al, QStringLiteral("Mensaje2"), QStringLiteral("Mensaje a enviar 2"));

    // A background or sound that has gone falls back to the installed file;
    // the next save writes the replacement.
    if (!QFileInfo::exists(s.Imagen))
        s.Imagen = exeDir + QStringLiteral("/img/inicio.jpg");
    if (!QFileInfo::exists(s.Alarma1MP3))
        s.Alarma1MP3 = exeDir + QStringLiteral("/alarm/Alarma.mp3");
    return s;
}

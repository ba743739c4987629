#include "app/RuntimeSettings.h"

#include "config/ConfigFile.h"

#include <QFileInfo>
#include <algorithm>
#include <limits>

namespace {
const QString kCom = QStringLiteral("Comunicacion");
const QString kButtons = QStringLiteral("BotonesMenu");
const QString kBackground = QStringLiteral("ImagenFondo");
const QString kIcons = QStringLiteral("Iconos");
const QString kPanels = QStringLiteral("Paneles");
const QString kScreen = QStringLiteral("Pantalla");
const QString kAlarms = QStringLiteral("Alarmas");

QString key(const char *name, int n) {
    return QString::fromLatin1(name) + QString::number(n);
}
} // namespace

RuntimeSettings RuntimeSettings::read(const ConfigFile &config, const QString &exeDir) {
    RuntimeSettings s;
    s.ExeDir = exeDir;
    s.ConfigPath = exeDir + QStringLiteral("/Config.ini");

    s.PortIndex = config.readInteger(kCom, QStringLiteral("PuertoCom"), 0);
    s.BaudIndex = config.readInteger(kCom, QStringLiteral("BaudRate"), 7);
    s.DataBitsIndex = config.readInteger(kCom, QStringLiteral("DataBits"), 2);
    s.StopBitsIndex = config.readInteger(kCom, QStringLiteral("StopBits"), 1);
    s.ParityIndex = config.readInteger(kCom, QStringLiteral("Parity"), 0);
    s.FlowControlIndex = config.readInteger(kCom, QStringLiteral("FlowControl"), 0);
    s.DbEnabled = config.readString(kCom, QStringLiteral("DB"), QStringLiteral("No"));
    s.RecordSeconds = config.readInteger(kCom, QStringLiteral("RecordTime"), 0);

    for (int n = 1; n <= 8; ++n) {
        Button &b = s.Buttons[n - 1];
        b.Enabled = config.readString(kButtons, key("Boton", n), QStringLiteral("No"));
        b.Text = config.readString(kButtons, key("Txt", n), key("Boton ", n));
    }

    s.BackgroundPath =
        config.readString(kBackground, QStringLiteral("Imagen"), exeDir + "/img/inicio.jpg");

    for (int n = 1; n <= 16; ++n) {
        Icon &icon = s.Icons[n - 1];
        const bool blue = n <= 4;
        icon.Enabled = config.readString(kIcons, key("Ico", n), QStringLiteral("No"));
        icon.OffPath = config.readString(kIcons, key("Off", n),
                                         exeDir + (blue ? "/img/Luz_Azul.png" : "/img/Luz_No.png"));
        icon.OnPath = config.readString(kIcons, key("On", n),
                                        exeDir + (blue ? "/img/Luz_Roja.png" : "/img/Luz_Si.png"));
    }

    for (int n = 1; n <= 4; ++n) {
        Panel &p = s.Panels[n - 1];
        p.Enabled = config.readString(kPanels, key("Panel", n), QStringLiteral("No"));
        p.Decimals = config.readInteger(kPanels, key("Decimal", n), 0);
        p.A = config.readInteger(kPanels, key("A", n), 1);
        p.B = config.readInteger(kPanels, key("B", n), 1);
        p.C = config.readInteger(kPanels, key("C", n), 0);
        p.Unit = config.readString(kPanels, key("Unidad", n), QStringLiteral("unid."));
    }

    for (int n = 1; n <= 16; ++n) {
        Icon &icon = s.Icons[n - 1];
        icon.Left =
            config.readInteger(kScreen, QStringLiteral("Icono%1X").arg(n), 80 * ((n - 1) % 8 + 1));
        icon.Top =
            config.readInteger(kScreen, QStringLiteral("Icono%1Y").arg(n), n <= 8 ? 50 : 100);
    }
    for (int n = 1; n <= 4; ++n) {
        Panel &p = s.Panels[n - 1];
        p.Left = config.readInteger(kScreen, QStringLiteral("Panel%1X").arg(n), 150 * n);
        p.Top = config.readInteger(kScreen, QStringLiteral("Panel%1Y").arg(n), 200);
    }

    s.AlarmEnabled = config.readInteger(kAlarms, QStringLiteral("Alarma1"), 0);
    s.AlarmSoundPath =
        config.readString(kAlarms, QStringLiteral("Alarma1MP3"), exeDir + "/alarm/Alarma.mp3");
    s.SmtpServer =
        config.readString(kAlarms, QStringLiteral("ServerSMTP"), MailPlaceholders::server());
    s.MailFrom = config.readString(kAlarms, QStringLiteral("Email"), MailPlaceholders::address());
    s.SmtpPort = config.readString(kAlarms, QStringLiteral("PuertoSMTP"), QStringLiteral("26"));
    s.ResendIndex = config.readInteger(kAlarms, QStringLiteral("ReEnvio"), 0);
    s.SmtpUser =
        config.readString(kAlarms, QStringLiteral("UsuarioMail"), MailPlaceholders::address());
    s.SmtpPassword =
        config.readString(kAlarms, QStringLiteral("ClaveMail"), QStringLiteral("482915"));
    s.MailTo =
        config.readString(kAlarms, QStringLiteral("EmailDestino"), MailPlaceholders::recipient());
    s.Mail1Enabled = config.readInteger(kAlarms, QStringLiteral("HabilitaMail1"), 0);
    s.Mail1Subject =
        config.readString(kAlarms, QStringLiteral("Asunto1"), QStringLiteral("Asunto Mensaje 1"));
    s.Mail1Body = config.readString(kAlarms, QStringLiteral("Mensaje1"),
                                    QStringLiteral("Mensaje a enviar 1"));
    s.Mail2Enabled = config.readInteger(kAlarms, QStringLiteral("HabilitaMail2"), 0);
    s.Mail2Subject =
        config.readString(kAlarms, QStringLiteral("Asunto2"), QStringLiteral("Asunto Mensaje 2"));
    s.Mail2Body = config.readString(kAlarms, QStringLiteral("Mensaje2"),
                                    QStringLiteral("Mensaje a enviar 2"));
    return s;
}

void RuntimeSettings::applyPathFallbacks() {
    if (!QFileInfo::exists(BackgroundPath))
        BackgroundPath = ExeDir + QStringLiteral("/img/inicio.jpg");
    if (!QFileInfo::exists(AlarmSoundPath))
        AlarmSoundPath = ExeDir + QStringLiteral("/alarm/Alarma.mp3");
}

int RuntimeSettings::recordSecondsFor(int storedChoice) {
    static constexpr int kSeconds[] = {10, 30, 60, 300, 600, 1800, 3600, 7200};
    if (storedChoice >= 0 && storedChoice <= 7)
        return kSeconds[storedChoice];
    if (storedChoice < 0)
        return kSeconds[0]; // a save with no period chosen stores -1: log at the first period
    return storedChoice;
}

int RuntimeSettings::recordIntervalMs(int seconds) {
    // A timer interval is a 32-bit count of milliseconds.
    constexpr int kMaxSeconds = std::numeric_limits<int>::max() / 1000;
    return std::min(seconds, kMaxSeconds) * 1000;
}

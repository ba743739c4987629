#pragma once

#include <QString>
#include <array>

class ConfigFile;

// The settings as the running main window holds them, read once at start-up.
// Arrays are indexed from 0 for button/icon/panel 1. Flags stay as the text
// stored ("Si" means on, compared with case); the alarm and the two notices
// are on exactly when their number is 1.
struct RuntimeSettings {
    QString ConfigPath;

    int PortIndex = 0;
    int BaudIndex = 7;
    int DataBitsIndex = 2;
    int StopBitsIndex = 1;
    int ParityIndex = 0;
    int FlowControlIndex = 0;
    QString DbEnabled = QStringLiteral("No");
    int RecordSeconds = 0;

    struct Button {
        QString Enabled;
        QString Text;
    };
    std::array<Button, 8> Buttons;

    QString BackgroundPath;

    struct Icon {
        QString Enabled;
        QString OffPath;
        QString OnPath;
        int Left = 0;
        int Top = 0;
    };
    std::array<Icon, 16> Icons;

    struct Panel {
        QString Enabled;
        int Decimals = 0;
        int A = 1;
        int B = 1;
        int C = 0;
        QString Unit;
        int Left = 0;
        int Top = 0;
    };
    std::array<Panel, 4> Panels;

    QString DbDir;
    QString DbFileName;
    int AlarmEnabled = 0;
    QString AlarmSoundPath;
    QString ExeDir;
    QString SmtpServer;
    QString MailFrom;
    QString SmtpPort = QStringLiteral("26");
    int ResendIndex = 0;
    QString SmtpUser;
    QString SmtpPassword = QStringLiteral("482915");
    QString MailTo;
    int Mail1Enabled = 0;
    QString Mail1Subject;
    QString Mail1Body;
    int Mail2Enabled = 0;
    QString Mail2Subject;
    QString Mail2Body;

    static bool isOn(const QString &flag) { return flag == QLatin1String("Si"); }
    bool loggingOn() const { return isOn(DbEnabled); }
    QString databasePath() const { return DbDir + DbFileName; }

    // Reads every key in the start-up order; missing or malformed keys take
    // the main window's defaults, built from exeDir. Writes nothing.
    static RuntimeSettings read(const ConfigFile &config, const QString &exeDir);

    // A background or alarm sound that does not exist falls back to the
    // installed default. No other path is tested.
    void applyPathFallbacks();

    // Stored logging choice to seconds: 0..7 pick 10 s..2 h, a negative
    // value the first period, any other value is taken as seconds itself.
    static int recordSecondsFor(int storedChoice);
    static int recordIntervalMs(int seconds);
};

// Placeholders used while the mail settings have never been filled in.
namespace MailPlaceholders {
inline QString server() {
    return QStringLiteral("mail.ejemplo.com");
}
inline QString address() {
    return QStringLiteral("usuario@ejemplo.com");
}
inline QString recipient() {
    return QStringLiteral("destino@ejemplo.com");
}
} // namespace MailPlaceholders

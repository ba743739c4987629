#pragma once

#include <QString>
#include <array>

class ConfigFile;

// The configuration editor's working copy of the settings: every key of
// Config.ini as read when the editor opened, with the editor's own defaults.
// The check boxes, the picture and sound dialogs and the layout page keep
// their fields current; the save takes some keys from here and the others
// from the controls. Arrays are indexed from 0 for button/icon/panel 1.
//
// Text flags keep whatever was stored ("Si", "No" or anything else); the
// alarm and notice flags are numbers where only 1 means on.
struct EditorState {
    QString ExeDir;

    // Comunicacion
    int PuertoCom = 0;
    int BaudRate = 7;
    int DataBits = 2;
    int StopBits = 1;
    int Parity = 0;
    int FlowControl = 0;
    QString DB = QStringLiteral("No");
    int RecordTime = 0;

    struct Button {
        QString Boton = QStringLiteral("No");
        QString Txt;
    };
    std::array<Button, 8> Buttons;

    QString Imagen; // background picture

    struct Icon {
        QString Ico = QStringLiteral("No");
        QString Off;
        QString On;
        int X = 0; // Pantalla/IconoNX, IconoNY
        int Y = 0;
    };
    std::array<Icon, 16> Icons;

    struct Panel {
        QString Panel = QStringLiteral("No");
        int Decimal = 0;
        int A = 1;
        int B = 1;
        int C = 0;
        QString Unidad = QStringLiteral("unid.");
        int X = 0; // Pantalla/PanelNX, PanelNY
        int Y = 0;
    };
    std::array<Panel, 4> Panels;

    // Alarmas
    int Alarma1 = 0;
    QString Alarma1MP3;
    QString ServerSMTP;
    QString Email;
    QString PuertoSMTP = QStringLiteral("26");
    int ReEnvio = 0;
    QString UsuarioMail;
    QString ClaveMail = QStringLiteral("482915");
    QString EmailDestino;
    int HabilitaMail1 = 0;
    QString Asunto1;
    QString Mensaje1;
    int HabilitaMail2 = 0;
    QString Asunto2;
    QString Mensaje2;

    // Drag state of the layout page, shared by its twenty controls.
    bool Dragging = false;
    int GrabX = 0;
    int GrabY = 0;

    // Reads every key in the file's order with the editor's defaults; a
    // background or alarm sound that does not exist falls back to the
    // installed file. Writes nothing.
    static EditorState read(const ConfigFile &config, const QString &exeDir);

    // Default layout: icons 1..8 at 80, 160, ... 640 on row 50, icons 9..16
    // the same on row 100, panels at 150, 300, 450, 600 on row 200.
    static int defaultIconX(int n) { return 80 * ((n - 1) % 8 + 1); }
    static int defaultIconY(int n) { return n <= 8 ? 50 : 100; }
    static int defaultPanelX(int n) { return 150 * n; }
    static int defaultPanelY(int) { return 200; }
};

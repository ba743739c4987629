#pragma once

#include "app/AppliedSettings.h"
#include "config/ConfigFile.h"

#include <QList>
#include <QString>
#include <array>
#include <optional>

struct EditorState;

// What the save takes from the editor's controls rather than from
// EditorState: list positions (-1 when nothing is selected), edit texts and
// the state of the boxes whose effect the apply steps name.
struct EditorForm {
    // Config_Puerto, Config_Velocidad, Config_DataBits, Config_StopBits,
    // Config_Parity, Config_FlowControl.
    std::array<int, 6> serial{0, 7, 2, 1, 0, 0};
    bool dbTicked = false;             // Habilita_DB
    int recordTime = 0;                // Selecciona_Tiempo
    std::array<QString, 8> buttonText; // Texto_BotonN
    QString backgroundText;            // Texto_Path_Imagen
    std::array<bool, 16> iconTicked{}; // Habilita_ImagenN

    struct Panel {
        bool ticked = false; // Habilita_PanelN
        int decimal = 0;     // Selecciona_DecimalN
        QString a = QStringLiteral("1");
        QString b = QStringLiteral("1");
        QString c = QStringLiteral("0");
        QString unit = QStringLiteral("unid.");
    };
    std::array<Panel, 4> panels;

    QString smtp;     // texto_smtp
    QString email;    // texto_email
    QString port;     // texto_puerto
    int resend = 0;   // texto_tiempo_envio
    QString user;     // texto_usuario
    QString password; // texto_clave
    QString to;       // texto_destino
    QString subject1;
    QString body1;
    QString subject2;
    QString body2;
};

// The save of the editor, apart from any widget: the checks, the 152 keys in
// the file's order and the settings handed to the main window.
namespace SettingsSave {

// "'<text>' is not a valid integer value"
QString invalidIntegerText(const QString &text);

// A, B and C of the four panels as whole numbers (decimal, or hexadecimal
// after "$" or "0x", as the file is read). Nothing when a text is not one.
std::optional<int> wholeNumber(const QString &text);

// The first of A1, B1, C1, A2, ... C4 that is not a whole number, checked
// before anything is written.
std::optional<QString> firstInvalidInteger(const EditorForm &form);

// Logging period in seconds for a position of Selecciona_Tiempo; with no
// entry selected the previous period is kept.
int periodSeconds(int position, int previousSeconds);

// The 152 keys in the file's order: Comunicacion, BotonesMenu, ImagenFondo,
// Iconos, Paneles, Pantalla, Alarmas. Every A, B and C must be valid.
QList<ConfigFile::Entry> entries(const EditorState &state, const EditorForm &form);

// The settings for the running main window. previousSeconds is the period of
// the last save in this window (or the one read at open).
AppliedSettings applied(const EditorState &state, const EditorForm &form, int previousSeconds);

// Checks, then writes the file as one replacement. Throws AppError with the
// integer text or "Unable to write to <path>"; nothing is written on a
// failed check, and a failed write leaves the old file whole.
void write(ConfigFile &config, const EditorState &state, const EditorForm &form);

} // namespace SettingsSave

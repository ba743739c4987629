#pragma once

#include "app/AppliedSettings.h"
#include "config/EditorState.h"
#include "config/FileDialogs.h"
#include "config/HelpTexts.h"

#include <QDialog>
#include <functional>

class AlarmPlayer;
class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;
class QTabWidget;
class PageComunicacion;
class PageMenu;
class PageFondo;
class PageIconos;
class PagePaneles;
class PagePantalla;
class PageAlarma;
struct EditorForm;

// The configuration editor "Configuración del Sistema". It reads Config.ini
// afresh when it is made, holds the edits in its pages and EditorState, and
// on "Guardar Cambios" writes the whole file and hands the new settings to
// the running main window. It never touches the main window's controls: the
// window applies what it is handed.
class TFConfig : public QDialog {
    Q_OBJECT
public:
    using Apply = std::function<void(const AppliedSettings &)>;

    // player: the main window's alarm player (may be null); apply: the main
    // window's one operation that takes the saved settings. Creation runs
    // the load; a picture that cannot be loaded is reported once and the
    // rest still loads.
    TFConfig(const QString &exeDir, AlarmPlayer *player, Apply apply, QWidget *parent = nullptr,
             FileChooser chooseFile = {});

    const EditorState &state() const { return m_state; }
    EditorState &state() { return m_state; }
    // What the save would take from the controls now.
    EditorForm form() const;

    void Btn_GuardarClick();
    void Btn_CancelaClick();
    void PaginasChange(int index);

    QFrame *Panel_Top = nullptr;
    QTabWidget *Paginas = nullptr;
    QFrame *Panel_Menu = nullptr;
    QPlainTextEdit *Memo_Ayuda = nullptr;
    QPushButton *Btn_Guardar = nullptr;
    QPushButton *Btn_Cancela = nullptr;

    PageComunicacion *Hoja_Comunicacion = nullptr;
    PageMenu *Hoja_Menu = nullptr;
    PageFondo *Hoja_Fondo = nullptr;
    PageIconos *Hoja_Iconos = nullptr;
    PagePaneles *Hoja_Paneles = nullptr;
    PagePantalla *Hoja_Pantalla = nullptr;
    PageAlarma *Hoja_Alarma = nullptr;

    static QString savedText() { return QStringLiteral("Los datos han sido guardados con exito"); }

private:
    void createControls(AlarmPlayer *player);
    void load();
    void save();
    QString configPath() const;

    EditorState m_state;
    Apply m_apply;
    FileChooser m_chooseFile;
    // The logging period the last save applied, or the one read at open: a
    // save with no period chosen keeps it.
    int m_recordSeconds = 10;
};

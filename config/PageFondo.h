#pragma once

#include "config/FileDialogs.h"

#include <QWidget>

class QLineEdit;
class QPushButton;
class PictureBox;
struct EditorState;
struct EditorForm;

// "Imagen Fondo": the background picture of the main window.
class PageFondo : public QWidget {
    Q_OBJECT
public:
    PageFondo(EditorState &state, const FileChooser &chooseFile, QWidget *parent = nullptr);

    // Load step 10: Fondo1 shows the background and the edit its path. A
    // picture that cannot be loaded adds its message to failures.
    void load(QStringList &failures);
    void fillForm(EditorForm &form) const;

    // Boton_BuscaImagen click and Fondo1 double-click.
    void Boton_BuscaImagenClick();

    PictureBox *Fondo1 = nullptr;
    QLineEdit *Texto_Path_Imagen = nullptr;
    QPushButton *Boton_BuscaImagen = nullptr;

private:
    EditorState &m_state;
    const FileChooser &m_chooseFile;
};

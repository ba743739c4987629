#pragma once

#include "config/FileDialogs.h"

#include <QWidget>
#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class PictureBox;
struct EditorState;
struct EditorForm;

// "   Iconos   ": the on and off pictures of the sixteen input icons.
class PageIconos : public QWidget {
    Q_OBJECT
public:
    PageIconos(EditorState &state, const FileChooser &chooseFile, QWidget *parent = nullptr);

    // Load step 11: an icon that is on shows its two pictures. A picture
    // that cannot be loaded adds its message to failures.
    void load(QStringList &failures);
    void fillForm(EditorForm &form) const;

    void Habilita_ImagenClick(int n, bool ticked);
    // Double-click on Imagen_OnN (on = true) or Imagen_OffN.
    void ImagenDblClick(int n, bool on);

    std::array<QGroupBox *, 16> Grupo_Imagen{};
    std::array<QCheckBox *, 16> Habilita_Imagen{};
    std::array<QLabel *, 16> Etiqueta_On{};
    std::array<QLabel *, 16> Etiqueta_Off{};
    std::array<PictureBox *, 16> Imagen_On{};
    std::array<PictureBox *, 16> Imagen_Off{};

private:
    EditorState &m_state;
    const FileChooser &m_chooseFile;
};

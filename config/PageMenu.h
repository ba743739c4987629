#pragma once

#include <QWidget>
#include <array>

class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
struct EditorState;
struct EditorForm;

// "Botones Menú": the eight command buttons of the main window.
class PageMenu : public QWidget {
    Q_OBJECT
public:
    PageMenu(EditorState &state, QWidget *parent = nullptr);

    // Load step 9: a button's caption is loaded only when it is on; otherwise
    // the edit keeps its design text "Boton N".
    void load();
    void fillForm(EditorForm &form) const;

    void Habilita_BotonClick(int n, bool ticked);

    std::array<QGroupBox *, 8> Grupo_Boton{};
    std::array<QCheckBox *, 8> Habilita_Boton{};
    std::array<QLabel *, 8> Etiqueta_btn{};
    std::array<QLineEdit *, 8> Texto_Boton{};

private:
    EditorState &m_state;
};

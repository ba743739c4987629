#include "config/PageFondo.h"

#include "common/AppError.h"
#include "common/Guard.h"
#include "config/EditorState.h"
#include "config/EditorWidgets.h"
#include "config/SettingsSave.h"
#include "view/PictureLoader.h"

#include <QLineEdit>
#include <QPushButton>

using namespace EditorWidgets;

PageFondo::PageFondo(EditorState &state, const FileChooser &chooseFile, QWidget *parent)
    : QWidget(parent), m_state(state), m_chooseFile(chooseFile) {
    setObjectName(QStringLiteral("Hoja_Fondo"));
    Fondo1 = new PictureBox(this);
    Fondo1->setObjectName(QStringLiteral("Fondo1"));
    Fondo1->setGeometry(0, 0, 700, 530);
    Fondo1->setPixmap(QPixmap(QStringLiteral(":/builtin/welcome.jpg")));
    Texto_Path_Imagen = edit(this, "Texto_Path_Imagen", {4, 536, 570, 27});
    Boton_BuscaImagen =
        button(this, "Boton_BuscaImagen", QStringLiteral("Examinar..."), {582, 535, 114, 29});
    Boton_BuscaImagen->setToolTip(QStringLiteral("Buscar Imagen de Fondo"));
    Boton_BuscaImagen->setCursor(Qt::PointingHandCursor);

    connect(Boton_BuscaImagen, &QPushButton::clicked, this, &PageFondo::Boton_BuscaImagenClick);
    connect(Fondo1, &PictureBox::doubleClicked, this, &PageFondo::Boton_BuscaImagenClick);
}

void PageFondo::load(QStringList &failures) {
    Texto_Path_Imagen->setText(m_state.Imagen);
    try {
        Fondo1->setPixmap(PictureLoader::load(m_state.Imagen));
    } catch (const AppError &e) {
        failures << e.text();
    }
}

void PageFondo::Boton_BuscaImagenClick() {
    const QString path = m_chooseFile(this, FileDialogs::imagenDialog(m_state.ExeDir));
    if (path.isEmpty())
        return;
    m_state.Imagen = path;
    Texto_Path_Imagen->setText(path);
    guarded(this, [&] { Fondo1->setPixmap(PictureLoader::load(path)); });
}

void PageFondo::fillForm(EditorForm &form) const {
    form.backgroundText = Texto_Path_Imagen->text();
}

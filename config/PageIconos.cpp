#include "config/PageIconos.h"

#include "common/AppError.h"
#include "common/Guard.h"
#include "config/EditorState.h"
#include "config/EditorWidgets.h"
#include "config/SettingsSave.h"
#include "view/PictureLoader.h"

#include <QCheckBox>
#include <QGroupBox>

using namespace EditorWidgets;

namespace {
const QString kHint = QStringLiteral("Doble Click para Cambiar la Imagen");

PictureBox *iconBox(QWidget *parent, const QByteArray &name, QPoint at) {
    auto *box = new PictureBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    box->setGeometry(at.x(), at.y(), 68, 68);
    box->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    box->setLineWidth(2);
    box->setToolTip(kHint);
    box->setEnabled(false);
    return box;
}
} // namespace

PageIconos::PageIconos(EditorState &state, const FileChooser &chooseFile, QWidget *parent)
    : QWidget(parent), m_state(state), m_chooseFile(chooseFile) {
    setObjectName(QStringLiteral("Hoja_Iconos"));
    for (int n = 1; n <= 16; ++n) {
        // Four columns: bits 1 to 4 in the first, top to bottom.
        const int column = (n - 1) / 4;
        const int row = (n - 1) % 4;
        const QByteArray suffix = QByteArray::number(n);
        QGroupBox *g = group(this, ("Grupo_Imagen" + suffix).constData(),
                             QStringLiteral("Imagen Bit %1").arg(n),
                             {6 + column * 173, 4 + row * 141, 167, 137});
        Grupo_Imagen[n - 1] = g;
        Habilita_Imagen[n - 1] = checkBox(g, ("Habilita_Imagen" + suffix).constData(),
                                          QStringLiteral("Habilitada"), {12, 24});
        Etiqueta_On[n - 1] = label(g, QStringLiteral("ON"), {34, 48});
        Etiqueta_Off[n - 1] = label(g, QStringLiteral("OFF"), {108, 48});
        Imagen_On[n - 1] = iconBox(g, "Imagen_On" + suffix, {12, 64});
        Imagen_Off[n - 1] = iconBox(g, "Imagen_Off" + suffix, {88, 64});
        Etiqueta_On[n - 1]->setEnabled(false);
        Etiqueta_Off[n - 1]->setEnabled(false);

        connect(Habilita_Imagen[n - 1], &QCheckBox::toggled, this,
                [this, n](bool ticked) { Habilita_ImagenClick(n, ticked); });
        connect(Imagen_On[n - 1], &PictureBox::doubleClicked, this,
                [this, n] { ImagenDblClick(n, true); });
        connect(Imagen_Off[n - 1], &PictureBox::doubleClicked, this,
                [this, n] { ImagenDblClick(n, false); });
    }
}

void PageIconos::load(QStringList &failures) {
    for (int n = 1; n <= 16; ++n) {
        const EditorState::Icon &icon = m_state.Icons[n - 1];
        if (icon.Ico == QLatin1String("No")) {
            Habilita_Imagen[n - 1]->setChecked(false);
            continue;
        }
        if (icon.Ico != QLatin1String("Si"))
            continue;
        Habilita_Imagen[n - 1]->setChecked(true);
        for (const auto &[box, path] :
             {std::pair{Imagen_On[n - 1], icon.On}, std::pair{Imagen_Off[n - 1], icon.Off}}) {
            try {
                box->setPixmap(PictureLoader::load(path));
            } catch (const AppError &e) {
                failures << e.text();
            }
        }
    }
}

void PageIconos::Habilita_ImagenClick(int n, bool ticked) {
    Etiqueta_On[n - 1]->setEnabled(ticked);
    Etiqueta_Off[n - 1]->setEnabled(ticked);
    Imagen_On[n - 1]->setEnabled(ticked);
    Imagen_Off[n - 1]->setEnabled(ticked);
    m_state.Icons[n - 1].Ico = ticked ? QStringLiteral("Si") : QStringLiteral("No");
}

void PageIconos::ImagenDblClick(int n, bool on) {
    PictureBox *box = on ? Imagen_On[n - 1] : Imagen_Off[n - 1];
    if (!box->isEnabled())
        return;
    const QString path = m_chooseFile(this, FileDialogs::iconoDialog(m_state.ExeDir));
    if (path.isEmpty())
        return;
    // A file whose picture does not load is not taken.
    guarded(this, [&] {
        box->setPixmap(PictureLoader::load(path));
        (on ? m_state.Icons[n - 1].On : m_state.Icons[n - 1].Off) = path;
    });
}

void PageIconos::fillForm(EditorForm &form) const {
    for (int n = 0; n < 16; ++n)
        form.iconTicked[n] = Habilita_Imagen[n]->isChecked();
}

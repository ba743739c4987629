#include "config/PageMenu.h"

#include "config/EditorState.h"
#include "config/EditorWidgets.h"
#include "config/SettingsSave.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

using namespace EditorWidgets;

PageMenu::PageMenu(EditorState &state, QWidget *parent) : QWidget(parent), m_state(state) {
    setObjectName(QStringLiteral("Hoja_Menu"));
    for (int n = 1; n <= 8; ++n) {
        // Buttons 1 to 4 in the left column, 5 to 8 in the right one.
        const int column = (n - 1) / 4;
        const int row = (n - 1) % 4;
        const QByteArray suffix = QByteArray::number(n);
        QGroupBox *g =
            group(this, ("Grupo_Boton" + suffix).constData(), QStringLiteral("Boton %1").arg(n),
                  {12 + column * 342, 10 + row * 134, 332, 124});
        Grupo_Boton[n - 1] = g;
        Habilita_Boton[n - 1] = checkBox(g, ("Habilita_Boton" + suffix).constData(),
                                         QStringLiteral("Habilitado"), {20, 30});
        Etiqueta_btn[n - 1] = label(g, QStringLiteral("Texto de Botón"), {20, 66},
                                    ("Etiqueta_btn" + suffix).constData());
        Texto_Boton[n - 1] = edit(g, ("Texto_Boton" + suffix).constData(), {140, 62, 170, 27},
                                  QStringLiteral("Boton %1").arg(n));
        Texto_Boton[n - 1]->setMaxLength(15);
        Etiqueta_btn[n - 1]->setEnabled(false);
        Texto_Boton[n - 1]->setEnabled(false);
        connect(Habilita_Boton[n - 1], &QCheckBox::toggled, this,
                [this, n](bool ticked) { Habilita_BotonClick(n, ticked); });
    }
}

void PageMenu::load() {
    for (int n = 1; n <= 8; ++n) {
        const EditorState::Button &b = m_state.Buttons[n - 1];
        if (b.Boton == QLatin1String("Si")) {
            Habilita_Boton[n - 1]->setChecked(true);
            // The limit is for typing: a longer caption from the file stays whole.
            Texto_Boton[n - 1]->setMaxLength(std::max(15, int(b.Txt.size())));
            Texto_Boton[n - 1]->setText(b.Txt);
        } else if (b.Boton == QLatin1String("No")) {
            Habilita_Boton[n - 1]->setChecked(false);
        }
    }
}

void PageMenu::Habilita_BotonClick(int n, bool ticked) {
    Etiqueta_btn[n - 1]->setEnabled(ticked);
    Texto_Boton[n - 1]->setEnabled(ticked);
    m_state.Buttons[n - 1].Boton = ticked ? QStringLiteral("Si") : QStringLiteral("No");
}

void PageMenu::fillForm(EditorForm &form) const {
    for (int n = 0; n < 8; ++n)
        form.buttonText[n] = Texto_Boton[n]->text();
}

#include "config/PagePaneles.h"

#include "common/MessageBoxes.h"
#include "common/PixelFont.h"
#include "config/EditorState.h"
#include "config/EditorWidgets.h"
#include "config/SettingsSave.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFocusEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <algorithm>

using namespace EditorWidgets;

QStringList PagePaneles::units() {
    return {QStringLiteral("unid."),  QStringLiteral("gr."),
            QStringLiteral("kg."),    QStringLiteral("lts."),
            QStringLiteral("mm."),    QStringLiteral("cm."),
            QStringLiteral("mts."),   QStringLiteral("km."),
            QStringLiteral("kg/m"),   QStringLiteral("kg/m2"),
            QStringLiteral("kg/m3"),  QStringLiteral("g/cm2"),
            QStringLiteral("kg/cm2"), QStringLiteral("lbs."),
            QStringLiteral("lbs/p2"), QStringLiteral("psi"),
            QStringLiteral("°C"),     QStringLiteral("°F"),
            QStringLiteral("hrs."),   QStringLiteral("min."),
            QStringLiteral("seg."),   QString()};
}

PagePaneles::PagePaneles(EditorState &state, QWidget *parent) : QWidget(parent), m_state(state) {
    setObjectName(QStringLiteral("Hoja_Paneles"));
    QGroupBox *g = group(this, "Grupo_Paneles", QStringLiteral("Paneles"), {12, 10, 674, 420});

    const QStringList explanation = {
        QStringLiteral("El valor analogico que se lee es el valor directo de la "),
        QStringLiteral("entrada del equipo, cuyo entero va desde 0 a 255. "),
        QStringLiteral("Este valor se lo puede modificar agregando valores a"),
        QStringLiteral("las casillas de ganancia segun la ecuacion de ejemplo.")};
    for (int i = 0; i < explanation.size(); ++i)
        label(g, explanation[i], {20, 32 + 20 * i});

    QLabel *formula = label(g, QStringLiteral("y = (A / B) x + C"), {440, 34}, "Formula");
    formula->setFont(pixelFont(QStringLiteral("Arial"), 20, true));
    formula->adjustSize();
    note(g, QStringLiteral("Donde \"x\" es el valor leido en el"), {440, 68});
    note(g, QStringLiteral("equipo e \"y\" es la resultante."), {440, 88});

    const int top = 150;
    label(g, QStringLiteral("Decimal"), {126, top});
    label(g, QStringLiteral("A"), {238, top});
    label(g, QStringLiteral("/"), {288, top});
    label(g, QStringLiteral("B"), {336, top});
    label(g, QStringLiteral("+"), {384, top});
    label(g, QStringLiteral("C"), {434, top});

    for (int n = 1; n <= 4; ++n) {
        const QByteArray suffix = QByteArray::number(n);
        const int y = top + 30 + (n - 1) * 54;
        QCheckBox *box = checkBox(g, ("Habilita_Panel" + suffix).constData(),
                                  QStringLiteral("Panel %1").arg(n), {20, y + 4});
        box->setLayoutDirection(Qt::RightToLeft); // caption left of the box
        Habilita_Panel[n - 1] = box;
        Selecciona_Decimal[n - 1] = dropDown(
            g, ("Selecciona_Decimal" + suffix).constData(),
            {QStringLiteral("0"), QStringLiteral("1"), QStringLiteral("2")}, {122, y, 70, 27});
        Selecciona_Decimal[n - 1]->setEnabled(false);
        a[n - 1] = edit(g, ("a" + suffix).constData(), {212, y, 62, 27}, QStringLiteral("1"));
        b[n - 1] = edit(g, ("b" + suffix).constData(), {310, y, 62, 27}, QStringLiteral("1"));
        c[n - 1] = edit(g, ("c" + suffix).constData(), {408, y, 62, 27}, QStringLiteral("0"));
        unidad[n - 1] = dropDown(g, ("unidad" + suffix).constData(), units(), {500, y, 120, 27});
        for (QLineEdit *e : {a[n - 1], b[n - 1], c[n - 1]}) {
            e->setMaxLength(5);
            e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        }
        a[n - 1]->installEventFilter(this);
        b[n - 1]->installEventFilter(this);
        connect(box, &QCheckBox::toggled, this,
                [this, n](bool ticked) { Habilita_PanelClick(n, ticked); });
    }
}

void PagePaneles::load() {
    for (int n = 1; n <= 4; ++n) {
        const EditorState::Panel &p = m_state.Panels[n - 1];
        if (p.Panel == QLatin1String("No")) {
            Habilita_Panel[n - 1]->setChecked(false);
            continue;
        }
        if (p.Panel != QLatin1String("Si"))
            continue;
        Habilita_Panel[n - 1]->setChecked(true);
        selectPosition(Selecciona_Decimal[n - 1], p.Decimal);
        // The limit is for typing: a longer number from the file stays whole.
        const std::pair<QLineEdit *, int> values[] = {
            {a[n - 1], p.A}, {b[n - 1], p.B}, {c[n - 1], p.C}};
        for (const auto &[field, value] : values) {
            const QString text = QString::number(value);
            field->setMaxLength(std::max(5, int(text.size())));
            field->setText(text);
        }
        unidad[n - 1]->setEditText(p.Unidad);
    }
}

void PagePaneles::Habilita_PanelClick(int n, bool ticked) {
    Selecciona_Decimal[n - 1]->setEnabled(ticked);
    m_state.Panels[n - 1].Panel = ticked ? QStringLiteral("Si") : QStringLiteral("No");
}

void PagePaneles::aExit(int n) {
    QLineEdit *e = a[n - 1];
    if (e->text() != QLatin1String("0") && !e->text().isEmpty())
        return;
    MessageBoxes::error(this,
                        QStringLiteral("El valor de A en Panel %1 no puede ser 0 o nulo").arg(n));
    e->setText(QStringLiteral("1"));
}

void PagePaneles::bExit(int n) {
    QLineEdit *e = b[n - 1];
    if (e->text() != QLatin1String("0"))
        return;
    MessageBoxes::error(this, QStringLiteral("El valor de B en Panel %1 no puede ser 0").arg(n));
    e->setText(QStringLiteral("1"));
}

bool PagePaneles::eventFilter(QObject *watched, QEvent *event) {
    if (event->type() == QEvent::FocusOut) {
        // Only a move to another control of the window counts as leaving
        // the field, not the window losing focus to a box or a menu.
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason) {
            for (int n = 1; n <= 4; ++n) {
                if (watched == a[n - 1])
                    aExit(n);
                else if (watched == b[n - 1])
                    bExit(n);
            }
        }
    }
    return QWidget::eventFilter(watched, event);
}

void PagePaneles::fillForm(EditorForm &form) const {
    for (int n = 0; n < 4; ++n) {
        EditorForm::Panel &p = form.panels[n];
        p.ticked = Habilita_Panel[n]->isChecked();
        p.decimal = listPosition(Selecciona_Decimal[n]);
        p.a = a[n]->text();
        p.b = b[n]->text();
        p.c = c[n]->text();
        p.unit = unidad[n]->currentText();
    }
}

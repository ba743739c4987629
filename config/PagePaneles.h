#pragma once

#include <QWidget>
#include <array>

class QCheckBox;
class QComboBox;
class QLineEdit;
struct EditorState;
struct EditorForm;

// "   Paneles   ": scaling, decimals and unit of the four analog panels.
class PagePaneles : public QWidget {
    Q_OBJECT
public:
    PagePaneles(EditorState &state, QWidget *parent = nullptr);

    // Load step 12: a panel's values are loaded only when it is on; otherwise
    // the controls keep their design values 0, 1, 1, 0 and "unid.".
    void load();
    void fillForm(EditorForm &form) const;

    void Habilita_PanelClick(int n, bool ticked);
    // Leaving aN: "0" or empty is refused. Leaving bN: "0" is refused.
    void aExit(int n);
    void bExit(int n);

    std::array<QCheckBox *, 4> Habilita_Panel{};
    std::array<QComboBox *, 4> Selecciona_Decimal{};
    std::array<QLineEdit *, 4> a{};
    std::array<QLineEdit *, 4> b{};
    std::array<QLineEdit *, 4> c{};
    std::array<QComboBox *, 4> unidad{};

    static QStringList units();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    EditorState &m_state;
};

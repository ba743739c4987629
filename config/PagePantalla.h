#pragma once

#include <QWidget>
#include <array>

class QLabel;
struct DragBounds;
struct EditorState;

// "   Pantalla   ": a preview of the main window's picture area where the
// operator drags the icons and panels in use to their places.
class PagePantalla : public QWidget {
    Q_OBJECT
public:
    PagePantalla(EditorState &state, QWidget *parent = nullptr);

    // Load step 13: every icon and panel to its position read from the file.
    void placeControls();
    // Each time the page is shown: the background chosen so far, and the
    // icons and panels whose flags are anything but "No". A picture that
    // cannot be loaded adds its message to failures; the rest still shows.
    void showPage(QStringList &failures);

    QLabel *Fondo2 = nullptr;
    std::array<QLabel *, 16> Icono{};
    std::array<QLabel *, 4> Panel{};
    QLabel *Nota_Pantalla = nullptr;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // The icon (0..15) or panel (16..19) a control is, or -1.
    int controlIndex(const QObject *object) const;
    QWidget *control(int index) const;
    void record(int index, QPoint place);

    EditorState &m_state;
};

#pragma once

#include <QList>
#include <QObject>

class QPushButton;
class QWidget;

// The look of the menu column's buttons: blue and underlined under the
// pointer or while held, red while pressed, and all back to black when the
// pointer moves over the column's own background. Nothing else resets them.
class MenuButtonLook : public QObject {
    Q_OBJECT
public:
    MenuButtonLook(QWidget *panel, QList<QPushButton *> buttons, QObject *parent = nullptr);

    enum class Look { Plain, Hover, Pressed };
    static void apply(QPushButton *button, Look look);
    static Look lookOf(const QPushButton *button);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *m_panel;
    QList<QPushButton *> m_buttons;
};

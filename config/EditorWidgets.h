#pragma once

#include <QLabel>
#include <QRect>
#include <QString>
#include <QStringList>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QWidget;

// A picture that shows its file stretched to its box and reports a
// double-click; a disabled one does not react.
class PictureBox : public QLabel {
    Q_OBJECT
public:
    explicit PictureBox(QWidget *parent = nullptr);

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent *event) override;
};

// Small builders for the editor's pages, which place their controls at
// fixed pixel positions.
namespace EditorWidgets {

QLabel *label(QWidget *parent, const QString &text, QPoint at, const char *name = nullptr);
// Grey italic recommendation or explanation.
QLabel *note(QWidget *parent, const QString &text, QPoint at, const char *name = nullptr);
QGroupBox *group(QWidget *parent, const char *name, const QString &title, const QRect &geometry);
QCheckBox *checkBox(QWidget *parent, const char *name, const QString &text, QPoint at);
QLineEdit *edit(QWidget *parent, const char *name, const QRect &geometry,
                const QString &text = QString());
QPushButton *button(QWidget *parent, const char *name, const QString &text, const QRect &geometry);
// An editable drop-down list: the operator picks an entry or types.
QComboBox *dropDown(QWidget *parent, const char *name, const QStringList &entries,
                    const QRect &geometry);

// The position of the selected entry: the entry whose text the list shows,
// or -1 when the text is none of them (nothing chosen, or something typed).
int listPosition(const QComboBox *list);
// Selects the entry at a position read from the file; outside the list
// nothing is selected and the text is empty.
void selectPosition(QComboBox *list, int position);

} // namespace EditorWidgets

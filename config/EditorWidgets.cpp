#include "config/EditorWidgets.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>

PictureBox::PictureBox(QWidget *parent) : QLabel(parent) {
    setScaledContents(true);
}

void PictureBox::mouseDoubleClickEvent(QMouseEvent *event) {
    if (event->button() == Qt::LeftButton)
        emit doubleClicked();
    QLabel::mouseDoubleClickEvent(event);
}

namespace EditorWidgets {
namespace {
void name(QObject *object, const char *objectName) {
    if (objectName)
        object->setObjectName(QLatin1String(objectName));
}
} // namespace

QLabel *label(QWidget *parent, const QString &text, QPoint at, const char *objectName) {
    auto *l = new QLabel(text, parent);
    name(l, objectName);
    l->move(at);
    l->adjustSize();
    return l;
}

QLabel *note(QWidget *parent, const QString &text, QPoint at, const char *objectName) {
    QLabel *l = label(parent, text, at, objectName);
    QFont f = l->font();
    f.setItalic(true);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, QColor(128, 128, 128));
    l->setPalette(pal);
    l->adjustSize();
    return l;
}

QGroupBox *group(QWidget *parent, const char *objectName, const QString &title,
                 const QRect &geometry) {
    auto *g = new QGroupBox(title, parent);
    name(g, objectName);
    g->setGeometry(geometry);
    return g;
}

QCheckBox *checkBox(QWidget *parent, const char *objectName, const QString &text, QPoint at) {
    auto *c = new QCheckBox(text, parent);
    name(c, objectName);
    c->move(at);
    c->adjustSize();
    return c;
}

QLineEdit *edit(QWidget *parent, const char *objectName, const QRect &geometry,
                const QString &text) {
    auto *e = new QLineEdit(text, parent);
    name(e, objectName);
    e->setGeometry(geometry);
    return e;
}

QPushButton *button(QWidget *parent, const char *objectName, const QString &text,
                    const QRect &geometry) {
    auto *b = new QPushButton(text, parent);
    name(b, objectName);
    b->setGeometry(geometry);
    b->setAutoDefault(false);
    return b;
}

QComboBox *dropDown(QWidget *parent, const char *objectName, const QStringList &entries,
                    const QRect &geometry) {
    auto *c = new QComboBox(parent);
    name(c, objectName);
    c->setEditable(true);
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(entries);
    c->setGeometry(geometry);
    return c;
}

int listPosition(const QComboBox *list) {
    const int current = list->currentIndex();
    if (current >= 0 && list->itemText(current) == list->currentText())
        return current;
    return list->findText(list->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

void selectPosition(QComboBox *list, int position) {
    if (position >= 0 && position < list->count()) {
        list->setCurrentIndex(position);
    } else {
        list->setCurrentIndex(-1);
        list->setEditText(QString());
    }
}

} // namespace EditorWidgets

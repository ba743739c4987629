#include "common/MessageBoxes.h"

#include "common/AppInfo.h"

#include <QMessageBox>

namespace MessageBoxes {
namespace {

Handler &handler() {
    static Handler h;
    return h;
}

QString titleOf(Kind kind) {
    switch (kind) {
    case Kind::Error:
        return QStringLiteral("Error");
    case Kind::Warning:
        return QStringLiteral("Warning");
    case Kind::Information:
        return QStringLiteral("Information");
    case Kind::Confirm:
        return QStringLiteral("Confirm");
    case Kind::Plain:
        break;
    }
    return AppInfo::title();
}

QMessageBox::Icon iconOf(Kind kind) {
    switch (kind) {
    case Kind::Error:
        return QMessageBox::Critical;
    case Kind::Warning:
        return QMessageBox::Warning;
    case Kind::Information:
        return QMessageBox::Information;
    case Kind::Confirm:
        return QMessageBox::Question;
    case Kind::Plain:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

Answer show(QWidget *parent, Kind kind, const QString &text, Buttons buttons) {
    return showTitled(parent, kind, titleOf(kind), text, buttons);
}

Answer showTitled(QWidget *parent, Kind kind, const QString &title, const QString &text,
                  Buttons buttons) {
    if (handler())
        return handler()(Box{kind, title, text, buttons});

    QMessageBox box(iconOf(kind), title, text, QMessageBox::NoButton, parent);
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        break;
    case Buttons::Yes:
        box.setStandardButtons(QMessageBox::Yes);
        break;
    }
    const int result = box.exec();
    if (result == QMessageBox::Yes)
        return Answer::Yes;
    if (result == QMessageBox::No)
        return Answer::No;
    return Answer::Ok;
}

void setHandler(Handler h) {
    handler() = std::move(h);
}

} // namespace MessageBoxes

#pragma once

#include <QString>
#include <functional>

class QMessageBox;
class QWidget;

// Every message box of the program goes through here, so that tests can
// answer them, hold them open and read what they said.
namespace MessageBoxes {

enum class Kind { Error, Warning, Information, Confirm, Plain };
enum class Buttons { Ok, YesNo, Yes };
enum class Answer { Ok, Yes, No };

struct Box {
    Kind kind;
    QString title;
    QString text;
    Buttons buttons;
    QWidget *parent = nullptr;
};

using Handler = std::function<Answer(const Box &)>;

// Shows a box titled by its kind ("Error", "Warning", "Information",
// "Confirm"); Plain boxes carry the application title.
Answer show(QWidget *parent, Kind kind, const QString &text, Buttons buttons = Buttons::Ok);
// Shows a box with an explicit title.
Answer showTitled(QWidget *parent, Kind kind, const QString &title, const QString &text,
                  Buttons buttons = Buttons::Ok);

// Shows the box from the event loop, once the handler that asks for it has
// returned. The timers' handlers report this way: Qt does not fire a timer
// again while its own handler waits in a modal box, and the station must go
// on while nobody clicks. The box is dropped if its parent is gone by then.
void post(QWidget *parent, Kind kind, const QString &title, const QString &text,
          Buttons buttons = Buttons::Ok);
void post(QWidget *parent, Kind kind, const QString &text, Buttons buttons = Buttons::Ok);

// The box as the program shows it, not yet shown; the caller owns it (its
// parent may delete it first).
QMessageBox *build(const Box &box);
// The answer a closed box gave, from the result of exec().
Answer answerOf(int execResult);
// The result code that closes a box with the given answer (QDialog::done()).
int resultFor(Answer answer);

// Boxes being shown right now (real ones and those a handler holds open),
// and all boxes shown since the program started.
int openNow();
int shownSoFar();

// Replaces the real boxes (tests); an empty handler restores them.
void setHandler(Handler handler);

inline Answer error(QWidget *parent, const QString &text) {
    return show(parent, Kind::Error, text);
}
inline Answer warning(QWidget *parent, const QString &text) {
    return show(parent, Kind::Warning, text);
}
inline Answer information(QWidget *parent, const QString &text) {
    return show(parent, Kind::Information, text);
}

} // namespace MessageBoxes

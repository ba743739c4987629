#pragma once

#include "common/MessageBoxes.h"

#include <QByteArray>
#include <QList>
#include <QMessageBox>
#include <QPointer>
#include <QString>
#include <QTemporaryDir>
#include <deque>
#include <functional>

namespace TestSupport {

// Answers every message box instead of showing it and keeps what it said.
// Answers queued with answerNext() are used first, then the default (Yes for
// Yes/No boxes, Ok otherwise).
//
// By default a box is answered at once. holdOpenFor() and
// holdOpenUntilReleased() make every following box a real QMessageBox shown
// modally (exec(), a real nested event loop, as the operator would see it)
// that stays open until the time has passed or release() is called, and is
// then closed with its answer. Timers keep firing while a box is held open,
// except the one whose handler opened it: that is how tests show that the
// station goes on behind a box nobody clicks.
class BoxRecorder {
public:
    BoxRecorder();
    ~BoxRecorder();

    void answerNext(MessageBoxes::Answer answer) { m_queued.push_back(answer); }
    void setDefaultYesNo(MessageBoxes::Answer answer) { m_defaultYesNo = answer; }

    void holdOpenFor(int ms);
    void holdOpenUntilReleased();
    void answerAtOnce();
    // Closes every box held open now, each with its answer.
    void release();
    // Runs inside the nested event loop of every held box, once it is shown;
    // it may call release() itself.
    void whileOpen(std::function<void(QMessageBox *)> action) { m_whileOpen = std::move(action); }

    const QList<MessageBoxes::Box> &boxes() const { return m_boxes; }
    int count() const { return int(m_boxes.size()); }
    int countText(const QString &text) const;
    bool contains(const QString &text) const { return countText(text) > 0; }
    QString lastText() const { return m_boxes.isEmpty() ? QString() : m_boxes.last().text; }
    void clear();

    // Boxes held open right now, the most that were open at once, and the
    // innermost box on screen (null when none is held).
    int openNow() const { return int(m_open.size()); }
    int mostOpenAtOnce() const { return m_mostOpen; }
    QMessageBox *openBox() const { return m_open.isEmpty() ? nullptr : m_open.last().data(); }
    // When box i was shown and closed, in seconds of monotonicNow(); a box
    // answered at once has both the same.
    double openedAt(int i) const { return m_openedAt.at(i); }
    double closedAt(int i) const { return m_closedAt.at(i); }

private:
    enum class Hold { None, For, UntilReleased };
    MessageBoxes::Answer answerFor(const MessageBoxes::Box &box);
    void holdOpen(const MessageBoxes::Box &box, MessageBoxes::Answer answer);

    QList<MessageBoxes::Box> m_boxes;
    QList<double> m_openedAt;
    QList<double> m_closedAt;
    std::deque<MessageBoxes::Answer> m_queued;
    MessageBoxes::Answer m_defaultYesNo = MessageBoxes::Answer::Yes;
    Hold m_hold = Hold::None;
    int m_holdMs = 0;
    std::function<void(QMessageBox *)> m_whileOpen;
    QList<QPointer<QMessageBox>> m_open;
    QList<MessageBoxes::Answer> m_openAnswers;
    int m_mostOpen = 0;
    int m_cleared = 0; // boxes dropped by clear()
};

// Seconds on the monotonic clock (the clock of Simulator::Frame::t).
double monotonicNow();

// A throw-away ExeDir: the built bundle's img/, alarm/ and hlp/ copied into
// a temporary directory with an empty db/Korvane.db3 made from the schema
// (no executable, no Config.ini).
class ExeDir {
public:
    ExeDir();
    QString path() const { return m_dir.path(); }
    QString file(const QString &tail) const { return m_dir.path() + u'/' + tail; }
    void writeConfig(const QByteArray &ini) const;

private:
    QTemporaryDir m_dir;
};

QString sourceDir();
QString bundleDir();
void writeFile(const QString &path, const QByteArray &bytes);
QByteArray readFile(const QString &path);

} // namespace TestSupport

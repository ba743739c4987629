#pragma once

#include "common/MessageBoxes.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QTemporaryDir>
#include <deque>

namespace TestSupport {

// Answers every message box instead of showing it and keeps what it said.
// Answers queued with answerNext() are used first, then the default (Yes for
// Yes/No boxes, Ok otherwise).
class BoxRecorder {
public:
    BoxRecorder();
    ~BoxRecorder();

    void answerNext(MessageBoxes::Answer answer) { m_queued.push_back(answer); }
    void setDefaultYesNo(MessageBoxes::Answer answer) { m_defaultYesNo = answer; }

    const QList<MessageBoxes::Box> &boxes() const { return m_boxes; }
    int count() const { return int(m_boxes.size()); }
    int countText(const QString &text) const;
    bool contains(const QString &text) const { return countText(text) > 0; }
    QString lastText() const { return m_boxes.isEmpty() ? QString() : m_boxes.last().text; }
    void clear() { m_boxes.clear(); }

private:
    QList<MessageBoxes::Box> m_boxes;
    std::deque<MessageBoxes::Answer> m_queued;
    MessageBoxes::Answer m_defaultYesNo = MessageBoxes::Answer::Yes;
};

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

#pragma once

#include <QString>
#include <QStringList>

class TFDM;

// A statement query run without a result (the INSERTs). Its text is
// cleared and written anew before every use; the lines are joined with line
// breaks. Shared by the logger and the command output, which never overlap.
class LogQuery {
public:
    explicit LogQuery(TFDM &fdm) : m_fdm(fdm) {}

    void clear() { m_lines.clear(); }
    void add(const QString &line) { m_lines.append(line); }
    QString text() const { return m_lines.join(u'\n'); }

    // Runs the text at once (auto-commit), opening the connection first if it
    // is closed. Throws AppError with the library's message.
    void execSQL();
    // clear(), add() every line, execSQL().
    void run(const QStringList &lines);

private:
    TFDM &m_fdm;
    QStringList m_lines;
};

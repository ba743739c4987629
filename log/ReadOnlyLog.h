#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <functional>

struct sqlite3;
struct sqlite3_stmt;

// A read-only connection of its own to the log database, for the long reads
// of the trend window and the exports. They run away from the window thread;
// the log is in write-ahead logging mode, so they never hold up the logger.
class ReadOnlyLog {
public:
    ReadOnlyLog() = default;
    ~ReadOnlyLog();
    ReadOnlyLog(const ReadOnlyLog &) = delete;
    ReadOnlyLog &operator=(const ReadOnlyLog &) = delete;

    // Opens the file (never creates it); keeps an open connection on the same
    // path. False with errorString() on failure.
    bool open(const QString &path);
    void close();
    bool isOpen() const { return m_db != nullptr; }
    QString path() const { return m_path; }
    sqlite3 *db() const { return m_db; }
    QString errorString() const;

    // A long statement asks this between steps of its work and stops with
    // SQLITE_INTERRUPT when it returns true.
    void setCancel(std::function<bool()> cancelled);

    // True when the file carries the per-minute and per-hour summary of
    // Lectura and the trigger that keeps it.
    bool hasSummary();

private:
    sqlite3 *m_db = nullptr;
    QString m_path;
    QString m_openError;
    std::function<bool()> m_cancelled;
};

// One prepared statement, finalised when it goes.
class Statement {
public:
    Statement(ReadOnlyLog &log, const char *sql);
    ~Statement();
    Statement(const Statement &) = delete;
    Statement &operator=(const Statement &) = delete;

    bool ok() const { return m_stmt != nullptr; }
    void bind(int index, const QByteArray &text);
    // True while a row is ready; false at the end or on failure (failed()).
    bool step();
    bool failed() const { return m_failed; }

    int integer(int column) const;
    qint64 integer64(int column) const;
    const char *text(int column, int &length) const;
    bool isNull(int column) const;

private:
    sqlite3_stmt *m_stmt = nullptr;
    bool m_failed = false;
};

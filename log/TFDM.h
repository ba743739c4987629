#pragma once

#include "common/AppError.h"
#include "log/LogQuery.h"
#include "log/ResultSet.h"
#include "log/ResultSetModel.h"

#include <QString>
#include <array>
#include <limits>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// The database file is write-protected: opening it would give a connection
// that can store nothing.
class ReadOnlyDatabase : public AppError {
public:
    using AppError::AppError;
};

// The data module: the one connection to the log database and the queries
// through which the logger, the command output and the viewer reach it.
// Created once after the main window and kept for the whole run.
class TFDM {
public:
    TFDM();
    ~TFDM();
    TFDM(const TFDM &) = delete;
    TFDM &operator=(const TFDM &) = delete;

    // Assigns the database path and opens the connection if it is not open.
    // A different path closes the old connection first. The file is never
    // created: a missing file or directory fails with the library's message
    // (AppError). A connection whose file was deleted or renamed meanwhile is
    // reopened, so that rows never go to a file nobody can see any more. A
    // write-protected file fails with ReadOnlyDatabase.
    void ensureOpen(const QString &path);
    bool isOpen() const { return Conexion != nullptr; }
    QString path() const { return m_path; }
    // Opens the connection on the path last assigned if it is closed.
    void openIfClosed();

    // How long a statement waits for another connection's lock before it
    // fails. Kept short: the wait blocks the window, and the logger tries
    // again at its next tick.
    void setBusyTimeoutMs(int ms);
    int busyTimeoutMs() const { return m_busyMs; }

    // The table cursor over Lectura: Word1..Word6 of the most recently stored
    // row (the highest rowid), nullopt when the table is empty. A value that
    // is not an integer reads as kNotAWord, which equals no register.
    using Words = std::array<qint64, 6>;
    static constexpr qint64 kNotAWord = std::numeric_limits<qint64>::min();
    std::optional<Words> lastLectura();

    // The library's text for the connection's last failure.
    QString lastError() const;

    sqlite3 *Conexion = nullptr;
    LogQuery SQLEntrada;
    ResultSet LecturaSQL;
    ResultSet EscrituraSQL;
    ResultSetModel DLectura;
    ResultSetModel DEscritura;

private:
    void close();

    QString m_path;
    int m_busyMs = 100;
    sqlite3_stmt *m_lectura = nullptr; // prepared once per connection
};

#include "log/TFDM.h"

#include "common/AppError.h"

#include <QFile>
#include <sqlite3.h>
#include <unistd.h>

namespace {
// Word1..Word6 of the last row in insertion order: one step down the rowid
// b-tree, however long the table has grown.
constexpr char kLastLectura[] =
    "SELECT Word1,Word2,Word3,Word4,Word5,Word6 FROM Lectura ORDER BY rowid DESC LIMIT 1";
} // namespace

TFDM::TFDM()
    : SQLEntrada(*this), LecturaSQL(*this), EscrituraSQL(*this), DLectura(LecturaSQL),
      DEscritura(EscrituraSQL) {}

TFDM::~TFDM() {
    close();
}

void TFDM::ensureOpen(const QString &path) {
    if (Conexion && path != m_path)
        close();
    m_path = path;
    if (Conexion) {
        // SQLite keeps writing to a file that was unlinked or renamed under
        // it; those rows would be lost for good.
        int moved = 0;
        if (sqlite3_file_control(Conexion, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK &&
            moved)
            close();
    }
    openIfClosed();
}

void TFDM::openIfClosed() {
    if (Conexion)
        return;
    if (m_path.isEmpty())
        throw AppError(QStringLiteral("No se indico el archivo de base de datos"));
    sqlite3 *db = nullptr;
    // Read and write only: a missing file is an error, never a new empty file.
    const int rc =
        sqlite3_open_v2(QFile::encodeName(m_path).constData(), &db, SQLITE_OPEN_READWRITE, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        throw AppError(text);
    }
    // A write-protected file opens read-only without a word. Such a
    // connection could store nothing, and its first use would leave the
    // log's shared-memory file write-protected as well, refusing every write
    // even after the file is writable again: it is closed at once, and the
    // next open tries afresh.
    if (sqlite3_db_readonly(db, "main") == 1) {
        sqlite3_close_v2(db);
        throw ReadOnlyDatabase(QString::fromUtf8(sqlite3_errstr(SQLITE_READONLY)));
    }
    sqlite3_busy_timeout(db, m_busyMs);
    // The statements write their strings in double quotes.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 1, nullptr);
    // Write-ahead logging: a window that reads the log for a long while (a
    // sort over years of rows, a report, an export) never holds up the
    // logger's inserts, and an insert never waits for a reader. The mode is
    // kept in the file; where it cannot be set (a folder that refuses the
    // extra files) the file simply stays in its rollback-journal mode.
    sqlite3_exec(db, "PRAGMA journal_mode=WAL", nullptr, nullptr, nullptr);
    Conexion = db;
}

void TFDM::setBusyTimeoutMs(int ms) {
    m_busyMs = ms;
    if (Conexion)
        sqlite3_busy_timeout(Conexion, ms);
}

QString TFDM::lastError() const {
    return Conexion ? QString::fromUtf8(sqlite3_errmsg(Conexion)) : QString();
}

std::optional<TFDM::Words> TFDM::lastLectura() {
    openIfClosed();
    if (!m_lectura &&
        sqlite3_prepare_v2(Conexion, kLastLectura, -1, &m_lectura, nullptr) != SQLITE_OK) {
        m_lectura = nullptr;
        throw AppError(lastError());
    }
    const int rc = sqlite3_step(m_lectura);
    if (rc == SQLITE_DONE) {
        sqlite3_reset(m_lectura);
        return std::nullopt;
    }
    if (rc != SQLITE_ROW) {
        const QString text = lastError();
        sqlite3_reset(m_lectura);
        throw AppError(text);
    }
    Words words{};
    for (int i = 0; i < 6; ++i)
        words[i] = sqlite3_column_type(m_lectura, i) == SQLITE_INTEGER
                       ? sqlite3_column_int64(m_lectura, i)
                       : kNotAWord;
    // Resetting ends the read, so the next tick sees rows stored meanwhile.
    sqlite3_reset(m_lectura);
    return words;
}

void TFDM::close() {
    if (m_lectura) {
        sqlite3_finalize(m_lectura);
        m_lectura = nullptr;
    }
    if (Conexion) {
        sqlite3_close_v2(Conexion);
        Conexion = nullptr;
    }
}

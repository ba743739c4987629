#include "log/ReadOnlyLog.h"

#include <QFile>
#include <sqlite3.h>

ReadOnlyLog::~ReadOnlyLog() {
    close();
}

bool ReadOnlyLog::open(const QString &path) {
    if (m_db && path == m_path)
        return true;
    close();
    m_path = path;
    sqlite3 *db = nullptr;
    const int rc =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        m_openError = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        return false;
    }
    // The logger's insert holds the write lock only for an instant.
    sqlite3_busy_timeout(db, 2000);
    m_db = db;
    m_openError.clear();
    sqlite3_progress_handler(
        m_db, 2000,
        [](void *self) -> int {
            const auto *log = static_cast<ReadOnlyLog *>(self);
            return log->m_cancelled && log->m_cancelled() ? 1 : 0;
        },
        this);
    return true;
}

void ReadOnlyLog::close() {
    if (m_db)
        sqlite3_close_v2(m_db);
    m_db = nullptr;
}

QString ReadOnlyLog::errorString() const {
    return m_db ? QString::fromUtf8(sqlite3_errmsg(m_db)) : m_openError;
}

void ReadOnlyLog::setCancel(std::function<bool()> cancelled) {
    m_cancelled = std::move(cancelled);
}

bool ReadOnlyLog::hasSummary() {
    Statement s(*this, "SELECT count(*) FROM sqlite_master WHERE "
                       "(type = 'table' AND lower(name) IN ('lecturaminuto', 'lecturahora')) OR "
                       "(type = 'trigger' AND lower(name) = 'lecturaresumen')");
    return s.step() && s.integer(0) == 3;
}

Statement::Statement(ReadOnlyLog &log, const char *sql) {
    if (!log.db() || sqlite3_prepare_v2(log.db(), sql, -1, &m_stmt, nullptr) != SQLITE_OK) {
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
        m_failed = true;
    }
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

void Statement::bind(int index, const QByteArray &text) {
    if (m_stmt)
        sqlite3_bind_text(m_stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
}

bool Statement::step() {
    if (!m_stmt || m_failed)
        return false;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        m_failed = true;
    return false;
}

int Statement::integer(int column) const {
    return sqlite3_column_int(m_stmt, column);
}

qint64 Statement::integer64(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

const char *Statement::text(int column, int &length) const {
    const auto *p = reinterpret_cast<const char *>(sqlite3_column_text(m_stmt, column));
    length = p ? sqlite3_column_bytes(m_stmt, column) : 0;
    return p;
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

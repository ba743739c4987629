#include "log/LogQuery.h"

#include "common/AppError.h"
#include "log/TFDM.h"

#include <sqlite3.h>

void LogQuery::execSQL() {
    m_fdm.openIfClosed();
    const QByteArray sql = text().toUtf8();
    const char *tail = sql.constData();
    const char *const end = tail + sql.size();
    // Every statement of the text runs, one after the other.
    while (tail < end) {
        sqlite3_stmt *stmt = nullptr;
        if (sqlite3_prepare_v2(m_fdm.Conexion, tail, int(end - tail), &stmt, &tail) != SQLITE_OK)
            throw AppError(m_fdm.lastError());
        if (!stmt)
            continue; // blanks or a comment
        int rc;
        while ((rc = sqlite3_step(stmt)) == SQLITE_ROW) {
        }
        if (rc != SQLITE_DONE) {
            const QString text = m_fdm.lastError();
            sqlite3_finalize(stmt);
            throw AppError(text);
        }
        sqlite3_finalize(stmt);
    }
}

void LogQuery::run(const QStringList &lines) {
    clear();
    for (const QString &line : lines)
        add(line);
    execSQL();
}

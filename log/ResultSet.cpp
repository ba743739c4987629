#include "log/ResultSet.h"

#include "common/AppError.h"
#include "log/TFDM.h"

#include <algorithm>
#include <sqlite3.h>

namespace {
QVariant columnValue(sqlite3_stmt *stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER:
        return QVariant::fromValue<qint64>(sqlite3_column_int64(stmt, i));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, i);
    case SQLITE_TEXT:
        return QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(stmt, i)),
                                 sqlite3_column_bytes(stmt, i));
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, i)),
                          sqlite3_column_bytes(stmt, i));
    default:
        return {};
    }
}

struct Statement {
    sqlite3_stmt *stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};
} // namespace

void ResultSet::setSQL(const QString &text) {
    if (m_open)
        close();
    m_sql = text;
}

void ResultSet::open() {
    emit aboutToReset();
    m_open = false;
    try {
        run();
    } catch (...) {
        emit reset();
        throw;
    }
    m_open = true;
    m_current = m_rows.isEmpty() ? -1 : 0;
    emit reset();
}

void ResultSet::close() {
    emit aboutToReset();
    m_open = false;
    m_rows.clear();
    m_columns.clear();
    m_current = -1;
    emit reset();
}

void ResultSet::refresh() {
    if (!m_open) {
        open();
        return;
    }
    const int keep = m_current;
    emit aboutToReset();
    try {
        run();
    } catch (...) {
        m_open = false;
        m_current = -1;
        emit reset();
        throw;
    }
    m_current = m_rows.isEmpty() ? -1 : std::clamp(keep, 0, rowCount() - 1);
    emit reset();
}

// Leaves the rows and columns of the text, or none when it fails.
void ResultSet::run() {
    m_columns.clear();
    m_rows.clear();
    m_current = -1;
    m_fdm.openIfClosed();
    const QByteArray sql = m_sql.toUtf8();
    Statement s;
    if (sqlite3_prepare_v2(m_fdm.Conexion, sql.constData(), int(sql.size()), &s.stmt, nullptr) !=
        SQLITE_OK)
        throw AppError(m_fdm.lastError());
    if (!s.stmt)
        return; // an empty text gives an empty result
    const int n = sqlite3_column_count(s.stmt);
    for (int i = 0; i < n; ++i)
        m_columns.append(QString::fromUtf8(sqlite3_column_name(s.stmt, i)));
    int rc;
    while ((rc = sqlite3_step(s.stmt)) == SQLITE_ROW) {
        QVector<QVariant> row(n);
        for (int i = 0; i < n; ++i)
            row[i] = columnValue(s.stmt, i);
        m_rows.append(std::move(row));
    }
    if (rc != SQLITE_DONE) {
        const QString text = m_fdm.lastError();
        m_columns.clear();
        m_rows.clear();
        throw AppError(text);
    }
}

void ResultSet::setCurrent(int row) {
    if (m_rows.isEmpty())
        row = -1;
    else
        row = std::clamp(row, 0, rowCount() - 1);
    if (row == m_current)
        return;
    m_current = row;
    emit currentChanged(row);
}

void ResultSet::first() {
    setCurrent(0);
}
void ResultSet::prior() {
    setCurrent(m_current - 1);
}
void ResultSet::next() {
    setCurrent(m_current + 1);
}
void ResultSet::last() {
    setCurrent(rowCount() - 1);
}
void ResultSet::moveTo(int row) {
    setCurrent(row);
}

int ResultSet::columnIndex(const QString &name) const {
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant ResultSet::value(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    return m_rows[row][column];
}

QVariant ResultSet::value(int row, const QString &column) const {
    return value(row, columnIndex(column));
}

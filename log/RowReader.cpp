#include "log/RowReader.h"

#include "common/AppError.h"

#include <QFile>
#include <algorithm>
#include <cmath>
#include <limits>
#include <sqlite3.h>

namespace {

// Parameters shared by the keyset statements.
enum Param { kFrom = 1, kTo = 2, kSnapshot = 3, kOrder = 4, kRowid = 5, kLimit = 6, kOffset = 7 };

QVariant columnValue(sqlite3_stmt *stmt, int i) {
    switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER:
        return QVariant::fromValue<qint64>(sqlite3_column_int64(stmt, i));
    case SQLITE_FLOAT:
        return sqlite3_column_double(stmt, i);
    case SQLITE_TEXT: {
        const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(stmt, i));
        const int size = sqlite3_column_bytes(stmt, i);
        // The bit columns hold "Si" or "-" in nearly every row: share them.
        static const QVariant si(QStringLiteral("Si")), dash(QStringLiteral("-"));
        if (size == 2 && text[0] == 'S' && text[1] == 'i')
            return si;
        if (size == 1 && text[0] == '-')
            return dash;
        return QString::fromUtf8(text, size);
    }
    case SQLITE_BLOB:
        return QByteArray(static_cast<const char *>(sqlite3_column_blob(stmt, i)),
                          sqlite3_column_bytes(stmt, i));
    default:
        return {};
    }
}

void bindValue(sqlite3_stmt *stmt, int index, const QVariant &value) {
    if (index > sqlite3_bind_parameter_count(stmt))
        return;
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        sqlite3_bind_null(stmt, index);
        break;
    case QMetaType::LongLong:
    case QMetaType::Int:
        sqlite3_bind_int64(stmt, index, value.toLongLong());
        break;
    case QMetaType::Double:
        sqlite3_bind_double(stmt, index, value.toDouble());
        break;
    case QMetaType::QByteArray: {
        const QByteArray bytes = value.toByteArray();
        sqlite3_bind_blob(stmt, index, bytes.constData(), int(bytes.size()), SQLITE_TRANSIENT);
        break;
    }
    default: {
        const QByteArray text = value.toString().toUtf8();
        sqlite3_bind_text(stmt, index, text.constData(), int(text.size()), SQLITE_TRANSIENT);
        break;
    }
    }
}

void bindInt(sqlite3_stmt *stmt, int index, qint64 value) {
    if (index <= sqlite3_bind_parameter_count(stmt))
        sqlite3_bind_int64(stmt, index, value);
}

void reverse(ResultRows &rows) {
    std::reverse(rows.begin(), rows.end());
}

bool sameName(const QString &a, const QString &b) {
    return a.compare(b, Qt::CaseInsensitive) == 0;
}

} // namespace

RowReader::~RowReader() {
    close();
}

qint64 RowReader::rangeThreshold(qint64 tableRows) {
    const double balance = std::sqrt(256.0 * double(std::max<qint64>(tableRows, 0)));
    return std::clamp<qint64>(qint64(balance), 20000, 200000);
}

void RowReader::open(const QString &path) {
    sqlite3 *db = nullptr;
    const int rc =
        sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        const QString text = QString::fromUtf8(db ? sqlite3_errmsg(db) : sqlite3_errstr(rc));
        sqlite3_close_v2(db);
        throw AppError(text);
    }
    sqlite3_busy_timeout(db, 5000);
    // The viewer's texts write their strings in double quotes.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 1, nullptr);
    std::lock_guard lock(m_jobMutex);
    m_db = db;
    m_path = path;
}

void RowReader::close() {
    for (sqlite3_stmt *stmt : std::as_const(m_statements))
        sqlite3_finalize(stmt);
    m_statements.clear();
    sqlite3_finalize(m_cursor);
    m_cursor = nullptr;
    std::lock_guard lock(m_jobMutex);
    sqlite3_close_v2(m_db);
    m_db = nullptr;
    m_path.clear();
}

void RowReader::setSource(const RowSource &source) {
    // A file replaced under the connection (a copy put back) is read anew.
    int moved = 0;
    if (m_db && sqlite3_file_control(m_db, "main", SQLITE_FCNTL_HAS_MOVED, &moved) == SQLITE_OK &&
        moved)
        close();
    if (!m_db || source.path != m_path) {
        close();
        m_source = {};
        open(source.path);
    }
    if (m_source.sameRows(source) && m_source.columns == source.columns)
        return;
    for (sqlite3_stmt *stmt : std::as_const(m_statements))
        sqlite3_finalize(stmt);
    m_statements.clear();
    sqlite3_finalize(m_cursor);
    m_cursor = nullptr;
    m_count.reset();
    m_source = source;
    plan();
}

// Decides how the keyset statements reach their rows. With a date range and
// another sort column, SQLite would walk the date index and sort the whole
// range for every block; when the range holds many rows, walking the sort
// column's index and skipping the rows outside the range is far cheaper.
void RowReader::plan() {
    m_orderColumn = -1;
    m_useOrderIndex = false;
    if (!m_source.keyed())
        return;
    for (int i = 0; i < m_source.columns.size(); ++i)
        if (sameName(m_source.columns[i], m_source.shape->column))
            m_orderColumn = i;
    if (m_orderColumn < 0 || !m_source.shape->filtered ||
        sameName(m_source.shape->column, QStringLiteral("Fecha")))
        return;

    sqlite3_stmt *index = statement(QStringLiteral(
        "SELECT 1 FROM pragma_index_list(?1) AS l, pragma_index_info(l.name) AS i "
        "WHERE l.partial = 0 AND i.seqno = 0 AND i.name = ?2 COLLATE NOCASE LIMIT 1"));
    bindValue(index, 1, m_source.shape->table);
    bindValue(index, 2, m_source.shape->column);
    const int rc = sqlite3_step(index);
    sqlite3_reset(index);
    if (rc != SQLITE_ROW)
        return;

    const qint64 threshold = rangeThreshold(m_source.snapshot);
    sqlite3_stmt *range = statement(QStringLiteral("SELECT count(*) FROM (SELECT 1 FROM %1 "
                                                   "WHERE Fecha BETWEEN ?1 AND ?2 AND +rowid <= "
                                                   "?3 LIMIT %2)")
                                        .arg(m_source.shape->table)
                                        .arg(threshold));
    bindCommon(range);
    const int step = sqlite3_step(range);
    if (step != SQLITE_ROW) {
        sqlite3_reset(range);
        fail(step);
    }
    m_useOrderIndex = sqlite3_column_int64(range, 0) >= threshold;
    sqlite3_reset(range);
}

sqlite3_stmt *RowReader::statement(const QString &sql) {
    checkCancelled();
    if (sqlite3_stmt *stmt = m_statements.value(sql)) {
        sqlite3_reset(stmt);
        sqlite3_clear_bindings(stmt);
        return stmt;
    }
    const QByteArray utf8 = sql.toUtf8();
    sqlite3_stmt *stmt = nullptr;
    const int rc = sqlite3_prepare_v3(m_db, utf8.constData(), int(utf8.size()),
                                      SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
    if (rc != SQLITE_OK)
        fail(rc);
    m_statements.insert(sql, stmt);
    return stmt;
}

void RowReader::bindCommon(sqlite3_stmt *stmt) {
    if (m_source.shape && m_source.shape->filtered) {
        bindValue(stmt, kFrom, m_source.shape->from);
        bindValue(stmt, kTo, m_source.shape->to);
    }
    bindInt(stmt, kSnapshot, m_source.snapshot);
}

void RowReader::fail(int rc) {
    if (rc == SQLITE_INTERRUPT || m_cancelled)
        throw ReaderCancelled{};
    throw AppError(QString::fromUtf8(m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(rc)));
}

void RowReader::beginJob(quint64 job) {
    std::lock_guard lock(m_jobMutex);
    m_job = job;
    m_cancelled = false;
}

void RowReader::endJob() {
    std::lock_guard lock(m_jobMutex);
    m_job = 0;
}

void RowReader::cancel(quint64 job) {
    std::lock_guard lock(m_jobMutex);
    if (m_job == 0 || m_job > job)
        return;
    m_cancelled = true;
    if (m_db)
        sqlite3_interrupt(m_db);
}

void RowReader::checkCancelled() {
    std::lock_guard lock(m_jobMutex);
    if (m_cancelled)
        throw ReaderCancelled{};
}

ResultRow RowReader::readRow(sqlite3_stmt *stmt, int valueColumns) {
    ResultRow row;
    row.values.resize(valueColumns);
    for (int i = 0; i < valueColumns; ++i)
        row.values[i] = columnValue(stmt, i);
    if (m_orderColumn >= 0 && m_orderColumn < valueColumns)
        row.order = row.values[m_orderColumn];
    row.key = sqlite3_column_int64(stmt, valueColumns);
    return row;
}

ResultRows RowReader::collect(sqlite3_stmt *stmt, int n) {
    ResultRows rows;
    const int valueColumns = sqlite3_column_count(stmt) - 1;
    int rc = SQLITE_ROW;
    while (int(rows.size()) < n && (rc = sqlite3_step(stmt)) == SQLITE_ROW)
        rows.append(readRow(stmt, valueColumns));
    sqlite3_reset(stmt); // ends the read, so that the logger's file may move on
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        fail(rc);
    return rows;
}

// ---- keyset paging ----

QString RowReader::selectPart() const {
    return QStringLiteral("SELECT *, rowid FROM ") + m_source.shape->table;
}

QString RowReader::wherePart() const {
    QString where = QStringLiteral(" WHERE ");
    if (m_source.shape->filtered)
        where += m_useOrderIndex ? QStringLiteral("+Fecha BETWEEN ?1 AND ?2 AND ")
                                 : QStringLiteral("Fecha BETWEEN ?1 AND ?2 AND ");
    return where + QStringLiteral("+rowid <= ?3");
}

QString RowReader::orderPart(bool descending) const {
    const QString dir = descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC");
    return QStringLiteral(" ORDER BY ") + m_source.shape->column + dir + QStringLiteral(", rowid") +
           dir;
}

// The order of a key is the sort column, then the rowid, both in the
// direction asked for; SQLite puts NULL below every value. So, after a key,
// come: the rest of its own group of equal values, the groups beyond it,
// and, going down, the NULL group last. Each part is one index range.
ResultRows RowReader::walk(bool descending, const ResultRow *from, int n) {
    const QString column = m_source.shape->column;
    const QString head = selectPart() + wherePart();
    const QString dir = descending ? QStringLiteral(" DESC") : QStringLiteral(" ASC");
    const QString beyond = descending ? QStringLiteral(" < ") : QStringLiteral(" > ");
    const QString byRowid = QStringLiteral(" ORDER BY rowid") + dir;
    const QString limit = QStringLiteral(" LIMIT ?6");

    QStringList parts;
    if (!from) {
        parts << head + orderPart(descending) + limit;
    } else if (from->order.isNull()) {
        parts << head + QStringLiteral(" AND ") + column + QStringLiteral(" IS NULL AND rowid") +
                     beyond + QStringLiteral("?5") + byRowid + limit;
        if (!descending)
            parts << head + QStringLiteral(" AND ") + column + QStringLiteral(" IS NOT NULL") +
                         orderPart(descending) + limit;
    } else {
        parts << head + QStringLiteral(" AND ") + column + QStringLiteral(" = ?4 AND rowid") +
                     beyond + QStringLiteral("?5") + byRowid + limit;
        parts << head + QStringLiteral(" AND ") + column + beyond + QStringLiteral("?4") +
                     orderPart(descending) + limit;
        if (descending)
            parts << head + QStringLiteral(" AND ") + column + QStringLiteral(" IS NULL") +
                         byRowid + limit;
    }

    ResultRows rows;
    for (const QString &sql : std::as_const(parts)) {
        if (int(rows.size()) >= n)
            break;
        sqlite3_stmt *stmt = statement(sql);
        bindCommon(stmt);
        if (from) {
            bindValue(stmt, kOrder, from->order);
            bindInt(stmt, kRowid, from->key);
        }
        bindInt(stmt, kLimit, n - rows.size());
        rows += collect(stmt, n - int(rows.size()));
    }
    return rows;
}

// ---- forward cursor ----

void RowReader::restart() {
    if (!m_cursor) {
        checkCancelled();
        const QByteArray utf8 = m_source.text.toUtf8();
        const int rc =
            sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &m_cursor, nullptr);
        if (rc != SQLITE_OK) {
            m_cursor = nullptr;
            fail(rc);
        }
    }
    if (m_cursor)
        sqlite3_reset(m_cursor);
    m_position = 0;
    m_cursorDone = !m_cursor; // an empty text has no rows
    if (m_cursorDone)
        m_count = 0;
}

bool RowReader::stepInto(ResultRow *row) {
    if (m_cursorDone)
        return false;
    if ((m_position & 1023) == 1023)
        checkCancelled();
    const int rc = sqlite3_step(m_cursor);
    if (rc == SQLITE_DONE) {
        m_cursorDone = true;
        m_count = m_position;
        sqlite3_reset(m_cursor);
        return false;
    }
    if (rc != SQLITE_ROW) {
        m_cursorDone = true;
        sqlite3_reset(m_cursor);
        m_position = 0;
        fail(rc);
    }
    if (row) {
        const int n = sqlite3_column_count(m_cursor);
        row->values.resize(n);
        for (int i = 0; i < n; ++i)
            row->values[i] = columnValue(m_cursor, i);
        row->key = m_position;
    }
    ++m_position;
    return true;
}

void RowReader::skipTo(qint64 position) {
    if (!m_cursor || position < m_position)
        restart();
    while (m_position < position && stepInto(nullptr)) {
    }
}

ResultRows RowReader::take(int n) {
    ResultRows rows;
    ResultRow row;
    while (int(rows.size()) < n && stepInto(&row))
        rows.append(row);
    return rows;
}

// ---- the operations ----

ResultRows RowReader::first(int n) {
    if (m_orderColumn >= 0)
        return walk(m_source.shape->descending, nullptr, n);
    restart();
    return take(n);
}

ResultRows RowReader::last(int n) {
    if (m_orderColumn >= 0) {
        ResultRows rows = walk(!m_source.shape->descending, nullptr, n);
        reverse(rows);
        return rows;
    }
    const qint64 total = count();
    return at(std::max<qint64>(0, total - n), n);
}

ResultRows RowReader::after(const ResultRow &row, int n) {
    if (m_orderColumn >= 0)
        return walk(m_source.shape->descending, &row, n);
    skipTo(row.key + 1);
    return take(n);
}

ResultRows RowReader::before(const ResultRow &row, int n) {
    if (m_orderColumn >= 0) {
        ResultRows rows = walk(!m_source.shape->descending, &row, n);
        reverse(rows);
        return rows;
    }
    const qint64 start = std::max<qint64>(0, row.key - n);
    skipTo(start);
    return take(int(row.key - start));
}

ResultRows RowReader::at(qint64 offset, int n) {
    if (offset < 0 || n <= 0)
        return {};
    if (m_orderColumn < 0) {
        skipTo(offset);
        return take(n);
    }
    const bool descending = m_source.shape->descending;
    const QString sql = selectPart() + wherePart() + QStringLiteral("%1 LIMIT ?6 OFFSET ?7");
    // Skipping runs down an index: from whichever end is nearer.
    if (m_count && offset > *m_count / 2) {
        const qint64 wanted = std::min<qint64>(n, *m_count - offset);
        if (wanted <= 0)
            return {};
        sqlite3_stmt *stmt = statement(sql.arg(orderPart(!descending)));
        bindCommon(stmt);
        bindInt(stmt, kLimit, wanted);
        bindInt(stmt, kOffset, *m_count - offset - wanted);
        ResultRows rows = collect(stmt, int(wanted));
        reverse(rows);
        return rows;
    }
    sqlite3_stmt *stmt = statement(sql.arg(orderPart(descending)));
    bindCommon(stmt);
    bindInt(stmt, kLimit, n);
    bindInt(stmt, kOffset, offset);
    return collect(stmt, n);
}

qint64 RowReader::count() {
    if (m_count)
        return *m_count;
    if (m_orderColumn < 0) {
        skipTo(std::numeric_limits<qint64>::max());
        m_count = m_position;
        return *m_count;
    }
    const QString table = m_source.shape->table;
    // Without a range, the whole table is counted on its smallest index and
    // the rows stored since the set opened are taken off.
    const QString sql =
        m_source.shape->filtered
            ? QStringLiteral("SELECT count(*) FROM %1 WHERE Fecha BETWEEN ?1 AND ?2 AND "
                             "+rowid <= ?3")
                  .arg(table)
            : QStringLiteral("SELECT (SELECT count(*) FROM %1) - (SELECT count(*) FROM %1 "
                             "WHERE rowid > ?3)")
                  .arg(table);
    sqlite3_stmt *stmt = statement(sql);
    bindCommon(stmt);
    const int rc = sqlite3_step(stmt);
    if (rc != SQLITE_ROW) {
        sqlite3_reset(stmt);
        fail(rc);
    }
    m_count = sqlite3_column_int64(stmt, 0);
    sqlite3_reset(stmt);
    return *m_count;
}

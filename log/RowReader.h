#pragma once

#include "log/ViewerSql.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <atomic>
#include <mutex>
#include <optional>

struct sqlite3;
struct sqlite3_stmt;

// One row of a result set, with the key that finds its place again.
struct ResultRow {
    QVector<QVariant> values;
    QVariant order;  // the value of the sort column (viewer texts)
    qint64 key = -1; // the rowid (viewer texts), or the position from the first row
};
using ResultRows = QVector<ResultRow>;

// What it takes to run a result set's text again on another connection and
// get the same rows: the file, the text, its shape when it is one of the
// viewer's, and the newest row the set may show (the highest rowid when it
// opened; the logs only grow, so that bound fixes the rows for good).
struct RowSource {
    QString path;
    QString text;
    std::optional<ViewerSql::Shape> shape;
    qint64 snapshot = -1;
    QStringList columns;

    // Paged by key (the sort column, then the rowid) rather than by a cursor.
    bool keyed() const { return shape.has_value() && snapshot >= 0; }
    bool sameRows(const RowSource &o) const {
        return path == o.path && text == o.text && snapshot == o.snapshot;
    }
};

// Reads the rows of a source in blocks, on a read-only connection of its
// own, from whichever thread uses it (one at a time). A text of the viewer's
// forms is paged with keyset queries that the indexes serve, so no block
// costs more than a short index walk however many rows come before it; any
// other text runs as a forward cursor that is stepped, and rerun to go back.
// Failures throw AppError with the library's message; an interrupted job
// throws ReaderCancelled.
class RowReader {
public:
    RowReader() = default;
    ~RowReader();
    RowReader(const RowReader &) = delete;
    RowReader &operator=(const RowReader &) = delete;

    // Opens the file when it is another than the last one and prepares the
    // text's plan. Sources with the same rows keep what was learned.
    void setSource(const RowSource &source);
    const RowSource &source() const { return m_source; }

    ResultRows first(int n);                        // the first n rows
    ResultRows last(int n);                         // the last n rows, in order
    ResultRows after(const ResultRow &row, int n);  // the n rows that follow row
    ResultRows before(const ResultRow &row, int n); // the n rows before row, in order
    ResultRows at(qint64 offset, int n);            // n rows from a position
    qint64 count();                                 // all rows of the source

    // Cancelling, from any thread: a job numbered up to `job` that is running
    // stops at its next step. The thread that runs the jobs numbers them.
    void beginJob(quint64 job);
    void endJob();
    void cancel(quint64 job);

    // Rows in the date range beyond which the sort column's own index is
    // walked instead of the date index (a square root balance between
    // sorting the range and skipping rows outside it).
    static qint64 rangeThreshold(qint64 tableRows);

private:
    void open(const QString &path);
    void close();
    void plan();
    sqlite3_stmt *statement(const QString &sql);
    void bindCommon(sqlite3_stmt *stmt);
    ResultRows collect(sqlite3_stmt *stmt, int n);
    ResultRow readRow(sqlite3_stmt *stmt, int valueColumns);
    [[noreturn]] void fail(int rc);
    void checkCancelled();

    // Keyset paging: the rows after `from` (from the start without one) in
    // one direction.
    ResultRows walk(bool descending, const ResultRow *from, int n);
    QString selectPart() const;
    QString wherePart() const;
    QString orderPart(bool descending) const;

    // Forward cursor.
    void restart();
    bool stepInto(ResultRow *row);
    void skipTo(qint64 position);
    ResultRows take(int n);

    RowSource m_source;
    sqlite3 *m_db = nullptr;
    QString m_path;
    QHash<QString, sqlite3_stmt *> m_statements;
    int m_orderColumn = -1;
    bool m_useOrderIndex = false;
    std::optional<qint64> m_count;

    sqlite3_stmt *m_cursor = nullptr;
    qint64 m_position = 0; // rows stepped since the cursor started
    bool m_cursorDone = false;

    std::mutex m_jobMutex;
    quint64 m_job = 0;
    std::atomic<bool> m_cancelled = false;
};

// Thrown when a job was cancelled.
struct ReaderCancelled {};

#include "log/ResultSet.h"

#include "common/AppError.h"
#include "log/FetchWorker.h"
#include "log/ReaderReply.h"
#include "log/TFDM.h"

#include <QDeadlineTimer>
#include <QMetaObject>
#include <algorithm>
#include <sqlite3.h>

// Filled on the reader's thread, taken in on the window thread.
struct ResultSet::Reply : ReaderReply {
    ResultRows rows;
    int anchorIndex = -1; // Around: where the anchor row landed
    bool reachedStart = false;
    bool reachedEnd = false;
};

struct ResultSet::Pending {
    quint64 job = 0;
    Fetch kind = Fetch::First;
    std::shared_ptr<Reply> reply;
    std::function<void(const Reply &)> then;
};

namespace {
struct Statement {
    sqlite3_stmt *stmt = nullptr;
    ~Statement() { sqlite3_finalize(stmt); }
};
} // namespace

ResultSet::ResultSet(TFDM &fdm, QObject *parent)
    : QObject(parent), m_fdm(fdm), m_worker(std::make_unique<FetchWorker>()) {}

ResultSet::~ResultSet() {
    // The reader's thread ends before the rest of the set goes.
    m_worker.reset();
}

void ResultSet::setSQL(const QString &text) {
    if (m_open)
        close();
    m_text = text;
}

// The text is checked on the data module's own connection, which gives the
// columns at once; the snapshot bound fixes the rows the reader may show.
void ResultSet::prepareSource() {
    m_fdm.openIfClosed();
    RowSource source;
    source.path = m_fdm.path();
    source.text = m_text;
    const QByteArray sql = m_text.toUtf8();
    Statement s;
    if (sqlite3_prepare_v2(m_fdm.Conexion, sql.constData(), int(sql.size()), &s.stmt, nullptr) !=
        SQLITE_OK)
        throw AppError(m_fdm.lastError());
    if (s.stmt) {
        const int n = sqlite3_column_count(s.stmt);
        for (int i = 0; i < n; ++i)
            source.columns.append(QString::fromUtf8(sqlite3_column_name(s.stmt, i)));
    }
    source.shape = ViewerSql::parse(m_text);
    if (source.shape) {
        Statement top;
        const QByteArray maxRowid =
            QStringLiteral("SELECT max(rowid) FROM %1").arg(source.shape->table).toUtf8();
        if (sqlite3_prepare_v2(m_fdm.Conexion, maxRowid.constData(), -1, &top.stmt, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(top.stmt) == SQLITE_ROW)
            source.snapshot = sqlite3_column_int64(top.stmt, 0); // an empty table gives 0
    }
    m_source = source;
}

void ResultSet::open() {
    dropPending();
    emit aboutToReset();
    m_open = false;
    m_rows.clear();
    m_columns.clear();
    m_current = -1;
    m_atStart = m_atEnd = true;
    try {
        prepareSource();
    } catch (...) {
        m_source = {};
        emit reset();
        throw;
    }
    m_open = true;
    m_columns = m_source.columns;
    emit reset();
    if (m_columns.isEmpty())
        return; // an empty text gives an empty result
    m_atEnd = false;
    request(Fetch::First, {}, kBlock, [this](const Reply &) { setCurrent(0); });
}

void ResultSet::close() {
    dropPending();
    emit aboutToReset();
    m_open = false;
    m_rows.clear();
    m_columns.clear();
    m_current = -1;
    m_atStart = m_atEnd = true;
    m_source = {};
    emit reset();
}

void ResultSet::refresh() {
    if (!m_open) {
        open();
        return;
    }
    dropPending();
    const int keep = m_current;
    const bool fromStart = m_atStart || m_rows.isEmpty();
    const ResultRow anchor = m_current >= 0 ? m_rows[m_current] : ResultRow{};
    try {
        prepareSource();
    } catch (...) {
        close();
        throw;
    }
    if (m_source.columns != m_columns) {
        open(); // the table itself changed
        return;
    }
    if (fromStart) {
        const int n = std::clamp(keep + 1, kBlock, kWindow);
        request(Fetch::First, {}, n,
                [this, keep](const Reply &) { setCurrent(std::max(keep, 0)); });
    } else {
        // The current row is still there (the logs only grow): the window is
        // loaded around it.
        request(Fetch::Around, anchor, kBlock,
                [this](const Reply &reply) { setCurrent(reply.anchorIndex); });
    }
}

// ---- fetching ----

void ResultSet::request(Fetch kind, const ResultRow &anchor, int n,
                        std::function<void(const Reply &)> then) {
    dropPending();
    auto reply = std::make_shared<Reply>();
    const RowSource source = m_source;
    const quint64 job = m_worker->post([this, kind, anchor, n, source, reply](RowReader &reader) {
        reply->run([&] {
            reader.setSource(source);
            switch (kind) {
            case Fetch::First:
                reply->rows = reader.first(n);
                reply->reachedStart = true;
                reply->reachedEnd = reply->rows.size() < n;
                break;
            case Fetch::Last:
                reply->rows = reader.last(n);
                reply->reachedEnd = true;
                reply->reachedStart = reply->rows.size() < n;
                break;
            case Fetch::After:
                reply->rows = reader.after(anchor, n);
                reply->reachedEnd = reply->rows.size() < n;
                break;
            case Fetch::Before:
                reply->rows = reader.before(anchor, n);
                reply->reachedStart = reply->rows.size() < n;
                break;
            case Fetch::Around: {
                const ResultRows head = reader.before(anchor, n);
                const ResultRows tail = reader.after(anchor, n);
                reply->rows = head;
                reply->anchorIndex = int(head.size());
                reply->rows.append(anchor);
                reply->rows += tail;
                reply->reachedStart = head.size() < n;
                reply->reachedEnd = tail.size() < n;
                break;
            }
            }
        });
        QMetaObject::invokeMethod(
            this, [this, reply] { deliver(reply); }, Qt::QueuedConnection);
    });
    m_pending = std::make_unique<Pending>(Pending{job, kind, reply, std::move(then)});
    if (reply->waitFor(m_syncWaitMs)) {
        apply();
        return;
    }
    if (!m_busyShown) {
        m_busyShown = true;
        emit busyChanged(true);
    }
}

void ResultSet::deliver(const std::shared_ptr<Reply> &reply) {
    if (m_pending && m_pending->reply == reply)
        apply();
}

bool ResultSet::waitForIdle(int timeoutMs) {
    QDeadlineTimer deadline(timeoutMs);
    while (m_pending) {
        if (!m_pending->reply->waitFor(deadline.remainingTime()))
            return false;
        apply();
    }
    return true;
}

void ResultSet::dropPending() {
    if (!m_pending)
        return;
    m_worker->cancel(m_pending->job);
    m_pending.reset();
    if (m_busyShown) {
        m_busyShown = false;
        emit busyChanged(false);
    }
}

void ResultSet::cancel() {
    if (!m_pending)
        return;
    dropPending();
    if (m_rows.isEmpty())
        close();
}

void ResultSet::apply() {
    std::unique_ptr<Pending> pending = std::move(m_pending);
    if (m_busyShown) {
        m_busyShown = false;
        emit busyChanged(false);
    }
    const Reply &reply = *pending->reply;
    if (reply.cancelled)
        return;
    if (!reply.error.isEmpty()) {
        close();
        emit failed(reply.error);
        return;
    }
    switch (pending->kind) {
    case Fetch::First:
    case Fetch::Last:
    case Fetch::Around:
        emit aboutToReset();
        m_rows = reply.rows;
        m_atStart = reply.reachedStart;
        m_atEnd = reply.reachedEnd;
        m_current = -1;
        emit reset();
        break;
    case Fetch::After:
        append(reply.rows, reply.reachedEnd);
        break;
    case Fetch::Before:
        prepend(reply.rows, reply.reachedStart);
        break;
    }
    if (pending->then)
        pending->then(reply);
}

// New rows at the end; the oldest at the start give way beyond the window.
void ResultSet::append(ResultRows rows, bool reachedEnd) {
    if (!rows.isEmpty()) {
        const int first = rowCount();
        emit rowsAboutToBeInserted(first, first + int(rows.size()) - 1);
        m_rows += rows;
        emit rowsInserted();
    }
    m_atEnd = reachedEnd;
    const int excess = rowCount() - kWindow;
    if (excess <= 0)
        return;
    emit rowsAboutToBeRemoved(0, excess - 1);
    m_rows.remove(0, excess);
    m_atStart = false;
    emit rowsRemoved();
    m_current = std::max(m_current - excess, 0);
    emit currentChanged(m_current);
}

void ResultSet::prepend(ResultRows rows, bool reachedStart) {
    if (!rows.isEmpty()) {
        const int n = int(rows.size());
        emit rowsAboutToBeInserted(0, n - 1);
        rows += m_rows;
        m_rows = std::move(rows);
        emit rowsInserted();
        m_current += n;
        emit currentChanged(m_current);
    }
    m_atStart = reachedStart;
    const int excess = rowCount() - kWindow;
    if (excess <= 0)
        return;
    emit rowsAboutToBeRemoved(kWindow, rowCount() - 1);
    m_rows.resize(kWindow);
    m_atEnd = false;
    emit rowsRemoved();
    if (m_current >= kWindow) {
        m_current = kWindow - 1;
        emit currentChanged(m_current);
    }
}

bool ResultSet::canFetchMore() const {
    return m_open && !m_atEnd && !m_pending && !m_rows.isEmpty();
}

void ResultSet::fetchMore() {
    if (canFetchMore())
        request(Fetch::After, m_rows.last(), kBlock);
}

bool ResultSet::canFetchBefore() const {
    return m_open && !m_atStart && !m_pending && !m_rows.isEmpty();
}

void ResultSet::fetchBefore() {
    if (canFetchBefore())
        request(Fetch::Before, m_rows.first(), kBlock);
}

// ---- navigation ----

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
    if (!m_open)
        return;
    if (m_atStart && !m_pending) {
        setCurrent(0);
        return;
    }
    request(Fetch::First, {}, kBlock, [this](const Reply &) { setCurrent(0); });
}

void ResultSet::last() {
    if (!m_open)
        return;
    if (m_atEnd && !m_pending) {
        setCurrent(rowCount() - 1);
        return;
    }
    request(Fetch::Last, {}, kBlock, [this](const Reply &) { setCurrent(rowCount() - 1); });
}

void ResultSet::next() {
    if (!m_open || m_rows.isEmpty())
        return;
    if (m_current < rowCount() - 1) {
        setCurrent(m_current + 1);
        return;
    }
    if (m_atEnd)
        return;
    request(Fetch::After, m_rows.last(), kBlock, [this](const Reply &) {
        if (m_current < rowCount() - 1)
            setCurrent(m_current + 1);
    });
}

void ResultSet::prior() {
    if (!m_open || m_rows.isEmpty())
        return;
    if (m_current > 0) {
        setCurrent(m_current - 1);
        return;
    }
    if (m_atStart)
        return;
    request(Fetch::Before, m_rows.first(), kBlock, [this](const Reply &) {
        if (m_current > 0)
            setCurrent(m_current - 1);
    });
}

void ResultSet::moveTo(int row) {
    setCurrent(row);
}

// ---- values ----

int ResultSet::columnIndex(const QString &name) const {
    for (int i = 0; i < m_columns.size(); ++i)
        if (m_columns[i].compare(name, Qt::CaseInsensitive) == 0)
            return i;
    return -1;
}

QVariant ResultSet::value(int row, int column) const {
    if (row < 0 || row >= rowCount() || column < 0 || column >= columnCount())
        return {};
    const ResultRow &r = m_rows[row];
    return column < r.values.size() ? r.values[column] : QVariant();
}

QVariant ResultSet::value(int row, const QString &column) const {
    return value(row, columnIndex(column));
}

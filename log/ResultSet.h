#pragma once

#include "log/RowReader.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

class TFDM;
class FetchWorker;

// A read-only query of the data module (LecturaSQL, EscrituraSQL) that never
// holds all its rows: it keeps a window of at most kWindow consecutive rows,
// fetched in blocks of kBlock as the grid, the navigator or a report needs
// them, by a reader on a thread and a connection of its own. Moving to the
// first or the last row loads that end of the result directly. The rows are
// those stored when the query opened; rows stored since appear on refresh.
//
// Fetches are waited for a few milliseconds, so that a quick one looks
// immediate; a slower one reports busy and its rows arrive later, while the
// window thread goes on with the station's work.
class ResultSet : public QObject {
    Q_OBJECT
public:
    explicit ResultSet(TFDM &fdm, QObject *parent = nullptr);
    ~ResultSet() override;

    static constexpr int kBlock = 256;
    static constexpr int kWindow = 4096;

    // Replacing the text of an open query closes it first.
    void setSQL(const QString &text);
    QString sql() const { return m_text; }

    // Checks the text on the data module's connection (opening it first if
    // it is closed), then loads the first rows. A text that fails leaves the
    // query closed and empty and throws the library's message (AppError).
    void open();
    void close();
    bool isOpen() const { return m_open; }
    // Runs the same text again, so that rows stored since appear, and keeps
    // the position as far as it goes.
    void refresh();

    void first();
    void prior();
    void next();
    void last();
    void moveTo(int row);
    bool bof() const { return m_atStart && m_current <= 0; }
    bool eof() const { return m_atEnd && m_current >= rowCount() - 1; }
    int current() const { return m_current; } // within the window; -1 when empty

    // The rows held now.
    int rowCount() const { return int(m_rows.size()); }
    int columnCount() const { return int(m_columns.size()); }
    const QStringList &columnNames() const { return m_columns; }
    // Column position by name, without regard to case; -1 when absent.
    int columnIndex(const QString &name) const;
    QVariant value(int row, int column) const;
    QVariant value(int row, const QString &column) const;
    // The current row's value of a column named in any letter case.
    QVariant field(const QString &column) const { return value(m_current, column); }

    // Whether the rows held reach the first and the last row of the result.
    bool atStart() const { return m_atStart; }
    bool atEnd() const { return m_atEnd; }
    bool canFetchMore() const;
    void fetchMore();
    bool canFetchBefore() const;
    void fetchBefore();

    // A fetch is under way.
    bool isBusy() const { return m_pending != nullptr; }
    // Takes in the fetches under way, for up to timeoutMs; true when none is left.
    bool waitForIdle(int timeoutMs = 30000);
    // Stops the fetch under way; a query that has no rows yet closes.
    void cancel();

    // How to read the same rows elsewhere (reports).
    RowSource source() const { return m_source; }

    // How long a fetch is waited for before it goes on in the background.
    void setSyncWaitMs(int ms) { m_syncWaitMs = ms; }

signals:
    void aboutToReset(); // rows or columns are about to be replaced
    void reset();        // rows or columns replaced, or the query closed
    void rowsAboutToBeInserted(int first, int last);
    void rowsInserted();
    void rowsAboutToBeRemoved(int first, int last);
    void rowsRemoved();
    void currentChanged(int row); // the current row or its place in the window changed
    void busyChanged(bool busy);
    // A fetch failed: the query is closed, and this is the library's message.
    void failed(const QString &text);

private:
    enum class Fetch { First, Last, After, Before, Around };
    struct Reply;
    struct Pending;

    void prepareSource();
    void request(Fetch kind, const ResultRow &anchor, int n,
                 std::function<void(const Reply &)> then = {});
    void deliver(const std::shared_ptr<Reply> &reply);
    void apply();
    void dropPending();
    void append(ResultRows rows, bool reachedEnd);
    void prepend(ResultRows rows, bool reachedStart);
    void setCurrent(int row);

    TFDM &m_fdm;
    std::unique_ptr<FetchWorker> m_worker;
    QString m_text;
    RowSource m_source;
    bool m_open = false;
    QStringList m_columns;
    ResultRows m_rows;
    bool m_atStart = true;
    bool m_atEnd = true;
    int m_current = -1;
    std::unique_ptr<Pending> m_pending;
    bool m_busyShown = false;
    int m_syncWaitMs = 20;
};

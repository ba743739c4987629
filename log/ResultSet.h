#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <QVector>

class TFDM;

// A read-only query whose rows are kept after it runs (LecturaSQL,
// EscrituraSQL). Bound grids follow it through reset() and currentChanged().
class ResultSet : public QObject {
    Q_OBJECT
public:
    explicit ResultSet(TFDM &fdm, QObject *parent = nullptr) : QObject(parent), m_fdm(fdm) {}

    // Replacing the text of an open query closes it first.
    void setSQL(const QString &text);
    QString sql() const { return m_sql; }

    // Runs the text, opening the connection first if it is closed, and moves
    // to the first row. On failure the query stays closed and empty and the
    // library's message is thrown (AppError).
    void open();
    void close();
    bool isOpen() const { return m_open; }
    // Runs the same text again and keeps the position as far as it goes.
    void refresh();

    void first();
    void prior();
    void next();
    void last();
    bool bof() const { return m_current <= 0; }
    bool eof() const { return m_current >= rowCount() - 1; }
    int current() const { return m_current; } // -1 when there are no rows
    void moveTo(int row);

    int rowCount() const { return int(m_rows.size()); }
    int columnCount() const { return int(m_columns.size()); }
    const QStringList &columnNames() const { return m_columns; }
    // Column position by name, without regard to case; -1 when absent.
    int columnIndex(const QString &name) const;
    QVariant value(int row, int column) const;
    QVariant value(int row, const QString &column) const;
    // The current row's value of a column named in any letter case.
    QVariant field(const QString &column) const { return value(m_current, column); }

signals:
    void aboutToReset();          // rows or columns are about to change
    void reset();                 // rows or columns replaced, or the query closed
    void currentChanged(int row); // the navigator moved

private:
    void run();
    void setCurrent(int row);

    TFDM &m_fdm;
    QString m_sql;
    bool m_open = false;
    QStringList m_columns;
    QVector<QVector<QVariant>> m_rows;
    int m_current = -1;
};

#pragma once

#include <QList>
#include <QString>
#include <QTableView>

class QFrame;
class QTimer;
class ResultSet;
class ResultSetModel;
class GridColumns;

// A column a grid shows: the result set's column (any letter case), its
// title (empty: the name the database reports) and its width in pixels.
struct GridColumn {
    QString name;
    QString title;
    int width = 64;
};

// A read-only grid bound to a result set's data binding: only the listed
// columns, in their order, every cell and title centred, titles in bold.
// The grid follows the set's current row and moves it when the operator
// clicks a row; scrolling past either end of the rows held asks the set for
// more. A fetch that takes a while shows a notice with a cancel button.
class LogGrid : public QTableView {
    Q_OBJECT
public:
    LogGrid(ResultSetModel &binding, const QList<GridColumn> &columns, QWidget *parent = nullptr);

    ResultSet &resultSet() const;
    // The column shown at this place (0 = leftmost), by its name in the set.
    QString shownColumn(int place) const;
    QString shownTitle(int place) const;
    int shownCount() const { return int(m_columns.size()); }
    // The text of a cell, by row and column name.
    QString cellText(int row, const QString &column) const;
    bool busyNoticeShown() const;

protected:
    void resizeEvent(QResizeEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void arrangeColumns();
    void followCurrent(int row);
    void onScroll(int value);
    void placeBusyNotice();

    ResultSetModel &m_binding;
    GridColumns *m_proxy;
    QList<GridColumn> m_columns;
    QFrame *m_busy = nullptr;
    QTimer *m_busyDelay = nullptr;
    bool m_following = false;
};

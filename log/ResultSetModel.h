#pragma once

#include <QAbstractTableModel>

class ResultSet;

// Data binding of a result set (DLectura, DEscritura): a read-only table
// model over the rows the set holds, whose columns are the query's, titled
// by their names as the database reports them. Like Qt's own SQL models it
// asks for more rows as a view scrolls down (canFetchMore/fetchMore); views
// ask for earlier rows through the set. Grids pick and title the columns
// they show.
class ResultSetModel : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit ResultSetModel(ResultSet &set, QObject *parent = nullptr);

    ResultSet &resultSet() const { return m_set; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;
    bool canFetchMore(const QModelIndex &parent) const override;
    void fetchMore(const QModelIndex &parent) override;

private:
    ResultSet &m_set;
};

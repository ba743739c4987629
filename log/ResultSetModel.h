#pragma once

#include <QAbstractTableModel>

class ResultSet;

// Data binding of a result set (DLectura, DEscritura): a read-only table
// model whose columns are the query's, titled by their names as the database
// reports them. Grids pick and title the columns they show.
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

private:
    ResultSet &m_set;
};

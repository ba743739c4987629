#include "log/ResultSetModel.h"

#include "log/ResultSet.h"

ResultSetModel::ResultSetModel(ResultSet &set, QObject *parent)
    : QAbstractTableModel(parent), m_set(set) {
    connect(&m_set, &ResultSet::aboutToReset, this, &ResultSetModel::beginResetModel);
    connect(&m_set, &ResultSet::reset, this, &ResultSetModel::endResetModel);
    connect(&m_set, &ResultSet::rowsAboutToBeInserted, this,
            [this](int first, int last) { beginInsertRows({}, first, last); });
    connect(&m_set, &ResultSet::rowsInserted, this, &ResultSetModel::endInsertRows);
    connect(&m_set, &ResultSet::rowsAboutToBeRemoved, this,
            [this](int first, int last) { beginRemoveRows({}, first, last); });
    connect(&m_set, &ResultSet::rowsRemoved, this, &ResultSetModel::endRemoveRows);
}

int ResultSetModel::rowCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : m_set.rowCount();
}

int ResultSetModel::columnCount(const QModelIndex &parent) const {
    return parent.isValid() ? 0 : m_set.columnCount();
}

QVariant ResultSetModel::data(const QModelIndex &index, int role) const {
    if (!index.isValid() || role != Qt::DisplayRole)
        return {};
    return m_set.value(index.row(), index.column());
}

QVariant ResultSetModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return section < m_set.columnCount() ? QVariant(m_set.columnNames().at(section))
                                             : QVariant();
    return section + 1;
}

bool ResultSetModel::canFetchMore(const QModelIndex &parent) const {
    return !parent.isValid() && m_set.canFetchMore();
}

void ResultSetModel::fetchMore(const QModelIndex &parent) {
    if (!parent.isValid())
        m_set.fetchMore();
}

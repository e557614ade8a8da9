// SPDX-License-Identifier: GPL-3.0-or-later
#include "ui/DataSource.h"

#include "db/ADOQuery.h"
#include "ui/GuardedConnect.h"

TDataSource::TDataSource(TADOQuery *dataSet, QObject *parent)
    : QAbstractTableModel(parent)
    , m_dataSet(dataSet)
{
    // The views' own slots run inside these; none of them may let an error out.
    connectGuarded(dataSet, &TADOQuery::aboutToReset, this, [this] { beginResetModel(); });
    connectGuarded(dataSet, &TADOQuery::reset, this, [this] { endResetModel(); });
    connectGuarded(dataSet, &TADOQuery::rowChanged, this,
                   [this](int row) { emit dataChanged(index(row, 0), index(row, columnCount() - 1)); });
    connectGuarded(dataSet, &TADOQuery::rowAboutToBeRemoved, this, [this](int row) { beginRemoveRows({}, row, row); });
    connectGuarded(dataSet, &TADOQuery::rowRemoved, this, [this](int) { endRemoveRows(); });
    connectGuarded(dataSet, &TADOQuery::rowAboutToBeAppended, this, [this](int row) { beginInsertRows({}, row, row); });
    connectGuarded(dataSet, &TADOQuery::rowAppended, this, [this](int) { endInsertRows(); });
}

int TDataSource::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_dataSet->result().rowCount();
}

int TDataSource::columnCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : m_dataSet->result().columnCount();
}

QVariant TDataSource::data(const QModelIndex &index, int role) const
{
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
        return {};
    return m_dataSet->result().text(index.row(), index.column());
}

QVariant TDataSource::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (role != Qt::DisplayRole)
        return {};
    if (orientation == Qt::Horizontal)
        return m_dataSet->result().columns().value(section);
    return {};
}

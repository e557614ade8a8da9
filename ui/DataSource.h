// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>

class TADOQuery;

// Shows a cursor's rows to item views: one column per result column, titled
// with its name, one row per row, every value as text. The grid and the
// edit page's bound boxes read the list cursor through it.
class TDataSource : public QAbstractTableModel {
    Q_OBJECT
public:
    explicit TDataSource(TADOQuery *dataSet, QObject *parent = nullptr);

    TADOQuery *DataSet() const { return m_dataSet; }

    int rowCount(const QModelIndex &parent = {}) const override;
    int columnCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    TADOQuery *m_dataSet;
};

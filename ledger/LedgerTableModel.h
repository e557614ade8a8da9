// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include <vector>

// A list of the ledger shown to item views: one row per `Row`, a text per
// column, amounts and numbers aligned right. A new list replaces the old one
// whole (a model reset).
template <typename Row>
class LedgerTableModel : public QAbstractTableModel {
public:
    LedgerTableModel(QStringList columns, QObject *parent = nullptr)
        : QAbstractTableModel(parent)
        , m_columns(std::move(columns))
    {
    }

    void setRows(std::vector<Row> rows)
    {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
    }
    const std::vector<Row> &rows() const { return m_rows; }
    const Row &rowAt(int row) const { return m_rows.at(std::size_t(row)); }

    int rowCount(const QModelIndex &parent = {}) const override { return parent.isValid() ? 0 : int(m_rows.size()); }
    int columnCount(const QModelIndex &parent = {}) const override
    {
        return parent.isValid() ? 0 : int(m_columns.size());
    }

    QVariant data(const QModelIndex &index, int role = Qt::DisplayRole) const override
    {
        if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
            return {};
        const Row &row = m_rows[std::size_t(index.row())];
        switch (role) {
        case Qt::DisplayRole:
            return cellText(row, index.column());
        case Qt::EditRole:
            return editText(row, index.column());
        case Qt::ToolTipRole:
            return toolTip(row, index.column());
        case Qt::TextAlignmentRole:
            return QVariant::fromValue(alignsRight(index.column()) ? Qt::AlignRight | Qt::AlignVCenter
                                                                   : Qt::AlignLeft | Qt::AlignVCenter);
        default:
            return {};
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override
    {
        if (orientation == Qt::Horizontal && role == Qt::DisplayRole && section >= 0 && section < m_columns.size())
            return m_columns.at(section);
        return QAbstractTableModel::headerData(section, orientation, role);
    }

protected:
    virtual QString cellText(const Row &row, int column) const = 0;
    virtual QVariant editText(const Row &row, int column) const { return cellText(row, column); }
    virtual QVariant toolTip(const Row &, int) const { return {}; }
    virtual bool alignsRight(int column) const = 0;

    // Tells the views that row `row` changed in every column.
    void rowReplaced(int row) { emit dataChanged(index(row, 0), index(row, columnCount() - 1)); }
    std::vector<Row> &mutableRows() { return m_rows; }

private:
    QStringList m_columns;
    std::vector<Row> m_rows;
};

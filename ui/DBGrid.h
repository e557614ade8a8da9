// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QTableView>

class TDataSource;

// The record grid: a read-only table over a data source whose current row
// is the cursor's current row, both ways. Rows have one fixed height, so a
// listing of any length costs only the rows on screen.
class TDBGrid : public QTableView {
    Q_OBJECT
public:
    explicit TDBGrid(QWidget *parent = nullptr);

    void setDataSource(TDataSource *dataSource);

signals:
    // A double-click anywhere in the grid: on a row, below the rows or on a
    // title, also when the grid has no rows.
    void DblClick();

protected:
    bool viewportEvent(QEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;

private:
    void showCursorRow(int row);
    void takeCurrentRow(const QModelIndex &current);

    TDataSource *m_dataSource = nullptr;
};

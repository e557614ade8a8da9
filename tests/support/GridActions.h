// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What a user does on the main window's record grid and what it shows, and
// a keyword search's listing, for tests of the windows that work on the list.
#include "db/ADOQuery.h"
#include "ui/DataSource.h"
#include "register/TenantSearch.h"
#include "ui/Unit1.h"

#include <QHeaderView>
#include <QTest>

// Lists the tenant records whose name contains `part` through the keyword
// search's listing: "共找到N 个记录" in the count panel.
inline void showSearchResult(const QString &part)
{
    SearchList(*Form1, QStringLiteral("姓名"), part);
}

// The centre of a grid cell; a row past the last one is a point below the rows.
inline QPoint gridPoint(int row, int column = 1)
{
    TDBGrid *grid = Form1->DBGrid1;
    if (row >= grid->model()->rowCount())
        return QPoint(grid->columnViewportPosition(column) + 5, grid->viewport()->height() - 5);
    return grid->visualRect(grid->model()->index(row, column)).center();
}

inline void clickRow(int row, Qt::MouseButton button = Qt::LeftButton)
{
    QTest::mouseClick(Form1->DBGrid1->viewport(), button, {}, gridPoint(row));
}

inline void doubleClickRow(int row)
{
    QTest::mouseDClick(Form1->DBGrid1->viewport(), Qt::LeftButton, {}, gridPoint(row));
}

// The names the grid shows, top to bottom.
inline QStringList listedNames()
{
    QStringList names;
    for (int row = 0; row < Form1->DataSource1->rowCount(); ++row)
        names << Form1->DataSource1->index(row, 1).data().toString();
    return names;
}

inline QList<int> columnWidths()
{
    QList<int> widths;
    for (int i = 0; i < Form1->DBGrid1->model()->columnCount(); ++i)
        widths << Form1->DBGrid1->columnWidth(i);
    return widths;
}

// The widths that every listing gives the nine columns of the table.
inline const QList<int> listColumnWidths{50, 90, 60, 70, 65, 80, 80, 120, 120};

// The stored rows of the table, ID first, in key order.
inline QString tableRowsSql()
{
    return QStringLiteral("select ID, 姓名, 房号, 租金, 押金, 入住日期, 到期日期, 备注, 编辑时间 from data order by ID");
}

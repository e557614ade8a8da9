#pragma once

#include <QString>

// The shared list procedures. They work on the main window through its
// global Form1: the list cursor ADOQuery1, the grid, the status bar and the
// hidden rent list and rent total.

// Reloads the list: every tenant record, the count text, the column widths.
void RefreshList();

// Rebuilds the rent list from a fresh RefreshList, walking every row; the
// walk leaves the last row current.
void FillRentList();

// Adds up the rent list into the rent total.
void SumRentList();

// The full refresh: RefreshList, FillRentList and SumRentList in this order.
void FullRefresh();

// Sets the grid's column widths at positions 0 to 8, as every listing does.
// A listing of fewer than nine columns fails with "Argument out of range".
void SetListColumnWidths();

// "共 N 个记录", the count text of the full list.
QString fullListCountText(int count);

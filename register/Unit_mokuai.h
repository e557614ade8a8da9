#pragma once

#include <QString>
#include <QVariantList>

#include <functional>

class QLineEdit;
class QTableView;
class TADOQuery;
class TListBox;
class TStatusBar;

// The shared list procedures. They work on the controls they are given;
// the main window hands over its own (ui/Unit1.h holds the forms without
// arguments that the other windows run).

// What a listing works on: the list cursor, the status bar whose count
// panel takes the count text, and the grid that shows the cursor's rows.
struct RecordListView {
    TADOQuery &list;
    TStatusBar &statusBar;
    QTableView &grid;
};

// A listing's statement, with its parameters bound to ?1, ?2, ...
struct ListingStatement {
    QString sql;
    QVariantList parameters = {};
};

// The one listing routine of the full list, the search and the due-tenant
// listing: closes the list cursor, gives it the statement (made once the
// cursor is closed, so that a statement that cannot be made leaves it
// closed), opens it, writes countText(row count) into the count panel and
// sets the grid's column widths. Returns the row count. A listing of fewer
// than nine columns fails with "Argument out of range".
int ShowListing(const RecordListView &view, const std::function<ListingStatement()> &statement,
                QString (*countText)(int));

// Reloads the list: every tenant record, the count text, the column widths.
void RefreshList(const RecordListView &view);

// Rebuilds the rent list from the full list, walking every row from the
// first; the walk leaves the last row current. The full list is the one the
// list cursor holds when RefreshList has just opened it (the full refresh:
// RefreshList, FillRentList, SumRentList), else RefreshList runs first.
void FillRentList(const RecordListView &view, TListBox &rentList);

// Adds up the rent list into the rent total.
void SumRentList(const TListBox &rentList, QLineEdit &rentTotal);

// "共 N 个记录", the count text of the full list.
QString fullListCountText(int count);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "register/RecordListView.h"

#include <QString>
#include <QVariantList>

#include <functional>

// The shared list procedures. They work on the record list they are given;
// the main window hands over itself (ui/Unit1.h holds the forms without
// arguments that the other windows run).

// A listing's statement, with its parameters bound to ?1, ?2, ...
struct ListingStatement {
    QString sql;
    QVariantList parameters = {};
};

// The one listing routine of the full list, the search and the due-tenant
// listing: closes the list cursor, gives it the statement (made once the
// cursor is closed, so that a statement that cannot be made leaves it
// closed), opens it, writes countText(row count) into the count panel, with
// `kind` beside it, and sets the list's column widths. Returns the row
// count. A listing of fewer than nine columns fails with "Argument out of
// range".
int ShowListing(RecordListView &view, ListingKind kind, const std::function<ListingStatement()> &statement,
                QString (*countText)(int));

// Reloads the list: every tenant record, the count text, the column widths.
void RefreshList(RecordListView &view);

// Rebuilds the rent list from the full list, walking every row from the
// first; the walk leaves the last row current. The full list is the one the
// list cursor holds when RefreshList has just opened it (the full refresh:
// RefreshList, FillRentList, SumRentList), else RefreshList runs first.
void FillRentList(RecordListView &view);

// Adds up the rent list into the rent total.
void SumRentList(RecordListView &view);

// "共 N 个记录", the count text of the full list.
QString fullListCountText(int count);

// Whether the list counts as empty where a window asks (the edit page, the
// delete): only the count text of the full list of an empty table says so,
// not a search or a due-tenant listing that found nothing.
bool fullListIsEmpty(const RecordListView &view);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/ResultSet.h"

#include <QString>

#include <map>

struct sqlite3;
struct RowIdentity;

// The statements that write one row of a cursor back to its table. A row is
// named by its key and by every value the cursor read from it, so a write
// changes exactly the row the user saw, or nothing: when another program
// changed or deleted that row, or the file now holds another one under the
// same key, the write fails with rowCannotBeLocated(). Each function takes an
// identity with a key (RowKeyKind::None is the caller's refusal).

// The engine's text for a row that is no longer in the table as read.
QString rowCannotBeLocated();

// Sets the columns of `changes` (result column -> text) in row `row` of
// `result`; returns the row as the table now holds it.
ResultSet::Row updateRow(sqlite3 *db, const RowIdentity &identity, const ResultSet &result, int row,
                         const std::map<int, QString> &changes);

// Removes row `row` of `result` from the table.
void deleteRow(sqlite3 *db, const RowIdentity &identity, const ResultSet &result, int row);

// Adds a row holding `values` (result column -> text), the other columns
// taking their defaults; returns the row as the table holds it.
ResultSet::Row insertRow(sqlite3 *db, const RowIdentity &identity, const std::map<int, QString> &values);

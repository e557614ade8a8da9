// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <initializer_list>

class QTableView;

// A list of the rent round as its pages and dialogs show it: rows of one
// line and the register grid's height, no row numbers, the last column
// reaching to the edge, the given column widths from the first.
void setUpLedgerTable(QTableView *table, std::initializer_list<int> columnWidths = {});

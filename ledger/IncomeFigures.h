// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/LedgerMonth.h"
#include "ledger/Money.h"

#include <vector>

struct sqlite3;

// What the bills of one month came to. A payment pays a bill's rent first,
// then its water, electricity and fees, so that what was collected splits
// into the two without a fen lost; cancelled payments are not in it.
struct MonthIncome {
    LedgerMonth month;
    Fen due = 0;            // 应收: the bills' totals
    Fen rentCollected = 0;  // paid towards the rents
    Fen otherCollected = 0; // paid towards water, electricity and fees
    Fen collected() const { return rentCollected + otherCollected; }  // no more than `due`
};

// The year at a glance: the twelve months up to and including `lastMonth`,
// oldest first, and the months of its year up to it.
struct IncomeYear {
    std::vector<MonthIncome> months;
    Fen yearDue = 0;
    Fen yearCollected = 0;
    Fen yearOutstanding() const { return yearDue - yearCollected; }
};

// Reads the bills of the twelve months (of every kind) from the file.
// Throws AppError when a sum is past an amount's range.
IncomeYear readIncomeYear(sqlite3 *db, bool ledgerExists, const LedgerMonth &lastMonth);

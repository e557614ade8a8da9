// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/LedgerMonth.h"
#include "ledger/Money.h"

#include <QString>

#include <vector>

struct sqlite3;

// A tenant who owes, over all months: named as on the latest bill owed.
struct Arrear {
    qint64 tenantId = 0;
    QString name;
    QString room;
    std::vector<LedgerMonth> months;  // the months owed, oldest first
    Fen owed = 0;                     // what the bills' amounts leave unpaid
    int rentsWaiting = 0;             // of those bills, rents still to be typed
};

// Every tenant who owes anything, the largest debt first. Throws AppError
// when a sum is past an amount's range.
std::vector<Arrear> readArrears(sqlite3 *db, bool ledgerExists);

// How many tenants owe anything.
int owingTenantCount(sqlite3 *db, bool ledgerExists);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/BillPlan.h"
#include "ledger/Bills.h"
#include "platform/RegionalFormats.h"

#include <QStringList>

#include <vector>

class TADOConnection;
struct sqlite3;

// What generating a month's bills will do, as the landlord is shown it
// before anything is written. Generating again replaces the bills nothing
// has been paid of; a bill with a payment that stands is kept as it is.
struct GenerationPreview {
    LedgerMonth month;
    unsigned generation = 0;  // the file it was read from
    BillPlan plan;
    QStringList unreadableDates;         // records left out: their dates read as no date
    std::vector<BillSummary> existing;   // the month's bills before

    int created = 0;                     // bills for tenants without one
    int replaced = 0;                    // bills made again
    std::vector<BillSummary> kept;       // bills with payments, left as they are
    std::vector<BillSummary> removed;    // bills of tenants the month no longer covers
    int rentsWaiting = 0;                // new bills whose rent waits for the landlord
};

// Reads the register and the ledger and plans the month's bills. Throws
// AppError when an amount is past the range money can hold.
GenerationPreview previewBills(TADOConnection &connection, const LedgerMonth &month, const RegionalFormats &formats);

// Writes the bills of `shown` in one transaction, after planning them again
// under the write lock: when the register or the ledger has changed since
// the preview (other bills or amounts would come out), nothing is written
// and the error says so. Refused when the plan lacks a price in force.
void generateBills(TADOConnection &connection, const GenerationPreview &shown, const RegionalFormats &formats);

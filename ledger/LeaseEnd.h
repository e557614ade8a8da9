// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/Bills.h"
#include "ledger/LedgerMonth.h"
#include "ledger/Money.h"

#include <QDate>
#include <QString>

#include <optional>
#include <set>

class TADOConnection;
struct sqlite3;

// The part of the month's rent a tenant who moves out on `day` pays: the
// whole month, or by days (the days up to and including `day` of the
// month's days, to the nearest fen, half a fen up).
Fen finalRent(Fen monthlyRent, const QDate &day, bool byDays);

// What ending a lease (退租) settles, as the landlord entered it.
struct LeaseEnd {
    qint64 tenantId = 0;
    QString tenantName;
    QString room;
    QDate movedOut;
    bool byDays = true;
    std::optional<Fen> monthlyRent;  // none: no rent on the final bill
    std::optional<qint64> finalWater, finalElectricity;  // final readings, hundredths
    QString depositText;             // as the record holds it
    Fen deposit = 0;
    Fen kept = 0;
    QString keptReason;
};

// The final bill and the balance, as the landlord sees them before it is
// written: read from the ledger as it is now.
struct SettlementPreview {
    LedgerMonth month;
    bool monthBilled = false;      // the month's bill exists: it holds the rent
    std::vector<BillLine> lines;   // the final bill's lines
    Fen finalTotal = 0;
    Fen owedBefore = 0;            // what the tenant's other bills still owe
    Fen owed() const { return addFen(owedBefore, finalTotal); }
    Fen balance(Fen deposit, Fen kept) const { return subtractFen(subtractFen(deposit, kept), owed()); }
};

// Reads what the settlement will be; throws, in the landlord's words, when
// a final reading is below the last one or a meter used has no price.
SettlementPreview previewLeaseEnd(sqlite3 *db, const LeaseEnd &end);

// Writes the final bill (its readings as the month's, where the month has
// none yet) and the settlement, in one write. A settlement of the same
// tenant written before, whose final bill nothing was paid of (a delete of
// the record that failed after it), is replaced. Returns the settlement's
// number. With `shown`, what the landlord saw: when the final bill or what
// is owed differs now, nothing is written and the error says so.
qint64 recordLeaseEnd(TADOConnection &connection, const LeaseEnd &end, const SettlementPreview *shown = nullptr);

// The tenants whose lease was ended: their bills stay as they are.
std::set<qint64> settledTenants(sqlite3 *db);

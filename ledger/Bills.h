// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/BillPlan.h"
#include "ledger/LedgerMonth.h"
#include "ledger/Money.h"

#include <QString>

#include <optional>
#include <vector>

class TADOConnection;
struct sqlite3;

// Where a bill stands: nothing paid, part of it, all of it; or its rent
// still to be typed (whatever was paid of the rest).
enum class BillState { Unpaid, PartPaid, Paid, RentWaiting };
QString billStateText(BillState state);  // "未收", "部分", "已收", "租金待填"

// A bill as the month's list shows it, with the revision that names it for
// a write.
struct BillSummary {
    qint64 id = 0;
    qint64 revision = 0;
    LedgerMonth month;
    qint64 tenantId = 0;
    QString tenantName;
    QString room;
    QString rentText;
    std::optional<Fen> rent;
    Fen water = 0, electricity = 0, other = 0;
    Fen total = 0;  // the lines that have amounts
    Fen paid = 0;
    bool finalBill = false;  // the final bill of a lease ended (退租)

    Fen owed() const { return total - paid; }
    BillState state() const;
};

// The month's bills, in the order of their rooms, then tenants; `withFinal`
// adds the final bills of the leases ended that month (the page lists them,
// the month's generation leaves them alone).
std::vector<BillSummary> readMonthBills(sqlite3 *db, bool ledgerExists, const LedgerMonth &month,
                                        bool withFinal = false);

// What a month's bills add up to.
struct MonthFigures {
    int bills = 0;
    int rentsWaiting = 0;
    Fen due = 0;   // 应收: the bills' totals
    Fen paid = 0;  // 已收
    Fen owed() const { return due - paid; }  // 未收
};
// Adds up `bills`; throws AppError when a sum is past an amount's range.
MonthFigures figuresOf(const std::vector<BillSummary> &bills);
// The same read from the file for one month, final bills included.
MonthFigures readMonthFigures(sqlite3 *db, bool ledgerExists, const LedgerMonth &month);

// A payment against a bill.
struct Payment {
    qint64 id = 0;
    qint64 revision = 0;
    qint64 billId = 0;
    Fen amount = 0;
    QString paidOn;    // "2026-12-09"
    QString method;
    QString note;
    QString entered;   // when it was recorded
    QString cancelled; // when it was cancelled; empty while it stands
    QString cancelReason;
    bool isCancelled() const { return !cancelled.isEmpty(); }
};

// A bill with its lines and its payments, oldest first.
struct BillDetail {
    BillSummary bill;
    std::vector<BillLine> lines;
    std::vector<Payment> payments;
};
// Nothing when the bill is no longer in the ledger.
std::optional<BillDetail> readBill(sqlite3 *db, qint64 billId);

// Types the rent of a bill whose rent is no plain amount (or corrects a
// rent of a bill nothing has been paid of): its rent line, rent and total.
// One transaction; throws when the bill changed since it was shown, or has
// payments.
void setBillRent(TADOConnection &connection, unsigned shownGeneration, const BillSummary &shown, Fen rent);

// The statement that stores a bill's lines, prepared once for many bills,
// and the storing of one bill's lines through it (positions from 1).
class LedgerStatement billLineInsert(sqlite3 *db);
void writeBillLines(class LedgerStatement &insert, qint64 billId, const std::vector<BillLine> &lines);

// The bill's columns as the queries read them, and the reading of a row.
extern const char *const billColumns;
BillSummary billOf(const class LedgerStatement &row);

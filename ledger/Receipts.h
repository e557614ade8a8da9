// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "ledger/Bills.h"

#include <QDate>
#include <QString>

#include <vector>

class TADOConnection;
struct sqlite3;

// A payment's receipt as it is printed.
struct Receipt {
    struct Item {
        QString label;
        Fen amount = 0;
    };
    qint64 number = 0;   // 2026120001
    int printed = 1;     // this printing's count: past the first it is 补打
    bool cancelled = false;  // the payment was cancelled: 作废
    QString cancelReason;
    QDate paidOn;
    QString tenantName;
    QString room;
    LedgerMonth month;
    bool finalBill = false;  // the bill of a lease ended
    std::vector<Item> items; // the bill's lines with amounts
    Fen billTotal = 0;
    Fen amount = 0;          // what this payment paid
    QString method;
    QString payee;

    bool reprint() const { return printed > 1; }
    // "今收到 王伟（101 房）交来 2026 年 12 月 房租、水费、电费"
    QString receivedText() const;
};

// The number a receipt first given on `day` gets: its year and month and
// the next of that month's count ("2026120001"), past every number the
// ledger ever gave in that month. Inside the caller's write transaction.
// Throws when the month's 9999 are used up.
qint64 nextReceiptNumber(sqlite3 *db, const QDate &day);

// The receipt of a payment shown beside its bill: a number given the first
// time, in the write that records it (so that no number is ever given
// twice, a crash included), or the count of its printings raised. Throws
// when the payment is no longer as it was shown.
Receipt issueReceipt(TADOConnection &connection, unsigned shownGeneration, const Payment &shown);

// The receipt as the ledger holds it now, without counting a printing;
// nothing when the payment has none.
std::optional<Receipt> readReceipt(sqlite3 *db, qint64 paymentId);

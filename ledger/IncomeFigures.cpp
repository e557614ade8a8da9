// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/IncomeFigures.h"

#include "ledger/LedgerStatement.h"

#include <algorithm>

IncomeYear readIncomeYear(sqlite3 *db, bool ledgerExists, const LedgerMonth &lastMonth)
{
    IncomeYear year;
    const LedgerMonth first = LedgerMonth::of(lastMonth.firstDay().addMonths(-11));
    for (LedgerMonth month = first; month <= lastMonth; month = month.next())
        year.months.push_back({month});
    if (!ledgerExists)
        return year;
    // Each bill's own figures, added up here with checked sums (SQLite's
    // sum() would fail in its own words).
    LedgerStatement bills(db, "SELECT month, total_fen, paid_fen, coalesce(rent_fen, 0) FROM ledger_bill"
                              " WHERE month BETWEEN ?1 AND ?2");
    bills.bind(first.key()).bind(lastMonth.key());
    while (bills.next()) {
        const std::optional<LedgerMonth> month = LedgerMonth::fromKey(bills.text(0));
        if (!month)
            continue;
        const int index = (month->firstDay().year() - first.firstDay().year()) * 12 + month->firstDay().month()
            - first.firstDay().month();
        MonthIncome &income = year.months.at(std::size_t(index));
        const Fen paid = bills.integer(2);
        const Fen toRent = std::min(paid, bills.integer(3));
        income.due = addFen(income.due, bills.integer(1));
        income.rentCollected = addFen(income.rentCollected, toRent);
        income.otherCollected = addFen(income.otherCollected, paid - toRent);
    }
    for (const MonthIncome &income : year.months) {
        if (income.month.firstDay().year() != lastMonth.firstDay().year())
            continue;
        year.yearDue = addFen(year.yearDue, income.due);
        year.yearCollected = addFen(year.yearCollected, income.collected());
    }
    return year;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/Arrears.h"

#include "ledger/LedgerStatement.h"

#include <algorithm>

namespace {

// The bills still owed, as the partial index ledger_bill_owing has them.
const char *const owing = " FROM ledger_bill WHERE (paid_fen < total_fen OR rent_fen IS NULL)";

} // namespace

std::vector<Arrear> readArrears(sqlite3 *db, bool ledgerExists)
{
    std::vector<Arrear> arrears;
    if (!ledgerExists)
        return arrears;
    // The name and room come from the row of the latest month owed.
    LedgerStatement statement(db, QByteArray("SELECT tenant_id, tenant_name, room, max(month),"
                                             " sum(total_fen - paid_fen), sum(rent_fen IS NULL), group_concat(month)")
                                      + owing + " GROUP BY tenant_id");
    while (statement.next()) {
        Arrear arrear{statement.integer(0), statement.text(1), statement.text(2), {}, statement.integer(4),
                      int(statement.integer(5))};
        for (const QString &key : statement.text(6).split(QLatin1Char(','))) {
            if (const std::optional<LedgerMonth> month = LedgerMonth::fromKey(key))
                arrear.months.push_back(*month);
        }
        std::sort(arrear.months.begin(), arrear.months.end());
        arrears.push_back(std::move(arrear));
    }
    std::stable_sort(arrears.begin(), arrears.end(), [](const Arrear &a, const Arrear &b) { return a.owed > b.owed; });
    return arrears;
}

int owingTenantCount(sqlite3 *db, bool ledgerExists)
{
    if (!ledgerExists)
        return 0;
    LedgerStatement statement(db, QByteArray("SELECT count(DISTINCT tenant_id)") + owing);
    return statement.next() ? int(statement.integer(0)) : 0;
}

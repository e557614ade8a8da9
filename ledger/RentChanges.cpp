// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/RentChanges.h"

#include "db/AppError.h"
#include "ledger/LedgerSchema.h"
#include "ledger/LedgerStatement.h"
#include "ledger/LedgerWrite.h"
#include "platform/ProgramClock.h"

#include <map>

void recordRentChange(TADOConnection &connection, qint64 tenantId, const LedgerMonth &from, const QString &oldText,
                      const QString &newText)
{
    if (!from.isValid())
        throw AppError(QStringLiteral("新租金的起始月份无效"));
    LedgerWrite write(connection, std::nullopt);
    LedgerStatement(write.db(), "INSERT INTO ledger_rent_change (tenant_id, from_month, old_rent_text, new_rent_text,"
                                " entered) VALUES (?1, ?2, ?3, ?4, ?5)")
        .bind(tenantId)
        .bind(from.key())
        .bind(oldText)
        .bind(newText)
        .bind(momentKey(currentLocalDateTime()))
        .run();
    write.commit();
}

void applyRentChanges(sqlite3 *db, const LedgerMonth &month, std::vector<CoveredTenant> &tenants)
{
    if (!ledgerTableExists(db, "ledger_rent_change"))
        return;
    // The changes after the month, latest first: each undone in turn while
    // the text is the one it set.
    std::multimap<qint64, std::pair<QString, QString>> changes;
    LedgerStatement statement(db, "SELECT tenant_id, old_rent_text, new_rent_text FROM ledger_rent_change"
                                  " WHERE from_month > ?1 ORDER BY from_month DESC, id DESC");
    statement.bind(month.key());
    while (statement.next())
        changes.emplace(statement.integer(0), std::pair(statement.text(1), statement.text(2)));
    if (changes.empty())
        return;
    for (CoveredTenant &tenant : tenants) {
        const auto [first, last] = changes.equal_range(tenant.id);
        for (auto change = first; change != last; ++change) {
            if (change->second.second == tenant.rentText)
                tenant.rentText = change->second.first;
        }
    }
}

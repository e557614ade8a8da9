// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/LedgerSettings.h"

#include "db/AppError.h"
#include "ledger/LedgerSchema.h"
#include "ledger/LedgerStatement.h"
#include "ledger/LedgerWrite.h"

QString readPayee(sqlite3 *db)
{
    if (!ledgerTableExists(db, "ledger_setting"))
        return {};
    LedgerStatement statement(db, "SELECT value FROM ledger_setting WHERE name = 'payee'");
    return statement.next() ? statement.text(0) : QString();
}

void setPayee(TADOConnection &connection, unsigned shownGeneration, const QString &payee)
{
    const QString name = payee.trimmed();
    if (name.size() > 40)
        throw AppError(QStringLiteral("收款人的名字太长（最多 40 个字）"));
    LedgerWrite write(connection, shownGeneration);
    LedgerStatement(write.db(), "INSERT INTO ledger_setting (name, value) VALUES ('payee', ?1)"
                                " ON CONFLICT (name) DO UPDATE SET value = excluded.value, revision = revision + 1")
        .bind(name)
        .run();
    write.commit();
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/LedgerSchema.h"

#include "db/AppError.h"
#include "db/SqlStatement.h"

#include <QFile>

#include <sqlite3.h>

namespace {

QByteArray ledgerSchema()
{
    QFile file(QStringLiteral(":/ledger.sql"));
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("程序缺少账本的表结构（ledger.sql）"));
    return file.readAll();
}

} // namespace

bool ledgerExists(sqlite3 *db)
{
    SqlStatement statement(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = 'ledger_meta'");
    const int rc = statement.step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        statement.throwError();
    return rc == SQLITE_ROW;
}

void createLedgerIfMissing(sqlite3 *db)
{
    if (ledgerExists(db))
        return;
    if (executeSql(db, ledgerSchema().constData()) != SQLITE_OK)
        throwEngineError(db);
}

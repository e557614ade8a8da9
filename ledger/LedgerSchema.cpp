// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/LedgerSchema.h"

#include "db/AppError.h"
#include "db/SqlStatement.h"

#include <QFile>

#include <sqlite3.h>

#include <algorithm>

namespace {

QByteArray ledgerSchema()
{
    QFile file(QStringLiteral(":/ledger.sql"));
    if (!file.open(QIODevice::ReadOnly))
        throw AppError(QStringLiteral("程序缺少账本的表结构（ledger.sql）"));
    return file.readAll();
}

// What ledger.sql adds for `version`: the statements after the line
// "-- upgrade N" up to the next such line.
QByteArray upgradeTo(const QByteArray &schema, int version)
{
    const QByteArray marker = "\n-- upgrade " + QByteArray::number(version) + '\n';
    const qsizetype start = schema.indexOf(marker);
    if (start < 0)
        throw AppError(QStringLiteral("程序缺少账本的表结构（ledger.sql）"));
    const qsizetype end = schema.indexOf("\n-- upgrade ", start + marker.size());
    return schema.mid(start, end < 0 ? -1 : end - start);
}

void execute(sqlite3 *db, const QByteArray &sql)
{
    if (executeSql(db, sql.constData()) != SQLITE_OK)
        throwEngineError(db);
}

} // namespace

bool ledgerTableExists(sqlite3 *db, const char *name)
{
    SqlStatement statement(db, "SELECT 1 FROM sqlite_master WHERE type = 'table' AND name = ?1");
    statement.bindText(1, QString::fromLatin1(name));
    const int rc = statement.step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        statement.throwError();
    return rc == SQLITE_ROW;
}

bool ledgerExists(sqlite3 *db)
{
    return ledgerTableExists(db, "ledger_meta");
}

int currentLedgerVersion()
{
    return 2;
}

int ledgerVersion(sqlite3 *db)
{
    if (!ledgerExists(db))
        return 0;
    SqlStatement statement(db, "SELECT value FROM ledger_meta WHERE name = 'version'");
    const int rc = statement.step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        statement.throwError();
    return rc == SQLITE_ROW ? statement.columnString(0).toInt() : 0;
}

void createLedgerIfMissing(sqlite3 *db)
{
    const int version = ledgerVersion(db);
    if (version >= currentLedgerVersion())
        return;
    const QByteArray schema = ledgerSchema();
    if (!ledgerExists(db)) {
        execute(db, schema);
        return;
    }
    for (int next = std::max(version, 1) + 1; next <= currentLedgerVersion(); ++next)
        execute(db, upgradeTo(schema, next));
}

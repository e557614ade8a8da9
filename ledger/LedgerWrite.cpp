// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/LedgerWrite.h"

#include "db/ADOConnection.h"
#include "db/AppError.h"
#include "db/SqlStatement.h"
#include "ledger/LedgerSchema.h"

#include <sqlite3.h>

LedgerWrite::LedgerWrite(TADOConnection &connection, std::optional<unsigned> shownGeneration)
    : m_connection(connection)
{
    m_db = connection.handle();
    if (shownGeneration && *shownGeneration != connection.generation())
        throw AppError(connection.replacedFileNotice());
    if (executeSql(m_db, "BEGIN IMMEDIATE") != SQLITE_OK)
        throwEngineError(m_db);
    m_open = true;
    try {
        createLedgerIfMissing(m_db);
    } catch (...) {
        executeSql(m_db, "ROLLBACK");
        m_open = false;
        m_connection.noteOwnWrite();
        throw;
    }
}

LedgerWrite::~LedgerWrite()
{
    if (m_open)
        executeSql(m_db, "ROLLBACK");
    m_connection.noteOwnWrite();
}

void LedgerWrite::commit()
{
    if (executeSql(m_db, "COMMIT") != SQLITE_OK)
        throwEngineError(m_db);
    m_open = false;
}

QString changedMeanwhileText()
{
    return QStringLiteral("账本中的这一项已被其他程序改动或删除，没有保存；请重新打开后再试");
}

void throwChangedMeanwhile()
{
    throw AppError(changedMeanwhileText());
}

void raiseRevision(sqlite3 *db, const char *table, qint64 id, qint64 revision)
{
    SqlStatement statement(db, QByteArray("UPDATE ") + table
                                   + " SET revision = revision + 1 WHERE id = ?1 AND revision = ?2");
    statement.bindInt64(1, id);
    statement.bindInt64(2, revision);
    statement.run();
    if (sqlite3_changes(db) != 1)
        throwChangedMeanwhile();
}

LedgerRead::LedgerRead(TADOConnection &connection)
    : db(connection.handle())
    , generation(connection.generation())
    , exists(ledgerExists(db))
{
}

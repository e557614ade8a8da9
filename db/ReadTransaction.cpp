// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/ReadTransaction.h"

#include "db/SqlStatement.h"

#include <sqlite3.h>

ReadTransaction::ReadTransaction(sqlite3 *db)
{
    if (executeSql(db, "BEGIN") != SQLITE_OK)
        return;
    m_db = db;
    // A deferred BEGIN locks nothing; the first read takes the shared lock
    // and keeps it until the transaction ends.
    m_locked = executeSql(db, "SELECT count(*) FROM sqlite_master") == SQLITE_OK;
}

ReadTransaction::~ReadTransaction()
{
    // Nothing was written: ending by rollback cannot fail for want of a lock.
    if (m_db)
        executeSql(m_db, "ROLLBACK");
}

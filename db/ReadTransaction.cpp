#include "db/ReadTransaction.h"

#include <sqlite3.h>

ReadTransaction::ReadTransaction(sqlite3 *db)
{
    if (sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        return;
    m_db = db;
    // A deferred BEGIN locks nothing; the first read takes the shared lock
    // and keeps it until the transaction ends.
    m_locked = sqlite3_exec(db, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr) == SQLITE_OK;
}

ReadTransaction::~ReadTransaction()
{
    // Nothing was written: ending by rollback cannot fail for want of a lock.
    if (m_db)
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct sqlite3;

// A read transaction held for this object's lifetime. Reading inside it takes
// SQLite's shared lock on the database file, so no other connection, in this
// program or another, can write the file until the transaction ends.
// Ending it runs in every path, the destructor included.
class ReadTransaction {
public:
    explicit ReadTransaction(sqlite3 *db);
    ~ReadTransaction();

    ReadTransaction(const ReadTransaction &) = delete;
    ReadTransaction &operator=(const ReadTransaction &) = delete;

    // Whether the shared lock is held. False when the transaction could not
    // begin, or the file stayed locked by a writer past the busy timeout.
    bool locked() const { return m_locked; }

private:
    sqlite3 *m_db = nullptr;  // set while a transaction is open
    bool m_locked = false;
};

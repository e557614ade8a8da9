// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

class TADOConnection;
struct sqlite3;

// One write of the ledger: a transaction that holds the file's write lock
// from its start (no other program writes between what is checked and what
// is written), with the ledger's tables made first when the file has none.
// It is rolled back unless commit() was reached, and the connection is told
// that the file changed by the program's own hand.
class LedgerWrite {
public:
    // `shownGeneration`: the file the rows on show were read from; a write
    // over rows of a file that is no longer data.mdb fails with the
    // connection's notice.
    LedgerWrite(TADOConnection &connection, std::optional<unsigned> shownGeneration);
    ~LedgerWrite();
    LedgerWrite(const LedgerWrite &) = delete;
    LedgerWrite &operator=(const LedgerWrite &) = delete;

    sqlite3 *db() const { return m_db; }
    void commit();

private:
    TADOConnection &m_connection;
    sqlite3 *m_db = nullptr;
    bool m_open = false;
};

// The failure of a write whose row is no longer as it was shown.
QString changedMeanwhileText();
[[noreturn]] void throwChangedMeanwhile();

// Raises the revision of row `id` of `table` when it is still `revision`,
// as shown; otherwise throws changedMeanwhileText().
void raiseRevision(sqlite3 *db, const char *table, qint64 id, qint64 revision);

// The connection's file for reading the ledger: its handle, and the
// generation the rows read now belong to.
struct LedgerRead {
    explicit LedgerRead(TADOConnection &connection);
    sqlite3 *db = nullptr;
    unsigned generation = 0;
    bool exists = false;  // whether the file holds the ledger's tables
};

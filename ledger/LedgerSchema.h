// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct sqlite3;

// The ledger's tables (resources/ledger.sql) live in data.mdb beside `data`.
// A register that never had a bill or a reading has none: every read then
// finds nothing, and the first write makes them.

// Whether the file holds the ledger's tables.
bool ledgerExists(sqlite3 *db);

// Makes the ledger's tables when the file has none; inside the caller's
// write transaction, so that they come whole or not at all.
void createLedgerIfMissing(sqlite3 *db);

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

struct sqlite3;

// The ledger's tables (resources/ledger.sql) live in data.mdb beside `data`.
// A register that never had a bill or a reading has none: every read then
// finds nothing, and the first write makes them. A ledger of an earlier
// version gets the tables it lacks at its next write; until then a read of
// those finds nothing.

// Whether the file holds the ledger's tables.
bool ledgerExists(sqlite3 *db);

// Whether the file holds the ledger's table `name` (a newer one, which an
// earlier ledger lacks).
bool ledgerTableExists(sqlite3 *db, const char *name);

// The version ledger_meta names; 0 without a ledger.
int ledgerVersion(sqlite3 *db);
// The version this program makes.
int currentLedgerVersion();

// Makes the ledger's tables when the file has none, or adds those of later
// versions to an earlier ledger; inside the caller's write transaction, so
// that they come whole or not at all. A ledger of a later version than this
// program knows is left as it is.
void createLedgerIfMissing(sqlite3 *db);

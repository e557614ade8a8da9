// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/ResultSet.h"

#include <QString>
#include <QStringList>

#include <vector>

class SqlStatement;
struct sqlite3;

// Where the rows of a cursor's statement live and how each is found again
// in its table: by SQLite's rowid whenever the table has one, whatever its
// declared key holds; by the primary key in a WITHOUT ROWID table. Found
// once, when the cursor opens.
struct RowIdentity {
    QString schema;       // empty: the rows come from no single table
    QString table;
    QStringList columns;  // per result column: its column in the table
    RowKeyKind keyKind = RowKeyKind::None;
    QStringList keyNames;          // the rowid alias, or the primary key's columns
    std::vector<int> keySources;   // per key part: the statement column it is read from
    int hiddenColumns = 0;         // leading statement columns that carry only key parts
    QStringList hiddenOrigins;     // what each of those must come from

    bool hasTable() const { return !table.isEmpty(); }
    // The same table, its rows found by no key.
    void withoutKey();

    // Whether `statement`, the listing rewritten with the key columns first,
    // delivers them from the table and the listing's columns after them.
    bool deliveredBy(const SqlStatement &statement) const;
};

// The identity of the rows of `listing`, a prepared SELECT whose text is
// `sql`. When a key part is not among the listing's columns, `rewritten`
// receives the statement with the key columns put first; the caller
// prepares it and checks it with deliveredBy(). Reads only the engine's
// parsed schema, so that opening a listing stays cheap.
RowIdentity findRowIdentity(sqlite3 *db, const SqlStatement &listing, const QString &sql, QString *rewritten);

// An identifier in double quotes, for SQL text.
QString quotedIdentifier(const QString &name);

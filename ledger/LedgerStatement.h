// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "db/SqlStatement.h"

#include <QString>

#include <optional>

// A statement of the ledger with its values bound in order (?1, ?2, ...)
// and its rows read by column; every failure throws the engine's text.
class LedgerStatement {
public:
    LedgerStatement(sqlite3 *db, QByteArrayView sql);

    LedgerStatement &bind(qint64 value);
    LedgerStatement &bind(const QString &text);
    LedgerStatement &bind(std::optional<qint64> value);  // none binds NULL

    // The next row; false past the last.
    bool next();
    // Runs to the end, reading no rows; returns the rows it changed.
    int run();
    // Back to before the first row with new values to bind.
    void rebind();

    qint64 integer(int column) const { return m_statement.columnInt64(column); }
    std::optional<qint64> optionalInteger(int column) const;
    QString text(int column) const { return m_statement.columnString(column); }
    bool isNull(int column) const;

private:
    void check(int rc) const;

    sqlite3 *m_db;
    SqlStatement m_statement;
    int m_bound = 0;
};

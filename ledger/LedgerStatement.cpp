// SPDX-License-Identifier: GPL-3.0-or-later
#include "ledger/LedgerStatement.h"

#include <sqlite3.h>

LedgerStatement::LedgerStatement(sqlite3 *db, QByteArrayView sql)
    : m_db(db)
    , m_statement(db, sql)
{
}

void LedgerStatement::check(int rc) const
{
    if (rc != SQLITE_OK)
        m_statement.throwError();
}

LedgerStatement &LedgerStatement::bind(qint64 value)
{
    check(m_statement.bindInt64(++m_bound, value));
    return *this;
}

LedgerStatement &LedgerStatement::bind(const QString &text)
{
    check(m_statement.bindText(++m_bound, text));
    return *this;
}

LedgerStatement &LedgerStatement::bind(std::optional<qint64> value)
{
    check(value ? m_statement.bindInt64(++m_bound, *value) : m_statement.bindNull(++m_bound));
    return *this;
}

bool LedgerStatement::next()
{
    const int rc = m_statement.step();
    if (rc != SQLITE_ROW && rc != SQLITE_DONE)
        m_statement.throwError();
    return rc == SQLITE_ROW;
}

int LedgerStatement::run()
{
    m_statement.run();
    return sqlite3_changes(m_db);
}

void LedgerStatement::rebind()
{
    m_statement.reset();
    m_bound = 0;
}

std::optional<qint64> LedgerStatement::optionalInteger(int column) const
{
    if (isNull(column))
        return std::nullopt;
    return integer(column);
}

bool LedgerStatement::isNull(int column) const
{
    return sqlite3_column_type(m_statement.handle(), column) == SQLITE_NULL;
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/ExportSource.h"

#include "db/AppError.h"
#include "db/ResultSet.h"

#include <sqlite3.h>

QStringList ResultSetRows::columns() const
{
    return m_result.columns();
}

qint64 ResultSetRows::rowCount() const
{
    return m_result.rowCount();
}

bool ResultSetRows::next()
{
    if (m_row < m_result.rowCount())
        ++m_row;
    return m_row < m_result.rowCount();
}

std::optional<std::string_view> ResultSetRows::cell(int column) const
{
    if (m_result.isNull(m_row, column))
        return std::nullopt;
    return m_result.cell(m_row, column);
}

RegisterTableRows::RegisterTableRows(sqlite3 *db)
    : m_db(db)
{
    // The count first, in the same read transaction as the rows.
    if (executeSql(m_db, "BEGIN") != SQLITE_OK)
        throwEngineError(m_db);
    bool counted = false;
    {
        SqlStatement count;
        counted = count.tryPrepare(m_db, "select count(*) from data") && count.step() == SQLITE_ROW;
        m_rowCount = counted ? count.columnInt64(0) : 0;
    }
    if (!counted || !m_statement.tryPrepare(m_db, "select * from data")) {
        const AppError error(engineErrorText(m_db));
        executeSql(m_db, "ROLLBACK");
        throw error;
    }
    for (int i = 0; i < m_statement.columnCount(); ++i)
        m_columns << m_statement.columnName(i);
}

RegisterTableRows::~RegisterTableRows()
{
    m_statement = SqlStatement();
    executeSql(m_db, "ROLLBACK");
}

bool RegisterTableRows::next()
{
    const int rc = m_statement.step();
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        m_statement.throwError();
    return false;
}

std::optional<std::string_view> RegisterTableRows::cell(int column) const
{
    return m_statement.columnText(column);
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "sheets/ExportSource.h"

#include "db/ADOConnection.h"
#include "db/AppError.h"
#include "db/ResultSet.h"

#include <QFile>

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

RegisterTableRows::RegisterTableRows(const QString &path)
{
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &m_db, SQLITE_OPEN_READONLY, nullptr);
    if (rc != SQLITE_OK) {
        const AppError error(m_db ? engineErrorText(m_db) : engineErrorText(rc));
        sqlite3_close(m_db);
        throw error;
    }
    sqlite3_busy_timeout(m_db, TADOConnection::busyTimeoutMs);
    // The count first, in the same read transaction as the rows.
    if (executeSql(m_db, "BEGIN") != SQLITE_OK) {
        const AppError error(engineErrorText(m_db));
        sqlite3_close(m_db);
        throw error;
    }
    bool counted = false;
    {
        SqlStatement count;
        counted = count.tryPrepare(m_db, "select count(*) from data") && count.step() == SQLITE_ROW;
        m_rowCount = counted ? count.columnInt64(0) : 0;
    }
    if (!counted || !m_statement.tryPrepare(m_db, "select * from data")) {
        const AppError error(engineErrorText(m_db));
        m_statement = SqlStatement();
        sqlite3_close(m_db);
        throw error;
    }
    for (int i = 0; i < m_statement.columnCount(); ++i)
        m_columns << m_statement.columnName(i);
}

RegisterTableRows::~RegisterTableRows()
{
    m_statement = SqlStatement();
    sqlite3_close(m_db);
}

bool RegisterTableRows::next()
{
    if (!m_statement.isPrepared())
        return false;
    const int rc = m_statement.step();
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        m_statement.throwError();
    // Every row is read: the file's lock goes before the slow packing of
    // an .xlsx, so that the window may write meanwhile.
    m_statement = SqlStatement();
    executeSql(m_db, "ROLLBACK");
    return false;
}

std::optional<std::string_view> RegisterTableRows::cell(int column) const
{
    return m_statement.columnText(column);
}

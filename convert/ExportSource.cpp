#include "convert/ExportSource.h"

#include "db/ADOConnection.h"
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
    if (sqlite3_exec(m_db, "BEGIN", nullptr, nullptr, nullptr) != SQLITE_OK)
        throwEngineError(m_db);
    sqlite3_stmt *count = nullptr;
    const bool counted = sqlite3_prepare_v2(m_db, "select count(*) from data", -1, &count, nullptr) == SQLITE_OK
        && sqlite3_step(count) == SQLITE_ROW;
    m_rowCount = counted ? sqlite3_column_int64(count, 0) : 0;
    sqlite3_finalize(count);
    if (!counted || sqlite3_prepare_v2(m_db, "select * from data", -1, &m_statement, nullptr) != SQLITE_OK) {
        const AppError error(QString::fromUtf8(sqlite3_errmsg(m_db)));
        sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
        throw error;
    }
    for (int i = 0; i < sqlite3_column_count(m_statement); ++i)
        m_columns << QString::fromUtf8(sqlite3_column_name(m_statement, i));
}

RegisterTableRows::~RegisterTableRows()
{
    sqlite3_finalize(m_statement);
    sqlite3_exec(m_db, "ROLLBACK", nullptr, nullptr, nullptr);
}

bool RegisterTableRows::next()
{
    const int rc = sqlite3_step(m_statement);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        throwEngineError(m_db);
    return false;
}

std::optional<std::string_view> RegisterTableRows::cell(int column) const
{
    if (sqlite3_column_type(m_statement, column) == SQLITE_NULL)
        return std::nullopt;
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    return std::string_view(text, std::size_t(sqlite3_column_bytes(m_statement, column)));
}

// SPDX-License-Identifier: GPL-3.0-or-later
#include "db/SqlStatement.h"

#include "db/AppError.h"
#include "platform/Utf8Text.h"

#include <sqlite3.h>

#include <utility>

QString engineErrorText(sqlite3 *db)
{
    return QString::fromUtf8(sqlite3_errmsg(db));
}

QString engineErrorText(int resultCode)
{
    return QString::fromUtf8(sqlite3_errstr(resultCode));
}

void throwEngineError(sqlite3 *db)
{
    throw AppError(engineErrorText(db));
}

void throwEngineError(int resultCode)
{
    throw AppError(engineErrorText(resultCode));
}

int executeSql(sqlite3 *db, const char *sql)
{
    return sqlite3_exec(db, sql, nullptr, nullptr, nullptr);
}

SqlStatement::SqlStatement(sqlite3 *db, QByteArrayView sql)
{
    if (!tryPrepare(db, sql))
        throwEngineError(db);
}

SqlStatement::~SqlStatement()
{
    finalize();
}

SqlStatement::SqlStatement(SqlStatement &&other) noexcept
    : m_db(std::exchange(other.m_db, nullptr))
    , m_statement(std::exchange(other.m_statement, nullptr))
{
}

SqlStatement &SqlStatement::operator=(SqlStatement &&other) noexcept
{
    if (this != &other) {
        finalize();
        m_db = std::exchange(other.m_db, nullptr);
        m_statement = std::exchange(other.m_statement, nullptr);
    }
    return *this;
}

void SqlStatement::finalize()
{
    sqlite3_finalize(m_statement);
    m_statement = nullptr;
}

bool SqlStatement::tryPrepare(sqlite3 *db, QByteArrayView sql)
{
    finalize();
    m_db = db;
    return sqlite3_prepare_v2(db, sql.data(), int(sql.size()), &m_statement, nullptr) == SQLITE_OK;
}

int SqlStatement::bindNull(int parameter)
{
    return sqlite3_bind_null(m_statement, parameter);
}

int SqlStatement::bindInt64(int parameter, std::int64_t value)
{
    return sqlite3_bind_int64(m_statement, parameter, value);
}

int SqlStatement::bindText(int parameter, std::string_view utf8)
{
    // A null pointer would bind NULL.
    return sqlite3_bind_text64(m_statement, parameter, utf8.empty() ? "" : utf8.data(), utf8.size(),
                               SQLITE_TRANSIENT, SQLITE_UTF8);
}

int SqlStatement::bindTextInPlace(int parameter, std::string_view utf8)
{
    return sqlite3_bind_text64(m_statement, parameter, utf8.empty() ? "" : utf8.data(), utf8.size(), SQLITE_STATIC,
                               SQLITE_UTF8);
}

int SqlStatement::bindText(int parameter, const QString &text)
{
    const QByteArray utf8 = text.toUtf8();
    return bindText(parameter, std::string_view(utf8.constData(), std::size_t(utf8.size())));
}

int SqlStatement::bindValue(int parameter, const SqlValue &value)
{
    switch (value.type) {
    case SqlValue::Type::Integer:
        return sqlite3_bind_int64(m_statement, parameter, value.integer);
    case SqlValue::Type::Real:
        return sqlite3_bind_double(m_statement, parameter, value.real);
    case SqlValue::Type::Text:
        return bindText(parameter, value.bytes);
    case SqlValue::Type::Blob:
        return sqlite3_bind_blob64(m_statement, parameter, value.bytes.data(), value.bytes.size(), SQLITE_TRANSIENT);
    case SqlValue::Type::Null:
        break;
    }
    return sqlite3_bind_null(m_statement, parameter);
}

int SqlStatement::step()
{
    return sqlite3_step(m_statement);
}

void SqlStatement::run()
{
    int rc;
    while ((rc = step()) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        throwError();
}

void SqlStatement::reset()
{
    sqlite3_reset(m_statement);
}

int SqlStatement::columnCount() const
{
    return sqlite3_column_count(m_statement);
}

QString SqlStatement::columnName(int column) const
{
    return QString::fromUtf8(sqlite3_column_name(m_statement, column));
}

std::optional<std::string_view> SqlStatement::columnText(int column) const
{
    const auto *text = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    if (text)
        return std::string_view(text, std::size_t(sqlite3_column_bytes(m_statement, column)));
    if (sqlite3_column_type(m_statement, column) == SQLITE_NULL)
        return std::nullopt;
    return std::string_view();  // an empty blob
}

QString SqlStatement::columnString(int column) const
{
    return fromUtf8(columnText(column).value_or(std::string_view()));
}

std::int64_t SqlStatement::columnInt64(int column) const
{
    return sqlite3_column_int64(m_statement, column);
}

SqlValue SqlStatement::columnValue(int column) const
{
    SqlValue value;
    switch (sqlite3_column_type(m_statement, column)) {
    case SQLITE_INTEGER:
        value.type = SqlValue::Type::Integer;
        value.integer = sqlite3_column_int64(m_statement, column);
        break;
    case SQLITE_FLOAT:
        value.type = SqlValue::Type::Real;
        value.real = sqlite3_column_double(m_statement, column);
        break;
    case SQLITE_TEXT:
        value.type = SqlValue::Type::Text;
        value.bytes.assign(reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column)),
                           std::size_t(sqlite3_column_bytes(m_statement, column)));
        break;
    case SQLITE_BLOB: {
        value.type = SqlValue::Type::Blob;
        const auto *data = static_cast<const char *>(sqlite3_column_blob(m_statement, column));
        if (data)
            value.bytes.assign(data, std::size_t(sqlite3_column_bytes(m_statement, column)));
        break;
    }
    default:
        break;
    }
    return value;
}

QString SqlStatement::errorText() const
{
    return engineErrorText(m_db);
}

void SqlStatement::throwError() const
{
    throwEngineError(m_db);
}

#include "db/SqlValue.h"

#include <sqlite3.h>

SqlValue SqlValue::fromColumn(sqlite3_stmt *statement, int column)
{
    SqlValue value;
    switch (sqlite3_column_type(statement, column)) {
    case SQLITE_INTEGER:
        value.type = Type::Integer;
        value.integer = sqlite3_column_int64(statement, column);
        break;
    case SQLITE_FLOAT:
        value.type = Type::Real;
        value.real = sqlite3_column_double(statement, column);
        break;
    case SQLITE_TEXT:
        value.type = Type::Text;
        value.bytes.assign(reinterpret_cast<const char *>(sqlite3_column_text(statement, column)),
                           std::size_t(sqlite3_column_bytes(statement, column)));
        break;
    case SQLITE_BLOB: {
        value.type = Type::Blob;
        const auto *data = static_cast<const char *>(sqlite3_column_blob(statement, column));
        if (data)
            value.bytes.assign(data, std::size_t(sqlite3_column_bytes(statement, column)));
        break;
    }
    default:
        break;
    }
    return value;
}

int SqlValue::bind(sqlite3_stmt *statement, int parameter) const
{
    switch (type) {
    case Type::Integer:
        return sqlite3_bind_int64(statement, parameter, integer);
    case Type::Real:
        return sqlite3_bind_double(statement, parameter, real);
    case Type::Text:
        return sqlite3_bind_text64(statement, parameter, bytes.data(), bytes.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
    case Type::Blob:
        return sqlite3_bind_blob64(statement, parameter, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
    case Type::Null:
        break;
    }
    return sqlite3_bind_null(statement, parameter);
}

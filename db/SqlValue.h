#pragma once

#include <cstdint>
#include <string>

struct sqlite3_stmt;

// One value as SQLite holds it, with its storage class, so that it can be
// bound back and compare equal to the stored value: a primary key of a
// WITHOUT ROWID table is found by these values.
struct SqlValue {
    enum class Type { Null, Integer, Real, Text, Blob };

    Type type = Type::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string bytes;  // Text (UTF-8) or Blob

    static SqlValue fromColumn(sqlite3_stmt *statement, int column);
    // Returns SQLite's result code.
    int bind(sqlite3_stmt *statement, int parameter) const;
};

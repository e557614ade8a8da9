// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

// One value as SQLite holds it, with its storage class, so that it can be
// bound back and compare equal to the stored value: a primary key of a
// WITHOUT ROWID table is found by these values (SqlStatement reads and
// binds them).
struct SqlValue {
    enum class Type { Null, Integer, Real, Text, Blob };

    Type type = Type::Null;
    std::int64_t integer = 0;
    double real = 0;
    std::string bytes;  // Text (UTF-8) or Blob
};

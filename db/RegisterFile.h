#pragma once

#include <QString>

// Writes a new, empty register (the table `data` of schema.sql) at `path`.
// An existing file is never touched: returns false with `error` set, as for
// any other failure.
bool createEmptyRegister(const QString &path, QString *error = nullptr);

// Whether the file at `path` is a register: an SQLite database holding the
// table `data`. The file is only read, and nothing is made beside it.
bool isRegisterFile(const QString &path);

// The text of schema.sql.
QString registerSchema();

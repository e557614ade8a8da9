#pragma once

#include <QString>

// Writes a new, empty register (the table `data` of schema.sql) at `path`.
// An existing file is never touched: returns false with `error` set, as for
// any other failure.
bool createEmptyRegister(const QString &path, QString *error = nullptr);

// The text of schema.sql.
QString registerSchema();

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include <optional>

// Writes a new, empty register (the table `data` of schema.sql) at `path`.
// An existing file is never touched: returns false with `error` set, as for
// any other failure.
bool createEmptyRegister(const QString &path, QString *error = nullptr);

// Whether the file at `path` is a register: an SQLite database holding the
// table `data`. The file is only read, and nothing is made beside it.
bool isRegisterFile(const QString &path);

// The number of records in the register at `path`, read without changing
// anything; none when it is no register or its rows cannot be counted.
std::optional<long long> registerRecordCount(const QString &path);

// Checks the register at `path` whole before it takes data.mdb's place: an
// SQLite database holding the table `data` that passes SQLite's integrity
// check. Returns its record count; none, with `failure` saying why, for a
// file that is no register or is damaged. Only reads the file.
std::optional<long long> checkedRegisterRecords(const QString &path, QString *failure);

// The text of schema.sql.
QString registerSchema();

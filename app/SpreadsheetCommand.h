// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The spreadsheet jobs of larkhaven-convert, with the same code as the
// program's windows:
//   larkhaven-convert REGISTER TARGET.xlsx|TARGET.csv
//       writes every record of the register REGISTER to a new spreadsheet;
//   larkhaven-convert [--skip-unmatched] SOURCE.xlsx|.ods|.csv TARGET
//       makes a new register TARGET from the first sheet of SOURCE under the
//       import rules, listing the rows it skipped and the columns it added
//       (with --skip-unmatched, columns that name no register column are
//       left out instead).
// TARGET must not exist. One result line on stdout and status 0, or one
// line with the reason on stderr and status 1. Returns nothing when the
// arguments name no spreadsheet.
std::optional<int> runSpreadsheetCommand(const QStringList &arguments, bool skipUnmatched = false);

// The usage line of these jobs.
QString spreadsheetCommandUsage();

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

#include <optional>

// The month's bills of larkhaven-convert:
//   larkhaven-convert REGISTER TARGET.xlsx|TARGET.csv --month 2026-12
// writes the bills of that month in the register REGISTER (the page 收租's
// list, every bill) to a new spreadsheet. TARGET must not exist; REGISTER
// is only read. One result line on stdout and status 0, or one line with the
// reason on stderr and status 1 (2 for wrong arguments). Returns nothing
// when the arguments hold no --month.
std::optional<int> runBillExportCommand(const QStringList &arguments);

// The usage line of this job.
QString billExportCommandUsage();

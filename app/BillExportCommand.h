// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>


// The month's bills of larkhaven-convert:
//   larkhaven-convert REGISTER TARGET.xlsx|TARGET.csv --month 2026-12
// writes the bills of that month in the register REGISTER (the page 收租's
// list, every bill) to a new spreadsheet. TARGET must not exist; REGISTER
// is only read. `files` are REGISTER and TARGET, `month` the option's
// value. One result line on stdout and status 0, or one line with the
// reason on stderr and status 1 (2 for wrong arguments).
int runBillExportCommand(const QStringList &files, const QString &month);

// The usage line of this job.
QString billExportCommandUsage();

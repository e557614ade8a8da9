// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class SheetRowSink;
struct ReadControl;

// Reads sheet `sheetIndex` of an .xlsx workbook into `sink` and returns the
// names of the workbook's sheets. Text cells come as they were written
// (shared or inline strings), numbers as numbers, numbers under a date or
// time format as dates, a formula's cell as its last computed value.
// Throws SpreadsheetError, or ReadCancelled when `control` asks.
QStringList readXlsx(const QString &path, int sheetIndex, SheetRowSink &sink, ReadControl &control);

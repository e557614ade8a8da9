// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class SheetRowSink;
struct ReadControl;
struct WorkbookFacts;

// Reads sheet `sheetIndex` of an .xlsx workbook into `sink` and returns the
// names of the workbook's sheets and whether it asks to be calculated
// afresh when opened. Text cells come as they were written (shared or
// inline strings), numbers as numbers, numbers under a date or time format
// as dates, error values as their text, a formula's cell as its last
// computed value, or as its formula when the file kept none. Cell places
// past column XFD or row 1,048,576 are a damaged file. Throws
// AppError, or ReadCancelled when `control` asks.
WorkbookFacts readXlsx(const QString &path, int sheetIndex, SheetRowSink &sink, ReadControl &control);

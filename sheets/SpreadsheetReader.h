// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class SheetRowSink;
struct ReadControl;

// Reads sheet `sheetIndex` (0 is the first) of the spreadsheet at `path`
// into `sink` and returns the names of its sheets (a CSV file has one). The
// kind is told by the content, not the name: an .xlsx or .ods package, or
// else a CSV text. Throws SpreadsheetError for a file that is damaged,
// encrypted or no spreadsheet, and ReadCancelled when `control` asks.
QStringList readSpreadsheet(const QString &path, int sheetIndex, SheetRowSink &sink, ReadControl &control);

// The file types the import reads, for a file dialog's filter.
QString spreadsheetFileFilter();

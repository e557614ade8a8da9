// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QStringList>

class SheetRowSink;
struct ReadControl;
struct WorkbookFacts;

enum class SpreadsheetKind { Xlsx, Ods, Csv };

// The kind of the spreadsheet at `path`, told by the content, not the
// name: an .xlsx or .ods package, or else a CSV text. Throws
// AppError for a file that is missing, empty, damaged, encrypted
// or no spreadsheet.
SpreadsheetKind spreadsheetKind(const QString &path);

// Reads sheet `sheetIndex` (0 is the first) of the spreadsheet at `path`,
// of kind `kind`, into `sink` and returns the names of its sheets (a CSV
// file has one) and what else the workbook says. Throws AppError
// for a file that cannot be read, and ReadCancelled when `control` asks.
WorkbookFacts readSpreadsheet(const QString &path, SpreadsheetKind kind, int sheetIndex, SheetRowSink &sink,
                              ReadControl &control);

// The file types the import reads, for a file dialog's filter.
QString spreadsheetFileFilter();
